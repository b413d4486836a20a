// Adding comments to a 1 MB essay, each before all the existing ones: the worst
// case for renumbering, since every later marker moves up by one each time.
#include "document/Comments.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace tallix;

namespace {

std::u16string plainEssay(std::size_t chars) {
    std::u16string t;
    t.reserve(chars + 32);
    const std::u16string sentence = u"The essay argues its case with some care and evidence. ";
    while (t.size() < chars) {
        for (int i = 0; i < 6; ++i)
            t += sentence;
        t += u"\r\n";
    }
    return t;
}

void BM_AddCommentsBeforeAllOthers(benchmark::State& state) {
    const int comments = int(state.range(1));
    const std::u16string text = plainEssay(std::size_t(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        MarkedDocument d;
        d.essay().setText(text);
        state.ResumeTiming();
        // Comment i goes on the word i sentences from the start, in reverse order,
        // so each new one comes before every marker already there.
        for (int i = comments; i >= 1; --i) {
            d.essay().select(i * 56 + 4, 5);
            if (comments::addComment(d))
                state.SkipWithError("comment refused");
        }
        benchmark::DoNotOptimize(d.essay().length());
    }
}

void BM_DeleteFirstComment(benchmark::State& state) {
    const int comments = int(state.range(1));
    MarkedDocument d;
    d.essay().setText(plainEssay(std::size_t(state.range(0))));
    for (int i = comments; i >= 1; --i) {
        d.essay().select(i * 56 + 4, 5);
        comments::addComment(d);
    }
    for (auto _ : state) {
        // Deleting comment 1 renumbers every later marker down by one.
        comments::deleteComment(d, u"1");
        state.PauseTiming();
        d.essay().select(4, 5);
        comments::addComment(d);
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_AddCommentsBeforeAllOthers)
    ->Args({100'000, 100})
    ->Args({1'000'000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_DeleteFirstComment)->Args({1'000'000, 1000})->Unit(benchmark::kMillisecond);
