// Tallix32's program entry. Options that never open a window (batch import, help,
// version) are handled first, before anything of the window system exists; then
// the marking window starts, opening the marked file given on the command line.
#include "app/CommandLine.h"
#include "document/MarkedDocument.h"
#include "platform/TextCodec.h"

#ifdef TALLIX_HAVE_QT
#include "app/TfrmSplash.h"
#include "app/TfrmTallix32.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"
#include "platform/qt/StoredSettings.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#endif

#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

#ifndef TALLIX_HAVE_QT
// Without the window system the program prints the text of the file it is given.
int printFile(const std::string& path) {
    tallix::MarkedDocument doc;
    tallix::FileOutcome r = doc.loadTlxFile(path);
    if (!r.ok) {
        std::cerr << tallix::text::toUtf8(r.message.text) << "\n" << path << "\n";
        return 1;
    }
    std::u16string out;
    for (char16_t c : doc.essay().text())
        if (c != u'\r')
            out.push_back(c);
    std::cout << tallix::text::toUtf8(out) << "\n";
    return 0;
}
#endif

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
#ifdef TALLIX_HAVE_QT
    if (!args.empty()) {
        // The command-line options read the settings the windows would start from,
        // and need no display. The PDF export and a chart image paint with Qt's fonts
        // and text layout, which need a GUI application: on the offscreen platform,
        // whatever display there is or is not.
        std::unique_ptr<QCoreApplication> core;
        if (tallix::cli::needsPainting(args)) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            // Qt's notes on the desktop session that is not there are no concern
            // of a script: only its errors are passed on.
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& m) {
                if (type == QtCriticalMsg || type == QtFatalMsg)
                    std::cerr << m.toStdString() << "\n";
            });
            core = std::make_unique<QApplication>(argc, argv);
        } else {
            core = std::make_unique<QCoreApplication>(argc, argv);
        }
        QCoreApplication::setApplicationName(QStringLiteral("Tallix32"));
        tallix::SettingsStore store;
        tallix::StoredSettings settings(store);
        if (std::optional<int> status = tallix::cli::run(args, std::cout, std::cerr, &settings))
            return *status;
    }
    // No display name: window titles are the program's own captions, with nothing
    // added by the platform.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallix32"));
#else
    if (std::optional<int> status = tallix::cli::run(args, std::cout, std::cerr))
        return *status;
#endif
#ifdef TALLIX_HAVE_QT
    tallix::initResources();
    tallix::SettingsStore settings;
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    // One marked file opens as it always has; a folder, or several files, is a class.
    const bool oneFile = given.size() == 1 && !QFileInfo(given.front()).isDir();
    tallix::TfrmTallix32 frmTallix32(settings, oneFile ? given.front() : QString());
    if (!given.isEmpty() && !oneFile)
        frmTallix32.openClassAtShow(given);
    {
        tallix::TfrmSplash frmSplash;
        frmSplash.exec();
    }
    frmTallix32.createLibraryWindows();
    frmTallix32.show();
    return app.exec();
#else
    if (args.empty()) {
        std::cerr << "usage: tallix32 [MARKED.tlx]   (see tallix32 --help)\n";
        return 2;
    }
    return printFile(args[0]);
#endif
}
