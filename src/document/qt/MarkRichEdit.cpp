#include "document/qt/MarkRichEdit.h"

#include "document/qt/EssayLayout.h"

#include "document/RtfReader.h"
#include "document/Scanning.h"
#include "platform/TextCodec.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace tallix {

namespace {

// Sets a flag for the life of a scope, restoring what it was (also on unwinding).
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = was_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool was_;
};

// The MIME types under which word processors put RTF on the clipboard.
const char* const RtfMimeTypes[] = {
    "text/rtf",
    "application/rtf",
    "text/richtext",
    "application/x-qt-windows-mime;value=\"Rich Text Format\"",
};

// Document text for buffer characters. QTextDocument splits blocks at a paragraph
// separator and at its frame markers, which would put the document out of step with
// the buffer's lines; they are shown as a line break and a replacement character.
QString documentText(const char16_t* p, int n) {
    QString s(reinterpret_cast<const QChar*>(p), n);
    for (QChar& ch : s) {
        char16_t u = ch.unicode();
        if (u == 0x2029)
            ch = QChar::LineSeparator;
        else if (u == 0xFDD0 || u == 0xFDD1 || u == u'\r' || u == u'\n')
            ch = QChar::ReplacementCharacter;
    }
    return s;
}

} // namespace

MarkRichEdit::MarkRichEdit(QWidget* parent) : QTextEdit(parent) {
    // Selectable by mouse and keyboard keeps a blinking caret; without TextEditable
    // the control never changes the document itself, and every edit comes here.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    setUndoRedoEnabled(false);
    setAcceptRichText(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    // The window shows its own pop-up menu on customContextMenuRequested.
    setContextMenuPolicy(Qt::CustomContextMenu);

    QFont body(QStringLiteral("Arial"));
    body.setPointSize(markup::BodySize);
    setFont(body);
    prepareDocument(document());

    keepSelectionVisibleWhenInactive();
    connect(this, &QTextEdit::cursorPositionChanged, this, &MarkRichEdit::viewSelectionMoved);
    connect(this, &QTextEdit::selectionChanged, this, &MarkRichEdit::viewSelectionMoved);
}

MarkRichEdit::~MarkRichEdit() {
    if (buffer_)
        buffer_->removeObserver(this);
}

void MarkRichEdit::setBuffer(RichTextBuffer* buffer) {
    if (buffer == buffer_)
        return;
    if (buffer_)
        buffer_->removeObserver(this);
    buffer_ = buffer;
    if (buffer_)
        buffer_->addObserver(this);
    rebuild();
    skipParagraphs_ = false;
    selectionStale_ = false;
    if (buffer_)
        showBufferSelection(true);
}

// ---------------------------------------------------------------- positions

int MarkRichEdit::documentPosition(int bufferPos) const {
    if (!buffer_)
        return 0;
    bufferPos = std::clamp(bufferPos, 0, buffer_->length());
    return bufferPos - buffer_->lineOfPosition(bufferPos);
}

int MarkRichEdit::bufferPosition(int documentPos) const {
    if (!buffer_)
        return 0;
    const QTextDocument* doc = document();
    documentPos = std::clamp(documentPos, 0, doc->characterCount() - 1);
    return std::min(documentPos + doc->findBlock(documentPos).blockNumber(), buffer_->length());
}

// ---------------------------------------------------------------- formats

qreal MarkRichEdit::twipsToPixels(int twips) const {
    return twips * qreal(logicalDpiX()) / 1440.0;
}

QTextCharFormat MarkRichEdit::charFormatFor(const CharFormat& f) {
    auto it = formatCache_.find(f);
    if (it != formatCache_.end())
        return it->second;

    QTextCharFormat q;
    if (!f.fontName.empty())
        q.setFontFamilies({QString::fromStdU16String(f.fontName)});
    q.setFontPointSize(std::max(f.sizeHalfPoints, 2) / 2.0);
    q.setFontWeight((f.style & fsBold) ? QFont::Bold : QFont::Normal);
    q.setFontItalic((f.style & fsItalic) != 0);
    q.setFontUnderline((f.style & fsUnderline) != 0);
    q.setFontStrikeOut((f.style & fsStrikeOut) != 0);
    // The automatic colour has no brush of its own: the palette's text colour shows.
    if (!isAutomaticColour(f.colour))
        q.setForeground(QColor(redOf(f.colour), greenOf(f.colour), blueOf(f.colour)));
    if (f.offsetTwips != 0) {
        // Raise (or lower) by the offset at the text's own size: the baseline offset
        // is a percentage of the font's height, so labels stay small and sit a few
        // points up rather than at a superscript's height.
        QFontMetricsF metrics(q.font());
        qreal height = metrics.ascent() + metrics.descent();
        qreal shift = f.offsetTwips / 20.0 * logicalDpiY() / 72.0;
        if (height > 0)
            q.setBaselineOffset(100.0 * shift / height);
    }
    formatCache_.emplace(f, q);
    return q;
}

QTextBlockFormat MarkRichEdit::blockFormatFor(const ParaFormat& p) const {
    QTextBlockFormat b;
    switch (p.alignment) {
    case Alignment::Left: b.setAlignment(Qt::AlignLeft); break;
    case Alignment::Right: b.setAlignment(Qt::AlignRight); break;
    case Alignment::Center: b.setAlignment(Qt::AlignHCenter); break;
    }
    // A paragraph outdented past the margin is drawn at the margin, not cut off.
    b.setLeftMargin(twipsToPixels(std::max(p.startIndentTwips, 0)));
    return b;
}

// ---------------------------------------------------------------- following the buffer

void MarkRichEdit::prepareDocument(QTextDocument* doc) const {
    doc->setUndoRedoEnabled(false);
    doc->setDefaultFont(font());
    QTextOption option = doc->defaultTextOption();
    option.setTabStopDistance(twipsToPixels(720)); // a tab stop every half inch
    doc->setDefaultTextOption(option);
}

// A whole new text is built into a new document, with no layout and no other
// cursors attached, in one cursor pass; the view then takes it and lays it out
// lazily, a screen at a time.
void MarkRichEdit::rebuild() {
    FlagScope sync(syncing_);
    knownLength_ = buffer_ ? buffer_->length() : 0;
    auto* fresh = new QTextDocument(this);
    // Qt's own layout would visit every paragraph after an edit on each key.
    fresh->setDocumentLayout(new EssayLayout(fresh));
    prepareDocument(fresh);
    if (buffer_) {
        QTextCursor cursor(fresh);
        cursor.beginEditBlock();
        cursor.setBlockFormat(blockFormatFor(buffer_->paragraphFormat(0)));
        insertRange(cursor, 0, buffer_->length());
        cursor.endEditBlock();
    }
    QPointer<QTextDocument> old = document();
    setDocument(fresh);
    if (old && old->parent() == this)
        delete old;
    skipParagraphs_ = true;
}

// Inserts the buffer's characters [from, to) at the cursor, with their formats; a
// CR LF pair becomes a block with the format of the paragraph it starts.
void MarkRichEdit::insertRange(QTextCursor& cursor, int from, int to) {
    // Only the range is read: the whole text would be a copy of the document on
    // every edit.
    const std::u16string text = buffer_->textRange(from, to - from);
    auto at = [&text, from](int i) { return text[std::size_t(i - from)]; };
    int line = buffer_->lineOfPosition(from);
    int i = from;
    while (i < to) {
        if (i + 1 < to && at(i) == u'\r' && at(i + 1) == u'\n') {
            ++line;
            cursor.insertBlock(blockFormatFor(buffer_->paragraphFormat(line)),
                               charFormatFor(buffer_->formatAt(i)));
            i += 2;
            continue;
        }
        const CharFormat* f = &buffer_->formatAt(i);
        int j = i + 1;
        while (j < to && &buffer_->formatAt(j) == f && at(j) != u'\r')
            ++j;
        cursor.insertText(documentText(text.data() + (i - from), j - i), charFormatFor(*f));
        i = j;
    }
}

void MarkRichEdit::textReplaced(int pos, int removed, int added) {
    FlagScope notified(notified_);
    skipParagraphs_ = false;
    changePending_ = true;
    if (!flushQueued_) {
        // Normally the buffer reports the caret next and the change is announced
        // then, when the buffer is consistent again; this catches any other case.
        flushQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                flushQueued_ = false;
                flushChange();
            },
            Qt::QueuedConnection);
    }
    if (pos == 0 && removed >= knownLength_) {
        rebuild();
        return;
    }
    FlagScope sync(syncing_);
    QTextDocument* doc = document();
    // The text before pos is unchanged, so its line count maps pos; the removed
    // range held as many breaks as the document has blocks beyond those the
    // buffer still has.
    int firstLine = buffer_->lineOfPosition(pos);
    int addedBreaks = buffer_->lineOfPosition(pos + added) - firstLine;
    int removedBreaks = doc->blockCount() - (buffer_->lineCount() - addedBreaks);
    int docPos = pos - firstLine;
    int docRemoved = removed - removedBreaks;
    if (removedBreaks < 0 || docRemoved < 0 || docPos + docRemoved > doc->characterCount() - 1) {
        rebuild(); // out of step: start again from the buffer
        return;
    }
    knownLength_ += added - removed;
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    cursor.setPosition(docPos);
    if (docRemoved > 0) {
        cursor.setPosition(docPos + docRemoved, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    insertRange(cursor, pos, pos + added);
    cursor.endEditBlock();
    applyParagraphFormats(firstLine, firstLine + addedBreaks);
}

void MarkRichEdit::formatChanged(int pos, int length) {
    FlagScope notified(notified_);
    skipParagraphs_ = false;
    {
        FlagScope sync(syncing_);
        QTextCursor cursor(document());
        cursor.beginEditBlock();
        int end = std::min(pos + length, buffer_->length());
        int i = pos;
        while (i < end) {
            const CharFormat* f = &buffer_->formatAt(i);
            int j = i + 1;
            while (j < end && &buffer_->formatAt(j) == f)
                ++j;
            int from = documentPosition(i);
            int to = documentPosition(j);
            if (to > from) {
                cursor.setPosition(from);
                cursor.setPosition(to, QTextCursor::KeepAnchor);
                cursor.setCharFormat(charFormatFor(*f));
            }
            i = j;
        }
        cursor.endEditBlock();
    }
    changePending_ = true;
    flushChange();
}

void MarkRichEdit::paragraphFormatChanged(int first, int last) {
    FlagScope notified(notified_);
    if (skipParagraphs_)
        skipParagraphs_ = false; // the rebuild just laid them down
    else
        applyParagraphFormats(first, last);
    changePending_ = true;
    flushChange();
}

void MarkRichEdit::applyParagraphFormats(int first, int last) {
    FlagScope sync(syncing_);
    QTextDocument* doc = document();
    last = std::min(last, buffer_->lineCount() - 1);
    QTextBlock block = doc->findBlockByNumber(std::max(first, 0));
    QTextCursor cursor(doc);
    bool editing = false;
    for (int line = std::max(first, 0); line <= last && block.isValid(); ++line) {
        QTextBlockFormat want = blockFormatFor(buffer_->paragraphFormat(line));
        QTextBlockFormat have = block.blockFormat();
        // Only blocks whose format really changes are touched (and laid out again).
        if (have.alignment() != want.alignment() || have.leftMargin() != want.leftMargin()) {
            if (!editing) {
                cursor.beginEditBlock();
                editing = true;
            }
            cursor.setPosition(block.position());
            cursor.setBlockFormat(want);
        }
        block = block.next();
    }
    if (editing)
        cursor.endEditBlock();
}

void MarkRichEdit::selectionChanged() {
    FlagScope notified(notified_);
    skipParagraphs_ = false;
    if (!echoing_)
        scheduleSelectionSync();
    flushChange();
    if (!echoing_)
        emit caretMoved();
}

void MarkRichEdit::scheduleSelectionSync() {
    selectionStale_ = true;
    if (syncQueued_)
        return;
    syncQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            syncQueued_ = false;
            showSelectionNow();
        },
        Qt::QueuedConnection);
}

