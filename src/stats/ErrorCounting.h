#pragma once
// Error counting: how many labels of each error category an essay holds.
//
// A label is found by its text and its colour: an occurrence of an entry's short
// text (case-insensitive, anywhere, overlapping occurrences included) counts when
// every one of its characters is red. So the same words in black essay text never
// count, and a short text that occurs inside another red label ("Sp" inside
// "Space") counts once for each such label too. Praise entries take no part.
//
// CountErrors (countErrors below) is the one count the statistics window, the
// command line and the exports all use.
#include "annotations/AnnotationSet.h"
#include "document/RichTextBuffer.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tallix::stats {

inline constexpr int ErrorStatisticsHelpContext = 13000;

// The count of error entry n is item n - 1.
using ErrorCounts = std::array<int, ErrorEntryCount>;

// One used row of the statistics table.
struct ErrorStatisticsRow {
    int entry = 0;              // the error entry, 1 to 28
    int count = 0;              // greater than 0
    std::u16string description; // the entry's long text (it may be empty)
};

// ErrorStatisticsTable: the error entries with labels in the text, in entry order,
// as the statistics grid shows them: row 0 is the header ("Total", "Error Type"),
// rows 1 to 28 hold count and description, and every row after the last used one
// is empty. A reader stops at the first row whose count cell is empty.
struct ErrorStatisticsTable {
    static constexpr int RowCount = 1 + ErrorEntryCount;
    static constexpr int ColumnCount = 2;

    std::vector<ErrorStatisticsRow> rows; // the used rows, at most 28

    // The text of a grid cell: column 0 the count in decimal, column 1 the
    // description; empty outside the used rows.
    std::u16string cell(int column, int row) const;
    bool empty() const { return rows.empty(); }
    bool operator==(const ErrorStatisticsTable&) const = default;
};

inline constexpr char16_t TotalHeader[] = u"Total";
inline constexpr char16_t ErrorTypeHeader[] = u"Error Type";

// Called after each error entry has been counted, so that a window can repaint.
using CountProgress = std::function<void()>;

// The labels of one short text in b: every occurrence whose characters are all
// red. One pass over the text; the selection of b is left on the last label found.
// An empty short text has none.
int countLabels(RichTextBuffer& b, std::u16string_view shortText);

// The labels of error entries 1 to 28 of set in b (0 for an entry with an empty
// short text): the counts countLabels gives entry by entry, found in one pass over
// the text's colours for all the entries, each short text matched only inside the
// runs of red characters. (A short text holding a line break, which no button
// file can hold, is searched on its own as countLabels searches.)
ErrorCounts countErrorLabels(RichTextBuffer& b, const AnnotationSet& set,
                             const CountProgress& progress = {});

// The short texts of a button set's error entries, folded once, for matching
// inside runs of red text as countErrorLabels does.
class LabelMatcher {
public:
    explicit LabelMatcher(const AnnotationSet& set);

    // The error entries whose short text holds a line break (no button set the
    // editor writes has one): they are only found by countLabels over a buffer,
    // and addRun leaves them out.
    const std::vector<int>& entriesWithBreaks() const { return withBreaks_; }

    // Adds to counts every occurrence (overlapping ones included, in any case) of
    // each short text in one run of red characters. One matcher may serve many
    // threads at once.
    void addRun(std::u16string_view run, ErrorCounts& counts) const;

private:
    struct Pattern {
        std::size_t entry;
        std::u16string folded;
    };
    std::vector<Pattern> patterns_;
    static constexpr std::size_t FirstSlots = 257; // characters 0 to 255, and the rest
    std::array<std::vector<std::size_t>, FirstSlots> byFirst_; // patterns_ by first character
    std::vector<int> withBreaks_;
};

// The table of counts: a row for each entry counted more than 0, in entry order.
ErrorStatisticsTable statisticsTable(const ErrorCounts& counts, const AnnotationSet& set);

// CountErrors: copies the essay as RTF into scratch (so that the essay's selection
// and view stay as they are), counts the error labels there and empties scratch.
ErrorStatisticsTable countErrors(const RichTextBuffer& essay, RichTextBuffer& scratch,
                                 const AnnotationSet& set, const CountProgress& progress = {});

// The decimal text of a number, for cells and tables.
std::u16string decimal(int n);

} // namespace tallix::stats
