#pragma once
// The statistics of the command line, for a whole class at once: the table of the
// multiple-file statistics window's Save, and one essay's error table. Both count
// with the same code as the windows and need no display.
#include "annotations/AnnotationSet.h"

#include <string>
#include <vector>

namespace tallix::cli {

struct StatsCommandOutcome {
    int status = 0;                  // 0, or 1 when anything failed
    std::string output;              // the bytes for standard output (or -o)
    std::vector<std::string> errors; // lines for standard error, UTF-8
};

// The multiple-file table (CompileOutText) of files in their order, byte for byte
// what the window's Save writes. A file that cannot be read gets an error line
// and its zeros line, and the status 1.
StatsCommandOutcome classStatistics(const std::vector<std::string>& files,
                                    const AnnotationSet& set);

// One marked file's error statistics: one line per row, count TAB description,
// each ended by a line feed (UTF-8). A file that cannot be read gives an error and
// the status 1.
StatsCommandOutcome essayStatistics(const std::string& file, const AnnotationSet& set);

} // namespace tallix::cli
