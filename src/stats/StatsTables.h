#pragma once
// The class tables of the multiple-file statistics: one line per file (the table
// of Copy and Save) or one per student, as counts or per 100 words, written as
// tab-separated text or as CSV for spreadsheets.
#include "stats/Students.h"

#include <string>
#include <vector>

namespace tallix::stats {

class MultiFileStatistics;

struct TableOptions {
    bool byStudent = false;   // one line per student (with the number of essays)
    bool per100Words = false; // rates with two decimals, and a column of words
    StudentGrouping grouping = StudentGrouping::FileName;
};

// Rows of cells: the head line, the body, the "Total" line. The columns are the
// error entries whose total is greater than 0, in entry order, headed by their
// abbreviations, after:
//  - "File" (the file's name), or "Student" and "Essays" by student;
//  - "Words", with rates.
// With rates, a line whose files hold no words has empty rate cells, and the
// Total line's rates are taken over all the words, not added up.
using StatsTable = std::vector<std::vector<std::u16string>>;
StatsTable statsTable(const MultiFileStatistics& stats, const TableOptions& options);

// Cells separated by TAB, lines by CR LF, no line break after the last.
std::u16string tabText(const StatsTable& table);

// RFC 4180 CSV in UTF-8 with a byte-order mark (so that spreadsheets read
// accents): cells separated by commas, each record ended by CR LF; a cell holding
// a comma, a quote, CR or LF is put in quotes, with its quotes doubled. A cell
// that a spreadsheet would take for a formula (one starting with "=", "+", "-",
// "@", TAB or CR) gets a leading apostrophe, since file names come from students.
std::string csvBytes(const StatsTable& table);

// A rate with two decimals and a decimal point, whatever the locale ("1.25").
std::u16string rateText(double rate);

} // namespace tallix::stats
