// The Word reader on small documents made here, one feature at a time.
#include "document/DocxReader.h"
#include "platform/TextCodec.h"

#include "WordFileBuilder.h"

#include <gtest/gtest.h>

using namespace tallix;
using namespace tallix::testing;

namespace {

RichContent read(const DocxParts& parts) {
    RichContent c;
    WordReadResult r = readDocx(makeDocx(parts), c);
    EXPECT_TRUE(r.ok) << r.error;
    // The reader keeps the content's rules: runs cover the text, one paragraph
    // format per line.
    int covered = 0;
    for (const FormatRun& run : c.runs) {
        EXPECT_GT(run.length, 0);
        covered += run.length;
    }
    EXPECT_EQ(covered, int(c.text.size()));
    std::size_t breaks = 0;
    for (std::size_t at = c.text.find(u"\r\n"); at != std::u16string::npos; at = c.text.find(u"\r\n", at + 2))
        ++breaks;
    EXPECT_EQ(c.paragraphs.size(), breaks + 1);
    return c;
}

CharFormat formatAt(const RichContent& c, std::size_t pos) {
    std::size_t at = 0;
    for (const FormatRun& run : c.runs) {
        if (pos < at + std::size_t(run.length))
            return run.format;
        at += std::size_t(run.length);
    }
    ADD_FAILURE() << "no run at " << pos;
    return {};
}

CharFormat formatOf(const RichContent& c, std::u16string_view word) {
    const std::size_t at = c.text.find(word);
    if (at == std::u16string::npos) {
        ADD_FAILURE() << "text not found";
        return {};
    }
    return formatAt(c, at);
}

std::string p(const std::string& inner, const std::string& pPr = {}) {
    return "<w:p>" + (pPr.empty() ? "" : "<w:pPr>" + pPr + "</w:pPr>") + inner + "</w:p>";
}
std::string r(const std::string& text, const std::string& rPr = {}) {
    return "<w:r>" + (rPr.empty() ? "" : "<w:rPr>" + rPr + "</w:rPr>") + "<w:t xml:space=\"preserve\">" +
           text + "</w:t></w:r>";
}

} // namespace

TEST(DocxReader, ParagraphsAlignmentIndentAndDirectRunFormatting) {
    RichContent c = read({p(r("Title", "<w:b/><w:sz w:val=\"32\"/>"), "<w:jc w:val=\"center\"/>") +
                          p(r("plain ") + r("slanted", "<w:i/>") + r(" lined", "<w:u w:val=\"single\"/>") +
                            r(" not", "<w:u w:val=\"none\"/>")) +
                          p(r("right", "<w:rFonts w:ascii=\"Courier New\"/>"), "<w:jc w:val=\"end\"/>") +
                          p(r("indented"), "<w:ind w:left=\"720\" w:hanging=\"360\"/>") +
                          p(r("up", "<w:vertAlign w:val=\"superscript\"/>") + r("struck", "<w:strike/>"),
                            "<w:jc w:val=\"both\"/>")});
    EXPECT_EQ(c.text, u"Title\r\nplain slanted lined not\r\nright\r\nindented\r\nupstruck");
    ASSERT_EQ(c.paragraphs.size(), 5u);
    EXPECT_EQ(c.paragraphs[0].alignment, Alignment::Center);
    EXPECT_EQ(c.paragraphs[1].alignment, Alignment::Left);
    EXPECT_EQ(c.paragraphs[2].alignment, Alignment::Right);
    EXPECT_EQ(c.paragraphs[3].startIndentTwips, 720);
    EXPECT_EQ(c.paragraphs[4].alignment, Alignment::Left); // justified reads as left
    EXPECT_EQ(formatOf(c, u"Title").style, fsBold);
    EXPECT_EQ(formatOf(c, u"Title").sizeHalfPoints, 32);
    EXPECT_EQ(formatOf(c, u"plain").style, 0);
    EXPECT_EQ(formatOf(c, u"plain").sizeHalfPoints, 20); // Word's size when none is given
    EXPECT_EQ(formatOf(c, u"slanted").style, fsItalic);
    EXPECT_EQ(formatOf(c, u"lined").style, fsUnderline);
    EXPECT_EQ(formatOf(c, u"not").style, 0);
    EXPECT_EQ(formatOf(c, u"right").fontName, u"Courier New");
    EXPECT_GT(formatOf(c, u"up").offsetTwips, 0);
    EXPECT_EQ(formatOf(c, u"struck").style, fsStrikeOut);
    EXPECT_EQ(formatOf(c, u"plain").colour, clWindowText);
}

