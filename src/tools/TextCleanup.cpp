#include "tools/TextCleanup.h"

#include "tools/MacCharacters.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace tallix::tools {

namespace {

// How often a long pass reports its progress, in characters.
constexpr int ProgressStep = 1 << 16;

void report(const Progress& progress, int done, int total) {
    if (progress)
        progress(done, total);
}

bool isBreakAt(const std::u16string& t, int p) {
    return p >= 0 && p + 1 < int(t.size()) && t[std::size_t(p)] == u'\r' &&
           t[std::size_t(p) + 1] == u'\n';
}

// Whether the line break at p (its CR) joins the next line to this one.
bool isJoinCandidate(const RichTextBuffer& b, const std::u16string& t, int p) {
    const int n = int(t.size());
    // A break needs a character before it and a next line with something on it.
    if (p < 1 || p + 2 >= n)
        return false;
    // The character before the break, the break and the two characters after it
    // must all be essay text: a break next to markup stays.
    for (int i = p - 1; i <= std::min(p + 3, n - 1); ++i)
        if (b.colourAt(i) != clBlack)
            return false;
    if (isBreakAt(t, p - 2))
        return false; // it ends an empty line
    if (isBreakAt(t, p + 2))
        return false; // the next line is empty
    const char16_t next = t[std::size_t(p) + 2];
    return next != u' ' && next != u'\t'; // an indented line starts a new paragraph
}

// Spaces of labels, comment markers and bookmarks are theirs and stay.
bool isMarkupColour(Colour c) {
    return c == markup::ErrorLabelColour || c == markup::PraiseLabelColour ||
           c == markup::CommentMarkerColour || c == markup::BookmarkColour;
}

// Appends characters one at a time, merging runs of one format.
class ContentBuilder {
public:
    explicit ContentBuilder(RichContent& out) : out_(out) {}

    void put(char16_t ch, const CharFormat& f) {
        out_.text.push_back(ch);
        if (last_ != &f && !(last_ && *last_ == f)) {
            out_.runs.push_back(FormatRun{0, f});
            last_ = &f;
        }
        ++out_.runs.back().length;
    }
    char16_t lastChar() const { return out_.text.empty() ? u'\0' : out_.text.back(); }

private:
    RichContent& out_;
    const CharFormat* last_ = nullptr;
};

template <typename Find>
std::vector<std::pair<int, char16_t>> blackReplacements(const RichTextBuffer& b, Find find,
                                                        const Progress& progress) {
    std::vector<std::pair<int, char16_t>> found;
    const std::u16string& t = b.text();
    const int n = int(t.size());
    for (int i = 0; i < n; ++i) {
        if (i % ProgressStep == 0)
            report(progress, i, n);
        const char16_t ch = t[std::size_t(i)];
        if (ch < 0x80)
            continue;
        if (std::optional<char16_t> to = find(ch); to && b.colourAt(i) == clBlack)
            found.emplace_back(i, *to);
    }
    return found;
}

// Replaces single characters, each by one character: the positions stay valid and
// each replacement keeps the format of the character it replaces.
void replaceEach(RichTextBuffer& b, const std::vector<std::pair<int, char16_t>>& changes,
                 const Progress& progress) {
    const int total = int(changes.size());
    for (int k = 0; k < total; ++k) {
        if (k % ProgressStep == 0)
            report(progress, k, total);
        const auto& [pos, ch] = changes[std::size_t(k)];
        b.select(pos, 1);
        b.setSelText(std::u16string_view(&ch, 1));
    }
}

} // namespace

std::u16string stripReturnsQuestion(const RichTextBuffer& b) {
    const bool selected = b.selLength() > 0 && b.selLength() < b.length();
    std::u16string q = selected
                           ? u"This routine will try to remove unwanted returns from the selected text. "
                           : u"This routine will try to remove unwanted returns from your text. ";
    q += u"You should use it if the student's text has hard returns in the middle of paragraphs. ";
    q += u"It's best to do this before you start marking, but you can do it any time. ";
    q += u"If you don't like the results, you will be able to undo them. Do you wish to continue?";
    return q;
}

