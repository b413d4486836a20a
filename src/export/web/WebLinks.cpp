#include "export/web/WebLinks.h"

#include "platform/CaseFold.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace tallix::web {

namespace {

constexpr int ProgressEvery = 4096;

std::u16string decimal(long long v) {
    const std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
}

std::u16string linkOpening(int n) { return u"<A HREF=\"#" + decimal(n) + u"\">"; }

NoteKind kindOfColour(Colour c) {
    if (c == markup::PraiseLabelColour)
        return NoteKind::Praise;
    if (c == markup::CommentMarkerColour)
        return NoteKind::Comment;
    return NoteKind::Error;
}

bool isLabelOrMarker(Colour c) {
    return c == markup::ErrorLabelColour || c == markup::PraiseLabelColour ||
           c == markup::CommentMarkerColour;
}

Colour spanColourOf(NoteKind k) {
    return k == NoteKind::Comment ? markup::CommentedSpanColour : markup::AnnotatedSpanColour;
}

// A comment marker's digits as its number; -1 when they are not a number.
long long markerNumber(std::u16string_view digits) {
    if (digits.empty() || digits.size() > 9)
        return -1;
    long long v = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

std::u16string commentDescription(const std::vector<std::u16string>& comments, long long k) {
    if (k < 1 || k > static_cast<long long>(comments.size()))
        return {};
    return comments[std::size_t(k - 1)];
}

} // namespace

std::u16string_view notesSpacer() {
    static const std::u16string spacer = [] {
        std::u16string s;
        for (int i = 0; i < 36; ++i)
            s += u"<BR>";
        return s;
    }();
    return spacer;
}

NoteEntry makeNoteEntry(int number, NoteKind kind, std::u16string_view description,
                        const NoteStyle& style) {
    std::u16string h(notesSpacer());
    h += u"<A NAME=\"" + decimal(number) + u"\"></A>";
    h += u"<HR><P>";
    if (kind != NoteKind::Praise) {
        const bool error = kind == NoteKind::Error;
        h += u"<FONT COLOR=\"#";
        h += error ? style.errorColour : style.commentColour;
        h += u"\"><B>";
        h += error ? style.errorTypeTitle : style.commentTitle;
        h += u":</B></FONT COLOR><P>";
    }
    h += description;
    h += u"<P>";
    h += style.backButtonHtml;
    h += u"<P><HR>";
    return NoteEntry{number, std::move(h)};
}

std::u16string notesText(const std::vector<NoteEntry>& notes) {
    std::size_t size = notesSpacer().size();
    for (const NoteEntry& e : notes)
        size += e.html.size();
    std::u16string s;
    s.reserve(size);
    for (const NoteEntry& e : notes)
        s += e.html;
    s += notesSpacer();
    return s;
}

std::u16string labelDescription(const AnnotationSet& buttons, std::u16string_view label,
                                NoteKind kind) {
    const int entry = buttons.entryOfLabel(label);
    if ((kind == NoteKind::Error && isErrorEntry(entry)) ||
        (kind == NoteKind::Praise && isPraiseEntry(entry)))
        return buttons.longText(entry);
    return {};
}

// ==================================================================== complex linking

LinkResult makeHtmlLinks(const RichTextBuffer& tagged, const LinkSources& sources,
                         const Progress& progress) {
    const std::u16string_view t = tagged.text();
    const int length = tagged.length();
    LinkResult r;
    r.body.reserve(t.size() + t.size() / 8 + 16);
    int n = 0;
    int copyFrom = 0; // first character not yet in the body
    int nextReport = ProgressEvery;
    for (int j = 0; j < length; ++j) {
        if (j >= nextReport) {
            reportDone(progress, double(j) / double(length));
            nextReport = j + ProgressEvery;
        }
        const Colour colour = tagged.colourAt(j);
        if (!isLabelOrMarker(colour))
            continue;
        // The run [s, e) of this colour; it ends at the end of the text at the latest.
        const int s = j;
        int e = s + 1;
        while (e < length && tagged.colourAt(e) == colour)
            ++e;
        const std::u16string_view run = t.substr(std::size_t(s), std::size_t(e - s));
        const NoteKind kind = kindOfColour(colour);
        std::u16string description;
        long long k = -1;
        if (kind == NoteKind::Comment) {
            k = markerNumber(run);
            description = commentDescription(sources.comments, k);
        } else {
            description = labelDescription(sources.buttons, run, kind);
        }

        // The span: at least its last two characters in the span colour, never
        // reaching back into what an earlier link took.
        const Colour spanColour = spanColourOf(kind);
        int a = s;
        if (s >= 2 && tagged.colourAt(s - 2) == spanColour) {
            a = s - 1;
            while (a > 0 && tagged.colourAt(a - 1) == spanColour)
                --a;
            a = std::max(a, copyFrom);
        }
        const bool span = a < s;
        r.body.append(t.substr(std::size_t(copyFrom), std::size_t(a - copyFrom)));
        r.body += linkOpening(n);
        if (span)
            r.body.append(t.substr(std::size_t(a), std::size_t(s - a)));
        if (kind == NoteKind::Comment) {
            r.body += u"{";
            r.body += k >= 0 ? decimal(k) : escapeHtml(run);
            r.body += u"}";
        } else if (!span) {
            r.body += u"***";
        }
        r.body += u"</A>";
        r.notes.push_back(makeNoteEntry(n, kind, description, sources.style));
        ++n;
        copyFrom = e;
        j = e - 1;
    }
    r.body.append(t.substr(std::size_t(copyFrom)));
    r.body += u"<BR><BR>";
    r.lastAnchorNumber = n - 1;
    reportDone(progress, 1.0);
    return r;
}

// ====================================================================== quick linking

namespace {

// The rewriting of the copy, kept as edits against its original positions: texts
// inserted before a character, and runs of characters replaced. Everything
// inserted is black, so no later search or colour test ever looks at it; the body
// is written out once at the end.
class QuickEdits {
public:
    explicit QuickEdits(const RichTextBuffer& b)
        : b_(b), t_(b.text()), length_(b.length()), folded_(foldedCopy(t_)),
          consumed_(std::size_t(length_) + 1, 0), hasInsert_(std::size_t(length_) + 1, 0) {}

