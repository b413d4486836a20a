// Rebuilding paragraphs from the positioned words of printed pages: lines,
// paragraphs, hyphens, page furniture, alignment and styles, notes, and boxes no
// writer would produce.
#include "document/PdfLayout.h"
#include "document/RichTextBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

using namespace tallix;
using namespace tallix::pdf;

namespace {

std::u16string u16(std::string_view s) { return std::u16string(s.begin(), s.end()); }

// Lays out words the way a writer prints them: each character half an em wide,
// a quarter em between words; top is the top of the line's boxes.
struct Printer {
    std::vector<Page> pages{Page{}};
    double left = 72, right = 523; // the text frame of an A4 page
    std::string font = "ABCDEF+LiberationSerif";

    static double width(std::string_view word, double size) { return 0.5 * size * double(word.size()); }

    // One line of words from x; returns its right end.
    double line(double x, double top, std::string_view text, double size = 12, std::string f = {}) {
        if (f.empty())
            f = font;
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t end = text.find(' ', at);
            if (end == std::string_view::npos)
                end = text.size();
            const std::string_view w = text.substr(at, end - at);
            if (!w.empty()) {
                pages.back().boxes.push_back(TextBox{u16(w), x, top, x + width(w, size), top + 1.3 * size, size, f});
                x += width(w, size) + 0.25 * size;
            }
            at = end + 1;
        }
        return x - 0.25 * 12;
    }
    // A line set justified, from the left margin to the right one.
    void full(double top, std::string_view text, double size = 12, double from = 0) {
        const std::size_t first = pages.back().boxes.size();
        const double end = line(from > 0 ? from : left, top, text, size) + 0.25 * 12;
        std::vector<TextBox>& boxes = pages.back().boxes;
        const std::size_t gaps = boxes.size() - first - 1;
        const double extra = (right - (end - 0.25 * size)) / double(gaps);
        for (std::size_t i = first + 1; i < boxes.size(); ++i) {
            boxes[i].left += extra * double(i - first);
            boxes[i].right += extra * double(i - first);
        }
    }
    double centred(double top, std::string_view text, double size = 12, std::string f = {}) {
        const double w = width(text, size); // blanks are a little narrower; near enough
        return line((left + right - w) / 2, top, text, size, std::move(f));
    }
    void newPage() { pages.emplace_back(); }
};

// The paragraphs of the result, split at CR LF.
std::vector<std::u16string> paragraphsOf(const RichContent& c) {
    std::vector<std::u16string> out;
    std::size_t at = 0;
    for (;;) {
        const std::size_t end = c.text.find(u"\r\n", at);
        out.push_back(c.text.substr(at, end == std::u16string::npos ? end : end - at));
        if (end == std::u16string::npos)
            return out;
        at = end + 2;
    }
}

std::string narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s)
        out.push_back(c < 0x80 ? char(c) : '?');
    return out;
}

std::vector<std::string> narrowAll(const std::vector<std::u16string>& v) {
    std::vector<std::string> out;
    for (const auto& s : v)
        out.push_back(narrow(s));
    return out;
}

// The format of the character at position pos.
CharFormat formatAt(const RichContent& c, std::size_t pos) {
    std::size_t at = 0;
    for (const FormatRun& r : c.runs) {
        if (pos < at + std::size_t(r.length))
            return r.format;
        at += std::size_t(r.length);
    }
    ADD_FAILURE() << "no format at " << pos;
    return {};
}

void expectValid(const RichContent& c) {
    RichTextBuffer buffer;
    buffer.assign(c);
    EXPECT_TRUE(buffer.check());
}

// A paragraph of full lines: every line reaches the right margin but the last.
const char* const FullLine1 = "The canal reached the town in the year of the great frost and the price"; // 72 chars = 432 pt
const char* const FullLine2 = "of coal fell by half within a year, so that every workshop that burned";

} // namespace

