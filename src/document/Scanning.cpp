#include "document/Scanning.h"

#include "platform/CaseFold.h"

namespace tallix::scan {

bool moveCaret(RichTextBuffer& b, int pos) {
    int before = b.selStart();
    b.setSelStart(pos);
    return b.selStart() != before;
}

int stepCaretBack(RichTextBuffer& b) {
    int p = b.selStart();
    if (p == 0) {
        b.setSelStart(0);
        return 0;
    }
    if (!moveCaret(b, p - 1))
        b.setSelStart(p - 2);
    return b.selStart();
}

int stepCaretForward(RichTextBuffer& b) {
    int p = b.selStart();
    if (p >= b.length()) {
        b.setSelStart(p);
        return b.selStart();
    }
    if (!moveCaret(b, p + 1))
        b.setSelStart(p + 2);
    return b.selStart();
}

int walkBackWhile(RichTextBuffer& b, const std::function<bool(Colour)>& keep) {
    while (b.selStart() > 0 && keep(b.selColour()))
        stepCaretBack(b);
    return b.selStart();
}

int walkForwardWhile(RichTextBuffer& b, const std::function<bool(Colour)>& keep) {
    while (b.selStart() < b.length() && keep(b.colourAt(b.selStart())))
        stepCaretForward(b);
    return b.selStart();
}

int findMarkup(RichTextBuffer& b, std::u16string_view text, int from, Colour colour,
               FindOptions opts) {
    int start = b.selStart();
    int length = b.selLength();
    while (from >= 0 && from < b.length()) {
        int at = b.findText(text, from, b.length(), opts);
        if (at < 0)
            break;
        b.select(at, int(text.size()));
        if (b.selColour() == colour && b.selColourConsistent())
            return at;
        from = at + 1;
    }
    b.select(start, length);
    return -1;
}

int findBookmark(const RichTextBuffer& b, int from) {
    if (from < 0 || from > b.length())
        return -1;
    FindOptions exact;
    exact.matchCase = true;
    return b.findText(markup::BookmarkText, from, b.length() - from, exact);
}

int removeBookmarks(RichTextBuffer& b) {
    // One pass, however many there are: the copies that saving and the exports
    // work on may carry many.
    int count = b.removeAll(markup::BookmarkText);
    b.setSelColour(clBlack);
    return count;
}

namespace {

bool isLineBreakAt(const RichTextBuffer& b, int i) {
    return i >= 0 && b.charAt(i) == u'\r' && b.charAt(i + 1) == u'\n';
}

bool isSurrogatePairAt(const RichTextBuffer& b, int i) {
    return i >= 0 && b.charAt(i) >= 0xD800 && b.charAt(i) <= 0xDBFF &&
           b.charAt(i + 1) >= 0xDC00 && b.charAt(i + 1) <= 0xDFFF;
}

// One character, or the pair that starts at i.
int unitLength(const RichTextBuffer& b, int i) {
    return isLineBreakAt(b, i) || isSurrogatePairAt(b, i) ? 2 : 1;
}

} // namespace

CharRange caretDeletionRange(const RichTextBuffer& b, CaretDeletion kind) {
    const int caret = b.selStart();
    CharRange r{caret, caret};
    switch (kind) {
    case CaretDeletion::Forward:
        if (caret < b.length())
            r.to = caret + unitLength(b, caret);
        break;
    case CaretDeletion::Backward:
        if (caret > 0)
            r.from = caret - (caret >= 2 ? unitLength(b, caret - 2) : 1);
        break;
    case CaretDeletion::WordBackward: {
        if (caret == 0)
            break;
        if (isLineBreakAt(b, caret - 2)) {
            r.from = caret - 2;
            break;
        }
        int from = caret;
        while (from > 0 && (b.charAt(from - 1) == u' ' || b.charAt(from - 1) == u'\t'))
            --from;
        if (from > 0 && isWordChar(b.charAt(from - 1))) {
            while (from > 0 && isWordChar(b.charAt(from - 1)))
                --from;
        } else if (from == caret) {
            from = isSurrogatePairAt(b, from - 2) ? from - 2 : from - 1;
        }
        r.from = from;
        break;
    }
    }
    return r;
}

void stripEnd(RichTextBuffer& b) {
    UndoGroup step(b, StepKind::TrimEnd);
    auto trailing = [&b] {
        if (b.length() == 0)
            return false;
        const char16_t c = b.charAt(b.length() - 1);
        return c == u'\t' || c == u'\n' || c == u'\r' || c == u' ';
    };
    while (trailing()) {
        int before = b.length();
        b.select(before - 1, 1);
        b.setSelText(u"");
        if (b.length() == before) {
            b.select(before - 2, 2);
            b.setSelText(u"");
        }
        if (b.length() == before)
            break; // nothing more can be removed; never loop forever
    }
}

} // namespace tallix::scan
