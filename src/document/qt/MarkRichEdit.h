#pragma once
// MarkRichEdit: the essay view. It shows one RichTextBuffer through a QTextDocument
// that it keeps in step from the buffer's change notifications, and turns every
// edit the user attempts into a request that an optional guard may refuse before
// it is carried out on the buffer. The view never edits its QTextDocument on its
// own: the buffer is the one source of truth and the view follows it.
//
// Positions: a CR LF pair of the buffer is one block separator in the document, so
//   document position = buffer position - lineOfPosition(buffer position)
//   buffer position   = document position + block number at that position.
//
// The QTextEdit operations that write text (setPlainText, insertHtml, clear, ...)
// must not be called on this widget; edit the buffer instead. A whole new text
// (a load) comes with a new QTextDocument: ask document() afresh, and do not keep
// connections to the old one.
#include "document/RichContent.h"
#include "document/RichTextBuffer.h"

#include <QTextCharFormat>
#include <QTextEdit>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class QMimeData;

namespace tallix {

// One edit the user (or the program on the user's behalf) asks for. The edit acts
// on the buffer's current selection.
struct EditRequest {
    enum class Action {
        InsertText,         // replace the selection (or insert at the caret) with text
        DeleteBackward,     // the selection, else the character before the caret
        DeleteForward,      // the selection, else the character after the caret
        DeleteWordBackward, // the selection, else back to the start of the word
        DeleteSelection,    // the selection only; nothing when it is empty
    };
    enum class Origin {
        Keyboard,    // a key press; key and modifiers say which
        InputMethod, // text committed by an input method
        Paste,       // the clipboard
        Drop,        // drag and drop; the caret has been put at the drop point
        Cut,         // cut to the clipboard: the selection is copied, then deleted
        Program,     // anything else
    };

    Action action = Action::InsertText;
    Origin origin = Origin::Program;
    // InsertText: the characters. Lone CR and LF become CR LF.
    std::u16string text;
    // InsertText: optional formatting of text, covering it in order. Without runs
    // the text takes the insertion formatting.
    std::vector<FormatRun> runs;
    // Keyboard: the key (Qt::Key) and modifiers of the key press.
    int key = 0;
    Qt::KeyboardModifiers modifiers;
};

// The step of the essay's history an edit request makes.
StepKind undoStepOf(const EditRequest& request);

class MarkRichEdit : public QTextEdit, private BufferObserver {
    Q_OBJECT
public:
    using EditGuard = std::function<bool(const EditRequest&)>;

    explicit MarkRichEdit(QWidget* parent = nullptr);
    ~MarkRichEdit() override;

    // Binds the view to a buffer (nullptr detaches it). The buffer must outlive the
    // view or be detached first.
    void setBuffer(RichTextBuffer* buffer);
    RichTextBuffer* buffer() const { return buffer_; }

    // The one way edits reach the buffer. Asks the guard first (when one is set);
    // returns true when the guard let the edit through and the buffer changed.
    // Text that comes from outside (Paste, Drop) is made black so that it never
    // reads as markup.
    bool requestEdit(const EditRequest& request);
    void setEditGuard(EditGuard guard) { guard_ = std::move(guard); }

    // Clipboard operations that go through requestEdit. Copying needs no request:
    // it puts the selected characters on the clipboard as plain text.
    bool pasteClipboard();
    bool cutSelection();
    void copySelection() const;

    // Mapping between buffer and document positions (both clamped to the text).
    int documentPosition(int bufferPos) const;
    int bufferPosition(int documentPos) const;

    // Lines are the buffer's lines (paragraphs).
    int firstVisibleLine() const;
    // Puts a line at the top of the view, as far as the text allows.
    void scrollToLine(int line);
    void ensureCaretVisible();
    // Shows the buffer's selection in the view now. Selection moves made on the
    // buffer reach the view together, when control returns to the event loop (or
    // before the view handles input), so that a scan that walks the caret over
    // the whole text does not move and scroll the view at every step.
    void showSelectionNow();

signals:
    // Every change of the text, the character formats or the paragraph formats.
    // Both signals come while the buffer reports its change: slots may read the
    // buffer (it is consistent by then) but not edit it; requestEdit refuses there.
    void bufferChanged();
    // Every move of the caret or the selection, whoever made it.
    void caretMoved();

protected:
    bool event(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // BufferObserver
    void textReplaced(int pos, int removed, int added) override;
    void formatChanged(int pos, int length) override;
    void paragraphFormatChanged(int first, int last) override;
    void selectionChanged() override;

    void prepareDocument(QTextDocument* doc) const;
    void rebuild();
    void insertRange(QTextCursor& cursor, int from, int to);
    void applyParagraphFormats(int first, int last);
    void showBufferSelection(bool scroll);
    void scheduleSelectionSync();
    void viewSelectionMoved();
    void flushChange();

    bool performEdit(const EditRequest& request);
    bool deleteAround(EditRequest::Action action);
    bool keyIsEdit(const QKeyEvent* e, EditRequest& request) const;
    bool keyIsNavigation(const QKeyEvent* e) const;
    EditRequest requestFromMime(const QMimeData* source, EditRequest::Origin origin) const;
    void keepSelectionVisibleWhenInactive();

    QTextCharFormat charFormatFor(const CharFormat& f);
    QTextBlockFormat blockFormatFor(const ParaFormat& p) const;
    qreal twipsToPixels(int twips) const;

    struct FormatHash {
        std::size_t operator()(const CharFormat& f) const { return hashCharFormat(f); }
    };

    RichTextBuffer* buffer_ = nullptr;
    EditGuard guard_;
    std::unordered_map<CharFormat, QTextCharFormat, FormatHash> formatCache_;
    int knownLength_ = 0;        // the buffer's length as the document reflects it
    bool syncing_ = false;       // the view is being changed to follow the buffer
    bool echoing_ = false;       // a view selection is being copied into the buffer
    bool editing_ = false;       // requestEdit is carrying out an edit
    bool notified_ = false;      // a buffer notification is being handled
    bool changePending_ = false; // bufferChanged is owed
    bool flushQueued_ = false;
    bool selectionStale_ = false; // the view does not show the buffer's selection yet
    bool syncQueued_ = false;
    bool skipParagraphs_ = false; // the document was just rebuilt with them
    bool adjustingPalette_ = false;
};

} // namespace tallix
