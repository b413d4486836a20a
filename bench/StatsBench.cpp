// Error counting: one 1 MB marked essay with about 3,000 labels (CountErrors, with
// its RTF copy), the class table of 500 marked essays of 30 KB each against just
// loading those files as marked files, and the parallel class count of 2,000 such
// essays on 1, 2 and 4 worker threads (the files are kept in /var/tmp, for
// bench/compare-class-count.sh to time the command line against cat).
#include "MarkedEssay.h"

#include "document/MarkedDocument.h"
#include "stats/ErrorCounting.h"
#include "stats/ClassCount.h"
#include "stats/MultiStats.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace tallix;

namespace {

// The generator's labels ("Art", "Sp", ...) fall under these entries of the set.
AnnotationSet benchSet() { return AnnotationSet::builtInDefaults(); }

void BM_CountErrors(benchmark::State& state) {
    MarkedDocument doc;
    // About 6 in 100 words carry a label: ~3,000 labels per MB.
    doc.essay().assign(bench::makeMarkedEssay({std::size_t(state.range(0)), -1, 11}));
    const AnnotationSet set = benchSet();
    int rows = 0;
    for (auto _ : state) {
        stats::ErrorStatisticsTable t = stats::countErrors(doc.essay(), doc.scratch(), set);
        rows = int(t.rows.size());
        benchmark::DoNotOptimize(t);
    }
    int labels = 0;
    for (int n = 1; n <= ErrorEntryCount; ++n)
        labels += stats::countLabels(doc.essay(), set.shortText(n));
    state.counters["labels"] = labels;
    state.counters["rows"] = rows;
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CountErrors)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Marked files of 30 KB, written once into a folder.
std::vector<std::string> writeClass(const std::filesystem::path& dir, int count) {
    std::vector<std::string> f;
    std::filesystem::create_directories(dir);
    for (int i = 0; i < count; ++i) {
        const std::string path = (dir / ("essay" + std::to_string(i) + ".tlx")).string();
        if (!std::filesystem::exists(path)) {
            MarkedDocument doc;
            doc.essay().assign(bench::makeMarkedEssay({30'000, -1, unsigned(100 + i)}));
            doc.commentTexts.assign(5, u"A comment with Sp and Art in it.");
            doc.notes.selectorMax = 5;
            doc.saveTlx(path);
        }
        f.push_back(path);
    }
    return f;
}

const std::vector<std::string>& classFiles() {
    static std::vector<std::string> files =
        writeClass(std::filesystem::temp_directory_path() / "tallix-bench-class", 500);
    return files;
}

const std::vector<std::string>& bigClassFiles() {
    static std::vector<std::string> files =
        writeClass("/var/tmp/tallix-bench-class2000", 2000);
    return files;
}

void BM_ClassCountJobs(benchmark::State& state) {
    const auto& files = bigClassFiles();
    const AnnotationSet set = benchSet();
    for (auto _ : state)
        benchmark::DoNotOptimize(stats::countFiles(files, set, int(state.range(0))));
    state.counters["files"] = double(files.size());
}
BENCHMARK(BM_ClassCountJobs)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ClassLoadOnly(benchmark::State& state) {
    const auto& files = classFiles();
    for (auto _ : state) {
        MarkedDocument doc;
        for (const auto& f : files)
            benchmark::DoNotOptimize(doc.loadTlxFile(f).ok);
    }
}
BENCHMARK(BM_ClassLoadOnly)->Unit(benchmark::kMillisecond);

void BM_ClassTable(benchmark::State& state) {
    const auto& files = classFiles();
    const AnnotationSet set = benchSet();
    for (auto _ : state) {
        stats::MultiFileStatistics m;
        for (const auto& f : files)
            m.addFile(f);
        m.count(set);
        benchmark::DoNotOptimize(m.outTextBytes());
    }
}
BENCHMARK(BM_ClassTable)->Unit(benchmark::kMillisecond);

} // namespace
