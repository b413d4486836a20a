#include "export/TextExport.h"

#include "platform/CaseFold.h"
#include "platform/CodePages.h"
#include "document/Markup.h"
#include "document/Scanning.h"
#include "platform/TextCodec.h"
#include "export/web/MacChars.h"
#include "library/LinkReferences.h"
#include "platform/FileIO.h"
#include "platform/SettingsSource.h"

#include <algorithm>
#include <optional>

namespace tallix::exports {

using namespace markup;

namespace {

// A null caption leaves the caption shown; a negative position the bar.
void step(const Progress& p, const char16_t* caption, int position) {
    if (p)
        p(ProgressReport{caption ? caption : u"", position, 0});
}

// The working copy: one colour per character, rebuilt by each rewriting pass.
struct Marked {
    std::u16string text;
    std::vector<Colour> colours;

    void append(std::u16string_view s, Colour c) {
        text.append(s);
        colours.insert(colours.end(), s.size(), c);
    }
    void insert(std::size_t at, char16_t ch, Colour c) {
        text.insert(text.begin() + std::ptrdiff_t(at), ch);
        colours.insert(colours.begin() + std::ptrdiff_t(at), c);
    }
};

bool sameFolded(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i]))
            return false;
    return true;
}

// Puts "*" before the run of spanColour that ends the output, and one after it.
// The first takes the colour of the character before the span, the second that of
// the span (what typing at those places would give).
void encloseSpan(Marked& out, Colour spanColour) {
    std::size_t start = out.text.size();
    while (start > 0 && out.colours[start - 1] == spanColour)
        --start;
    out.insert(start, u'*', start > 0 ? out.colours[start - 1] : clBlack);
    out.append(u"*", spanColour);
}

// The positions in run (a label's text) where short text s is replaced, from the
// last occurrence to the first; an occurrence that overlaps one already replaced
// is no longer all label-coloured and stays.
std::vector<std::size_t> replacedInRun(std::u16string_view run, std::u16string_view s) {
    std::vector<std::size_t> at;
    if (s.empty() || s.size() > run.size())
        return at;
    std::size_t limit = run.size();
    for (std::size_t q = run.size() - s.size() + 1; q-- > 0;) {
        if (q + s.size() <= limit && sameFolded(run.substr(q, s.size()), s)) {
            at.push_back(q);
            limit = q;
        }
    }
    std::reverse(at.begin(), at.end());
    return at;
}

struct LabelGroup {
    int first = 0, last = 0; // the entries of the group
    Colour labelColour = clRed;
};

// The entry whose short text is the whole run, the first of the group; 0 for none.
int wholeRunEntry(std::u16string_view run, const AnnotationSet& set, const LabelGroup& g) {
    for (int n = g.first; n <= g.last; ++n) {
        const std::u16string& s = set.shortText(n);
        if (!s.empty() && sameFolded(run, s))
            return n;
    }
    return 0;
}

// One entry's labels rewritten: each run of the label colour that is the label of
// entry n becomes "<" + caption + ">" in black; a run that is no entry's whole label
// has every occurrence of n's short text inside it rewritten. An annotated span
// just before a rewritten label is put between asterisks. Returns false, without
// touching in, when nothing would change.
bool rewriteEntry(Marked& in, const AnnotationSet& set, const LabelGroup& g, int n) {
    const std::u16string& s = set.shortText(n);
    if (s.empty())
        return false;
    const std::u16string label = u"<" + set.caption(n) + u">";
    const std::u16string_view text = in.text;
    const std::size_t size = text.size();

    // Where runs of the label colour start and what of them changes.
    struct Change {
        std::size_t start, end;
        std::vector<std::size_t> at; // offsets in the run; {0} with whole for the run
        bool whole;
    };
    std::vector<Change> changes;
    for (std::size_t i = 0; i < size;) {
        if (in.colours[i] != g.labelColour) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < size && in.colours[j] == g.labelColour)
            ++j;
        const std::u16string_view run = text.substr(i, j - i);
        const int owner = wholeRunEntry(run, set, g);
        if (owner == n)
            changes.push_back({i, j, {0}, true});
        else if (owner == 0) {
            std::vector<std::size_t> at = replacedInRun(run, s);
            if (!at.empty())
                changes.push_back({i, j, std::move(at), false});
        }
        i = j;
    }
    if (changes.empty())
        return false;

    Marked out;
    out.text.reserve(size + changes.size() * (label.size() + 2));
    out.colours.reserve(out.text.capacity());
    std::size_t copied = 0;
    for (const Change& c : changes) {
        for (std::size_t k = 0; k < c.at.size(); ++k) {
            const std::size_t p = c.start + c.at[k];
            out.append(text.substr(copied, p - copied), Colour{});
            std::copy(in.colours.begin() + std::ptrdiff_t(copied), in.colours.begin() + std::ptrdiff_t(p),
                      out.colours.end() - std::ptrdiff_t(p - copied));
            if (!out.colours.empty() && out.colours.back() == AnnotatedSpanColour)
                encloseSpan(out, AnnotatedSpanColour);
            out.append(label, clBlack);
            copied = c.whole ? c.end : p + s.size();
        }
    }
    out.append(text.substr(copied), Colour{});
    std::copy(in.colours.begin() + std::ptrdiff_t(copied), in.colours.end(),
              out.colours.end() - std::ptrdiff_t(size - copied));
    in = std::move(out);
    return true;
}