TEST(PdfLayout, LinesJoinIntoParagraphsThatGapsShortLinesAndIndentsEnd) {
    Printer p;
    // A paragraph of three lines (the last short), one after a wider gap, one that
    // begins with an indent, and an indented block of two lines.
    p.full(100, FullLine1);
    p.full(114, FullLine2);
    p.line(72, 128, "fuel.");
    p.full(150, "After the gap a new paragraph begins here and it too is long enough");
    p.line(72, 164, "to need a second line.");
    p.line(72, 178, "A short line ends its paragraph.");
    p.line(72, 192, "So this is a paragraph of its own.");
    p.full(206, "An indent begins a paragraph too, even straight after a line that", 12, 108);
    p.line(72, 220, "full, and its second line is back at the margin.");
    p.full(234, "A quotation stands indented from its first line to its last, which", 12, 108);
    p.line(108, 248, "why it keeps its indent.");
    const LayoutResult r = buildParagraphs(p.pages);
    const std::vector<std::string> paras = narrowAll(paragraphsOf(r.content));
    ASSERT_EQ(paras.size(), 6u) << ::testing::PrintToString(paras);
    EXPECT_EQ(paras[0], std::string(FullLine1) + " " + FullLine2 + " fuel.");
    EXPECT_EQ(paras[1], "After the gap a new paragraph begins here and it too is long enough to need a second line.");
    EXPECT_EQ(paras[2], "A short line ends its paragraph.");
    EXPECT_EQ(paras[3], "So this is a paragraph of its own.");
    EXPECT_EQ(paras[4].substr(0, 14), "An indent begi");
    EXPECT_EQ(paras[5], "A quotation stands indented from its first line to its last, which why it keeps its indent.");
    ASSERT_EQ(r.content.paragraphs.size(), 6u);
    EXPECT_EQ(r.content.paragraphs[4].startIndentTwips, 0); // a first-line indent
    EXPECT_EQ(r.content.paragraphs[5].startIndentTwips, 720);
    EXPECT_EQ(r.words, p.pages[0].boxes.size());
    expectValid(r.content);
}

TEST(PdfLayout, ParagraphsRunOnAcrossPagesUnlessTheLastLineWasShort) {
    Printer p;
    p.full(100, FullLine1);
    p.full(114, FullLine2);
    p.newPage();
    p.line(72, 72, "the coal of the region. This ends short.");
    p.newPage();
    p.line(72, 72, "A new page, a new paragraph.");
    p.newPage();
    p.line(108, 72, "And an indented line on a new page begins one too.");
    const std::vector<std::string> paras = narrowAll(paragraphsOf(buildParagraphs(p.pages).content));
    ASSERT_EQ(paras.size(), 3u) << paras[0];
    EXPECT_EQ(paras[0], std::string(FullLine1) + " " + FullLine2 + " the coal of the region. This ends short.");
    EXPECT_EQ(paras[1], "A new page, a new paragraph.");
    EXPECT_EQ(paras[2], "And an indented line on a new page begins one too.");
}

TEST(PdfLayout, WordsBrokenAtALinesEndAreJoined) {
    Printer p;
    p.full(100, "Students wrote the essays in the library and then handed in the exam-");
    p.line(72, 114, "ple of their best work with the Anglo-");
    p.full(128, "Saxon charters that the teacher had chosen for the class in the inter-");
    p.pages[0].boxes.back().text = u"inter\u00AD";
    p.line(72, 142, "national section of the library.");
    const std::vector<std::u16string> paras = paragraphsOf(buildParagraphs(p.pages).content);
    ASSERT_EQ(paras.size(), 1u);
    EXPECT_NE(paras[0].find(u"the example of"), std::u16string::npos) << narrow(paras[0]);
    EXPECT_NE(paras[0].find(u"Anglo-Saxon charters"), std::u16string::npos);
    EXPECT_NE(paras[0].find(u"international section"), std::u16string::npos);
    // A hyphen that stands alone, or one at the end of the text, is kept.
    Printer q;
    q.full(100, "Pages 3 - 5 of the book tell the story of the canals and the boats and the");
    q.line(72, 114, "locks; see also well-");
    EXPECT_EQ(narrow(buildParagraphs(q.pages).content.text),
              "Pages 3 - 5 of the book tell the story of the canals and the boats and the locks; see also well-");
}

