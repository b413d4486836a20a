// The marking window's part in the web export: the options and the file are asked
// here, the core builds the pages and writes them, and the window shows progress
// and the outcome.
#include "app/TfrmTallix32.h"

#include "document/Comments.h"
#include "document/qt/MarkRichEdit.h"
#include "export/web/TfrmWebOptions.h"
#include "export/web/WebExport.h"
#include "platform/FileIO.h"
#include "platform/TextCodec.h"
#include "platform/qt/Launcher.h"
#include "platform/qt/QtStrings.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/SettingsStore.h"

#include <algorithm>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QLineEdit>

#include <utility>
#include <vector>

namespace tallix {

namespace {


// Keeps the window's commands disabled for one scope (an export lets the window
// repaint, and nothing may change the document under it).
class CommandsDisabled {
public:
    explicit CommandsDisabled(std::vector<QWidget*> widgets) {
        for (QWidget* w : widgets) {
            if (!w)
                continue;
            saved_.emplace_back(w, w->isEnabled());
            w->setEnabled(false);
        }
    }
    ~CommandsDisabled() {
        for (auto& [w, enabled] : saved_)
            w->setEnabled(enabled);
    }
    CommandsDisabled(const CommandsDisabled&) = delete;
    CommandsDisabled& operator=(const CommandsDisabled&) = delete;

private:
    std::vector<std::pair<QWidget*, bool>> saved_;
};

// The page the save dialog offers: the marked file's name as a page.
QString suggestedPage(const std::string& currentFile) {
    if (currentFile.empty())
        return {};
    const QFileInfo info(QString::fromStdString(currentFile));
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".htm");
}

} // namespace

TfrmWebOptions* TfrmTallix32::webOptionsWindow() {
    if (!frmWebOptions)
        frmWebOptions = new TfrmWebOptions(settings_, this);
    return frmWebOptions;
}

void TfrmTallix32::showExportProgress(const QString& caption, int position) {
    if (!lblProgressCaption) {
        lblProgressCaption = new QLabel(pnlProgress);
        lblProgressCaption->setObjectName(QStringLiteral("lblProgressCaption"));
        lblProgressCaption->setGeometry(4, 0, 142, 18);
        lblProgressCaption->setAlignment(Qt::AlignCenter);
    }
    pnlProgress->show();
    pgsMakeWeb->show();
    if (!caption.isEmpty()) {
        lblProgressCaption->setText(caption);
        lblProgressCaption->repaint();
    }
    if (position >= 0)
        pgsMakeWeb->setValue(position);
    // Repaint, without letting the teacher start anything else meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmTallix32::hideExportProgress() {
    if (lblProgressCaption)
        lblProgressCaption->clear();
    pgsMakeWeb->setValue(0);
    pgsMakeWeb->hide();
    pnlProgress->hide();
}

void TfrmTallix32::spdToWebClick() {
    if (exportRunning)
        return;
    comments::memoExited(doc_);

    TfrmWebOptions* options = webOptionsWindow();
    options->exec();
    if (options->WebOptionsResult < web::ResultOK)
        return;

    FileRequest request;
    request.mode = FileRequest::Mode::Save;
    request.title = QStringLiteral("Export to Web page");
    request.filter = QStringLiteral("HTML files (*.htm)|*.htm");
    request.defaultExtension = QStringLiteral("*.htm");
    request.initialPath = suggestedPage(doc_.currentFile);
    request.confirmOverwrite = true;
    request.helpContext = web::HelpContext;
    request.keepFiles = QStringList{QString::fromStdString(doc_.currentFile)};
    const std::optional<QString> chosen = askFileName(this, request);
    if (!chosen)
        return;
    const std::string fileName = chosen->toStdString();

    exportRunning = true;
    web::WriteOutcome written;
    {
        std::vector<QWidget*> commands{menuBar(), pnlToolbar, MarkRichEdit, mmoNotes,
                                       spinComments, editGrade};
        for (QPushButton* b : btnErr)
            commands.push_back(b);
        for (QPushButton* b : btnGood)
            commands.push_back(b);
        CommandsDisabled disabled(commands);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const web::Progress progress = [this](const web::ProgressReport& r) {
            if (!r.caption.empty() || r.position >= 0)
                showExportProgress(qs(r.caption), r.position);
        };
        try {
            const exports::ExportSources in = exportSources();
            const web::WebExportResult pages = web::exportWebPages(
                web::WebExportRequest{in.doc, in.buttons, in.titles, in.colours, in.links,
                                      options->options(), fileName},
                progress);
            // A later page of a split export is named after the first; none may
            // be the marked file itself.
            const auto clash = std::find_if(pages.pages.begin(), pages.pages.end(),
                                            [this](const web::WebPage& p) {
                                                return fileio::sameFile(p.path, doc_.currentFile);
                                            });
            if (clash != pages.pages.end()) {
                written.ok = false;
                written.message = Message{
                    u'"' + text::fromUtf8(clash->path) +
                        u"\" is the marked file you are working on; it cannot be written over. "
                        u"Choose another name.",
                    MessageType::Warning, web::HelpContext};
            } else {
                written = web::writeWebPages(pages, progress);
            }
        } catch (...) {
            QApplication::restoreOverrideCursor();
            hideExportProgress();
            exportRunning = false;
            throw;
        }
        QApplication::restoreOverrideCursor();
        if (written.ok)
            showExportProgress({}, 10);
        hideExportProgress();
    }
    exportRunning = false;
    refreshFromDocument();

    if (!written.ok) {
        tallix::showMessage(this, written.message, buttons::Ok);
        return;
    }
    if (!written.createdList.empty())
        showPlainMessage(this, qs(written.createdList));
    if (tallix::showMessage(this, QStringLiteral("Would you like to view the page now?"),
                    MessageType::Confirmation, buttons::YesNoCancel,
                    web::HelpContext) == Button::Yes) {
        if (std::optional<QString> failure = LaunchFile(*chosen))
            reportError(this, *failure);
    }
}

} // namespace tallix
