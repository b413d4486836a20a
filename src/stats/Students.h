#pragma once
// A class's counted files grouped by student: each student's totals and rate, and
// the essays of one student in the order they were written.
#include "stats/ErrorCounting.h"

#include <string>
#include <vector>

namespace tallix::stats {

class MultiFileStatistics;

// Where a file's student is read from: the file name up to its first "_" (a
// course site's bulk download), or the folder that holds it (one folder per
// student).
enum class StudentGrouping { FileName, Folder };

// The student of a path under a grouping (studentFromFileName or studentFromFolder).
std::string studentOf(const std::string& path, StudentGrouping grouping);

// Errors per 100 words: count * 100 / words; 0 when there are no words.
double per100Words(int count, int words);

struct StudentRecord {
    std::string name;       // UTF-8, as the file name or folder gives it
    std::vector<int> files; // positions in the counted list, oldest file first
    ErrorCounts totals{};   // the labels of entry n in all the student's essays
    int words = 0;
    int errors() const;     // all the student's labels
    double rate() const { return per100Words(errors(), words); }
};

// The students of the last count, in the order in which each first appears in the
// list. A student's essays are ordered by the file's date (oldest first; files of
// one date keep their list order). Files that could not be read belong to no
// student: their zeros would read as a faultless essay.
std::vector<StudentRecord> groupByStudent(const MultiFileStatistics& stats,
                                          StudentGrouping grouping);

// One category's errors per 100 words in each of a student's essays.
struct StudentLine {
    int entry = 0;
    std::u16string abbreviation;
    std::u16string description;
    std::vector<double> rates; // one per essay, oldest first
};

// The line chart of one student: a line for each of entries (in the order given;
// entries outside 1 to 28 are left out), a point per essay.
struct StudentSeries {
    std::string student;
    std::vector<std::string> essays; // the essays' file names, oldest first
    std::vector<StudentLine> lines;
};
StudentSeries studentSeries(const MultiFileStatistics& stats, const StudentRecord& student,
                            const std::vector<int>& entries);

} // namespace tallix::stats
