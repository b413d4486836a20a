// The plain-text, RTF and Word exports of a long marked essay, from the document
// to the bytes of the file (not written).
#include "MarkedEssay.h"

#include "export/DocxExport.h"
#include "export/RtfExport.h"
#include "export/TextExport.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tallix;

struct Essay {
    MarkedDocument doc;
    AnnotationSet buttons = AnnotationSet::builtInDefaults();
    OutputTitles titles;
    OutputColours colours;
    library::LinkList links;
    std::size_t labels = 0;

    explicit Essay(std::size_t chars) {
        doc.essay().assign(bench::makeMarkedEssay({chars, int(chars / 1100), 7}));
        for (std::size_t i = 0; i < chars / 1100; ++i)
            doc.commentTexts.push_back(u"A comment\r\nwith two lines and {{a link}}.");
        doc.feedback1Text = u"Good work overall.";
        doc.grade = u"B";
        links.addLink(u"a link", u"http://example.org/");
        colours.setIndex(ColourRole::Comment, 1); // the markers are recoloured
        const RichTextBuffer& b = doc.essay();
        for (int i = 0; i < b.length(); ++i) {
            const Colour c = b.colourAt(i);
            if ((c == clRed || c == clTeal) && (i == 0 || b.colourAt(i - 1) != c))
                ++labels;
        }
    }
};

void BM_TextExport(benchmark::State& state) {
    Essay e(std::size_t(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        exports::TextExportResult r = exports::exportText(
            exports::TextExportRequest{e.doc, e.buttons, e.titles, e.links, {}});
        bytes = r.bytes.size();
        benchmark::DoNotOptimize(r);
    }
    state.counters["labels"] = double(e.labels);
    state.counters["bytes"] = double(bytes);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * state.range(0));
}

void BM_RtfExport(benchmark::State& state) {
    Essay e(std::size_t(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        exports::RtfExportResult r = exports::exportRtf(
            exports::RtfExportRequest{e.doc, e.buttons, e.titles, e.colours, e.links, {}});
        bytes = r.bytes.size();
        benchmark::DoNotOptimize(r);
    }
    state.counters["labels"] = double(e.labels);
    state.counters["bytes"] = double(bytes);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * state.range(0));
}

void BM_DocxExport(benchmark::State& state) {
    Essay e(std::size_t(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        exports::DocxExportResult r = exports::exportDocx(
            exports::ExportSources{e.doc, e.buttons, e.titles, e.colours, e.links}, {});
        bytes = r.bytes.size();
        benchmark::DoNotOptimize(r);
    }
    state.counters["labels"] = double(e.labels);
    state.counters["bytes"] = double(bytes);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * state.range(0));
}

} // namespace

BENCHMARK(BM_DocxExport)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextExport)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RtfExport)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