// Comment markers: green runs holding the decimal number of a comment, in
// increasing order, become "{" + k + "}"; a commented span just before one is put
// between asterisks.
void rewriteComments(Marked& in, int commentCount) {
    if (commentCount <= 0)
        return;
    const std::u16string_view text = in.text;
    const std::size_t size = text.size();
    Marked out;
    out.text.reserve(size + 64);
    out.colours.reserve(size + 64);
    int next = 1; // markers stand in increasing order: one before it is passed over
    std::size_t copied = 0;
    for (std::size_t i = 0; i < size && next <= commentCount;) {
        if (in.colours[i] != CommentMarkerColour) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < size && in.colours[j] == CommentMarkerColour)
            ++j;
        int k = 0;
        bool digits = j - i <= 6;
        for (std::size_t q = i; digits && q < j; ++q) {
            if (text[q] < u'0' || text[q] > u'9')
                digits = false;
            else
                k = k * 10 + (text[q] - u'0');
        }
        if (digits && text[i] != u'0' && k >= next && k <= commentCount) {
            out.append(text.substr(copied, i - copied), Colour{});
            std::copy(in.colours.begin() + std::ptrdiff_t(copied), in.colours.begin() + std::ptrdiff_t(i),
                      out.colours.end() - std::ptrdiff_t(i - copied));
            if (!out.colours.empty() && out.colours.back() == CommentedSpanColour)
                encloseSpan(out, CommentedSpanColour);
            out.append(u"{" + stats::decimal(k) + u"}", clBlack);
            copied = j;
            next = k + 1;
        }
        i = j;
    }
    if (copied == 0)
        return;
    out.append(text.substr(copied), Colour{});
    std::copy(in.colours.begin() + std::ptrdiff_t(copied), in.colours.end(),
              out.colours.end() - std::ptrdiff_t(size - copied));
    in = std::move(out);
}

bool occursFolded(std::u16string_view folded, std::u16string_view s) {
    return folded.find(foldedCopy(s)) != std::u16string_view::npos;
}

} // namespace

TextOptions readTextOptions(const SettingsSource& s) {
    TextOptions o;
    o.includeErrorStats = s.readBool(TextOptionsSection, "IncludeErrorStats", true);
    o.convertForMac = s.readBool(TextOptionsSection, "ConvertForMac", false);
    return o;
}

std::vector<std::pair<std::string, std::string>> textOptionValues(const TextOptions& o) {
    auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
    return {{"IncludeErrorStats", flag(o.includeErrorStats)},
            {"ConvertForMac", flag(o.convertForMac)}};
}

RewrittenText rewriteMarkup(const RichTextBuffer& scratch, const AnnotationSet& buttons,
                            int commentCount) {
    Marked m;
    const int length = scratch.length();
    m.text.reserve(std::size_t(length) + 1);
    m.colours.reserve(std::size_t(length) + 1);
    // A black blank in front, so that a span at the very start has a character
    // before it like any other (it goes again at the end).
    m.append(u" ", clBlack);
    m.text += scratch.text();
    for (int i = 0; i < length; ++i)
        m.colours.push_back(scratch.colourAt(i));

    RewrittenText out;
    const LabelGroup errors{1, ErrorEntryCount, ErrorLabelColour};
    for (int n = errors.first; n <= errors.last; ++n)
        rewriteEntry(m, buttons, errors, n);
    const LabelGroup praise{ErrorEntryCount + 1, AnnotationEntryCount, PraiseLabelColour};
    for (int n = praise.first; n <= praise.last; ++n) {
        const std::u16string& s = buttons.shortText(n);
        if (s.empty())
            continue;
        // The key names every praise category whose label text is there at all,
        // in any colour.
        if (occursFolded(foldedCopy(m.text), s))
            out.praiseKey += buttons.caption(n) + u": " + buttons.longText(n) + u"\r\n";
        rewriteEntry(m, buttons, praise, n);
    }
    rewriteComments(m, commentCount);
    out.text = m.text.substr(1);
    return out;
}

