// The PDF export as a teacher's script runs it (tallix32 --export-pdf, with no
// display), read back with the Poppler tools: the text in order, the fonts
// embedded, the colours on the rendered page. Each check is skipped where its
// tool is not installed.
#include "ProgramRun.h"
#include "TestFiles.h"
#include "stats/StatsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace tallix::testing {
namespace {

bool haveProgram(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command and returns its standard output.
std::string output(const TempFolder& dir, const std::string& command) {
    const std::string out = dir.file("tool-output");
    if (std::system((command + " >" + shellQuoted(out) + " 2>/dev/null").c_str()) != 0)
        return {};
    return TempFolder::read(out);
}

const std::u16string Unicode = u"\u0391\u03B8\u03AE\u03BD\u03B1 \u041C\u043E\u0441\u043A\u0432\u0430 "
                               u"5\u20AC a<b>c&d\\e";
const std::string UnicodeUtf8 = "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1 "
                                "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 5\xE2\x82\xAC "
                                "a<b>c&d\\e";

class PdfCommand : public ::testing::Test {
protected:
    void SetUp() override {
        EssayBuilder e;
        e.text(u"The essay ").span(u"wrongword").error(u"Sp").text(u" and ")
            .coloured(u"this phrase", clNavy).marker(u"1").text(u" goes on.").paragraph()
            .text(Unicode);
        e.comment(u"About the phrase");
        marked = e.save(dir.file("essay.tlx")); // with feedback 1 and the grade B+
        pdf = dir.file("essay.pdf");
        run = runTallix32(dir, "--export-pdf " + shellQuoted(marked) + " " + shellQuoted(pdf),
                          "TALLIX32_SETTINGS=" + shellQuoted(dir.file("settings.ini")) +
                              " TALLIX32_HOME=" + shellQuoted(dir.path().string() + "/") +
                              " LC_ALL=C.UTF-8");
    }
    TempFolder dir;
    std::string marked, pdf;
    ProcessRun run;
};

TEST_F(PdfCommand, WritesAPdfWithoutADisplayAndItsTextReadsInOrder) {
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, pdf + "\n");
    const std::string bytes = TempFolder::read(pdf);
    ASSERT_EQ(bytes.substr(0, 5), "%PDF-");
    // A4 for a locale without a territory.
    EXPECT_NE(bytes.find("/MediaBox [0 0 595"), std::string::npos);

    if (!haveProgram("pdftotext"))
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed: the PDF's text is not read";
    const std::string text = output(dir, "pdftotext -enc UTF-8 " + shellQuoted(pdf) + " -");
    std::size_t at = 0;
    for (const std::string piece : {"The essay", "wrongword", "Sp", "this phrase", "goes on.",
                                    UnicodeUtf8.c_str(), "Feedback with a red Sp in it",
                                    "Grade:", "B+", "Error Statistics", "Spelling", "Comments",
                                    "1. About the phrase"}) {
        const std::size_t found = text.find(piece, at);
        ASSERT_NE(found, std::string::npos) << "\"" << piece << "\" after " << at << " in\n" << text;
        at = found + piece.size();
    }
}

TEST_F(PdfCommand, EveryFontIsEmbedded) {
    ASSERT_EQ(run.status, 0) << run.err;
    if (!haveProgram("pdffonts"))
        GTEST_SKIP() << "pdffonts (poppler-utils) is not installed: the fonts are not checked";
    std::istringstream fonts(output(dir, "pdffonts " + shellQuoted(pdf)));
    std::string line;
    int rows = 0;
    std::getline(fonts, line); // heading
    std::getline(fonts, line); // rule
    while (std::getline(fonts, line)) {
        if (line.empty())
            continue;
        ++rows;
        // name type encoding emb sub uni object ID: the "emb" column says yes.
        std::istringstream cols(line);
        std::vector<std::string> c;
        for (std::string w; cols >> w;)
            c.push_back(w);
        ASSERT_GE(c.size(), 7u) << line;
        EXPECT_EQ(c[c.size() - 5], "yes") << line;
    }
    EXPECT_GT(rows, 0);
}

TEST_F(PdfCommand, TheRenderedPageShowsRedLabelsAndBlueSpans) {
    ASSERT_EQ(run.status, 0) << run.err;
    if (!haveProgram("pdftoppm"))
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed: the page is not rendered";
    ASSERT_EQ(std::system(("pdftoppm -r 100 -f 1 -l 1 " + shellQuoted(pdf) + " " +
                           shellQuoted(dir.file("page")))
                              .c_str()),
              0);
    std::string ppm;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().extension() == ".ppm")
            ppm = TempFolder::read(entry.path().string());
    ASSERT_EQ(ppm.substr(0, 2), "P6");
    // The header: P6, width, height, maximum, each ended by a blank.
    std::size_t pos = 2;
    int values[3] = {0, 0, 0};
    for (int& v : values) {
        while (std::isspace(static_cast<unsigned char>(ppm[pos])))
            ++pos;
        while (std::isdigit(static_cast<unsigned char>(ppm[pos])))
            v = v * 10 + (ppm[pos++] - '0');
    }
    ++pos;
    int red = 0, blue = 0, teal = 0;
    for (std::size_t i = pos; i + 2 < ppm.size(); i += 3) {
        const int r = static_cast<unsigned char>(ppm[i]), g = static_cast<unsigned char>(ppm[i + 1]),
                  b = static_cast<unsigned char>(ppm[i + 2]);
        red += r > 200 && g < 90 && b < 90;
        blue += b > 200 && r < 90 && g < 90;
        teal += g > 100 && b > 100 && r < 60;
    }
    EXPECT_GT(red, 5) << "no red label on the page";
    EXPECT_GT(blue, 20) << "no blue span on the page";
    EXPECT_EQ(teal, 0);
}

TEST_F(PdfCommand, AnOutputThatIsTheInputIsRefused) {
    const std::string before = TempFolder::read(marked);
    const ProcessRun same = runTallix32(
        dir, "--export-pdf " + shellQuoted(marked) + " " + shellQuoted(marked),
        "TALLIX32_SETTINGS=" + shellQuoted(dir.file("settings.ini")) +
            " TALLIX32_HOME=" + shellQuoted(dir.path().string() + "/"));
    EXPECT_EQ(same.status, 1);
    EXPECT_NE(same.err.find("is the same file as the input"), std::string::npos) << same.err;
    EXPECT_EQ(TempFolder::read(marked), before);
}

} // namespace
} // namespace tallix::testing
