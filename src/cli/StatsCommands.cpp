#include "cli/StatsCommands.h"

#include "cli/CommandInputs.h"
#include "document/MarkedDocument.h"
#include "export/ExportInputs.h"
#include "platform/FileIO.h"
#include "platform/TextCodec.h"
#include "stats/MultiStats.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <ostream>

namespace tallix::cli {

using namespace stats;

StatsCommandOutcome classStatistics(const std::vector<std::string>& files,
                                    const AnnotationSet& set, const ClassTableOptions& o) {
    StatsCommandOutcome r;
    MultiFileStatistics m;
    m.setJobs(o.jobs);
    for (const std::string& f : files)
        m.addFile(f);
    MultiStatsCallbacks cb;
    int index = 0;
    cb.fileStarted = [&index](int f) { index = f; };
    cb.warn = [&](const Message& msg) {
        r.errors.push_back(text::toUtf8(msg.text));
        r.errors.push_back(files[std::size_t(index)]);
    };
    r.status = m.count(set, cb) > 0 ? 1 : 0;
    const StatsTable table = statsTable(m, o.table);
    r.output = o.csv ? csvBytes(table) : text::encodeTextFile(tabText(table));
    r.chart = classChart(m, o.table.per100Words);
    return r;
}

StatsCommandOutcome essayStatistics(const std::string& file, const AnnotationSet& set) {
    StatsCommandOutcome r;
    MarkedDocument doc;
    FileOutcome loaded = doc.loadTlxFile(file);
    if (!loaded.ok) {
        r.status = 1;
        r.errors.push_back(text::toUtf8(loaded.message.text));
        r.errors.push_back(file);
        return r;
    }
    const ErrorStatisticsTable t = countErrors(doc.essay(), doc.scratch(), set);
    for (const ErrorStatisticsRow& row : t.rows)
        r.output += std::to_string(row.count) + "\t" + text::toUtf8(row.description) + "\n";
    return r;
}

namespace {

bool isOption(const std::string& a) { return a.size() > 1 && a[0] == '-'; }

struct StatsArguments {
    std::optional<std::string> buttons;
    std::optional<std::string> output;
    std::optional<std::string> chart;
    std::optional<std::string> jobs;
    ClassTableOptions options;
    std::vector<std::string> files;
};

std::optional<StatsArguments> parseStatsArguments(const std::vector<std::string>& args,
                                                  bool classTable) {
    StatsArguments a;
    bool grouped = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<std::string>* slot = arg == "--buttons"                 ? &a.buttons
                                           : !classTable                      ? nullptr
                                           : arg == "-o"                      ? &a.output
                                           : arg == "--chart"                 ? &a.chart
                                           : arg == "--jobs"                  ? &a.jobs
                                                                              : nullptr;
        bool* flag = !classTable                ? nullptr
                     : arg == "--csv"           ? &a.options.csv
                     : arg == "--by-student"    ? &a.options.table.byStudent
                     : arg == "--per-100-words" ? &a.options.table.per100Words
                     : arg == "--student-folders" ? &grouped
                                                  : nullptr;
        if (slot) {
            if (*slot || i + 1 >= args.size())
                return std::nullopt;
            *slot = args[++i];
        } else if (flag) {
            if (*flag)
                return std::nullopt;
            *flag = true;
        } else if (isOption(arg)) {
            return std::nullopt;
        } else {
            a.files.push_back(arg);
        }
    }
    if (grouped)
        a.options.table.grouping = StudentGrouping::Folder;
    if (a.files.empty() || (!classTable && a.files.size() != 1))
        return std::nullopt;
    return a;
}

std::string lowerExtension(const std::string& path) {
    const auto dot = path.rfind('.');
    const auto slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string e = path.substr(dot);
    std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return e;
}

} // namespace

bool statsNeedsPainting(const std::vector<std::string>& args) {
    return !args.empty() && args[0] == "--stats" &&
           std::find(args.begin() + 1, args.end(), "--chart") != args.end();
}

std::optional<int> statsCommand(const std::vector<std::string>& args, std::ostream& out,
                                std::ostream& err, const SettingsSource& settings,
                                const ChartWriter& chartWriter) {
    const bool classTable = !args.empty() && args[0] == "--stats";
    std::optional<StatsArguments> a = parseStatsArguments(args, classTable);
    if (!a)
        return std::nullopt;
    if (a->jobs) {
        int n = 0;
        const std::string& s = *a->jobs;
        const auto r = std::from_chars(s.data(), s.data() + s.size(), n);
        if (r.ec != std::errc{} || r.ptr != s.data() + s.size() || n < 1 || n > 256) {
            err << "tallix32: --jobs takes a number of worker threads from 1 to 256, not " << s
                << "\n";
            return 2;
        }
        a->options.jobs = n;
    }
    if (a->chart) {
        const std::string e = lowerExtension(*a->chart);
        if (e != ".svg" && e != ".png") {
            err << "tallix32: --chart writes an .svg or a .png file, not " << *a->chart << "\n";
            return 2;
        }
        if (!chartWriter) {
            err << "tallix32: this program was built without Qt and cannot draw charts\n";
            return 1;
        }
        if (a->output && (*a->output == *a->chart || fileio::sameFile(*a->output, *a->chart))) {
            err << "tallix32: the table (-o) and the chart (--chart) cannot be the same file "
                << *a->chart << "\n";
            return 2;
        }
    }
    std::vector<std::string> outputs;
    for (const auto* o : {&a->output, &a->chart})
        if (*o)
            outputs.push_back(**o);
    std::vector<std::string> inputs = a->files;
    inputs.push_back(a->buttons.value_or(""));
    if (!outputsSpareInputs(outputs, inputs, err))
        return 1;

    std::vector<std::string> errors;
    std::optional<AnnotationSet> set = exports::storedButtonSet(a->buttons, settings, errors);
    StatsCommandOutcome r;
    if (set)
        r = classTable ? classStatistics(a->files, *set, a->options)
                       : essayStatistics(a->files[0], *set);
    else
        r.status = 1;
    errors.insert(errors.end(), r.errors.begin(), r.errors.end());
    for (const std::string& line : errors)
        err << line << "\n";
    if (!set)
        return 1;
    if (a->output) {
        fileio::FileResult written = fileio::writeFileAtomic(*a->output, r.output);
        if (!written.ok) {
            err << "Unable to save the file " << *a->output << ": " << written.error << "\n";
            return 1;
        }
    } else {
        out << r.output;
        out.flush();
    }
    if (a->chart) {
        const std::string failed = chartWriter(r.chart, *a->chart);
        if (!failed.empty()) {
            err << "Unable to save the chart " << *a->chart << ": " << failed << "\n";
            return 1;
        }
    }
    return r.status;
}

} // namespace tallix::cli
