#pragma once
// Counting a class's files: each file read and counted on its own (a pure function
// of the path and the button set), and many files counted on a small pool of
// worker threads, the results kept in the order of the list.
#include "annotations/AnnotationSet.h"
#include "document/MarkedDocument.h"
#include "stats/ErrorCounting.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tallix::stats {

// What one file gave.
struct FileCount {
    bool loaded = false;  // false: the file could not be read; everything else is 0
    ErrorCounts counts{}; // the labels of error entry n are item n - 1
    int words = 0;        // CountWords over the essay (the trailer is not part of it)
    // The file's modification time (seconds since the epoch; 0 when unknown), by
    // which one student's essays are put in order.
    std::int64_t modified = 0;
    bool operator==(const FileCount&) const = default;
};

// Reads path as a marked file and counts its error labels with set and its words,
// exactly as if it were opened. A file in our own writer's plain form is read
// quickly on its own; any other is loaded into doc (which is then left holding it,
// or empty when it could not be read).
FileCount countFile(const std::string& path, const AnnotationSet& set, MarkedDocument& doc);

// The number of workers a count uses when it is not told: one per core.
int defaultJobs();

struct ClassCountCallbacks {
    // The result of file f is in. Called on the calling thread, in list order
    // (0, 1, 2, ...), whatever order the workers finish in.
    std::function<void(int file, const FileCount&)> fileDone;
    // Called on the calling thread while it waits for the workers (at least every
    // tenth of a second), so that a window can repaint and take input.
    std::function<void()> waiting;
};

// Counts every file of paths with set on `jobs` worker threads (at least 1, at
// most one per file). The results are item for item those of countFile in list
// order, the same for any number of jobs. An exception thrown while counting a
// file (out of memory) is thrown here once every worker has stopped.
std::vector<FileCount> countFiles(const std::vector<std::string>& paths, const AnnotationSet& set,
                                  int jobs, const ClassCountCallbacks& callbacks = {});

} // namespace tallix::stats
