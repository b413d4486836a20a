#pragma once
// Error statistics over many marked files at once, for example all the essays of
// a class: per-category totals and a tab-separated table with one line per file.
//
// Each file is loaded as a marked file is opened (its RTF, less the trailer of
// comments, feedback and grade, which is never counted) and its labels are counted
// as for one essay (countErrorLabels), its words as the word count counts them.
// The files are counted on several worker threads (countFiles), the results kept
// in list order. The button set is taken whole when a count starts, so a change of
// set during a count does not mix two sets.
#include "annotations/AnnotationSet.h"
#include "document/MarkedDocument.h"
#include "stats/ClassCount.h"
#include "stats/ErrorCounting.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace tallix::stats {

inline constexpr int MultiStatsHelpContext = 35000;
inline constexpr int SaveFailureHelpContext = 1000;
inline constexpr char16_t CopiedMessage[] = u"Statistics copied to clipboard.";
inline constexpr char16_t SaveFailedMessage[] =
    u"Unable to save the file. There may be a disk problem.";

// "Unable to load " + name + ". It may be corrupted." (a warning, help 35000).
Message loadFailureMessage(const std::string& fileName);

// One row of the totals grid: the category's caption, its total, its long text.
struct MultiStatsRow {
    int entry = 0;
    std::u16string abbreviation;
    int total = 0;
    std::u16string description;
};

struct MultiStatsCallbacks {
    // Counting of the file at this position (0-based) begins.
    std::function<void(int file)> fileStarted;
    // A file could not be loaded: the warning to show. Counting goes on; that
    // file contributes zeros.
    std::function<void(const Message&)> warn;
    // Called while the workers count (at least every tenth of a second), so a
    // window can let pending events through.
    std::function<void()> step;
    // After each file, in list order: how many files are done, of how many.
    std::function<void(int done, int total)> progress;
};

class MultiFileStatistics {
public:
    // --- the file list ----------------------------------------------------------------
    // Adds a file at the end; the same file may be added more than once.
    void addFile(std::string path);
    // Removes the file at index (0-based); false, and nothing removed, for an
    // index outside the list.
    bool removeFile(int index);
    // Empties the list and every result.
    void clear();
    const std::vector<std::string>& files() const { return files_; }
    // The name of a file as the list shows it: the file name part of its path.
    std::string fileName(int index) const;
    bool counting() const { return counting_; }
    // The worker threads a count uses; 0 (the default) means one per core.
    void setJobs(int jobs) { jobs_ = jobs; }
    int jobs() const { return jobs_; }

    // --- counting ------------------------------------------------------------------
    // Counts every file in the list with the button set. Returns how many files
    // failed to load. Refused (returns -1, nothing changes) while a count is
    // running, for a callback that let events through may ask for another.
    int count(const AnnotationSet& set, const MultiStatsCallbacks& callbacks = {});
    // True when the results belong to the file list as it is now (it has not
    // changed since the last count; an empty list needs no count).
    bool resultsMatchList() const { return countedFiles_ == files_; }

    // --- results of the last count ---------------------------------------------------
    int total(int entry) const;                       // entry 1..28
    const std::u16string& abbreviation(int entry) const; // caption at the count's start
    const std::u16string& description(int entry) const;  // long text at the count's start
    // The count of entry n in the file at position f of the counted list.
    int fileCount(int file, int entry) const;
    int countedFileCount() const { return int(countedFiles_.size()); }
    // The paths of the counted list, and the name of one as the list shows it.
    const std::vector<std::string>& countedFiles() const { return countedFiles_; }
    std::string countedFileName(int file) const;
    // Everything the count found in the file at position f of the counted list
    // (loaded, counts, words, date); an empty result outside the list.
    const FileCount& fileResult(int file) const;
    // The words of all counted files.
    int totalWords() const;
    // The grid: a row for each entry whose total is greater than 0, in entry order.
    std::vector<MultiStatsRow> rows() const;

    // CompileOutText: the table Copy and Save deliver. Its columns are the entries
    // whose total is greater than 0, in entry order; cells are separated by TAB and
    // lines end with CR LF, except the last. The head line is "File" and the
    // abbreviations, then one line per counted file (its name and its counts),
    // then "Total" and the totals.
    std::u16string compileOutText() const;
    // The bytes Save writes: the table as a text file (Windows-1252 when every
    // character has a byte there, else UTF-8 with a byte-order mark).
    std::string outTextBytes() const;

private:
    std::vector<std::string> files_;
    std::vector<std::string> countedFiles_;
    std::vector<FileCount> perFile_;
    ErrorCounts totals_{};
    std::array<std::u16string, ErrorEntryCount> abbreviations_;
    std::array<std::u16string, ErrorEntryCount> descriptions_;
    int jobs_ = 0;
    bool counting_ = false;
};

} // namespace tallix::stats
