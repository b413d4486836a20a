// The marking window's undo and redo: Edit > Undo (Ctrl+Z), Edit > Redo (Ctrl+Y,
// Ctrl+Shift+Z), the toolbar's undo button and the essay's pop-up menu. The notes
// memo and the grade box undo their own editing while they have the focus; every
// other place undoes the essay's history, which the document keeps.
#include "app/TfrmTallix32.h"

#include "document/qt/MarkRichEdit.h"
#include "platform/qt/QtStrings.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

namespace tallix {

void TfrmTallix32::buildUndoCommands(QMenu* edit) {
    mnuRedo = edit->addAction(QStringLiteral("&Redo"));
    mnuRedo->setObjectName(QStringLiteral("mnuRedo"));
    mnuRedo->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Y")),
                           QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    mnuRedo->setShortcutContext(Qt::WindowShortcut);
    mnuRedo->setEnabled(false);
    connect(mnuRedo, &QAction::triggered, this, [this] { mnuRedoClick(); });
}

TfrmTallix32::UndoPlace TfrmTallix32::undoPlace() const {
    if (mmoNotes && mmoNotes->hasFocus())
        return UndoPlace::Memo;
    if (editGrade && editGrade->hasFocus())
        return UndoPlace::Grade;
    return UndoPlace::Essay;
}

void TfrmTallix32::spdUndoClick() {
    switch (undoPlace()) {
    case UndoPlace::Memo:
        mmoNotes->undo();
        break;
    case UndoPlace::Grade:
        editGrade->undo();
        doc_.grade = u16(editGrade->text());
        doc_.documentChanged = true;
        break;
    case UndoPlace::Essay:
        essayUndo(false);
        return;
    }
    updateUndoCommands();
}

void TfrmTallix32::mnuRedoClick() {
    switch (undoPlace()) {
    case UndoPlace::Memo:
        mmoNotes->redo();
        break;
    case UndoPlace::Grade:
        editGrade->redo();
        doc_.grade = u16(editGrade->text());
        doc_.documentChanged = true;
        break;
    case UndoPlace::Essay:
        essayUndo(true);
        return;
    }
    updateUndoCommands();
}

void TfrmTallix32::essayUndo(bool redo) {
    if (redo ? doc_.redo() : doc_.undo())
        followHistory();
    updateUndoCommands();
}

void TfrmTallix32::followHistory() {
    refreshFromDocument();
    MarkRichEdit->showSelectionNow();
    MarkRichEdit->ensureCaretVisible();
    // Undone back to the saved state, the recovery file goes; otherwise it takes
    // the work as it now is.
    keepRecoveryInStep();
}

void TfrmTallix32::scheduleUndoUpdate() {
    if (undoUpdatePending_)
        return;
    undoUpdatePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            undoUpdatePending_ = false;
            updateUndoCommands();
        },
        Qt::QueuedConnection);
}

void TfrmTallix32::updateUndoCommands() {
    if (!mnuUndo || !mnuRedo)
        return;
    bool canUndo = false;
    bool canRedo = false;
    QString undoText = QStringLiteral("&Undo");
    QString redoText = QStringLiteral("&Redo");
    switch (undoPlace()) {
    case UndoPlace::Memo:
        canUndo = mmoNotes->document()->isUndoAvailable();
        canRedo = mmoNotes->document()->isRedoAvailable();
        break;
    case UndoPlace::Grade:
        canUndo = editGrade->isUndoAvailable();
        canRedo = editGrade->isRedoAvailable();
        break;
    case UndoPlace::Essay: {
        const UndoHistory& h = doc_.history();
        canUndo = h.canUndo();
        canRedo = h.canRedo();
        // "&Undo Annotation": the first word keeps its accelerator.
        if (canUndo)
            undoText = QLatin1Char('&') + qs(doc_.undoCaption());
        if (canRedo)
            redoText = QLatin1Char('&') + qs(doc_.redoCaption());
        break;
    }
    }
    mnuUndo->setText(undoText);
    mnuUndo->setEnabled(canUndo);
    mnuRedo->setText(redoText);
    mnuRedo->setEnabled(canRedo);
    spdUndo->setEnabled(canUndo);
    spdUndo->setToolTip(canUndo ? QString(undoText).remove(QLatin1Char('&'))
                                : QStringLiteral("Undo"));
    // The essay's pop-up menu always speaks of the essay.
    const UndoHistory& h = doc_.history();
    popmnuUndo->setText(h.canUndo() ? qs(doc_.undoCaption()) : QStringLiteral("Undo"));
    popmnuUndo->setEnabled(h.canUndo());
    popmnuRedo->setText(h.canRedo() ? qs(doc_.redoCaption()) : QStringLiteral("Redo"));
    popmnuRedo->setEnabled(h.canRedo());
    popUndo->setEnabled(mmoNotes->document()->isUndoAvailable());
}

} // namespace tallix
