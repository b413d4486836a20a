// Whole-document operations of the essay buffer on marked essays of 100 KB and
// 1 MB of text: RTF load and save, a caret walk reading the colour at every
// position, and find over the whole text.
#include "MarkedEssay.h"

#include "document/RichTextBuffer.h"
#include "document/RtfWriter.h"
#include "document/Scanning.h"

#include <benchmark/benchmark.h>

using namespace tallix;

namespace {

const RichContent& essay(std::size_t chars) {
    static RichContent small = bench::makeMarkedEssay({100'000, -1, 42});
    static RichContent large = bench::makeMarkedEssay({1'000'000, -1, 42});
    return chars <= 100'000 ? small : large;
}

void setBytes(benchmark::State& state, std::size_t chars) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(chars) * 2);
}

void BM_LoadRtf(benchmark::State& state) {
    const std::string rtf = writeRtf(essay(std::size_t(state.range(0))));
    RichTextBuffer b;
    for (auto _ : state) {
        LoadResult r = b.loadFromBytes(rtf);
        benchmark::DoNotOptimize(r);
    }
    state.counters["rtf_bytes"] = double(rtf.size());
    setBytes(state, std::size_t(b.length()));
}

void BM_SaveRtf(benchmark::State& state) {
    RichTextBuffer b;
    b.assign(essay(std::size_t(state.range(0))));
    for (auto _ : state) {
        std::string rtf = b.saveRtf();
        benchmark::DoNotOptimize(rtf);
    }
    setBytes(state, std::size_t(b.length()));
}

void BM_LoadAndSave(benchmark::State& state) {
    const std::string rtf = writeRtf(essay(std::size_t(state.range(0))));
    RichTextBuffer b;
    for (auto _ : state) {
        b.loadFromBytes(rtf);
        std::string out = b.saveRtf();
        benchmark::DoNotOptimize(out);
    }
    setBytes(state, std::size_t(b.length()));
}

// The caret walk of the markup scans: move the caret one position at a time and
// read the colour before it.
void BM_WalkColours(benchmark::State& state) {
    RichTextBuffer b;
    b.assign(essay(std::size_t(state.range(0))));
    for (auto _ : state) {
        b.setSelStart(0);
        std::size_t red = 0;
        while (b.selStart() < b.length()) {
            scan::stepCaretForward(b);
            red += b.selColour() == clRed;
        }
        benchmark::DoNotOptimize(red);
    }
    setBytes(state, std::size_t(b.length()));
}

void BM_FindMissing(benchmark::State& state) {
    RichTextBuffer b;
    b.assign(essay(std::size_t(state.range(0))));
    for (auto _ : state) {
        int at = b.findText(u"zebra", 0, b.length());
        benchmark::DoNotOptimize(at);
    }
    setBytes(state, std::size_t(b.length()));
}

void BM_FindEveryLabel(benchmark::State& state) {
    RichTextBuffer b;
    b.assign(essay(std::size_t(state.range(0))));
    for (auto _ : state) {
        int count = 0;
        for (int at = scan::findMarkup(b, u"Art", 0, clRed); at >= 0;
             at = scan::findMarkup(b, u"Art", at + 1, clRed))
            ++count;
        benchmark::DoNotOptimize(count);
    }
    setBytes(state, std::size_t(b.length()));
}

} // namespace

BENCHMARK(BM_LoadRtf)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveRtf)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAndSave)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkColours)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindMissing)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindEveryLabel)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
