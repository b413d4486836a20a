// Reading RTF of about 1 MB in three shapes: what our own writer produces, what Word
// produces (a control word every few letters, a group per run), and a short text
// with a large embedded picture to skip.
#include "MarkedEssay.h"

#include "document/RtfReader.h"
#include "document/RtfWriter.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace tallix;

namespace {

std::string wordStyleRtf(std::size_t targetBytes) {
    std::string rtf =
        "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff31507\\deff0{\\fonttbl{\\f0\\fbidi \\froman\\fcharset0"
        "\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}{\\f31506\\fbidi \\fswiss\\fcharset0\\fprq2"
        "{\\*\\panose 020f0502020204030204}Calibri;}}{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}"
        "{\\*\\rsidtbl \\rsid1343879}{\\info{\\title Essay}}\n";
    const std::string paragraph =
        "\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\sa160\\sl259\\slmult1\\widctlpar\\wrapdefault\\aspalpha\\aspnum"
        "\\faauto\\adjustright\\rin0\\lin0\\itap0\\pararsid1343879 \\rtlch\\fcs1 \\af0\\afs22\\alang1025 \\ltrch\\fcs0 "
        "\\f31506\\fs22\\lang2057\\langfe1033\\cgrid\\langnp2057\\langfenp1033 {\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 "
        "\\insrsid1343879 The holiday was long and the weather\\rquote s moods were }{\\rtlch\\fcs1 \\ai\\af0 "
        "\\ltrch\\fcs0 \\i\\insrsid1343879 unpredictable}{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\insrsid1343879 , "
        "but we enjoyed it \\endash  mostly. Caf\\'e9s, na\\u239\\'efve tourists and }{\\rtlch\\fcs1 \\af0 "
        "\\ltrch\\fcs0 \\cf2\\insrsid1343879 red}{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\insrsid1343879  sunsets.\n"
        "\\par }";
    while (rtf.size() < targetBytes)
        rtf += paragraph;
    return rtf + "}";
}

std::string pictureRtf(std::size_t targetBytes) {
    std::string rtf = "{\\rtf1\\ansi Before the picture.\\par{\\*\\shppict{\\pict\\pngblip\\picw100\\pich100 ";
    const std::string line(128, 'a');
    while (rtf.size() < targetBytes)
        rtf += line + "\r\n";
    return rtf + "}}After.\\par}";
}

void readAll(benchmark::State& state, const std::string& rtf) {
    RichContent content;
    for (auto _ : state) {
        RtfReadResult r = readRtf(rtf, content);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(content.text.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(rtf.size()));
    state.counters["rtf_bytes"] = double(rtf.size());
    state.counters["chars"] = double(content.text.size());
}

void BM_ReadRtfOwnWriter(benchmark::State& state) {
    static const std::string rtf = writeRtf(bench::makeMarkedEssay({600'000, -1, 42}));
    readAll(state, rtf);
}

void BM_ReadRtfWordStyle(benchmark::State& state) {
    static const std::string rtf = wordStyleRtf(1'000'000);
    readAll(state, rtf);
}

void BM_ReadRtfPicture(benchmark::State& state) {
    static const std::string rtf = pictureRtf(1'000'000);
    readAll(state, rtf);
}

} // namespace

BENCHMARK(BM_ReadRtfOwnWriter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRtfWordStyle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRtfPicture)->Unit(benchmark::kMillisecond);
