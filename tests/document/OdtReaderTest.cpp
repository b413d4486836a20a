// The OpenDocument reader on small documents made here.
#include "document/OdtReader.h"
#include "platform/TextCodec.h"

#include "WordFileBuilder.h"

#include <gtest/gtest.h>

using namespace tallix;
using namespace tallix::testing;

namespace {

RichContent read(const std::string& text, const std::string& automatic = {}, const std::string& named = {}) {
    RichContent c;
    WordReadResult r = readOdt(makeOdt(text, automatic, named), c);
    EXPECT_TRUE(r.ok) << r.error;
    int covered = 0;
    for (const FormatRun& run : c.runs)
        covered += run.length;
    EXPECT_EQ(covered, int(c.text.size()));
    return c;
}

CharFormat formatOf(const RichContent& c, std::u16string_view word) {
    const std::size_t pos = c.text.find(word);
    std::size_t at = 0;
    for (const FormatRun& run : c.runs) {
        if (pos < at + std::size_t(run.length))
            return run.format;
        at += std::size_t(run.length);
    }
    ADD_FAILURE() << "text not found";
    return {};
}

} // namespace

TEST(OdtReader, ParagraphsHeadingsSpansAndTheirStyles) {
    const std::string named =
        "<style:default-style style:family=\"paragraph\"><style:text-properties fo:font-size=\"11pt\" "
        "style:font-name=\"Serif\"/></style:default-style>"
        "<style:style style:name=\"Heading\" style:family=\"paragraph\"><style:paragraph-properties "
        "fo:text-align=\"center\"/><style:text-properties fo:font-weight=\"bold\" fo:font-size=\"150%\"/></style:style>"
        "<style:style style:name=\"Emphasis\" style:family=\"text\"><style:text-properties fo:font-style=\"italic\"/>"
        "</style:style>";
    const std::string automatic =
        "<style:style style:name=\"P1\" style:family=\"paragraph\" style:parent-style-name=\"Heading\">"
        "<style:paragraph-properties fo:text-align=\"end\"/></style:style>"
        "<style:style style:name=\"P2\" style:family=\"paragraph\"><style:paragraph-properties "
        "fo:margin-left=\"0.5in\"/></style:style>"
        "<style:style style:name=\"T1\" style:family=\"text\"><style:text-properties "
        "style:text-underline-style=\"solid\" fo:font-family=\"'DejaVu Sans'\"/></style:style>"
        "<style:style style:name=\"T2\" style:family=\"text\"><style:text-properties style:text-position=\"super 58%\"/>"
        "</style:style>";
    RichContent c = read("<text:h text:style-name=\"Heading\" text:outline-level=\"1\">Title</text:h>"
                         "<text:p text:style-name=\"P1\">Right</text:p>"
                         "<text:p text:style-name=\"P2\">Some <text:span text:style-name=\"Emphasis\">slanted "
                         "<text:span text:style-name=\"T1\">and lined</text:span></text:span> text<text:span "
                         "text:style-name=\"T2\">2</text:span></text:p>",
                         automatic, named);
    EXPECT_EQ(c.text, u"Title\r\nRight\r\nSome slanted and lined text2");
    EXPECT_EQ(c.paragraphs[0].alignment, Alignment::Center);
    EXPECT_EQ(c.paragraphs[1].alignment, Alignment::Right);
    EXPECT_EQ(c.paragraphs[2].startIndentTwips, 720);
    EXPECT_EQ(formatOf(c, u"Title").style, fsBold);
    EXPECT_EQ(formatOf(c, u"Title").sizeHalfPoints, 33); // 150% of 11 points
    EXPECT_EQ(formatOf(c, u"Right").style, fsBold);
    EXPECT_EQ(formatOf(c, u"Some").sizeHalfPoints, 22);
    EXPECT_EQ(formatOf(c, u"Some").fontName, u"Serif");
    EXPECT_EQ(formatOf(c, u"slanted").style, fsItalic);
    EXPECT_EQ(formatOf(c, u"and lined").style, fsItalic | fsUnderline);
    EXPECT_EQ(formatOf(c, u"and lined").fontName, u"DejaVu Sans");
    EXPECT_GT(formatOf(c, u"2").offsetTwips, 0);
}

TEST(OdtReader, SpacesTabsAndLineBreaks) {
    RichContent c = read("<text:p>  Two<text:s text:c=\"3\"/>and   collapsed\n words<text:tab/>tab"
                         "<text:line-break/>next line</text:p><text:p/><text:p>last</text:p>");
    EXPECT_EQ(c.text, u"Two   and collapsed words\ttab\r\nnext line\r\n\r\nlast");
}

