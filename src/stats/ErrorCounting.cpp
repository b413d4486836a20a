#include "stats/ErrorCounting.h"

#include "document/Scanning.h"
#include "platform/CaseFold.h"

#include <array>
#include <string>

namespace tallix::stats {

std::u16string decimal(int n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

std::u16string ErrorStatisticsTable::cell(int column, int row) const {
    if (row == 0)
        return column == 0 ? TotalHeader : column == 1 ? ErrorTypeHeader : u"";
    if (row < 1 || row > int(rows.size()))
        return {};
    const ErrorStatisticsRow& r = rows[std::size_t(row - 1)];
    if (column == 0)
        return decimal(r.count);
    if (column == 1)
        return r.description;
    return {};
}

int countLabels(RichTextBuffer& b, std::u16string_view shortText) {
    if (shortText.empty())
        return 0;
    // findMarkup accepts a match only when the whole of it is red and otherwise
    // goes on one position after the match's start; the next search after a label
    // starts there too, so overlapping occurrences are all examined.
    int count = 0;
    for (int at = scan::findMarkup(b, shortText, 0, markup::ErrorLabelColour); at >= 0;
         at = scan::findMarkup(b, shortText, at + 1, markup::ErrorLabelColour))
        ++count;
    return count;
}

namespace {

bool holdsLineBreak(std::u16string_view s) {
    return s.find_first_of(u"\r\n") != std::u16string_view::npos;
}

} // namespace

LabelMatcher::LabelMatcher(const AnnotationSet& set) {
    for (int n = FirstErrorEntry; n <= LastErrorEntry; ++n) {
        const std::u16string& s = set.shortText(n);
        if (s.empty())
            continue;
        if (holdsLineBreak(s))
            withBreaks_.push_back(n);
        else
            patterns_.push_back(Pattern{std::size_t(n - 1), foldedCopy(s)});
    }
    // Each short text under the slot of its first character (a character beyond
    // the table's shares the last slot, and its own first character is checked).
    for (std::size_t k = 0; k < patterns_.size(); ++k)
        byFirst_[std::min<std::size_t>(patterns_[k].folded[0], FirstSlots - 1)].push_back(k);
}

void LabelMatcher::addRun(std::u16string_view run, ErrorCounts& counts) const {
    // Labels are short: most runs fold into a buffer on the stack.
    std::array<char16_t, 128> local;
    std::u16string heap;
    char16_t* folded = local.data();
    if (run.size() > local.size()) {
        heap.resize(run.size());
        folded = heap.data();
    }
    for (std::size_t i = 0; i < run.size(); ++i)
        folded[i] = foldCase(run[i]);
    // Every start position, against the short texts that begin with its
    // character: each occurrence of each short text, overlapping ones included.
    const std::u16string_view view(folded, run.size());
    for (std::size_t at = 0; at < view.size(); ++at) {
        for (std::size_t k : byFirst_[std::min<std::size_t>(view[at], FirstSlots - 1)]) {
            const std::u16string& p = patterns_[k].folded;
            if (view.substr(at, p.size()) == p)
                ++counts[patterns_[k].entry];
        }
    }
}

ErrorCounts countErrorLabels(RichTextBuffer& b, const AnnotationSet& set,
                             const CountProgress& progress) {
    // A label counts when every one of its characters is red, so every label lies
    // inside a run of red characters. One pass over the colours finds those runs,
    // and each short text is matched only inside them, at every start position,
    // exactly as the search from one position after each match would find it.
    // A short text with a line break in it is searched as the caret finds it (a
    // selection never ends inside a CR LF pair).
    const LabelMatcher matcher(set);
    ErrorCounts counts{};
    for (int n : matcher.entriesWithBreaks())
        counts[std::size_t(n - 1)] = countLabels(b, set.shortText(n));
    const int length = b.length();
    for (int pos = 0; pos < length;) {
        if (b.colourAt(pos) != markup::ErrorLabelColour) {
            ++pos;
            continue;
        }
        const int start = pos;
        while (pos < length && b.colourAt(pos) == markup::ErrorLabelColour)
            ++pos;
        matcher.addRun(b.textRange(start, pos - start), counts);
    }
    if (progress)
        for (int n = FirstErrorEntry; n <= LastErrorEntry; ++n)
            progress();
    return counts;
}

ErrorStatisticsTable statisticsTable(const ErrorCounts& counts, const AnnotationSet& set) {
    ErrorStatisticsTable t;
    for (int n = FirstErrorEntry; n <= LastErrorEntry; ++n)
        if (int c = counts[std::size_t(n - 1)]; c > 0)
            t.rows.push_back(ErrorStatisticsRow{n, c, set.longText(n)});
    return t;
}

ErrorStatisticsTable countErrors(const RichTextBuffer& essay, RichTextBuffer& scratch,
                                 const AnnotationSet& set, const CountProgress& progress) {
    scratch.clear();
    ErrorStatisticsTable t;
    // Our own writer's RTF always reads back; should it ever not, nothing is
    // counted rather than a stale copy.
    if (scratch.loadFromBytes(essay.saveRtf()).ok)
        t = statisticsTable(countErrorLabels(scratch, set, progress), set);
    scratch.clear();
    return t;
}

} // namespace tallix::stats
