// The marking window's text clean-up commands: strip returns, Mac smart quotes and
// Mac characters. The work is done by the core; the window asks, keeps a snapshot
// to go back to, and keeps the view where it was.
#include "app/TfrmTallix32.h"

#include "document/qt/MarkRichEdit.h"
#include "platform/qt/MessageBoxes.h"
#include "tools/TextCleanup.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <optional>

namespace tallix {

namespace {

QString qtext(std::u16string_view s) {
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}

} // namespace

std::function<void(int, int)> TfrmTallix32::cleanupProgress() {
    return [](int, int) { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
}

void TfrmTallix32::mnuStripReturnsClick() {
    RichTextBuffer& essay = doc_.essay();
    if (tallix::showMessage(this, qtext(tools::stripReturnsQuestion(essay)),
                            MessageType::Confirmation, buttons::YesNo, 0) != Button::Yes)
        return;
    doc_.commitNotes();

    const bool changedBefore = doc_.documentChanged;
    const int selStart = essay.selStart();
    const int selLength = essay.selLength();
    const int topLine = MarkRichEdit->firstVisibleLine();
    std::optional<std::string> snapshot;
    bool restore = false;
    try {
        snapshot = essay.saveRtf();
        withHourglass([&] { tools::StripReturns(essay, cleanupProgress()); });
        MarkRichEdit->ensureCaretVisible();
        restore = tallix::showMessage(this, qtext(tools::AcceptChangesQuestion),
                                      MessageType::Confirmation, buttons::YesNoCancel,
                                      0) != Button::Yes;
    } catch (...) {
        tallix::showMessage(this, qtext(tools::StripFailedWarning), MessageType::Warning,
                            buttons::Ok, 0);
        // Without a snapshot nothing was changed yet.
        restore = snapshot.has_value();
    }
    if (restore)
        restoreEssay(*snapshot, changedBefore, selStart, selLength, topLine);
    MarkRichEdit->setFocus();
}

void TfrmTallix32::restoreEssay(const std::string& rtf, bool changed, int selStart,
                                int selLength, int topLine) {
    RichTextBuffer& essay = doc_.essay();
    LoadResult r;
    syncing_ = true;
    try {
        withHourglass([&] { r = essay.loadFromBytes(rtf); });
    } catch (...) {
        syncing_ = false;
        doc_.documentChanged = true;
        throw;
    }
    syncing_ = false;
    if (!r.ok) {
        // The essay is left as the clean-up made it: say so rather than pretend.
        doc_.documentChanged = true;
        reportError(this, QStringLiteral("The text could not be put back as it was: %1")
                              .arg(QString::fromStdString(r.error)));
        return;
    }
    doc_.documentChanged = changed;
    essay.select(selStart, selLength);
    MarkRichEdit->showSelectionNow();
    MarkRichEdit->scrollToLine(topLine);
}

void TfrmTallix32::mnuDeMacifyClick() {
    const int topLine = MarkRichEdit->firstVisibleLine();
    withHourglass([&] { tools::DeMacify(doc_.essay(), cleanupProgress()); });
    MarkRichEdit->showSelectionNow();
    MarkRichEdit->scrollToLine(topLine);
    MarkRichEdit->setFocus();
}

void TfrmTallix32::mnuConvertAllMacClick() {
    if (tallix::showMessage(this, qtext(tools::ConvertAllMacWarning), MessageType::Warning,
                            buttons::OkCancelHelp, tools::MacHelpContext) != Button::Ok)
        return;
    const int topLine = MarkRichEdit->firstVisibleLine();
    withHourglass([&] { tools::PCToMac(doc_.essay(), cleanupProgress()); });
    MarkRichEdit->showSelectionNow();
    MarkRichEdit->scrollToLine(topLine);
    MarkRichEdit->setFocus();
}

} // namespace tallix