    int length() const { return length_; }

    // The next match of a folded pattern at or after from, made only of characters
    // still in the text and with nothing inserted inside it; -1 when none.
    int find(std::u16string_view pattern, int from) const {
        while (from <= length_) {
            std::size_t at = folded_.find(pattern, std::size_t(from));
            if (at == std::u16string::npos)
                return -1;
            const int f = int(at);
            if (intact(f, int(pattern.size()), false))
                return f;
            from = f + 1;
        }
        return -1;
    }

    // True when [f, f + len) is still the essay's, with nothing inserted between
    // its characters, and (when colour is given) all of that colour.
    bool intact(int f, int len, bool testColour, Colour colour = 0) const {
        for (int i = f; i < f + len; ++i) {
            if (consumed_[std::size_t(i)] || (i > f && hasInsert_[std::size_t(i)]))
                return false;
            if (testColour && b_.colourAt(i) != colour)
                return false;
        }
        return true;
    }

    // Where a link that ends before the label at f starts: the first character of
    // its span (at least two characters in spanColour, the second-last one first
    // tested), or f when there is no span. Inserted text and replaced runs count
    // as black.
    int spanStart(int f, Colour spanColour) const {
        // The character just before f must be the essay's own, and so must the one
        // before it, in the span colour.
        if (hasInsert_[std::size_t(f)] || f < 1 || consumed_[std::size_t(f - 1)])
            return f;
        if (!colourBefore(f - 1, spanColour))
            return f;
        int x = f - 2;
        while (colourBefore(x, spanColour))
            --x;
        return x;
    }

    void insertBefore(int at, std::u16string text) {
        hasInsert_[std::size_t(at)] = 1;
        inserts_.push_back(Insert{at, int(inserts_.size()), std::move(text)});
    }

    void replace(int at, int len, std::u16string text) {
        for (int i = at; i < at + len; ++i)
            consumed_[std::size_t(i)] = 1;
        replacements_[at] = Replacement{len, std::move(text)};
    }

    std::u16string body() {
        std::stable_sort(inserts_.begin(), inserts_.end(),
                         [](const Insert& x, const Insert& y) { return x.at < y.at; });
        std::u16string out;
        out.reserve(t_.size() + t_.size() / 4 + 16);
        std::size_t next = 0;
        for (int x = 0; x <= length_;) {
            while (next < inserts_.size() && inserts_[next].at == x)
                out += inserts_[next++].text;
            if (x == length_)
                break;
            if (consumed_[std::size_t(x)]) {
                auto it = replacements_.find(x);
                if (it != replacements_.end()) {
                    out += it->second.text;
                    x += it->second.length;
                    continue;
                }
                ++x; // inside a replaced run
                continue;
            }
            // Copy the stretch up to the next edit in one go.
            int y = x + 1;
            while (y < length_ && !consumed_[std::size_t(y)] && !hasInsert_[std::size_t(y)])
                ++y;
            out.append(t_.substr(std::size_t(x), std::size_t(y - x)));
            x = y;
        }
        return out;
    }

private:
    struct Insert {
        int at;
        int order;
        std::u16string text;
    };
    struct Replacement {
        int length;
        std::u16string text;
    };

