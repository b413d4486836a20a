#include "platform/qt/Launcher.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QCursor>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

namespace tallix {

namespace {

// How long the opener may take before the launch is taken as done. xdg-open
// returns as soon as it has handed the file over on most desktops, but on some it
// waits for the program it started; after this long the program is running.
constexpr int kOpenerWaitMs = 5000;

const QString kNoAssociation = QStringLiteral("No application is registered for this file type");

// xdg-open's exit statuses, in words.
QString openerStatusText(int status) {
    switch (status) {
    case 1: return QStringLiteral("The request to open the file was not understood");
    case 2: return QStringLiteral("The system cannot find the file specified");
    case 3: return kNoAssociation;
    case 4: return QStringLiteral("The program registered for this file type could not open it");
    default: return QStringLiteral("The file could not be opened (status %1)").arg(status);
    }
}

class WaitCursor {
public:
    WaitCursor() : active_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (active_)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~WaitCursor() {
        if (active_)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool active_;
};

#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
// Runs xdg-open on the file. Empty on success, else the reason.
QString runOpener(const QString& path) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return QStringLiteral("No program for opening files (xdg-open) was found");
    WaitCursor wait;
    // Made on the heap: when the opener is still running after the wait it is left
    // to finish on its own, and the object goes with it.
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({path});
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted(kOpenerWaitMs)) {
        const QString reason = process->errorString();
        delete process;
        return reason;
    }
    if (!process->waitForFinished(kOpenerWaitMs)) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return {};
    }
    QString reason;
    if (process->exitStatus() != QProcess::NormalExit)
        reason = process->errorString();
    else if (process->exitCode() != 0)
        reason = openerStatusText(process->exitCode());
    delete process;
    return reason;
}
#endif

} // namespace

QString launchMissingFileMessage(const QString& fileName) {
    return QStringLiteral("Can't open the browser and display the file. Please start your "
                          "browser program manually and open the file  \"") +
           fileName + QStringLiteral("\".");
}

QString launchFailedMessage(const QString& systemMessage, const QString& fileName) {
    // Joined, not substituted: a reason or a name holding "%1" stays as it is.
    return QStringLiteral("Can't open the browser and display the file. Please start your "
                          "browser program manually and open the file ") +
           systemMessage + u' ' + fileName + u'.';
}

std::optional<QString> LaunchFile(const QString& fileName) {
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.isFile())
        return launchMissingFileMessage(fileName);
    const QString path = info.absoluteFilePath();
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return launchFailedMessage(kNoAssociation, fileName);
    return std::nullopt;
#else
    const QString reason = runOpener(path);
    if (!reason.isEmpty())
        return launchFailedMessage(reason, fileName);
    return std::nullopt;
#endif
}

QString windowsFolder() {
    for (const char* name : {"SystemRoot", "WINDIR", "windir"}) {
        const QString folder = qEnvironmentVariable(name);
        if (!folder.isEmpty())
            return QDir::toNativeSeparators(folder);
    }
    return QStringLiteral("C:\\Windows");
}

std::optional<QString> launchCharacterMap() {
    const QString charmap = windowsFolder() + QStringLiteral("\\charmap.exe");
#if defined(Q_OS_WIN)
    return LaunchFile(charmap);
#else
    for (const char* name : {"gucharmap", "kcharselect", "gnome-characters"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (program.isEmpty())
            continue;
        if (QProcess::startDetached(program, {}))
            return std::nullopt;
        return launchFailedMessage(QStringLiteral("The program could not be started"), program);
    }
    return launchMissingFileMessage(charmap);
#endif
}

} // namespace tallix
