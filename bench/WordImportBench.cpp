// Reading Word and OpenDocument essays: 100 KB and 1 MB of text, so that the two
// times show whether the readers stay linear.
#include "document/DocxReader.h"
#include "document/OdtReader.h"
#include "document/ZipXml.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using namespace tallix;

// Paragraphs of about 400 characters of text, with bold, italic and styled runs,
// a list item every tenth paragraph and a table row every twentieth.
std::string wordEssay(std::size_t textBytes) {
    const std::string ns = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    std::string body;
    std::size_t text = 0;
    for (int n = 0; text < textBytes; ++n) {
        const std::string sentence = "The student wrote this sentence number " + std::to_string(n) + " of the essay. ";
        if (n % 20 == 19) {
            body += "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>" + sentence + "</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>" +
                    sentence + "</w:t></w:r></w:p></w:tc></w:tr></w:tbl>";
            text += 2 * sentence.size();
            continue;
        }
        body += n % 10 == 9 ? "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr>"
                            : "<w:p><w:pPr><w:pStyle w:val=\"Body\"/><w:jc w:val=\"both\"/></w:pPr>";
        for (int k = 0; k < 5; ++k) {
            const char* props = k == 1 ? "<w:rPr><w:b/></w:rPr>" : k == 3 ? "<w:rPr><w:i/><w:sz w:val=\"26\"/></w:rPr>" : "";
            body += std::string("<w:r>") + props + "<w:t xml:space=\"preserve\">" + sentence + "</w:t></w:r>";
            text += sentence.size();
        }
        body += "</w:p>";
    }
    const std::string styles =
        "<w:styles " + ns + "><w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val=\"24\"/></w:rPr></w:rPrDefault>"
        "</w:docDefaults><w:style w:type=\"paragraph\" w:styleId=\"Body\"><w:rPr><w:rFonts w:ascii=\"Arial\"/>"
        "</w:rPr></w:style></w:styles>";
    const std::string numbering =
        "<w:numbering " + ns + "><w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"decimal\"/>"
        "<w:lvlText w:val=\"%1.\"/></w:lvl></w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>"
        "</w:numbering>";
    return zipxml::buildZip({{"word/document.xml", "<w:document " + ns + "><w:body>" + body + "</w:body></w:document>"},
                             {"word/styles.xml", styles},
                             {"word/numbering.xml", numbering}});
}

std::string odtEssay(std::size_t textBytes) {
    const std::string ns = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                           "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
                           "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\"";
    std::string body;
    std::size_t text = 0;
    for (int n = 0; text < textBytes; ++n) {
        const std::string sentence = "The student wrote this sentence number " + std::to_string(n) + " of the essay. ";
        body += "<text:p text:style-name=\"P1\">";
        for (int k = 0; k < 5; ++k) {
            body += k == 1 ? "<text:span text:style-name=\"T1\">" + sentence + "</text:span>" : sentence;
            text += sentence.size();
        }
        body += "</text:p>";
    }
    const std::string automatic =
        "<style:style style:name=\"P1\" style:family=\"paragraph\"><style:paragraph-properties fo:text-align=\"justify\"/>"
        "</style:style><style:style style:name=\"T1\" style:family=\"text\"><style:text-properties "
        "fo:font-weight=\"bold\"/></style:style>";
    return zipxml::buildZip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                             {"content.xml", "<office:document-content " + ns + "><office:automatic-styles>" +
                                                 automatic + "</office:automatic-styles><office:body><office:text>" +
                                                 body + "</office:text></office:body></office:document-content>"}});
}

// With TALLIX_BENCH_FILES set to a folder, each benchmark leaves its file there
// (essay-N.docx, essay-N.odt), for the comparison with LibreOffice
// (compare-word-import.sh).
void leaveFile(const std::string& bytes, const std::string& name) {
    if (const char* folder = std::getenv("TALLIX_BENCH_FILES"))
        std::ofstream(std::string(folder) + "/" + name, std::ios::binary) << bytes;
}

void BM_ReadDocx(benchmark::State& state) {
    const std::string bytes = wordEssay(std::size_t(state.range(0)));
    leaveFile(bytes, "essay-" + std::to_string(state.range(0)) + ".docx");
    for (auto _ : state) {
        RichContent c;
        WordReadResult r = readDocx(bytes, c);
        if (!r.ok)
            state.SkipWithError(r.error.c_str());
        benchmark::DoNotOptimize(c.text.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadDocx)->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

void BM_ReadOdt(benchmark::State& state) {
    const std::string bytes = odtEssay(std::size_t(state.range(0)));
    leaveFile(bytes, "essay-" + std::to_string(state.range(0)) + ".odt");
    for (auto _ : state) {
        RichContent c;
        WordReadResult r = readOdt(bytes, c);
        if (!r.ok)
            state.SkipWithError(r.error.c_str());
        benchmark::DoNotOptimize(c.text.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadOdt)->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

} // namespace