    // Whether the character before a caret standing just before original x is the
    // essay's own and in colour.
    bool colourBefore(int x, Colour colour) const {
        if (x <= 0 || hasInsert_[std::size_t(x)] || consumed_[std::size_t(x - 1)])
            return false;
        return b_.colourAt(x - 1) == colour;
    }

    const RichTextBuffer& b_;
    std::u16string_view t_;
    int length_;
    std::u16string folded_;
    std::vector<std::uint8_t> consumed_;
    std::vector<std::uint8_t> hasInsert_;
    std::vector<Insert> inserts_;
    std::unordered_map<int, Replacement> replacements_;
};

void captionOnly(const Progress& p, const char16_t* caption) {
    if (p)
        p(ProgressReport{caption, -1, 0});
}

} // namespace

LinkResult quickHtmlLinks(const RichTextBuffer& tagged, const LinkSources& sources,
                          const Progress& progress) {
    QuickEdits edits(tagged);
    LinkResult r;
    int n = 1;
    const int total = AnnotationEntryCount + int(sources.comments.size());
    int done = 0;

    auto linkEntry = [&](int entry, Colour labelColour, NoteKind kind) {
        const std::u16string& shortText = sources.buttons.shortText(entry);
        if (shortText.empty())
            return;
        const std::u16string pattern = foldedCopy(shortText);
        const int len = int(pattern.size());
        std::vector<int> found;
        for (int f = edits.find(pattern, 0); f >= 0; f = edits.find(pattern, f + 2))
            found.push_back(f);
        const std::u16string& description = sources.buttons.longText(entry);
        for (auto it = found.rbegin(); it != found.rend(); ++it) {
            const int f = *it;
            if (!edits.intact(f, len, true, labelColour))
                continue;
            const int a = edits.spanStart(f, markup::AnnotatedSpanColour);
            edits.replace(f, len, u"</A>");
            if (a < f)
                edits.insertBefore(a, linkOpening(n));
            else
                edits.insertBefore(f, linkOpening(n) + u"***");
            r.notes.push_back(makeNoteEntry(n, kind, description, sources.style));
            ++n;
        }
    };

    captionOnly(progress, u"Processing errors...");
    for (int i = FirstErrorEntry; i <= LastErrorEntry; ++i) {
        linkEntry(i, markup::ErrorLabelColour, NoteKind::Error);
        reportDone(progress, double(++done) / double(total));
    }
    captionOnly(progress, u"Praise buttons...");
    for (int i = FirstPraiseEntry; i <= LastPraiseEntry; ++i) {
        linkEntry(i, markup::PraiseLabelColour, NoteKind::Praise);
        reportDone(progress, double(++done) / double(total));
    }

    captionOnly(progress, u"Processing comments...");
    // Markers are numbered in document order, so each is looked for after the one
    // before. A number whose marker is missing (a damaged file) leaves the search
    // where it was, so the markers after it are still found.
    int searchStart = 0;
    for (int k = 1; k <= int(sources.comments.size()); ++k) {
        const std::u16string digits = decimal(k);
        const int len = int(digits.size());
        for (int d = edits.find(digits, searchStart); d >= 0; d = edits.find(digits, d + 1)) {
            if (!edits.intact(d, len, true, markup::CommentMarkerColour))
                continue;
            const int a = edits.spanStart(d, markup::CommentedSpanColour);
            edits.replace(d, len, u"{" + digits + u"}</A>");
            edits.insertBefore(a, linkOpening(n));
            r.notes.push_back(makeNoteEntry(n, NoteKind::Comment,
                                            commentDescription(sources.comments, k),
                                            sources.style));
            ++n;
            searchStart = d + 1;
            break;
        }
        reportDone(progress, double(++done) / double(total));
    }

    r.body = edits.body();
    r.body += u"<BR>";
    return r;
}

} // namespace tallix::web
