// The text clean-up commands on marked essays of 100 KB and 1 MB of text: strip
// returns on a hard-wrapped essay (lines of about 70 characters, a blank line
// between paragraphs, a double space now and then), and the two Mac conversions on
// an essay where about one character in a hundred is a garbled Mac character.
#include "MarkedEssay.h"

#include "document/RichTextBuffer.h"
#include "tools/TextCleanup.h"

#include <benchmark/benchmark.h>

using namespace tallix;

namespace {

// Appends one character in a format, merging runs.
void put(RichContent& c, char16_t ch, const CharFormat& f) {
    c.text.push_back(ch);
    if (c.runs.empty() || !(c.runs.back().format == f))
        c.runs.push_back(FormatRun{0, f});
    ++c.runs.back().length;
}

enum class Shape { HardWrapped, MacGarbled };

RichContent reshape(const RichContent& src, Shape shape) {
    RichContent out;
    out.text.reserve(src.text.size() + src.text.size() / 30);
    int column = 0;
    int spaces = 0;
    std::size_t i = 0;
    for (const FormatRun& r : src.runs) {
        for (int k = 0; k < r.length; ++k, ++i) {
            const char16_t ch = src.text[i];
            const bool black = r.format.colour == clBlack;
            if (shape == Shape::HardWrapped) {
                if (ch == u'\r') {
                    put(out, u'\r', r.format); // a blank line between paragraphs
                    put(out, u'\n', r.format);
                    column = -1;
                } else if (ch == u' ' && black && column > 70) {
                    if (++spaces % 17 == 0)
                        put(out, u' ', r.format); // a line that ends in a space
                    put(out, u'\r', r.format);
                    put(out, u'\n', r.format);
                    column = 0;
                    continue;
                } else if (ch == u' ' && black && spaces % 23 == 0) {
                    put(out, u' ', r.format); // a double space
                }
                ++column;
                put(out, ch, r.format);
            } else {
                const bool garble = black && i % 97 == 0 && ch >= u'a' && ch <= u'z';
                put(out, garble ? u'\u00D5' : ch, r.format);
            }
        }
    }
    return out;
}

const RichContent& essay(std::size_t chars, Shape shape) {
    static const RichContent small = bench::makeMarkedEssay({100'000, -1, 42});
    static const RichContent large = bench::makeMarkedEssay({1'000'000, -1, 42});
    static const RichContent wrapped[] = {reshape(small, Shape::HardWrapped),
                                          reshape(large, Shape::HardWrapped)};
    static const RichContent garbled[] = {reshape(small, Shape::MacGarbled),
                                          reshape(large, Shape::MacGarbled)};
    const std::size_t k = chars <= 100'000 ? 0 : 1;
    return shape == Shape::HardWrapped ? wrapped[k] : garbled[k];
}

template <typename Run>
void cleanup(benchmark::State& state, Shape shape, Run run) {
    const RichContent& c = essay(std::size_t(state.range(0)), shape);
    RichTextBuffer b;
    long long changed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        b.assign(c);
        state.ResumeTiming();
        changed = run(b);
        benchmark::DoNotOptimize(changed);
    }
    state.counters["changed"] = double(changed);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(c.text.size()) * 2);
}

void BM_StripReturns(benchmark::State& state) {
    cleanup(state, Shape::HardWrapped, [](RichTextBuffer& b) {
        const tools::StripReturnsResult r = tools::StripReturns(b);
        return r.joined + r.spacesRemoved;
    });
}

void BM_DeMacify(benchmark::State& state) {
    cleanup(state, Shape::MacGarbled, [](RichTextBuffer& b) { return tools::DeMacify(b); });
}

void BM_PCToMac(benchmark::State& state) {
    cleanup(state, Shape::MacGarbled, [](RichTextBuffer& b) { return tools::PCToMac(b); });
}

} // namespace

BENCHMARK(BM_StripReturns)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeMacify)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PCToMac)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