TEST(DocxReader, StylesWithDefaultsInheritanceAndDirectOverrides) {
    const std::string styles =
        "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Georgia\"/><w:sz w:val=\"24\"/></w:rPr>"
        "</w:rPrDefault><w:pPrDefault><w:pPr><w:ind w:left=\"100\"/></w:pPr></w:pPrDefault></w:docDefaults>"
        "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:rPr><w:sz w:val=\"22\"/>"
        "</w:rPr></w:style>"
        "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:basedOn w:val=\"Normal\"/>"
        "<w:pPr><w:jc w:val=\"center\"/><w:ind w:left=\"0\"/></w:pPr><w:rPr><w:b/><w:sz w:val=\"36\"/></w:rPr></w:style>"
        "<w:style w:type=\"paragraph\" w:styleId=\"Heading2\"><w:basedOn w:val=\"Heading1\"/>"
        "<w:rPr><w:i/><w:rFonts w:ascii=\"Arial\"/></w:rPr></w:style>"
        "<w:style w:type=\"character\" w:styleId=\"Emph\"><w:rPr><w:i/><w:u w:val=\"single\"/></w:rPr></w:style>"
        // A cycle of basedOn must not hang the reader.
        "<w:style w:type=\"paragraph\" w:styleId=\"LoopA\"><w:basedOn w:val=\"LoopB\"/></w:style>"
        "<w:style w:type=\"paragraph\" w:styleId=\"LoopB\"><w:basedOn w:val=\"LoopA\"/></w:style>";
    RichContent c = read({p(r("Head"), "<w:pStyle w:val=\"Heading1\"/>") +
                              p(r("Sub") + r("Plain", "<w:b w:val=\"0\"/>"), "<w:pStyle w:val=\"Heading2\"/>") +
                              p(r("body ") + r("stressed", "<w:rStyle w:val=\"Emph\"/>") +
                                r("direct", "<w:rStyle w:val=\"Emph\"/><w:i w:val=\"false\"/><w:sz w:val=\"28\"/>")) +
                              p(r("loop"), "<w:pStyle w:val=\"LoopA\"/>"),
                          styles});
    EXPECT_EQ(c.text, u"Head\r\nSubPlain\r\nbody stresseddirect\r\nloop");
    EXPECT_EQ(c.paragraphs[0].alignment, Alignment::Center);
    EXPECT_EQ(c.paragraphs[0].startIndentTwips, 0);
    EXPECT_EQ(c.paragraphs[1].alignment, Alignment::Center); // from Heading1 beneath
    EXPECT_EQ(c.paragraphs[2].startIndentTwips, 100);        // the document default
    EXPECT_EQ(formatOf(c, u"Head").style, fsBold);
    EXPECT_EQ(formatOf(c, u"Head").sizeHalfPoints, 36);
    EXPECT_EQ(formatOf(c, u"Head").fontName, u"Georgia");
    EXPECT_EQ(formatOf(c, u"Sub").style, fsBold | fsItalic);
    EXPECT_EQ(formatOf(c, u"Sub").fontName, u"Arial");
    EXPECT_EQ(formatOf(c, u"Plain").style, fsItalic);
    EXPECT_EQ(formatOf(c, u"body").sizeHalfPoints, 22); // the default paragraph style
    EXPECT_EQ(formatOf(c, u"stressed").style, fsItalic | fsUnderline);
    EXPECT_EQ(formatOf(c, u"direct").style, fsUnderline);
    EXPECT_EQ(formatOf(c, u"direct").sizeHalfPoints, 28);
}