TEST(PdfLayout, HeadersFootersAndPageNumbersThatRepeatAreLeftOut) {
    Printer p;
    for (int page = 1; page <= 3; ++page) {
        if (page > 1)
            p.newPage();
        p.line(72, 40, "Jane Smith, History 101", 9);
        p.line(72, 100, std::string(page == 1 ? "First" : page == 2 ? "Second" : "Last") + " page.");
        p.centred(800, "Page " + std::to_string(page), 9);
    }
    const LayoutResult r = buildParagraphs(p.pages);
    EXPECT_EQ(narrowAll(paragraphsOf(r.content)),
              (std::vector<std::string>{"First page.", "Second page.", "Last page."}));
    // A header that is missing from one page of three still repeats; a line that
    // only looks alike on one other page does not.
    Printer q;
    q.line(72, 100, "Introduction");
    q.line(72, 130, "The first page.");
    q.line(72, 160, "Its end.");
    q.newPage();
    q.line(72, 40, "Draft 2");
    q.line(72, 100, "The second page.");
    q.line(72, 130, "Its end.");
    q.newPage();
    q.line(72, 40, "Draft 3");
    q.line(72, 100, "The third page.");
    q.line(72, 130, "Its end, once more.");
    EXPECT_EQ(narrowAll(paragraphsOf(buildParagraphs(q.pages).content)),
              (std::vector<std::string>{"Introduction", "The first page.", "The second page.",
                                        "The third page.", "Its end, once more."}));
    // On a single page nothing repeats: its lone number stays.
    Printer one;
    one.line(72, 100, "The only page.");
    one.centred(800, "1");
    EXPECT_EQ(narrowAll(paragraphsOf(buildParagraphs(one.pages).content)),
              (std::vector<std::string>{"The only page.", "1"}));
}

TEST(PdfLayout, CentredAndRightAlignedLinesAndStylesFromTheFontName) {
    Printer p;
    p.centred(60, "The Canals", 16, "ABCDEF+LiberationSerif-Bold");
    p.centred(84, "by Jane Smith", 12, "ABCDEF+LiberationSerif-Italic");
    p.full(110, FullLine1);
    p.line(72, 124, "and a plain word.");
    p.line(523 - Printer::width("Signed,", 12), 150, "Signed,");
    const LayoutResult r = buildParagraphs(p.pages);
    const std::vector<std::string> paras = narrowAll(paragraphsOf(r.content));
    ASSERT_EQ(paras.size(), 4u);
    EXPECT_EQ(paras[0], "The Canals");
    ASSERT_EQ(r.content.paragraphs.size(), 4u);
    EXPECT_EQ(r.content.paragraphs[0].alignment, Alignment::Center);
    EXPECT_EQ(r.content.paragraphs[1].alignment, Alignment::Center);
    EXPECT_EQ(r.content.paragraphs[2].alignment, Alignment::Left);
    EXPECT_EQ(r.content.paragraphs[3].alignment, Alignment::Right);
    EXPECT_EQ(formatAt(r.content, 0).style, fsBold);
    EXPECT_EQ(formatAt(r.content, 0).sizeHalfPoints, 32);
    EXPECT_EQ(formatAt(r.content, r.content.text.find(u"Jane")).style, fsItalic);
    EXPECT_EQ(formatAt(r.content, r.content.text.find(u"plain")).style, 0);

    EXPECT_EQ(styleOfFontName("Arial,BoldItalic"), fsBold | fsItalic);
    EXPECT_EQ(styleOfFontName("TimesNewRomanPS-BoldMT"), fsBold);
    EXPECT_EQ(styleOfFontName("QWERTY+DejaVuSans-Oblique"), fsItalic);
    EXPECT_EQ(styleOfFontName("Times-BI"), fsBold | fsItalic);
    EXPECT_EQ(styleOfFontName("Helvetica"), 0);
    // the subset prefix is no part of the name: "BOLDXX+Times" is plain
    EXPECT_EQ(styleOfFontName("BOLDXX+Times-Roman"), 0);
    EXPECT_EQ(styleOfFontName(""), 0);
}

