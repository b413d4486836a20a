#pragma once
// The statistics of the command line, for a whole class at once: the table of the
// multiple-file statistics window's Save (or the same table as CSV, per student or
// per 100 words, and the class chart as an image), and one essay's error table.
// They count with the same code as the windows; only the chart needs Qt's
// painting, which the program hands in.
#include "annotations/AnnotationSet.h"
#include "platform/SettingsSource.h"
#include "stats/ErrorChart.h"
#include "stats/StatsTables.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tallix::cli {

struct StatsCommandOutcome {
    int status = 0;                  // 0, or 1 when anything failed
    std::string output;              // the bytes for standard output (or -o)
    std::vector<std::string> errors; // lines for standard error, UTF-8
    stats::CategoryChart chart;      // the class chart of the count
};

// How the class table is written.
struct ClassTableOptions {
    bool csv = false;          // CSV (UTF-8 with a byte-order mark) instead of TABs
    stats::TableOptions table; // per student, per 100 words
    int jobs = 0;              // worker threads; 0: one per core
};

// The multiple-file table (CompileOutText) of files in their order, byte for byte
// what the window's Save writes, or that table as options ask. A file that cannot
// be read gets an error line and its zeros line, and the status 1.
StatsCommandOutcome classStatistics(const std::vector<std::string>& files,
                                    const AnnotationSet& set,
                                    const ClassTableOptions& options = {});

// One marked file's error statistics: one line per row, count TAB description,
// each ended by a line feed (UTF-8). A file that cannot be read gives an error and
// the status 1.
StatsCommandOutcome essayStatistics(const std::string& file, const AnnotationSet& set);

// Writes a chart as an image (".svg" or ".png", by the path's extension): an empty
// text, or the reason it could not be written.
using ChartWriter =
    std::function<std::string(const stats::CategoryChart& chart, const std::string& path)>;

// --stats and --count-errors with their options (args[0] is the option itself).
// Returns the exit status, or nullopt for a usage error (the caller prints the
// usage). chart writes --chart's image; without one, --chart is refused.
std::optional<int> statsCommand(const std::vector<std::string>& args, std::ostream& out,
                                std::ostream& err, const SettingsSource& settings,
                                const ChartWriter& chart);

// True when the command line asks for a chart image, which needs Qt's painting
// (the offscreen platform: no display).
bool statsNeedsPainting(const std::vector<std::string>& args);

} // namespace tallix::cli
