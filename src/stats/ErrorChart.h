#pragma once
// What the statistics charts show: a bar for each error category found, most
// frequent first, as a count or per 100 words. The windows draw it and the
// command line writes it as an image; the numbers are those of the tables.
#include "annotations/AnnotationSet.h"
#include "stats/ErrorCounting.h"

#include <string>
#include <vector>

namespace tallix::stats {

class MultiFileStatistics;

struct ChartBar {
    int entry = 0;              // the error entry, 1 to 28
    std::u16string abbreviation; // the button's caption
    std::u16string description;  // the entry's long text
    int count = 0;               // greater than 0
    double rate = 0;             // count per 100 words (0 when there are no words)
    // The bar's name on the chart: the description, or the caption when the
    // description is empty.
    std::u16string label() const;
};

struct CategoryChart {
    std::u16string title;
    bool per100Words = false; // the bars show rates, not counts
    int words = 0;            // the words the rates are taken over
    int essays = 0;
    std::vector<ChartBar> bars; // most frequent first; equal counts in entry order
    double value(const ChartBar& b) const { return per100Words ? b.rate : double(b.count); }
    // "Errors" or "Errors per 100 words".
    std::u16string valueTitle() const;
    bool empty() const { return bars.empty(); }
};

// The class chart: the totals of the last count (the rows of the totals grid),
// rates over all the words of the counted files.
CategoryChart classChart(const MultiFileStatistics& stats, bool per100Words);

// One essay's chart: the rows of its statistics table, with the captions of set,
// rates over the essay's words.
CategoryChart essayChart(const ErrorStatisticsTable& table, const AnnotationSet& set, int words,
                         bool per100Words);

} // namespace tallix::stats