TEST(PdfLayout, FootnotesGoToTheEndNumberedInTheOrderOfTheirMarks) {
    Printer p;
    p.full(72, FullLine1);
    p.full(86, FullLine2);
    const double trainEnd = p.line(72, 100, "We went by train");
    p.pages[0].boxes.push_back(TextBox{u"a", trainEnd + 0.1, 100, trainEnd + 3.6, 109, 7, p.font});
    const double boardEnd = p.line(72, 114, "and wrote on the board");
    p.pages[0].boxes.push_back(TextBox{u"b", boardEnd + 0.1, 114, boardEnd + 3.6, 123, 7, p.font});
    const double xEnd = p.line(72, 128, "with x");
    p.pages[0].boxes.push_back(TextBox{u"2", xEnd + 0.1, 128, xEnd + 3.6, 137, 7, p.font}); // no note says "2"
    // the notes at the page's foot, the second first, the first one of two lines
    p.line(72, 760, "b She spoke five languages.", 10);
    p.full(772, "a The night train from Berlin that ran every day of the week and the weekend and", 10);
    p.line(72, 784, "weekend too.", 10);
    const LayoutResult r = buildParagraphs(p.pages);
    const std::vector<std::string> paras = narrowAll(paragraphsOf(r.content));
    ASSERT_EQ(paras.size(), 5u) << ::testing::PrintToString(paras);
    EXPECT_EQ(paras[0], std::string(FullLine1) + " " + FullLine2 + " We went by train1");
    EXPECT_EQ(paras[1], "and wrote on the board2");
    EXPECT_EQ(paras[2], "with x2");
    EXPECT_EQ(paras[3], "1. The night train from Berlin that ran every day of the week and the weekend and weekend too.");
    EXPECT_EQ(paras[4], "2. She spoke five languages.");
    // The marks stay raised and small; the text around them is not.
    const CharFormat mark = formatAt(r.content, r.content.text.find(u"train1") + 5);
    EXPECT_GT(mark.offsetTwips, 0);
    EXPECT_EQ(mark.sizeHalfPoints, 14);
    EXPECT_EQ(formatAt(r.content, 0).offsetTwips, 0);
    expectValid(r.content);
}

TEST(PdfLayout, TheOrderOfTheBoxesDoesNotMatter) {
    Printer p;
    p.centred(60, "Title", 16);
    p.full(100, FullLine1);
    p.full(114, FullLine2);
    p.line(72, 128, "fuel.");
    p.line(72, 150, "Second paragraph.");
    const std::u16string inOrder = buildParagraphs(p.pages).content.text;
    std::mt19937 random(27);
    for (int round = 0; round < 5; ++round) {
        std::shuffle(p.pages[0].boxes.begin(), p.pages[0].boxes.end(), random);
        EXPECT_EQ(buildParagraphs(p.pages).content.text, inOrder);
    }
    // Columns of a table give TABs where the gap is wide.
    Printer t;
    t.line(72, 100, "Monday");
    t.line(300, 100, "Beach");
    EXPECT_EQ(narrow(buildParagraphs(t.pages).content.text), "Monday\tBeach");
}

TEST(PdfLayout, BoxesNoWriterWouldMakeGiveAValidDocument) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    Page page;
    page.boxes = {
        TextBox{u"", 10, 10, 20, 20, 12, ""},
        TextBox{u"   ", 10, 10, 20, 20, 12, ""},
        TextBox{u"nan", nan, nan, nan, nan, nan, "Bold"},
        TextBox{u"inf", -inf, inf, inf, -inf, inf, ""},
        TextBox{u"huge", -1e300, -1e300, 1e300, 1e300, 1e300, ""},
        TextBox{u"line\r\nbreaks\ttabs\x01\x7f", 100, 100, 50, 80, -3, ""},
        TextBox{u"zero", 0, 0, 0, 0, 0, ""},
        TextBox{u"same", 0, 0, 0, 0, 0, ""},
        TextBox{u"\xD800", 5, 5, 6, 6, 1, ""},
        TextBox{u"\u00AD", 7, 7, 8, 8, 12, ""},
        TextBox{u"-", 7, 21, 8, 30, 12, ""},
    };
    std::vector<Page> pages{page, Page{}, page};
    const LayoutResult r = buildParagraphs(pages);
    expectValid(r.content);
    for (std::size_t i = 0; i < r.content.text.size(); ++i) {
        if (r.content.text[i] == u'\n') {
            EXPECT_TRUE(i > 0 && r.content.text[i - 1] == u'\r');
        }
    }
    EXPECT_EQ(buildParagraphs({}).words, 0u);
    EXPECT_TRUE(buildParagraphs({}).content.text.empty());
    expectValid(buildParagraphs({Page{}, Page{}}).content);
}
