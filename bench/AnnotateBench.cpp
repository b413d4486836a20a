// Annotating and de-annotating a long essay: 5,000 spans spread evenly over an
// essay of black text (100 KB and 1 MB), then every fifth annotation taken out
// again. Each annotation should cost the length of its span plus the one text
// insertion (or deletion) of its label, whatever the size of the document.
#include "MarkedEssay.h"

#include "annotations/Annotating.h"
#include "document/RichTextBuffer.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace tallix;

namespace {

constexpr int SpanCount = 5'000;
constexpr std::u16string_view Label = u"Sp";

// The text of a generated essay, loaded all black as an import leaves it.
void loadBlackEssay(RichTextBuffer& b, std::size_t chars) {
    static const std::u16string small = bench::makeMarkedEssay({100'000, -1, 7}).text;
    static const std::u16string large = bench::makeMarkedEssay({1'000'000, -1, 7}).text;
    CharFormat f;
    f.colour = clBlack;
    b.setDefaultFormat(f);
    b.setText(chars <= 100'000 ? small : large);
}

// Where the spans go in the unannotated text: the first word of each of SpanCount
// equal slices (words are runs of letters, so no span holds a line break).
std::vector<std::pair<int, int>> spanPlaces(const RichTextBuffer& b) {
    auto letter = [](char16_t c) { return c != u' ' && c != u'\r' && c != u'\n'; };
    const std::u16string& t = b.text();
    const int stride = b.length() / SpanCount;
    std::vector<std::pair<int, int>> places;
    for (int i = 0; i < SpanCount; ++i) {
        int s = i * stride;
        while (s < (i + 1) * stride && letter(t[std::size_t(s)]))
            ++s; // skip the word the slice starts in
        while (s < (i + 1) * stride && !letter(t[std::size_t(s)]))
            ++s;
        int e = s;
        while (e < (i + 1) * stride - 1 && letter(t[std::size_t(e)]))
            ++e;
        if (e > s)
            places.emplace_back(s, e - s);
    }
    return places;
}

// Annotates the spans front to back; each label pushes the later ones along.
int annotateAll(RichTextBuffer& b, const std::vector<std::pair<int, int>>& places) {
    int shift = 0;
    int refused = 0;
    for (auto [start, length] : places) {
        b.select(start + shift, length);
        refused += addAnnotation(b, clRed, Label).has_value();
        shift += int(Label.size());
    }
    return refused;
}

void BM_AnnotateSpans(benchmark::State& state) {
    RichTextBuffer b;
    std::size_t annotations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        loadBlackEssay(b, std::size_t(state.range(0)));
        const auto places = spanPlaces(b);
        state.ResumeTiming();
        int refused = annotateAll(b, places);
        benchmark::DoNotOptimize(refused);
        annotations += places.size() - std::size_t(refused);
    }
    state.counters["annotations"] = double(annotations) / double(state.iterations());
    state.counters["per_annotation"] =
        benchmark::Counter(double(annotations), benchmark::Counter::kIsRate |
                                                    benchmark::Counter::kInvert);
}

// Takes out every fifth annotation, clicking inside its span, back to front so
// that the positions found before are still right.
void BM_DeleteAnnotations(benchmark::State& state) {
    RichTextBuffer b;
    std::size_t removed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        loadBlackEssay(b, std::size_t(state.range(0)));
        const auto places = spanPlaces(b);
        annotateAll(b, places);
        state.ResumeTiming();
        for (std::size_t i = places.size(); i-- > 0;) {
            if (i % 5 != 0)
                continue;
            b.setSelStart(places[i].first + int(i * Label.size()) + 1);
            removed += deleteAnnotation(b).removed;
        }
    }
    state.counters["per_deletion"] = benchmark::Counter(
        double(removed), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_AnnotateSpans)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteAnnotations)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
