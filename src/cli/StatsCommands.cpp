#include "cli/StatsCommands.h"

#include "document/MarkedDocument.h"
#include "platform/TextCodec.h"
#include "stats/MultiStats.h"

namespace tallix::cli {

using namespace stats;

StatsCommandOutcome classStatistics(const std::vector<std::string>& files,
                                    const AnnotationSet& set) {
    StatsCommandOutcome r;
    MultiFileStatistics m;
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
    r.output = m.outTextBytes();
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

} // namespace tallix::cli