void MarkRichEdit::showSelectionNow() {
    if (!selectionStale_)
        return;
    selectionStale_ = false;
    showBufferSelection(true);
}

void MarkRichEdit::ensureCaretVisible() {
    showSelectionNow();
    ensureCursorVisible();
}

void MarkRichEdit::flushChange() {
    if (!changePending_)
        return;
    changePending_ = false;
    emit bufferChanged();
}

void MarkRichEdit::showBufferSelection(bool scroll) {
    if (!buffer_)
        return;
    int start = documentPosition(buffer_->selStart());
    int end = documentPosition(buffer_->selEnd());
    QTextCursor cursor = textCursor();
    bool same = std::min(cursor.anchor(), cursor.position()) == start &&
                std::max(cursor.anchor(), cursor.position()) == end;
    if (!same) {
        // A selection made by the program runs forward, the caret at its end.
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        FlagScope sync(syncing_);
        setTextCursor(cursor);
    }
    if (scroll)
        ensureCursorVisible();
}

void MarkRichEdit::viewSelectionMoved() {
    if (!buffer_ || syncing_ || echoing_)
        return;
    QTextCursor cursor = textCursor();
    int anchor = bufferPosition(cursor.anchor());
    int caret = bufferPosition(cursor.position());
    int start = std::min(anchor, caret);
    int length = std::abs(anchor - caret);
    if (start == buffer_->selStart() && length == buffer_->selLength())
        return;
    {
        FlagScope echo(echoing_);
        buffer_->select(start, length);
    }
    selectionStale_ = false;
    // The buffer may keep a boundary out of a line break; show what it holds.
    if (buffer_->selStart() != start || buffer_->selLength() != length)
        showBufferSelection(false);
    emit caretMoved();
}

