// The web export of a long marked essay: quick linking, and complex linking with
// splitting, from the document to the bytes of every page; and the split export
// with its pages written to disk as one set, flushed, as the command line does.
//
// With TALLIX_BENCH_FILES=FOLDER the split benchmark also leaves the essay of
// each size there, as a marked file (essay-N.tlx) and as RTF of the same text
// (essay-N.rtf), for timing the command line beside a word processor:
//   tallix32 --export-web essay-N.tlx out.htm --split 20
//   soffice --headless --convert-to html essay-N.rtf
#include "MarkedEssay.h"

#include "document/RtfWriter.h"
#include "export/web/WebExport.h"
#include "platform/FileIO.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

using namespace tallix;

void exportWeb(benchmark::State& state, bool complex, bool write = false) {
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
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("tallix-bench-web-" + std::to_string(std::random_device{}()));
    if (write) {
        options.links = 20;
        std::filesystem::create_directories(folder);
        if (const char* keep = std::getenv("TALLIX_BENCH_FILES")) {
            const std::string n = std::to_string(chars);
            const std::string base = std::string(keep) + "/essay-" + n;
            doc.saveTlx(base + ".tlx");
            fileio::writeFileAtomic(base + ".rtf", writeRtf(doc.essay().content()));
        }
    }
    const std::string page = write ? (folder / "essay.htm").string() : "/tmp/essay.htm";
    for (auto _ : state) {
        web::WebExportResult r = web::exportWebPages(
            web::WebExportRequest{doc, buttons, titles, colours, links, options, page});
        pages = r.pages.size();
        bytes = 0;
        for (const auto& p : r.pages)
            bytes += p.bytes.size();
        if (write && !web::writeWebPages(r).ok)
            state.SkipWithError("the pages could not be written");
        benchmark::DoNotOptimize(r);
    }
    if (write)
        std::filesystem::remove_all(folder);
    state.counters["pages"] = double(pages);
    state.counters["bytes"] = double(bytes);
    state.counters["errorLabels"] = double(labels);
    state.counters["comments"] = double(doc.commentTexts.size());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(chars));
}

void BM_WebExportQuick(benchmark::State& state) { exportWeb(state, false); }
void BM_WebExportComplexSplit(benchmark::State& state) { exportWeb(state, true); }
// 20 links a page, every page written and flushed.
void BM_WebExportSplitWritten(benchmark::State& state) { exportWeb(state, true, true); }

} // namespace

BENCHMARK(BM_WebExportQuick)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WebExportComplexSplit)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WebExportSplitWritten)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
