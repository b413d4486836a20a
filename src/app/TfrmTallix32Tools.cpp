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

    // The joins are one step of the essay's history: declining them, or a failure
    // part way, undoes that step, which puts back the text, the formats, the
    // selection and whether the document had unsaved changes.
    UndoHistory& history = doc_.history();
    const int stepsBefore = history.index();
    const int topLine = MarkRichEdit->firstVisibleLine();
    bool restore = false;
    try {
        withHourglass([&] { tools::StripReturns(essay, cleanupProgress()); });
        MarkRichEdit->ensureCaretVisible();
        restore = tallix::showMessage(this, qtext(tools::AcceptChangesQuestion),
                                      MessageType::Confirmation, buttons::YesNoCancel,
                                      0) != Button::Yes;
    } catch (...) {
        tallix::showMessage(this, qtext(tools::StripFailedWarning), MessageType::Warning,
                            buttons::Ok, 0);
        restore = true;
    }
    if (restore && history.index() > stepsBefore) {
        withHourglass([&] { history.undo(); });
        // Changes the teacher turned down are not offered for redo.
        history.discardRedo();
        MarkRichEdit->showSelectionNow();
        MarkRichEdit->scrollToLine(topLine);
    }
    updateUndoCommands();
    MarkRichEdit->setFocus();
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