// ---------------------------------------------------------------- edits

bool MarkRichEdit::requestEdit(const EditRequest& request) {
    // The buffer cannot be edited while it reports a change (it would throw).
    if (!buffer_ || editing_ || notified_)
        return false;
    if (guard_ && !guard_(request))
        return false;
    if (!buffer_) // the guard may have run an event loop
        return false;
    FlagScope editing(editing_);
    UndoGroup step(*buffer_, undoStepOf(request));
    return performEdit(request);
}

// What the essay's history calls an edit: keystrokes are typing, which coalesces.
StepKind undoStepOf(const EditRequest& r) {
    switch (r.origin) {
    case EditRequest::Origin::Keyboard:
    case EditRequest::Origin::InputMethod:
        return StepKind::Typing;
    case EditRequest::Origin::Paste:
        return StepKind::Paste;
    case EditRequest::Origin::Drop:
        return StepKind::Drop;
    case EditRequest::Origin::Cut:
        return StepKind::Cut;
    case EditRequest::Origin::Program:
        break;
    }
    return r.action == EditRequest::Action::InsertText ? StepKind::Edit : StepKind::Delete;
}

bool MarkRichEdit::performEdit(const EditRequest& r) {
    using Action = EditRequest::Action;
    switch (r.action) {
    case Action::InsertText: {
        std::u16string text = text::normaliseLineBreaks(r.text);
        if (text.empty() && buffer_->selLength() == 0)
            return false;
        const bool fromOutside =
            r.origin == EditRequest::Origin::Paste || r.origin == EditRequest::Origin::Drop;
        int start = buffer_->selStart();
        buffer_->setSelText(text);
        int end = start + int(text.size());
        long long covered = 0;
        for (const FormatRun& run : r.runs)
            covered += std::max(run.length, 0);
        if (!r.runs.empty() && covered == (long long)text.size()) {
            int at = start;
            for (const FormatRun& run : r.runs) {
                if (run.length <= 0)
                    continue;
                CharFormat f = run.format;
                if (fromOutside)
                    f.colour = clBlack;
                buffer_->select(at, run.length);
                buffer_->setSelFormat(f);
                at += run.length;
            }
            buffer_->select(end, 0);
        } else if (fromOutside && end > start) {
            // Colours that came with the text would read as markup.
            buffer_->select(start, end - start);
            buffer_->setSelColour(clBlack);
            buffer_->select(end, 0);
        }
        return true;
    }
    case Action::DeleteSelection:
        if (buffer_->selLength() == 0)
            return false;
        if (r.origin == EditRequest::Origin::Cut)
            copySelection();
        buffer_->setSelText(u"");
        return true;
    case Action::DeleteBackward:
    case Action::DeleteForward:
    case Action::DeleteWordBackward:
        if (buffer_->selLength() > 0) {
            buffer_->setSelText(u"");
            return true;
        }
        return deleteAround(r.action);
    }
    return false;
}