TEST(DocxReader, TabsBreaksSymbolsHyperlinksAndContentControls) {
    const std::string body =
        p(r("a") + "<w:r><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t><w:cr/><w:t>d</w:t></w:r>", "<w:jc w:val=\"right\"/>") +
        p("<w:r><w:br w:type=\"page\"/></w:r>" + r("after page")) +
        p(r("before") + "<w:r><w:br w:type=\"page\"/><w:t>next</w:t></w:r>") +
        p("<w:r><w:sym w:font=\"Symbol\" w:char=\"F061\"/><w:noBreakHyphen/></w:r>" +
          std::string("<w:hyperlink r:id=\"rId5\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/"
                      "2006/relationships\">") +
          r("link text") + "</w:hyperlink>") +
        "<w:sdt><w:sdtPr><w:alias w:val=\"Name\"/><w:text/></w:sdtPr><w:sdtContent>" +
        p("<w:sdt><w:sdtPr><w:tag w:val=\"x\"/></w:sdtPr><w:sdtContent>" + r("Ann Smith") +
          "</w:sdtContent></w:sdt>") +
        "</w:sdtContent></w:sdt>" + p(r("hidden", "<w:vanish/>") + r("shown"));
    RichContent c = read({body});
    EXPECT_EQ(c.text, u"a\tb\r\nc\r\nd\r\nafter page\r\nbefore\r\nnext\r\n"
                      u"\u03B1\u2011link text\r\nAnn Smith\r\nshown");
    // Lines made by breaks keep their paragraph's format.
    EXPECT_EQ(c.paragraphs[1].alignment, Alignment::Right);
    EXPECT_EQ(c.paragraphs[2].alignment, Alignment::Right);
    EXPECT_EQ(c.paragraphs[3].alignment, Alignment::Left);
    // Symbol's 0x61 is alpha, in the paragraph's font, which has it.
    EXPECT_EQ(formatOf(c, u"\u03B1\u2011").fontName, u"Times New Roman");
}

TEST(DocxReader, FieldsShowTheirResultNeverTheInstruction) {
    auto fld = [](const char* type) {
        return std::string("<w:r><w:fldChar w:fldCharType=\"") + type + "\"/></w:r>";
    };
    const std::string body =
        p(r("Page ") + fld("begin") + "<w:r><w:instrText> PAGE </w:instrText></w:r>" + fld("separate") +
          r("3") + fld("end") + r(" of ") +
          // a field inside the instruction of another: only the outer result shows
          fld("begin") + "<w:r><w:instrText>IF </w:instrText></w:r>" + fld("begin") +
          "<w:r><w:instrText>NUMPAGES</w:instrText></w:r>" + fld("separate") + r("9") + fld("end") +
          "<w:r><w:instrText> = 1 \"x\" \"y\"</w:instrText></w:r>" + fld("separate") + r("y") + fld("end")) +
        p("<w:fldSimple w:instr=\" DATE \">" + r("9 December") + "</w:fldSimple>") +
        p(fld("begin") + "<w:r><w:instrText>HYPERLINK \"http://x\"</w:instrText></w:r>" + fld("separate") +
          r("the link") + fld("end"));
    RichContent c = read({body});
    EXPECT_EQ(c.text, u"Page 3 of y\r\n9 December\r\nthe link");
}

TEST(DocxReader, TrackedChangesKeepInsertionsAndDropDeletions) {
    const std::string body =
        p(r("The ") + "<w:ins w:id=\"1\" w:author=\"S\">" + r("big ") + "</w:ins>" + "<w:del w:id=\"2\" w:author=\"S\">" +
          "<w:r><w:delText>small </w:delText></w:r></w:del>" + r("cat") +
          "<w:moveFrom w:id=\"3\">" + r(" moved away") + "</w:moveFrom>" + "<w:moveTo w:id=\"4\">" + r(" sat") +
          "</w:moveTo>") +
        // The old formatting kept by a format change does not apply.
        p("<w:r><w:rPr><w:i/><w:rPrChange w:id=\"5\"><w:rPr><w:b/></w:rPr></w:rPrChange></w:rPr><w:t>now</w:t></w:r>") +
        // A deleted paragraph mark joins the paragraph to the next.
        p(r("joined "), "<w:rPr><w:del w:id=\"6\" w:author=\"S\"/></w:rPr>") + p(r("here"));
    RichContent c = read({body});
    EXPECT_EQ(c.text, u"The big cat sat\r\nnow\r\njoined here");
    EXPECT_EQ(formatOf(c, u"now").style, fsItalic);
}