StripReturnsResult StripReturns(RichTextBuffer& b, const Progress& progress) {
    UndoGroup step(b, StepKind::StripReturns);
    const int n = b.length();
    const int caret = b.selStart();
    const bool selected = b.selLength() > 0 && b.selLength() < n;
    const int first = std::max(selected ? b.selStart() - 1 : 2, 0);
    const int last = std::min(selected ? b.selEnd() - 1 : n - 1, n - 2);

    // Nothing is edited until the new text is complete, so the text is read as it
    // stands throughout.
    const std::u16string& t = b.text();
    std::vector<char> join(std::size_t(std::max(n, 0)), 0);
    bool anyJoin = false;
    for (int p = first; p <= last; ++p) {
        if ((p - first) % ProgressStep == 0)
            report(progress, p - first, 2 * n);
        if (isBreakAt(t, p) && isJoinCandidate(b, t, p)) {
            join[std::size_t(p)] = 1;
            anyJoin = true;
        }
    }
    if (!anyJoin && t.find(u"  ") == std::u16string::npos) {
        b.setSelStart(caret);
        return {};
    }

    // One forward pass builds the text as joining every break from the last to the
    // first and then removing the second space of the first pair, again and again,
    // would leave it: a space goes when the character kept before it is a space.
    StripReturnsResult result;
    RichContent out;
    out.text.reserve(t.size());
    out.paragraphs.assign(1, b.paragraphFormat(0));
    ContentBuilder put(out);
    int removedBeforeCaret = 0;
    int line = 0;
    for (int i = 0; i < n;) {
        if ((i + 1) % ProgressStep == 0)
            report(progress, n + i, 2 * n);
        const char16_t ch = t[std::size_t(i)];
        if (ch == u'\r' && join[std::size_t(i)]) {
            // The break's space takes the format of its CR; the joined paragraph
            // merges into this one, which keeps its format.
            ++result.joined;
            ++line;
            if (i < caret)
                ++removedBeforeCaret;
            if (put.lastChar() == u' ') {
                ++result.spacesRemoved;
                if (i < caret)
                    ++removedBeforeCaret;
            } else {
                put.put(u' ', b.formatAt(i));
            }
            i += 2;
            continue;
        }
        if (ch == u' ' && put.lastChar() == u' ' && !isMarkupColour(b.colourAt(i))) {
            ++result.spacesRemoved;
            if (i < caret)
                ++removedBeforeCaret;
            ++i;
            continue;
        }
        put.put(ch, b.formatAt(i));
        if (ch == u'\n' && i > 0 && t[std::size_t(i) - 1] == u'\r') {
            ++line;
            out.paragraphs.push_back(b.paragraphFormat(line));
        }
        ++i;
    }
    report(progress, 2 * n, 2 * n);

    if (result.joined > 0 || result.spacesRemoved > 0)
        b.assign(std::move(out));
    b.setSelStart(caret - removedBeforeCaret);
    return result;
}

int DeMacify(RichTextBuffer& b, const Progress& progress) {
    UndoGroup step(b, StepKind::MacQuotes);
    const int caret = b.selStart();
    const auto changes = blackReplacements(b, straightQuote, progress);
    // The repairs put straight quotes in place of characters no other repair looks
    // for, so making them all in one pass gives what one pass per character gives.
    replaceEach(b, changes, progress);
    b.setSelStart(caret);
    return int(changes.size());
}

int PCToMac(RichTextBuffer& b, const Progress& progress) {
    UndoGroup step(b, StepKind::MacCharacters);
    // Every character is read as it was before the conversion: a character that a
    // replacement produced is not converted again in the same run.
    const auto changes = blackReplacements(b, macCharacter, progress);
    replaceEach(b, changes, progress);
    return int(changes.size());
}

} // namespace tallix::tools