// Deletes next to the caret: a CR LF pair and a surrogate pair go as one.
bool MarkRichEdit::deleteAround(EditRequest::Action action) {
    scan::CaretDeletion kind = scan::CaretDeletion::Backward;
    switch (action) {
    case EditRequest::Action::DeleteForward:
        kind = scan::CaretDeletion::Forward;
        break;
    case EditRequest::Action::DeleteBackward:
        break;
    case EditRequest::Action::DeleteWordBackward:
        kind = scan::CaretDeletion::WordBackward;
        break;
    default:
        return false;
    }
    const scan::CharRange r = scan::caretDeletionRange(*buffer_, kind);
    if (r.to <= r.from)
        return false;
    buffer_->select(r.from, r.to - r.from);
    buffer_->setSelText(u"");
    return true;
}

bool MarkRichEdit::keyIsEdit(const QKeyEvent* e, EditRequest& r) const {
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    r = EditRequest{};
    r.origin = EditRequest::Origin::Keyboard;
    r.key = e->key();
    r.modifiers = e->modifiers();
    switch (e->key()) {
    case Qt::Key_Backspace:
        if (mods == Qt::NoModifier || mods == Qt::ShiftModifier)
            r.action = EditRequest::Action::DeleteBackward;
        else if (mods == Qt::ControlModifier)
            r.action = EditRequest::Action::DeleteWordBackward;
        else
            return false;
        return true;
    case Qt::Key_Delete:
        // Ctrl+Del and Shift+Del belong to the window's delete and cut commands.
        if (mods != Qt::NoModifier)
            return false;
        r.action = EditRequest::Action::DeleteForward;
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mods != Qt::NoModifier && mods != Qt::ShiftModifier)
            return false;
        r.text = u"\r\n";
        return true;
    case Qt::Key_Tab:
        if (mods != Qt::NoModifier)
            return false;
        r.text = u"\t";
        return true;
    default:
        break;
    }
    const QString text = e->text();
    if (text.isEmpty())
        return false;
    // Ctrl, Alt and Meta chords are commands and menu keys; Ctrl+Alt is AltGr.
    const Qt::KeyboardModifiers chord = mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (chord != Qt::NoModifier && chord != (Qt::ControlModifier | Qt::AltModifier))
        return false;
    for (char32_t c : text.toUcs4())
        if (!QChar::isPrint(c))
            return false;
    r.text = text.toStdU16String();
    return true;
}