TEST(DocxReader, TablesGiveOneLinePerRowWithCellsSeparatedByTabs) {
    auto tc = [](const std::string& inner) { return "<w:tc><w:tcPr><w:tcW w:w=\"2000\"/></w:tcPr>" + inner + "</w:tc>"; };
    const std::string body =
        p(r("Before")) + "<w:tbl><w:tblPr><w:tblW w:w=\"0\"/></w:tblPr><w:tblGrid><w:gridCol/></w:tblGrid>" +
        "<w:tr>" + tc(p(r("A1"))) + tc(p(r("B1"))) + tc(p(r("C1"))) + "</w:tr>" +
        "<w:tr>" + tc(p(r("A2 first")) + p(r("A2 second"))) + tc(p("")) + tc(p(r("C2"))) + "</w:tr>" +
        "<w:tr><w:trPr><w:del w:id=\"1\" w:author=\"S\"/></w:trPr>" + tc(p(r("gone"))) + tc(p(r("gone too"))) + "</w:tr>" +
        "</w:tbl>" + p(r("After"));
    RichContent c = read({body});
    EXPECT_EQ(c.text, u"Before\r\nA1\tB1\tC1\r\nA2 first\r\nA2 second\t\tC2\r\nAfter");
}

TEST(DocxReader, ListItemsBeginWithTheirBulletOrNumberAndATab) {
    const std::string numbering =
        "<w:abstractNum w:abstractNumId=\"0\">"
        "<w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt w:val=\"bullet\"/><w:lvlText w:val=\"\xEF\x82\xB7\"/>"
        "<w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr><w:rPr><w:rFonts w:ascii=\"Symbol\"/></w:rPr></w:lvl>"
        "</w:abstractNum>"
        "<w:abstractNum w:abstractNumId=\"1\">"
        "<w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/>"
        "<w:pPr><w:ind w:left=\"360\"/></w:pPr></w:lvl>"
        "<w:lvl w:ilvl=\"1\"><w:start w:val=\"1\"/><w:numFmt w:val=\"lowerLetter\"/><w:lvlText w:val=\"%1.%2)\"/>"
        "</w:lvl>"
        "<w:lvl w:ilvl=\"2\"><w:start w:val=\"1\"/><w:numFmt w:val=\"upperRoman\"/><w:lvlText w:val=\"%3\"/></w:lvl>"
        "</w:abstractNum>"
        "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>"
        "<w:num w:numId=\"2\"><w:abstractNumId w:val=\"1\"/></w:num>"
        "<w:num w:numId=\"3\"><w:abstractNumId w:val=\"1\"/><w:lvlOverride w:ilvl=\"0\"><w:startOverride w:val=\"5\"/>"
        "</w:lvlOverride></w:num>";
    auto item = [](int num, int lvl, const std::string& text) {
        return p(r(text), "<w:numPr><w:ilvl w:val=\"" + std::to_string(lvl) + "\"/><w:numId w:val=\"" +
                              std::to_string(num) + "\"/></w:numPr>");
    };
    const std::string body = item(1, 0, "apples") + item(1, 0, "pears") + item(2, 0, "one") + item(2, 1, "sub") +
                             item(2, 1, "sub two") + item(2, 2, "deep") + item(2, 0, "two") + item(2, 1, "again") +
                             item(3, 0, "five") + p(r("not a list"), "<w:numPr><w:numId w:val=\"0\"/></w:numPr>");
    RichContent c = read({body, {}, numbering});
    EXPECT_EQ(c.text, u"\u2022\tapples\r\n\u2022\tpears\r\n1.\tone\r\n1.a)\tsub\r\n1.b)\tsub two\r\n"
                      u"I\tdeep\r\n2.\ttwo\r\n2.a)\tagain\r\n5.\tfive\r\nnot a list");
    EXPECT_EQ(c.paragraphs[0].startIndentTwips, 720);
    EXPECT_EQ(c.paragraphs[2].startIndentTwips, 360);
    EXPECT_EQ(c.paragraphs[9].startIndentTwips, 0);
}

