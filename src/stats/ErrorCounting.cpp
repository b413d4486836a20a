#include "stats/ErrorCounting.h"

#include "document/Scanning.h"

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

ErrorCounts countErrorLabels(RichTextBuffer& b, const AnnotationSet& set,
                             const CountProgress& progress) {
    ErrorCounts counts{};
    for (int n = FirstErrorEntry; n <= LastErrorEntry; ++n) {
        counts[std::size_t(n - 1)] = countLabels(b, set.shortText(n));
        if (progress)
            progress();
    }
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
