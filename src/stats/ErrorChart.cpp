#include "stats/ErrorChart.h"

#include "stats/MultiStats.h"
#include "stats/Students.h"

#include <algorithm>

namespace tallix::stats {

std::u16string ChartBar::label() const { return description.empty() ? abbreviation : description; }

std::u16string CategoryChart::valueTitle() const {
    return per100Words ? u"Errors per 100 words" : u"Errors";
}

namespace {

void mostFrequentFirst(std::vector<ChartBar>& bars) {
    std::stable_sort(bars.begin(), bars.end(),
                     [](const ChartBar& a, const ChartBar& b) { return a.count > b.count; });
}

std::u16string essaysText(int n) { return decimal(n) + (n == 1 ? u" essay" : u" essays"); }

} // namespace

CategoryChart classChart(const MultiFileStatistics& stats, bool per100) {
    CategoryChart c;
    c.per100Words = per100;
    c.words = stats.totalWords();
    c.essays = stats.countedFileCount();
    c.title = std::u16string(per100 ? u"Errors per 100 words in the class (" : u"Errors in the class (") +
              essaysText(c.essays) + u")";
    for (const MultiStatsRow& r : stats.rows())
        c.bars.push_back(ChartBar{r.entry, r.abbreviation, r.description, r.total,
                                  per100Words(r.total, c.words)});
    mostFrequentFirst(c.bars);
    return c;
}

CategoryChart essayChart(const ErrorStatisticsTable& table, const AnnotationSet& set, int words,
                         bool per100) {
    CategoryChart c;
    c.per100Words = per100;
    c.words = words;
    c.essays = 1;
    c.title = per100 ? u"Errors per 100 words in this essay" : u"Errors in this essay";
    for (const ErrorStatisticsRow& r : table.rows)
        c.bars.push_back(ChartBar{r.entry, set.caption(r.entry), r.description, r.count,
                                  per100Words(r.count, words)});
    mostFrequentFirst(c.bars);
    return c;
}

} // namespace tallix::stats
