// Whole-document operations of the essay buffer on marked essays of 100 KB and
// 1 MB of text: RTF load and save, a caret walk reading the colour at every
// position, and find over the whole text.
#include "MarkedEssay.h"

#include "document/MarkedDocument.h"
#include "document/RichTextBuffer.h"
#include "document/RtfWriter.h"
#include "document/Scanning.h"

#include <benchmark/benchmark.h>

#include <filesystem>

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

// A marked file of the given size with 500 comments: SaveTlx (RTF copy into the
// scratch buffer, bookmarks removed, trailer appended, atomic write) and
// LoadTlxFile (read, trailer found and cut, comments split).
std::string markedFilePath() {
    return (std::filesystem::temp_directory_path() / "tallix-bench-marked.tlx").string();
}

void fillMarkedDocument(MarkedDocument& d, std::size_t chars) {
    d.essay().assign(bench::makeMarkedEssay({chars, 500, 42}));
    d.commentTexts.assign(500, u"Check this sentence: the argument needs evidence.\r\nSee p. 4.");
    d.notes.selectorMax = d.notes.selectorValue = 500;
    d.feedback1Text = u"A clear argument.";
    d.feedback2Text = u"Work on agreement.";
    d.grade = u"B";
}

void BM_SaveTlx(benchmark::State& state) {
    MarkedDocument d;
    fillMarkedDocument(d, std::size_t(state.range(0)));
    const std::string path = markedFilePath();
    for (auto _ : state) {
        FileOutcome r = d.saveTlx(path);
        if (!r.ok)
            state.SkipWithError("save failed");
    }
    setBytes(state, std::size_t(d.essay().length()));
    std::filesystem::remove(path);
}

void BM_LoadTlx(benchmark::State& state) {
    const std::string path = markedFilePath();
    {
        MarkedDocument d;
        fillMarkedDocument(d, std::size_t(state.range(0)));
        d.saveTlx(path);
    }
    MarkedDocument d;
    for (auto _ : state) {
        d.clear();
        FileOutcome r = d.loadTlxFile(path);
        if (!r.ok || d.commentTexts.size() != 500)
            state.SkipWithError("load failed");
    }
    setBytes(state, std::size_t(d.essay().length()));
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(BM_SaveTlx)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTlx)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadRtf)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveRtf)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAndSave)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkColours)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindMissing)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindEveryLabel)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
