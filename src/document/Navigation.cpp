#include "document/Navigation.h"

#include "document/Comments.h"
#include "document/Scanning.h"

#include <algorithm>

namespace tallix::navigation {

namespace {

constexpr std::u16string_view Mark = markup::BookmarkText;

bool isBookmarkAt(const RichTextBuffer& b, int pos) {
    if (pos < 0 || pos + markup::BookmarkLength > b.length())
        return false;
    for (int i = pos; i < pos + markup::BookmarkLength; ++i)
        if (b.colourAt(i) != markup::BookmarkColour)
            return false;
    return b.textRange(pos, markup::BookmarkLength) == Mark;
}

// Calls visit with the position of each bookmark mark in order, until it says stop.
template <typename Visit> void forEachMark(const RichTextBuffer& b, Visit visit) {
    for (int at = scan::findBookmark(b, 0); at >= 0; at = scan::findBookmark(b, at + 1))
        if (isBookmarkAt(b, at) && !visit(at))
            return;
}

// Where a mark set at the caret goes: at the caret, unless both characters beside
// it are markup (the caret is inside a label, a marker, a span or another mark),
// then after the markup that follows.
int markPosition(const RichTextBuffer& b, int caret) {
    if (caret <= 0 || caret >= b.length() || b.colourAt(caret - 1) == clBlack)
        return caret;
    int at = caret;
    while (at < b.length() && b.colourAt(at) != clBlack)
        ++at;
    return at;
}

std::optional<Message> notAnInteger(const std::u16string& typed) {
    return Message{comments::notAnIntegerMessage(typed), MessageType::Error, 0};
}

} // namespace

// ------------------------------------------------------------------ bookmarks

std::optional<Message> bookmarkLimit(const Bookmarks& marks) {
    if (marks.count < Bookmarks::Limit)
        return std::nullopt;
    return Message{BookmarkLimitText, MessageType::Warning, BookmarkHelpContext};
}

std::u16string proposedBookmarkName(const RichTextBuffer& b) {
    std::u16string name = b.textRange(b.selStart(), ProposedNameLength);
    // Never half of a character outside the basic plane.
    if (!name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF)
        name.pop_back();
    return name;
}

int addBookmark(RichTextBuffer& b, Bookmarks& marks, std::u16string_view name) {
    if (marks.count >= Bookmarks::Limit)
        return 0;
    const int at = markPosition(b, b.selStart());
    int before = 0;
    forEachMark(b, [&](int pos) {
        if (pos >= at)
            return false;
        ++before;
        return true;
    });
    // The names follow the marks; a mark without a name (one that came with a
    // loaded file) cannot push a name past the end of the list.
    const int k = std::min(before, marks.count) + 1;
    ++marks.count;

    b.setSelStart(at);
    b.setSelText(Mark);
    b.select(at, markup::BookmarkLength);
    b.setSelColour(markup::BookmarkColour);
    b.setSelStart(at + markup::BookmarkLength);

    for (int j = marks.count; j > k; --j)
        marks.names[std::size_t(j)] = std::move(marks.names[std::size_t(j - 1)]);
    marks.names[std::size_t(k)] = std::u16string(name);
    return k;
}

int bookmarkPosition(const RichTextBuffer& b, int n) {
    int found = -1;
    int seen = 0;
    if (n < 1)
        return -1;
    forEachMark(b, [&](int pos) {
        if (++seen < n)
            return true;
        found = pos;
        return false;
    });
    return found;
}

bool goToBookmark(RichTextBuffer& b, int n) {
    const int at = bookmarkPosition(b, n);
    if (at < 0)
        return false;
    b.setSelStart(at);
    return true;
}

std::optional<Message> deleteBookmark(RichTextBuffer& b, Bookmarks& marks,
                                      const std::optional<std::u16string>& answer) {
    if (!answer)
        return std::nullopt;
    const std::optional<long long> parsed = comments::parseInteger(*answer);
    if (!parsed)
        return notAnInteger(*answer);
    if (*parsed < 1 || *parsed > marks.count)
        return std::nullopt;
    const int n = int(*parsed);

    for (int j = n; j < marks.count; ++j)
        marks.names[std::size_t(j)] = std::move(marks.names[std::size_t(j + 1)]);
    marks.names[std::size_t(marks.count)].clear();
    --marks.count;

    // Only a mark that is there is deleted: never whatever else is selected.
    const int at = bookmarkPosition(b, n);
    if (at >= 0) {
        b.select(at, markup::BookmarkLength);
        b.setSelText(u"");
        b.setSelColour(clBlack);
    }
    return std::nullopt;
}

// ------------------------------------------------------------------ find

Message continueFromStartQuestion() {
    return Message{ContinueFromStartQuestion, MessageType::Confirmation, FindHelpContext};
}

int findInMark(const RichTextBuffer& b, std::u16string_view text, int start) {
    return b.findText(text, start, b.length());
}

FindResult findNext(RichTextBuffer& b, std::u16string_view text,
                    const std::function<bool()>& continueFromStart) {
    int at = findInMark(b, text, b.selStart() + 1);
    if (at < 0) {
        if (!continueFromStart || !continueFromStart())
            return FindResult::Stopped;
        at = findInMark(b, text, 0);
        if (at < 0)
            return FindResult::NotFound;
    }
    b.select(at, int(text.size()));
    return FindResult::Found;
}

// ------------------------------------------------------------------ go to line

GoToLineOutcome goToLine(RichTextBuffer& b, const std::optional<std::u16string>& answer) {
    GoToLineOutcome out;
    if (!answer)
        return out;
    const std::optional<long long> parsed = comments::parseInteger(*answer);
    if (!parsed) {
        out.error = notAnInteger(*answer);
        return out;
    }
    if (*parsed < 0 || *parsed >= b.lineCount())
        return out;
    out.line = int(*parsed);
    b.setSelStart(b.lineStart(out.line));
    return out;
}

} // namespace tallix::navigation
