// The web export of a long marked essay: quick linking, and complex linking with
// splitting, from the document to the bytes of every page (files not written).
#include "MarkedEssay.h"

#include "export/web/WebExport.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tallix;

void exportWeb(benchmark::State& state, bool complex) {
    const std::size_t chars = std::size_t(state.range(0));
    MarkedDocument doc;
    doc.essay().assign(bench::makeMarkedEssay({chars, int(chars / 1100), 7}));
    for (std::size_t i = 0; i < chars / 1100; ++i)
        doc.commentTexts.push_back(u"A comment\r\nwith two lines and {{a link}}.");
    doc.feedback1Text = u"Good work overall.";
    doc.grade = u"B";
    const AnnotationSet buttons = AnnotationSet::builtInDefaults();
    const OutputTitles titles;
    const OutputColours colours;
    library::LinkList links;
    links.addLink(u"a link", u"http://example.org/");
    web::WebOptions options;
    if (complex) {
        options.quick = false;
        options.splitFiles = true;
        options.links = 50;
    }
    std::size_t pages = 0, bytes = 0, labels = 0;
    for (int i = 0; i < doc.essay().length(); ++i)
        if (doc.essay().colourAt(i) == clRed && (i == 0 || doc.essay().colourAt(i - 1) != clRed))
            ++labels;
    for (auto _ : state) {
        web::WebExportResult r = web::exportWebPages(
            web::WebExportRequest{doc, buttons, titles, colours, links, options, "/tmp/essay.htm"});
        pages = r.pages.size();
        bytes = 0;
        for (const auto& p : r.pages)
            bytes += p.bytes.size();
        benchmark::DoNotOptimize(r);
    }
    state.counters["pages"] = double(pages);
    state.counters["bytes"] = double(bytes);
    state.counters["errorLabels"] = double(labels);
    state.counters["comments"] = double(doc.commentTexts.size());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(chars));
}

void BM_WebExportQuick(benchmark::State& state) { exportWeb(state, false); }
void BM_WebExportComplexSplit(benchmark::State& state) { exportWeb(state, true); }

} // namespace

BENCHMARK(BM_WebExportQuick)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WebExportComplexSplit)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