bool MarkRichEdit::keyIsNavigation(const QKeyEvent* e) const {
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (mods & ~(Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

namespace {

// Events that act from the view's cursor: before them the view must show the
// buffer's selection.
bool actsOnSelection(const QEvent* e) {
    switch (e->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
    case QEvent::FocusIn:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

bool MarkRichEdit::viewportEvent(QEvent* e) {
    if (selectionStale_ && actsOnSelection(e))
        showSelectionNow();
    return QTextEdit::viewportEvent(e);
}

bool MarkRichEdit::event(QEvent* e) {
    if (selectionStale_ && actsOnSelection(e))
        showSelectionNow();
    if (e->type() == QEvent::ShortcutOverride) {
        // Claim only the keys this view really uses; everything else (Ctrl+C,
        // Ctrl+S, F3, ...) stays free for the window's shortcuts.
        auto* key = static_cast<QKeyEvent*>(e);
        EditRequest r;
        if (keyIsEdit(key, r) || keyIsNavigation(key))
            key->accept();
        else
            key->ignore();
        return true;
    }
    return QTextEdit::event(e);
}

void MarkRichEdit::keyPressEvent(QKeyEvent* e) {
    EditRequest r;
    if (keyIsEdit(e, r)) {
        e->accept();
        requestEdit(r);
        return;
    }
    if (e->matches(QKeySequence::Paste)) {
        e->accept();
        pasteClipboard();
        return;
    }
    if (e->matches(QKeySequence::Cut)) {
        e->accept();
        cutSelection();
        return;
    }
    if (e->matches(QKeySequence::Copy)) {
        e->accept();
        copySelection();
        return;
    }
    QTextEdit::keyPressEvent(e);
}

bool MarkRichEdit::focusNextPrevChild(bool) {
    return false; // Tab is text here
}

void MarkRichEdit::inputMethodEvent(QInputMethodEvent* e) {
    if (!buffer_) {
        e->ignore();
        return;
    }
    QTextCursor caret = textCursor();
    QTextBlock block = caret.block();
    if (QTextLayout* layout = block.layout(); layout && !layout->preeditAreaText().isEmpty()) {
        layout->setPreeditArea(-1, QString());
        document()->markContentsDirty(block.position(), block.length());
    }
    if (!e->commitString().isEmpty() || e->replacementLength() > 0) {
        if (e->replacementLength() > 0) {
            int from = caret.position() + e->replacementStart();
            int to = from + e->replacementLength();
            int bufferFrom = bufferPosition(from);
            buffer_->select(bufferFrom, bufferPosition(to) - bufferFrom);
        }
        EditRequest r;
        r.action = EditRequest::Action::InsertText;
        r.origin = EditRequest::Origin::InputMethod;
        r.text = e->commitString().toStdU16String();
        requestEdit(r);
    }
    // Text still being composed is shown in the layout only, never in the document.
    const QString preedit = e->preeditString();
    if (!preedit.isEmpty()) {
        showSelectionNow();
        QTextCursor now = textCursor();
        QTextBlock at = now.block();
        if (QTextLayout* layout = at.layout()) {
            layout->setPreeditArea(now.position() - at.position(), preedit);
            document()->markContentsDirty(at.position(), at.length());
        }
    }
    e->accept();
}

QVariant MarkRichEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImEnabled)
        return isEnabled() && buffer_ != nullptr;
    if (query == Qt::ImReadOnly)
        return false;
    return QTextEdit::inputMethodQuery(query);
}

void MarkRichEdit::changeEvent(QEvent* e) {
    QTextEdit::changeEvent(e);
    if (e->type() == QEvent::PaletteChange && !adjustingPalette_)
        keepSelectionVisibleWhenInactive();
}

void MarkRichEdit::wheelEvent(QWheelEvent* e) {
    // Ctrl+wheel would zoom a read-only QTextEdit by changing its font; here the
    // sizes are the text's own, so the wheel only scrolls.
    if (e->modifiers() & Qt::ControlModifier) {
        QAbstractScrollArea::wheelEvent(e);
        return;
    }
    QTextEdit::wheelEvent(e);
}

void MarkRichEdit::keepSelectionVisibleWhenInactive() {
    QPalette p = palette();
    bool same = p.color(QPalette::Inactive, QPalette::Highlight) ==
                    p.color(QPalette::Active, QPalette::Highlight) &&
                p.color(QPalette::Inactive, QPalette::HighlightedText) ==
                    p.color(QPalette::Active, QPalette::HighlightedText);
    if (same)
        return;
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    FlagScope adjusting(adjustingPalette_);
    setPalette(p);
}

// ---------------------------------------------------------------- clipboard and drops

EditRequest MarkRichEdit::requestFromMime(const QMimeData* source,
                                          EditRequest::Origin origin) const {
    EditRequest r;
    r.action = EditRequest::Action::InsertText;
    r.origin = origin;
    for (const char* type : RtfMimeTypes) {
        const QString name = QString::fromLatin1(type);
        if (!source->hasFormat(name))
            continue;
        const QByteArray bytes = source->data(name);
        std::string_view view(bytes.constData(), std::size_t(bytes.size()));
        RichContent content;
        if (looksLikeRtf(view) && readRtf(view, content).ok && !content.text.empty()) {
            r.text = std::move(content.text);
            r.runs = std::move(content.runs);
            return r;
        }
    }
    r.text = source->text().toStdU16String();
    return r;
}

bool MarkRichEdit::canInsertFromMimeData(const QMimeData* source) const {
    if (!source)
        return false;
    if (source->hasText())
        return true;
    for (const char* type : RtfMimeTypes)
        if (source->hasFormat(QString::fromLatin1(type)))
            return true;
    return false;
}

void MarkRichEdit::insertFromMimeData(const QMimeData* source) {
    if (buffer_ && canInsertFromMimeData(source))
        requestEdit(requestFromMime(source, EditRequest::Origin::Paste));
}

QMimeData* MarkRichEdit::createMimeDataFromSelection() const {
    // Only plain characters leave the essay: formatting, and with it markup
    // colour, never goes to the clipboard.
    auto* mime = new QMimeData;
    QString text = buffer_ ? QString::fromStdU16String(buffer_->selText())
                           : textCursor().selection().toPlainText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    mime->setText(text);
    return mime;
}

void MarkRichEdit::copySelection() const {
    if (!buffer_ || buffer_->selLength() == 0)
        return;
    QGuiApplication::clipboard()->setMimeData(createMimeDataFromSelection());
}

bool MarkRichEdit::pasteClipboard() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!buffer_ || !canInsertFromMimeData(mime))
        return false;
    return requestEdit(requestFromMime(mime, EditRequest::Origin::Paste));
}

bool MarkRichEdit::cutSelection() {
    EditRequest r;
    r.action = EditRequest::Action::DeleteSelection;
    r.origin = EditRequest::Origin::Cut;
    return requestEdit(r);
}

void MarkRichEdit::dragEnterEvent(QDragEnterEvent* e) {
    if (buffer_ && canInsertFromMimeData(e->mimeData())) {
        // Always a copy: a move would delete the source without asking the guard.
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void MarkRichEdit::dragMoveEvent(QDragMoveEvent* e) {
    if (buffer_ && canInsertFromMimeData(e->mimeData())) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void MarkRichEdit::dropEvent(QDropEvent* e) {
    if (!buffer_ || !canInsertFromMimeData(e->mimeData())) {
        e->ignore();
        return;
    }
    int docPos = cursorForPosition(e->position().toPoint()).position();
    int at = bufferPosition(docPos);
    bool fromHere = e->source() == this || e->source() == viewport();
    if (fromHere && at >= buffer_->selStart() && at <= buffer_->selEnd()) {
        e->ignore(); // dropped onto itself
        return;
    }
    EditRequest r = requestFromMime(e->mimeData(), EditRequest::Origin::Drop);
    e->setDropAction(Qt::CopyAction);
    e->accept();
    buffer_->select(at, 0);
    requestEdit(r);
    setFocus(Qt::MouseFocusReason);
}

// ---------------------------------------------------------------- scrolling

int MarkRichEdit::firstVisibleLine() const {
    // From the blocks' places rather than a hit test: while a long document is
    // still being laid out in the background, hit tests answer "after the end".
    // Asking for a block's place lays the document out only that far.
    const QTextDocument* doc = document();
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    const qreal top = verticalScrollBar()->value();
    const int count = doc->blockCount();
    auto endsBelowTop = [&](int line) {
        return layout->blockBoundingRect(doc->findBlockByNumber(line)).bottom() > top;
    };
    // Gallop to a block that reaches below the top edge, then halve the gap.
    int lo = 0;
    int hi = 1;
    while (hi < count && !endsBelowTop(hi)) {
        lo = hi;
        hi *= 2;
    }
    hi = std::min(hi, count - 1);
    if (endsBelowTop(lo))
        return lo;
    while (hi - lo > 1) {
        int mid = lo + (hi - lo) / 2;
        if (endsBelowTop(mid))
            hi = mid;
        else
            lo = mid;
    }
    return hi;
}

void MarkRichEdit::scrollToLine(int line) {
    QTextDocument* doc = document();
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    const int count = doc->blockCount();
    line = std::clamp(line, 0, count - 1);
    // Asking for a block's place lays the document out that far. A long document
    // may still be laid out in the background: lay it out a screen beyond the
    // line, so that the scroll range knows how far the text allows.
    const qreal top = layout->blockBoundingRect(doc->findBlockByNumber(line)).top();
    for (int step = 1; line + step / 2 < count - 1; step *= 2) {
        QTextBlock further = doc->findBlockByNumber(std::min(line + step, count - 1));
        if (layout->blockBoundingRect(further).bottom() >= top + viewport()->height())
            break;
    }
    QScrollBar* bar = verticalScrollBar();
    const qreal height = layout->documentSize().height();
    bar->setRange(0, std::max(bar->maximum(), int(std::ceil(height)) - viewport()->height()));
    bar->setValue(line == 0 ? 0 : int(std::ceil(top)));
}

} // namespace tallix