TextExportResult exportText(const TextExportRequest& in, const Progress& progress) {
    MarkedDocument& doc = in.doc;
    // A step of the essay's history, which also tells that the document changed.
    scan::stripEnd(doc.essay());
    RichTextBuffer& scratch = doc.scratch();
    scratch.clear();
    step(progress, u"Starting export", 0);
    scratch.loadFromBytes(doc.essay().saveRtf());
    scan::removeBookmarks(scratch);

    TextExportResult result;
    step(progress, u"Counting errors...", 1);
    const stats::ErrorCounts counts = stats::countErrorLabels(scratch, in.buttons);
    result.statistics = stats::statisticsTable(counts, in.buttons);
    for (stats::ErrorStatisticsRow& row : result.statistics.rows)
        row.description = in.buttons.caption(row.entry) + u": " + in.buttons.longText(row.entry);

    step(progress, u"Scanning text...", 2);
    step(progress, u"Processing annotations...", 3);
    const int commentCount = int(doc.commentTexts.size());
    RewrittenText rewritten = rewriteMarkup(scratch, in.buttons, commentCount);
    scratch.clear();
    step(progress, nullptr, 4);
    step(progress, nullptr, 5);
    step(progress, nullptr, 6);

    // Link references belong to the teacher's texts; the essay's own "{{" stays.
    auto expand = [&](std::u16string_view s) { return library::IncludeUsefulLinks(s, in.links); };
    std::u16string t = std::move(rewritten.text);
    t += u"\r\n";
    t += Separator;
    t += u"\r\n";
    for (const std::u16string* feedback : {&doc.feedback1Text, &doc.feedback2Text}) {
        if (feedback->empty())
            continue;
        t += expand(*feedback);
        t += u"\r\n";
        t += Separator;
        t += u"\r\n";
    }
    if (!doc.grade.empty() && doc.grade != tlx::NewGrade) {
        t += in.titles.gradeTitle + u"  " + doc.grade + u"\r\n";
        t += Separator;
        t += u"\r\n";
    }
    if (!rewritten.praiseKey.empty()) {
        t += rewritten.praiseKey;
        t += Separator;
        t += u"\r\n";
    }
    if (in.options.includeErrorStats) {
        t += in.titles.errorStatsTitle + u"\r\n";
        for (const stats::ErrorStatisticsRow& row : result.statistics.rows)
            t += u"\r\n" + stats::decimal(row.count) + u"      " + row.description;
        t += u"\r\n";
        t += Separator;
        t += u"\r\n";
    }
    if (commentCount > 0) {
        t += in.titles.commentListTitle + u"\r\n\r\n";
        for (int k = 1; k <= commentCount; ++k)
            t += stats::decimal(k) + u". " + expand(doc.commentTexts[std::size_t(k - 1)]) + u"\r\n\r\n";
    }
    t += u"\r\n";
    step(progress, u"Useful links...", -1);
    result.bytes = encodeExportText(t, in.options.convertForMac);
    return result;
}

std::string encodeExportText(std::u16string_view text, bool mac) {
    std::string bytes;
    bytes.reserve(text.size());
    bool all1252 = true;
    for (char16_t c : text) {
        const std::optional<unsigned char> b = codepages::encode1252(c);
        if (!b) {
            all1252 = false;
            break;
        }
        bytes.push_back(char(*b));
    }
    if (all1252)
        return mac ? web::macify(bytes) : bytes;
    if (!mac)
        return text::encodeTextFile(text);
    std::u16string converted(text);
    for (char16_t& c : converted) {
        if (c < 0x80)
            continue;
        if (const std::optional<unsigned char> b = codepages::encode1252(c))
            c = codepages::decodeByte(web::macByte(*b), 1252);
    }
    return text::encodeTextFile(converted);
}

FileOutcome writeExportFile(const std::string& path, std::string_view bytes) {
    if (fileio::writeFileAtomic(path, bytes).ok)
        return {};
    return FileOutcome{false, Message{SaveFailedMessage, MessageType::Warning, SaveFailedHelpContext}};
}

} // namespace tallix::exports
