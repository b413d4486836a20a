// The marking window's part in the plain-text, RTF, PDF and Word exports: the
// options and the file are asked here, the export builds the file's bytes from
// what the window holds, and the window shows the progress, writes the file and
// offers to open it.
#include "app/TfrmTallix32.h"
#include "platform/qt/QtStrings.h"

#include "document/Comments.h"
#include "export/RtfExport.h"
#include "export/TextExport.h"
#include "export/TfrmRTFOptions.h"
#include "export/TfrmTextOptions.h"
#include "export/DocxExport.h"
#include "export/HandBack.h"
#include "export/TfrmHandBackOptions.h"
#include "export/qt/PdfExport.h"
#include "platform/qt/SettingsStore.h"
#include "platform/qt/StoredSettings.h"
#include "platform/qt/Launcher.h"
#include "platform/qt/MessageBoxes.h"
#include "stats/TfrmErrors.h"

#include <QApplication>
#include <QFileInfo>

#include <functional>

namespace tallix {

namespace {


// The file the save dialog offers: the marked file's name with the export's
// extension.
QString suggestedExport(const std::string& currentFile, const QString& extension) {
    if (currentFile.empty())
        return {};
    const QFileInfo info(QString::fromStdString(currentFile));
    return info.path() + QLatin1Char('/') + info.completeBaseName() + extension;
}

} // namespace

TfrmTextOptions* TfrmTallix32::textOptionsWindow() {
    if (!frmTextOptions)
        frmTextOptions = new TfrmTextOptions(settings_, this);
    return frmTextOptions;
}

TfrmRTFOptions* TfrmTallix32::rtfOptionsWindow() {
    if (!frmRTFOptions)
        frmRTFOptions = new TfrmRTFOptions(settings_, this);
    return frmRTFOptions;
}

void TfrmTallix32::runFileExport(const QString& fileName, int helpContext,
                                 const std::function<ExportedFile(const exports::Progress&)>& build) {
    exportRunning = true;
    FileOutcome written;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const exports::Progress progress = [this](const exports::ProgressReport& r) {
        if (!r.caption.empty() || r.position >= 0)
            showExportProgress(qs(r.caption), r.position);
    };
    try {
        const ExportedFile file = build(progress);
        // The statistics window shows what the export counted until the next count.
        frmErrors->showTable(file.statistics);
        progress(exports::ProgressReport{u"Saving file...", 9, 0});
        written = exports::writeExportFile(fileName.toStdString(), file.bytes);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        hideExportProgress();
        exportRunning = false;
        throw;
    }
    showExportProgress({}, 10);
    hideExportProgress();
    QApplication::restoreOverrideCursor();
    exportRunning = false;
    refreshFromDocument();

    if (!written.ok) {
        tallix::showMessage(this, written.message, buttons::Ok);
        return;
    }
    if (tallix::showMessage(this, qs(exports::ViewQuestion), MessageType::Confirmation,
                            buttons::YesNoCancel, helpContext) == Button::Yes) {
        if (std::optional<QString> failure = LaunchFile(fileName))
            reportError(this, *failure);
    }
}

void TfrmTallix32::ExportToText() {
    if (exportRunning)
        return;
    comments::memoExited(doc_);
    doc_.scratch().clear();
    TfrmTextOptions* options = textOptionsWindow();
    if (options->exec() != QDialog::Accepted)
        return;

    FileRequest request;
    request.mode = FileRequest::Mode::Save;
    request.title = QStringLiteral("Export to plain text file");
    request.filter = QStringLiteral("Text files (*.txt)|*.txt");
    request.defaultExtension = QStringLiteral("*.txt");
    request.initialPath = suggestedExport(doc_.currentFile, QStringLiteral(".txt"));
    request.confirmOverwrite = true;
    request.helpContext = exports::TextHelpContext;
    request.keepFiles = QStringList{QString::fromStdString(doc_.currentFile)};
    const std::optional<QString> chosen = askFileName(this, request);
    if (!chosen)
        return;
    const exports::TextOptions chosenOptions = options->options();
    runFileExport(*chosen, exports::TextHelpContext, [&](const exports::Progress& progress) {
        const exports::ExportSources in = exportSources();
        exports::TextExportResult r = exports::exportText(
            exports::TextExportRequest{in.doc, in.buttons, in.titles, in.links, chosenOptions},
            progress);
        return ExportedFile{std::move(r.bytes), std::move(r.statistics)};
    });
}

void TfrmTallix32::ExportToRTF() {
    if (exportRunning)
        return;
    comments::memoExited(doc_);
    doc_.scratch().clear();
    TfrmRTFOptions* options = rtfOptionsWindow();
    if (options->exec() != QDialog::Accepted)
        return;

    FileRequest request;
    request.mode = FileRequest::Mode::Save;
    request.title = QStringLiteral("Export to Rich Text Format");
    request.filter = QStringLiteral("Rich Text Format files (*.rtf)|*.rtf");
    request.defaultExtension = QStringLiteral("*.rtf");
    request.initialPath = suggestedExport(doc_.currentFile, QStringLiteral(".rtf"));
    request.confirmOverwrite = true;
    request.helpContext = exports::RtfHelpContext;
    request.keepFiles = QStringList{QString::fromStdString(doc_.currentFile)};
    const std::optional<QString> chosen = askFileName(this, request);
    if (!chosen)
        return;
    const exports::RtfOptions chosenOptions = options->options();
    runFileExport(*chosen, exports::RtfHelpContext, [&](const exports::Progress& progress) {
        const exports::ExportSources in = exportSources();
        exports::RtfExportResult r = exports::exportRtf(
            exports::RtfExportRequest{in.doc, in.buttons, in.titles, in.colours, in.links,
                                      chosenOptions},
            progress);
        return ExportedFile{std::move(r.bytes), std::move(r.statistics)};
    });
}

exports::ExportSources TfrmTallix32::exportSources() {
    return {doc_, buttons_, outputTitles(), outputColours(), usefulLinks()};
}

TfrmHandBackOptions* TfrmTallix32::pdfOptionsWindow() {
    if (!frmPDFOptions)
        frmPDFOptions = new TfrmHandBackOptions(settings_, QStringLiteral("Options for PDF Document"),
                                                exports::PdfOptionsSection, exports::PdfHelpContext,
                                                this);
    return frmPDFOptions;
}

TfrmHandBackOptions* TfrmTallix32::wordOptionsWindow() {
    if (!frmWordOptions)
        frmWordOptions = new TfrmHandBackOptions(
            settings_, QStringLiteral("Options for Word Document"), exports::WordOptionsSection,
            exports::WordHelpContext, this);
    return frmWordOptions;
}

void TfrmTallix32::ExportToPDF() {
    if (exportRunning)
        return;
    comments::memoExited(doc_);
    doc_.scratch().clear();
    TfrmHandBackOptions* options = pdfOptionsWindow();
    if (options->exec() != QDialog::Accepted)
        return;

    FileRequest request;
    request.mode = FileRequest::Mode::Save;
    request.title = QStringLiteral("Export to PDF");
    request.filter = QStringLiteral("PDF files (*.pdf)|*.pdf");
    request.defaultExtension = QStringLiteral("*.pdf");
    request.initialPath = suggestedExport(doc_.currentFile, QStringLiteral(".pdf"));
    request.confirmOverwrite = true;
    request.helpContext = exports::PdfHelpContext;
    request.keepFiles = QStringList{QString::fromStdString(doc_.currentFile)};
    const std::optional<QString> chosen = askFileName(this, request);
    if (!chosen)
        return;
    exports::PdfOptions chosenOptions = exports::readPdfOptions(StoredSettings(settings_));
    chosenOptions.includeErrorStats = options->includeErrorStats();
    chosenOptions.title = exports::pdfTitleFor(doc_.currentFile);
    runFileExport(*chosen, exports::PdfHelpContext, [&](const exports::Progress& progress) {
        exports::PdfExportResult r = exports::exportPdf(exportSources(), chosenOptions, progress);
        return ExportedFile{std::move(r.bytes), std::move(r.statistics)};
    });
}

void TfrmTallix32::ExportToWord() {
    if (exportRunning)
        return;
    comments::memoExited(doc_);
    doc_.scratch().clear();
    TfrmHandBackOptions* options = wordOptionsWindow();
    if (options->exec() != QDialog::Accepted)
        return;

    FileRequest request;
    request.mode = FileRequest::Mode::Save;
    request.title = QStringLiteral("Export to Word document");
    request.filter = QStringLiteral("Word documents (*.docx)|*.docx");
    request.defaultExtension = QStringLiteral("*.docx");
    request.initialPath = suggestedExport(doc_.currentFile, QStringLiteral(".docx"));
    request.confirmOverwrite = true;
    request.helpContext = exports::WordHelpContext;
    request.keepFiles = QStringList{QString::fromStdString(doc_.currentFile)};
    const std::optional<QString> chosen = askFileName(this, request);
    if (!chosen)
        return;
    exports::DocxOptions chosenOptions = exports::readDocxOptions(StoredSettings(settings_));
    chosenOptions.includeErrorStats = options->includeErrorStats();
    runFileExport(*chosen, exports::WordHelpContext, [&](const exports::Progress& progress) {
        exports::DocxExportResult r = exports::exportDocx(exportSources(), chosenOptions, progress);
        return ExportedFile{std::move(r.bytes), std::move(r.statistics)};
    });
}

void TfrmTallix32::mnuCommentAuthorClick() {
    const QString current =
        qs(exports::storedCommentAuthor(StoredSettings(settings_)));
    const std::optional<QString> name =
        askText(this, QStringLiteral("Teacher's Name"),
                QStringLiteral("Name that signs the comments of Word documents:"), current);
    if (!name)
        return;
    // An empty answer goes back to the login name.
    settings_.writeString(QString::fromLatin1(exports::WordOptionsSection),
                          QString::fromLatin1(exports::CommentAuthorName), name->trimmed());
}

} // namespace tallix
