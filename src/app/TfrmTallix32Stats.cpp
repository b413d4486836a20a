// The marking window's statistics commands: error counts of the essay in the
// statistics window, the multiple-file statistics window, and the word count.
#include "app/TfrmTallix32.h"

#include "platform/qt/MessageBoxes.h"
#include "stats/TfrmErrors.h"
#include "stats/TfrmMultiStats.h"
#include "stats/WordCount.h"

#include <QApplication>

namespace tallix {

void TfrmTallix32::createStatisticsWindows() {
    frmErrors = new TfrmErrors(this);
    frmErrors->recount = [this] { CountErrors(); };
    frmErrors->errorColour = [this] { return output_.colours.colour(ColourRole::Error); };
    frmErrors->buttonSet = [this]() -> const AnnotationSet& { return buttons_; };
    frmErrors->wordCount = [this] { return stats::countWords(doc_.essay().text()); };
    // The grid's heading is the title in use when the window is made.
    frmMultiStats = new TfrmMultiStats(
        this, QString::fromStdU16String(output_.titles.errorTypeTitle));
    frmMultiStats->buttonSet = [this]() -> const AnnotationSet& { return buttons_; };
    frmMultiStats->errorColour = [this] { return output_.colours.colour(ColourRole::Error); };
}

stats::ErrorStatisticsTable TfrmTallix32::CountErrors() {
    stats::ErrorStatisticsTable table;
    withHourglass([&] {
        // The count works on a copy, so the essay's selection and view stay put;
        // the window repaints between categories.
        table = stats::countErrors(doc_.essay(), doc_.scratch(), buttons_,
                                   [] { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    });
    frmErrors->showTable(table);
    return table;
}

void TfrmTallix32::mnuViewErrorStatsClick() {
    CountErrors();
    frmErrors->setWindowState(frmErrors->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    frmErrors->show();
    frmErrors->raise();
    frmErrors->activateWindow();
}

void TfrmTallix32::mnuMultiStatsClick() {
    frmMultiStats->show();
    frmMultiStats->raise();
    frmMultiStats->activateWindow();
}

void TfrmTallix32::mnuCountWordsClick() {
    const RichTextBuffer& b = doc_.essay();
    std::u16string report;
    withHourglass([&] {
        const bool selected = b.selLength() > 0;
        report = selected ? stats::wordCountReport(b.selText(), true)
                          : stats::wordCountReport(b.text(), false);
    });
    QString shown = QString::fromUtf16(report.data(), qsizetype(report.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    tallix::showMessage(this, shown, MessageType::Information, buttons::Ok,
                        stats::WordCountHelpContext);
}

} // namespace tallix
