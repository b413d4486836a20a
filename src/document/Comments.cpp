#include "document/Comments.h"

#include "document/Scanning.h"

#include <cctype>
#include <string>

namespace tallix::comments {

namespace {

std::u16string number(long long n) {
    std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

bool endsWithLineBreak(const RichTextBuffer& b) {
    int end = b.selEnd();
    return b.selLength() >= 2 && b.charAt(end - 2) == u'\r' && b.charAt(end - 1) == u'\n';
}

// Renumbers green markers from `from` on: each k found in green becomes
// k + step, for k running from `first` while k <= last. One forward pass: every
// search starts where the previous one stopped.
void renumber(RichTextBuffer& b, int from, long long first, long long last, int step,
              bool searchAfterCaret) {
    for (long long k = first; k <= last;) {
        const std::u16string digits = number(k);
        int at = b.findText(digits, from, b.length());
        if (at < 0)
            return; // no such marker left: the document was edited outside the rules
        b.select(at, int(digits.size()));
        if (b.selColour() == markup::CommentMarkerColour) {
            b.setSelText(number(k + step));
            ++k;
            from = (searchAfterCaret ? b.selStart() : at) + 1;
        } else {
            from = at + 1;
        }
    }
}

} // namespace

std::u16string notAnIntegerMessage(std::u16string_view text) {
    return u"'" + std::u16string(text) + u"' is not a valid integer value";
}

std::optional<long long> parseInteger(std::u16string_view t) {
    while (!t.empty() && (t.front() == u' ' || t.front() == u'\t'))
        t.remove_prefix(1);
    while (!t.empty() && (t.back() == u' ' || t.back() == u'\t'))
        t.remove_suffix(1);
    bool negative = false;
    if (!t.empty() && (t.front() == u'+' || t.front() == u'-')) {
        negative = t.front() == u'-';
        t.remove_prefix(1);
    }
    if (t.empty() || t.size() > 10)
        return std::nullopt;
    long long v = 0;
    for (char16_t c : t) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        v = v * 10 + (c - u'0');
    }
    if (v > 2147483647LL + (negative ? 1 : 0))
        return std::nullopt;
    return negative ? -v : v;
}

// ------------------------------------------------------------------ adding

std::optional<Message> addComment(MarkedDocument& d) {
    // The marker, the renumbering and the new item of the list are one step.
    DocumentStep step(d, StepKind::AddComment);
    RichTextBuffer& b = d.essay();
    const Message overlap{OverlapMessage, MessageType::Warning, HelpContext};
    if (!b.selColourConsistent() || b.selColour() != clBlack)
        return overlap;

    // A selection ending in line breaks ends at the last visible character. (A
    // selection reaching the end of the text keeps all of it: the buffer has no
    // hidden paragraph mark there that would have to be left out.)
    while (b.selLength() > 0 && endsWithLineBreak(b))
        b.setSelLength(b.selLength() - 2);
    const int s = b.selStart();
    const int e = b.selEnd();

    // The character at e must be essay text: no comment directly before markup.
    b.setSelStart(e + 1);
    if (b.selColour() != clBlack) {
        b.select(s, e - s);
        return overlap;
    }

    showComments(d, true);
    d.notes.commentDown = true;
    d.notes.feedback1Down = d.notes.feedback2Down = false;

    if (s < e) {
        b.select(s, e - s);
        b.setSelColour(markup::CommentedSpanColour);
        b.setSelStyle(markup::CommentedSpanStyle);
        b.setSelStart(s);
    }

    // The new number follows the nearest earlier marker.
    long long n = 1;
    scan::walkBackWhile(b, [](Colour c) { return c != markup::CommentMarkerColour; });
    if (b.selStart() > 0) {
        scan::walkBackWhile(b, [](Colour c) { return c == markup::CommentMarkerColour; });
        int first = b.selStart();
        if (b.charAt(first) == u'\r' && b.charAt(first + 1) == u'\n')
            first += 2;
        int last = first;
        while (last < b.length() && b.colourAt(last) == markup::CommentMarkerColour &&
               b.charAt(last) >= u'0' && b.charAt(last) <= u'9')
            ++last;
        b.select(first, last - first);
        n = parseInteger(b.selText()).value_or(0) + 1;
    }

    const int oldCount = d.notes.selectorMax;
    d.notes.selectorMax = oldCount + 1;
    // Later markers go up by one, from the new number on.
    renumber(b, e, n, oldCount, +1, true);

    const std::u16string digits = number(n);
    b.setSelStart(e);
    b.setSelText(digits);
    b.select(e, int(digits.size()));
    b.setSelStyle(markup::CommentMarkerStyle);
    b.setSelColour(markup::CommentMarkerColour);
    b.setSelSize(markup::CommentMarkerSize);
    b.setSelOffset(markup::RaiseTwips);
    b.setSelStart(e + int(digits.size()) + 1);
    b.resetInsertionFormat();

    auto at = d.commentTexts.begin() +
              std::ptrdiff_t(std::min<std::size_t>(std::size_t(n - 1), d.commentTexts.size()));
    const int index = int(at - d.commentTexts.begin());
    d.commentTexts.insert(at, std::u16string());
    d.history().recordCommentInserted(index);
    d.notes.selectorMax = int(d.commentTexts.size());
    d.notes.selectorValue = int(n);
    d.notes.memoText.clear();
    d.notes.memoCaret = 0;
    return std::nullopt;
}

// ------------------------------------------------------------------ deleting

std::optional<Message> deleteComment(MarkedDocument& d,
                                     const std::optional<std::u16string>& answer) {
    RichTextBuffer& b = d.essay();
    const std::u16string typed = answer.value_or(DeleteDefault);
    std::optional<long long> parsed = parseInteger(typed);
    if (!parsed)
        return Message{notAnIntegerMessage(typed), MessageType::Error, 0};
    const long long n = *parsed;
    const int oldCount = d.notes.selectorMax;
    if (n < 1 || n > oldCount) {
        b.setSelStart(b.selStart());
        return std::nullopt;
    }

    // The marker, its span, the renumbering and the list are one step.
    DocumentStep step(d, StepKind::DeleteComment);
    if (std::size_t(n - 1) < d.commentTexts.size()) {
        std::u16string text = std::move(d.commentTexts[std::size_t(n - 1)]);
        d.commentTexts.erase(d.commentTexts.begin() + std::ptrdiff_t(n - 1));
        d.history().recordCommentErased(int(n - 1), std::move(text));
    }
    d.notes.selectorMax = oldCount - 1;
    if (d.notes.selectorMax > 0)
        d.notes.selectorValue = n < 2 ? 1 : int(n - 1);
    else
        d.notes.selectorValue = 0;
    if (d.commentTexts.empty()) {
        showComments(d, false);
        d.notes.commentDown = false;
    } else if (d.notes.visible && d.notes.caption == NotesCaption::Comments) {
        d.notes.memoText = d.commentTexts[std::size_t(d.notes.selectorValue - 1)];
    }

    // The marker is the first green occurrence of its number.
    int from = 0;
    int at = scan::findMarkup(b, number(n), 0, markup::CommentMarkerColour);
    if (at >= 0) {
        b.setSelText(u"");
        from = at;
        // Its commented span, if any, goes back to plain essay text.
        if (at > 0 && b.colourAt(at - 1) == markup::CommentedSpanColour) {
            b.setSelStart(at);
            int start = scan::walkBackWhile(
                b, [](Colour c) { return c == markup::CommentedSpanColour; });
            b.select(start, at - start);
            b.setSelColour(clBlack);
            b.setSelStyle(0);
        }
    }
    renumber(b, from, n + 1, oldCount, -1, false);
    b.setSelStart(b.selStart());
    return std::nullopt;
}

// ------------------------------------------------------------------ the notes area

void showComments(MarkedDocument& d, bool show) {
    d.stashFeedback();
    if (!show) {
        d.notes.visible = false;
        return;
    }
    d.notes.caption = NotesCaption::Comments;
    d.notes.visible = true;
    if (d.notes.selectorMax > 0 && d.notes.selectorValue >= 1 &&
        std::size_t(d.notes.selectorValue) <= d.commentTexts.size())
        d.notes.memoText = d.commentTexts[std::size_t(d.notes.selectorValue - 1)];
}

void commentButtonClicked(MarkedDocument& d, bool nowDown) {
    if (d.notes.selectorMax == 0) {
        showComments(d, false);
        d.notes.commentDown = false;
        return;
    }
    d.notes.commentDown = nowDown;
    if (nowDown)
        d.notes.feedback1Down = d.notes.feedback2Down = false;
    showComments(d, nowDown);
}

void showCommentsMenuClicked(MarkedDocument& d) {
    if (d.notes.selectorMax == 0)
        return;
    commentButtonClicked(d, !d.notes.commentDown);
}

void feedbackButtonClicked(MarkedDocument& d, int which, bool nowDown) {
    const bool first = which == 1;
    d.stashFeedback();
    (first ? d.notes.feedback1Down : d.notes.feedback2Down) = nowDown;
    if (!nowDown) {
        d.notes.visible = false;
        return;
    }
    d.commitMemoToComments();
    d.notes.commentDown = false;
    (first ? d.notes.feedback2Down : d.notes.feedback1Down) = false;
    d.notes.caption = first ? NotesCaption::Feedback1 : NotesCaption::Feedback2;
    d.notes.visible = true;
    d.notes.memoText = first ? d.feedback1Text : d.feedback2Text;
    d.notes.memoCaret = first ? d.feedback1Caret : d.feedback2Caret;
}

void showFeedbackMenuClicked(MarkedDocument& d, int which) {
    feedbackButtonClicked(d, which, !(which == 1 ? d.notes.feedback1Down : d.notes.feedback2Down));
}

void selectorChanged(MarkedDocument& d, int value) {
    if (value > int(d.commentTexts.size()) || value < 1) {
        if (d.commentTexts.empty()) {
            d.notes.selectorValue = 0;
            return;
        }
        value = 1; // setting it raises the change again, which then shows comment 1
    }
    d.notes.selectorValue = value;
    d.notes.memoText = d.commentTexts[std::size_t(value - 1)];
}

void selectorClicked(MarkedDocument& d) {
    if (d.notes.selectorMax == 0)
        d.notes.selectorValue = 0;
}

void memoExited(MarkedDocument& d) { d.commitNotes(); }

void memoChanged(MarkedDocument& d, std::u16string text, int caret) {
    d.notes.memoText = std::move(text);
    d.notes.memoCaret = caret;
    d.documentChanged = true;
}

} // namespace tallix::comments
