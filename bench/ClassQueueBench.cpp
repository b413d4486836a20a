// Listing a class folder for the class queue, and reading its rows' states: a
// folder of 200 essays not yet imported (RTF, about 30 KB each), and of 200 marked
// files of the same size.
#include "MarkedEssay.h"

#include "document/MarkedDocument.h"
#include "document/RtfWriter.h"
#include "platform/FileIO.h"
#include "stats/ClassQueue.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

using namespace tallix;

namespace {

namespace fs = std::filesystem;

// A folder of count files under /var/tmp, made once per kind and kept for the run.
const std::string& classFolder(int count, bool marked) {
    static std::map<std::pair<int, bool>, std::string> made;
    std::string& folder = made[{count, marked}];
    if (!folder.empty())
        return folder;
    std::random_device rd;
    folder = (fs::path("/var/tmp") / ("tallix-class-bench-" + std::to_string(rd()))).string();
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        MarkedDocument doc;
        doc.essay().assign(bench::makeMarkedEssay({30'000, -1, unsigned(i + 1)}));
        const std::string name = folder + "/student" + std::to_string(1000 + i) + "_" +
                                 std::to_string(i) + "_essay";
        if (marked) {
            doc.saveTlx(name + ".tlx");
        } else {
            fileio::writeFileAtomic(name + ".rtf", doc.essay().saveRtf());
        }
    }
    return folder;
}

struct Cleanup {
    ~Cleanup() {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator("/var/tmp", ec))
            if (e.path().filename().string().starts_with("tallix-class-bench-"))
                fs::remove_all(e.path(), ec);
    }
} cleanup;

void BM_ListClassFolder(benchmark::State& state) {
    const std::string& folder = classFolder(int(state.range(0)), state.range(1) != 0);
    for (auto _ : state) {
        classqueue::ClassQueue q;
        std::string error;
        if (!q.listFolder(folder, {}, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(q.size());
    }
    state.SetLabel(state.range(1) ? "marked files" : "essays not yet imported");
}
BENCHMARK(BM_ListClassFolder)
    ->Args({200, 0})
    ->Args({200, 1})
    ->ArgNames({"files", "marked"})
    ->Unit(benchmark::kMillisecond);

// Reading every row for its state and error count: the work the window spreads
// over its idle time after listing.
void BM_ScanClassFolder(benchmark::State& state) {
    const std::string& folder = classFolder(int(state.range(0)), state.range(1) != 0);
    const AnnotationSet set = AnnotationSet::builtInDefaults();
    for (auto _ : state) {
        classqueue::ClassQueue q;
        std::string error;
        q.listFolder(folder, {}, error);
        for (int i = q.nextUnscanned(); i >= 0; i = q.nextUnscanned(i + 1))
            q.scan(i, set);
        benchmark::DoNotOptimize(q.gradedCount());
    }
    state.SetLabel(state.range(1) ? "marked files" : "essays not yet imported");
}
BENCHMARK(BM_ScanClassFolder)
    ->Args({200, 0})
    ->Args({200, 1})
    ->ArgNames({"files", "marked"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

} // namespace