TEST(DocxReader, FootnotesAndEndnotesAreAppendedAsNumberedParagraphs) {
    const std::string sup = "<w:vertAlign w:val=\"superscript\"/>";
    const std::string body =
        p(r("First") + "<w:r><w:rPr>" + sup + "</w:rPr><w:endnoteReference w:id=\"2\"/></w:r>" + r(" then") +
          "<w:r><w:rPr>" + sup + "</w:rPr><w:footnoteReference w:id=\"1\"/></w:r>" + r(".")) +
        p(r("Last"));
    const std::string footnotes =
        "<w:footnote w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>"
        "<w:footnote w:id=\"1\"><w:p><w:r><w:footnoteRef/></w:r>" + r(" A footnote.") + "</w:p>" + p(r("Its second part.")) +
        "</w:footnote><w:footnote w:id=\"7\">" + p(r("never referred to")) + "</w:footnote>";
    const std::string endnotes =
        "<w:endnote w:id=\"2\"><w:p><w:r><w:endnoteRef/></w:r>" + r("\tAn endnote.") + "</w:p></w:endnote>";
    RichContent c = read({body, {}, {}, footnotes, endnotes});
    EXPECT_EQ(c.text, u"First1 then2.\r\nLast\r\n1. An endnote.\r\n2. A footnote.\r\nIts second part.");
    EXPECT_GT(formatOf(c, u"1 then").offsetTwips, 0);
}

TEST(DocxReader, NamespacePrefixesAreTheFilesOwn) {
    // The same document with another prefix for the Word namespace.
    const std::string xml =
        "<x:document xmlns:x=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><x:body>"
        "<x:p><x:pPr><x:jc x:val=\"center\"/></x:pPr><x:r><x:rPr><x:b/></x:rPr><x:t>Bold</x:t></x:r></x:p>"
        "<x:p><x:r><x:t>two</x:t></x:r></x:p></x:body></x:document>";
    RichContent c;
    ASSERT_TRUE(readDocx(makeZip({{"word/document.xml", xml}}), c).ok);
    EXPECT_EQ(c.text, u"Bold\r\ntwo");
    EXPECT_EQ(c.paragraphs[0].alignment, Alignment::Center);
    EXPECT_EQ(formatOf(c, u"Bold").style, fsBold);
}