TEST(OdtReader, ListsTablesNotesAndTrackedChanges) {
    const std::string automatic =
        "<text:list-style style:name=\"L1\"><text:list-level-style-bullet text:level=\"1\" text:bullet-char=\"\xE2\x80\xA2\">"
        "<style:list-level-properties><style:list-level-label-alignment fo:margin-left=\"0.5in\"/>"
        "</style:list-level-properties></text:list-level-style-bullet></text:list-style>"
        "<text:list-style style:name=\"L2\"><text:list-level-style-number text:level=\"1\" style:num-suffix=\".\" "
        "style:num-format=\"1\"/><text:list-level-style-number text:level=\"2\" style:num-suffix=\")\" "
        "style:num-format=\"a\" text:display-levels=\"2\"/></text:list-style>";
    const std::string text =
        "<text:tracked-changes><text:changed-region text:id=\"c1\"><text:deletion><text:p>deleted words</text:p>"
        "</text:deletion></text:changed-region></text:tracked-changes>"
        "<text:list text:style-name=\"L1\"><text:list-item><text:p>apples</text:p></text:list-item>"
        "<text:list-item><text:p>pears</text:p></text:list-item></text:list>"
        "<text:list text:style-name=\"L2\"><text:list-item><text:p>one</text:p><text:list><text:list-item>"
        "<text:p>sub</text:p></text:list-item><text:list-item><text:p>sub two</text:p></text:list-item></text:list>"
        "</text:list-item><text:list-item><text:p>two</text:p></text:list-item></text:list>"
        "<table:table><table:table-column table:number-columns-repeated=\"2\"/><table:table-row>"
        "<table:table-cell><text:p>A1</text:p></table:table-cell><table:table-cell><text:p>B1</text:p>"
        "</table:table-cell></table:table-row><table:table-row><table:table-cell><text:p>A2</text:p><text:p>more</text:p>"
        "</table:table-cell><table:table-cell><text:p>B2</text:p></table:table-cell></table:table-row></table:table>"
        "<text:p>The <text:change-start text:change-id=\"c2\"/>new<text:change-end text:change-id=\"c2\"/> cat"
        "<text:change text:change-id=\"c1\"/> sat<text:note text:id=\"n1\" text:note-class=\"footnote\">"
        "<text:note-citation>1</text:note-citation><text:note-body><text:p>A footnote.</text:p></text:note-body>"
        "</text:note> down<text:note text:note-class=\"endnote\"><text:note-citation>i</text:note-citation>"
        "<text:note-body><text:p>An endnote.</text:p></text:note-body></text:note>.</text:p>";
    RichContent c = read(text, automatic);
    EXPECT_EQ(c.text, u"\u2022\tapples\r\n\u2022\tpears\r\n1.\tone\r\n1.a)\tsub\r\n1.b)\tsub two\r\n2.\ttwo\r\n"
                      u"A1\tB1\r\nA2\r\nmore\tB2\r\nThe new cat sat1 down2.\r\n1. A footnote.\r\n2. An endnote.");
    EXPECT_EQ(c.paragraphs[0].startIndentTwips, 720);
}

TEST(OdtReader, FramesTextBoxesAndCaptionsKeepTheirText) {
    const std::string draw = "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\"";
    // A text frame anchored in a paragraph, and an image with its caption as
    // LibreOffice writes one: a frame whose text box holds the image's frame and
    // the caption's text with its number.
    const std::string text =
        "<text:p>Before <draw:frame " + draw + " draw:name=\"Frame1\"><draw:text-box><text:p>In the "
        "<text:span text:style-name=\"T1\">frame</text:span></text:p><text:list><text:list-item><text:p>listed</text:p>"
        "</text:list-item></text:list></draw:text-box></draw:frame>after</text:p>"
        "<text:p><draw:frame " + draw + " draw:name=\"Caption1\"><draw:text-box><text:p>"
        "<draw:frame draw:name=\"Image1\"><draw:image/><svg:title>alt text</svg:title></draw:frame>Illustration "
        "<text:sequence text:name=\"Illustration\">1</text:sequence>: the plan</text:p></draw:text-box></draw:frame></text:p>"
        "<text:p>An image alone<draw:frame " + draw + "><draw:image/></draw:frame>.</text:p>";
    RichContent c = read(text, "<style:style style:name=\"T1\" style:family=\"text\"><style:text-properties "
                               "fo:font-weight=\"bold\"/></style:style>");
    EXPECT_EQ(c.text, u"Before after\r\nIn the frame\r\n\u2022\tlisted\r\n\r\nIllustration 1: the plan\r\n"
                      u"An image alone.");
    EXPECT_EQ(formatOf(c, u"frame").style, fsBold);
}

TEST(OdtReader, SymbolAndWingdingsCharacters) {
    const std::string automatic =
        "<style:style style:name=\"S\" style:family=\"text\"><style:text-properties style:font-name=\"Symbol\"/>"
        "</style:style><style:style style:name=\"W\" style:family=\"text\"><style:text-properties "
        "fo:font-family=\"Wingdings\"/></style:style>"
        "<text:list-style style:name=\"L\"><text:list-level-style-bullet text:level=\"1\" text:bullet-char=\"&#xF0DE;\">"
        "<style:text-properties style:font-name=\"Symbol\"/></text:list-level-style-bullet></text:list-style>";
    const std::string text = "<text:p>x<text:span text:style-name=\"S\">&#xF0DB;a</text:span>"
                             "<text:span text:style-name=\"W\">&#xF0FC;</text:span></text:p>"
                             "<text:list text:style-name=\"L\"><text:list-item><text:p>item</text:p></text:list-item></text:list>";
    const RichContent c = read(text, automatic);
    EXPECT_EQ(text::toUtf8(c.text), "x⇔α✓\r\n⇒\titem");
    EXPECT_EQ(formatOf(c, u"\u21D4").fontName, u"Times New Roman");
}