TEST(DocxReader, TextBoxesFollowTheParagraphTheyAreAnchoredIn) {
    // As Word writes a text box: the DrawingML shape, and the same text again in
    // a VML fallback for older readers, which is not read twice.
    const std::string box =
        "<w:r><mc:AlternateContent xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">"
        "<mc:Choice Requires=\"wps\"><w:drawing><wp:anchor xmlns:wp=\"urn:wp\"><wp:docPr id=\"1\" name=\"Text Box 1\"/>"
        "<a:graphic xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:graphicData><wps:wsp "
        "xmlns:wps=\"urn:wps\"><wps:txbx><w:txbxContent><w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:r><w:rPr><w:b/>"
        "</w:rPr><w:t>Boxed</w:t></w:r></w:p><w:p><w:r><w:t>second</w:t></w:r><w:r><w:del w:id=\"1\"/></w:r>"
        "<w:del><w:r><w:delText>gone</w:delText></w:r></w:del></w:p></w:txbxContent></wps:txbx></wps:wsp>"
        "</a:graphicData></a:graphic></wp:anchor></w:drawing></mc:Choice><mc:Fallback><w:pict><v:shape xmlns:v=\"urn:v\">"
        "<v:textbox><w:txbxContent><w:p><w:r><w:t>Boxed</w:t></w:r></w:p></w:txbxContent></v:textbox></v:shape></w:pict>"
        "</mc:Fallback></mc:AlternateContent></w:r>";
    RichContent c = read({p(r("Before ") + box + "<w:r><w:rPr><w:i/></w:rPr><w:t>after</w:t></w:r>") + p(r("Next"))});
    EXPECT_EQ(c.text, u"Before after\r\nBoxed\r\nsecond\r\nNext");
    EXPECT_EQ(formatOf(c, u"Boxed").style, fsBold);
    EXPECT_EQ(formatOf(c, u"after").style, fsItalic); // the anchor's run goes on after the box
    EXPECT_EQ(c.paragraphs[1].alignment, Alignment::Center);
    // Older documents: a VML text box alone; a picture with no text shows nothing.
    c = read({p(r("a") + "<w:r><w:pict><v:shape xmlns:v=\"urn:v\"><v:textbox><w:txbxContent>" + p(r("old box")) +
                "</w:txbxContent></v:textbox></v:shape></w:pict></w:r>") +
              p("<w:r><w:drawing><wp:inline xmlns:wp=\"urn:wp\"/></w:drawing></w:r>" + r("b"))});
    EXPECT_EQ(c.text, u"a\r\nold box\r\nb");
    // An image and its caption in a text box, as LibreOffice writes a captioned frame.
    c = read({p("<w:r><w:pict><v:shape xmlns:v=\"urn:v\"><v:textbox><w:txbxContent>" +
                p("<w:r><w:drawing><wp:inline xmlns:wp=\"urn:wp\"/></w:drawing></w:r>" + r("Figure 1: the essay plan")) +
                "</w:txbxContent></v:textbox></v:shape></w:pict></w:r>")});
    EXPECT_EQ(c.text, u"\r\nFigure 1: the essay plan");
}

TEST(DocxReader, SymbolAndWingdingsCharacters) {
    const std::string sym = "<w:r><w:sym w:font=\"Symbol\" w:char=\"F0DB\"/><w:sym w:font=\"Symbol\" w:char=\"F061\"/>"
                            "<w:sym w:font=\"Wingdings\" w:char=\"F04A\"/><w:sym w:font=\"Wingdings\" w:char=\"F0E8\"/>"
                            "<w:sym w:font=\"Other Symbols\" w:char=\"F041\"/></w:r>";
    const std::string symbolRun = "<w:r><w:rPr><w:rFonts w:ascii=\"Symbol\" w:hAnsi=\"Symbol\"/></w:rPr>"
                                  "<w:t>&#xF0B3;p</w:t></w:r>";
    RichContent c = read({p(r("x") + sym + symbolRun)});
    EXPECT_EQ(text::toUtf8(c.text), "x⇔α☺\U0001F87AA≥π");
    // The characters of the picture fonts are in the paragraph's font, which has them.
    EXPECT_EQ(formatOf(c, u"\u21D4").fontName, u"Times New Roman");
    EXPECT_EQ(formatOf(c, u"\u2265").fontName, u"Times New Roman");
    // A font the table does not know keeps the byte in its own font.
    EXPECT_EQ(formatOf(c, u"A").fontName, u"Other Symbols");
    // Bullets of a list level in a picture font.
    const std::string numbering =
        "<w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"bullet\"/>"
        "<w:lvlText w:val=\"&#xF0DE;\"/><w:rPr><w:rFonts w:ascii=\"Symbol\" w:hAnsi=\"Symbol\"/></w:rPr></w:lvl>"
        "<w:lvl w:ilvl=\"1\"><w:numFmt w:val=\"bullet\"/><w:lvlText w:val=\"&#xF0A7;\"/></w:lvl></w:abstractNum>"
        "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>";
    const auto item = [](int level, const char* text) {
        return "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"" + std::to_string(level) +
               "\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr>" + r(text) + "</w:p>";
    };
    c = read({item(0, "arrow") + item(1, "square"), {}, numbering});
    EXPECT_EQ(text::toUtf8(c.text), "⇒\tarrow\r\n▪\tsquare");
}
