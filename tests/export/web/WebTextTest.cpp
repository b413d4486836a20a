#include "export/web/MacChars.h"
#include "export/web/WebText.h"

#include "WebTestSupport.h"

#include <gtest/gtest.h>

namespace tallix::testing {
namespace {

using web::IndentFiller;

const std::u16string Filler = IndentFiller;

// ---------------------------------------------------------------- character tables

TEST(MacChars, MacifyKeepsAsciiAndLengthAndMapsByTheTable) {
    EXPECT_EQ(web::macify("plain text 123 <>&"), "plain text 123 <>&");
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(char(b));
    const std::string mac = web::macify(all);
    ASSERT_EQ(mac.size(), all.size());
    EXPECT_EQ(static_cast<unsigned char>(mac[0xE9]), 0x8E); // e acute
    EXPECT_EQ(static_cast<unsigned char>(mac[0xC4]), 0x80); // A diaeresis
    EXPECT_EQ(static_cast<unsigned char>(mac[0xB0]), 0xBC); // degree sign ...
    EXPECT_EQ(static_cast<unsigned char>(mac[0xBA]), 0xBC); // ... as the masculine ordinal
    EXPECT_EQ(static_cast<unsigned char>(mac[0x80]), 0xDB); // nothing close
    EXPECT_EQ(static_cast<unsigned char>(mac[0xFF]), 0xD8);
}

TEST(MacChars, WebbleUsesEntitiesApproximationsAndDrops) {
    EXPECT_EQ(web::webble(std::string("caf\xE9")), "caf&eacute;");
    EXPECT_EQ(web::webble(std::string("\xC0\xFF")), "&Agrave;&yuml;");
    EXPECT_EQ(web::webble(std::string("a\xB6" "b\x80" "c")), "abc"); // pilcrow, euro dropped
    EXPECT_EQ(web::webble(std::string("\xBB")), "'");                 // an apostrophe
    EXPECT_EQ(web::webble(std::string("\xAB")), "\"");
    EXPECT_EQ(web::webble(std::string("\x84")), "\"\"");
    EXPECT_EQ(web::webble(std::string("3\xD7" "4\xF7" "2")), "3x4/2");
    EXPECT_EQ(web::webble(std::string("\x8B\x9B\x99\xA9\xAE")), "&lt;&gt;&trade;&copy;&reg;");
    EXPECT_EQ(web::webble(std::string("\xA2\xA3\xB5")), "\xA2\xA3\xB5"); // unchanged
    EXPECT_EQ(web::webble(std::string("\xBC\xB1\x97")), "1/4+/---");
    EXPECT_EQ(web::webble(std::string("ascii only")), "ascii only");
}

TEST(MacChars, WebbleOfTextKeepsWhatWindows1252Lacks) {
    EXPECT_EQ(web::webble(std::u16string(u"\u00E9t\u00E9 \u2014 \u03A9 \u20AC")),
              u"&eacute;t&eacute; -- \u03A9 ");
    EXPECT_EQ(web::webble(std::u16string(u"\u00A3")), u"\u00A3");
}

TEST(PageEncoding, Windows1252WithNumericReferencesForTheRest) {
    EXPECT_EQ(web::encodePage(u"caf\u00E9 \u20AC"), "caf\xE9 \x80");
    EXPECT_EQ(web::encodePage(u"\u03A9\u0416"), "&#937;&#1046;");
    EXPECT_EQ(web::encodePage(u"\U0001F600"), "&#128512;");
    EXPECT_EQ(web::encodePage(std::u16string(1, char16_t(0xD800))), "&#65533;");
}

// ----------------------------------------------------------------------- HTMLReturns

TEST(HtmlReturns, BreaksTabsAndRunsOfBlanks) {
    EXPECT_EQ(web::htmlReturns(u""), u"");
    EXPECT_EQ(web::htmlReturns(u"one\r\ntwo\r\n"), u"one<BR>\r\ntwo<BR>\r\n");
    EXPECT_EQ(web::htmlReturns(u"a\tb"), u"a" + Filler + u"\tb");
    EXPECT_EQ(web::htmlReturns(u"a    b"), u"a    b"); // four blanks: nothing
    EXPECT_EQ(web::htmlReturns(u"a     b"), u"a" + Filler + u"     b");
    EXPECT_EQ(web::htmlReturns(u"a       b"), u"a" + Filler + u" " + Filler + u" " + Filler +
                                                 u"     b"); // seven blanks: three fillers
    EXPECT_EQ(web::htmlReturns(u"<b>bold</b> &amp;"), u"<b>bold</b> &amp;"); // the teacher's HTML
}

// -------------------------------------------------------------------- HTMLParaFormat

TEST(HtmlParaFormat, ParagraphsGetTheirAlignmentTagsAndTheLastNoClosing) {
    EssayBuilder e;
    e.text(u"A").paragraph().text(u"B").paragraph().text(u"C");
    EXPECT_EQ(tagged(e.content()), u"<P ALIGN=LEFT>A</P>\r\n<P ALIGN=LEFT>B</P>\r\n"
                                   u"<P ALIGN=LEFT>C");

    EssayBuilder single;
    single.text(u"Only one");
    EXPECT_EQ(tagged(single.content()), u"<P ALIGN=LEFT>Only one");

    EssayBuilder titled;
    titled.text(u"Title").paragraph().text(u"Text").paragraph().text(u"Right");
    EXPECT_EQ(tagged(withParagraphs(titled.content(), {aligned(Alignment::Center),
                                                       aligned(Alignment::Left),
                                                       aligned(Alignment::Right)})),
              u"<P ALIGN=CENTER>Title</P>\r\n<P ALIGN=LEFT>Text</P>\r\n<P ALIGN=RIGHT>Right");

    EssayBuilder empty;
    empty.text(u"A").paragraph().paragraph().text(u"C");
    EXPECT_EQ(tagged(empty.content()),
              u"<P ALIGN=LEFT>A</P>\r\n<P ALIGN=LEFT></P>\r\n<P ALIGN=LEFT>C");
    EXPECT_EQ(tagged(RichContent{}), u"<P ALIGN=LEFT>");
}

TEST(HtmlParaFormat, BookmarksAreRemovedAndTheTextJoined) {
    EssayBuilder e;
    e.text(u"one ").coloured(u"[*BM*]", clSilver).text(u"two").coloured(u"[*BM*]", clSilver)
        .text(u" three");
    EXPECT_EQ(tagged(e.content()), u"<P ALIGN=LEFT>one two three");
}

TEST(HtmlParaFormat, FillerAfterTheFirstCharacterOfATabOrFiveBlanks) {
    EssayBuilder e;
    e.text(u"\tTabbed").paragraph().text(u"    four").paragraph().text(u"     five")
        .paragraph().text(u"\t");
    EXPECT_EQ(tagged(e.content()), u"<P ALIGN=LEFT>\t" + Filler + u"Tabbed</P>\r\n"
                                   u"<P ALIGN=LEFT>    four</P>\r\n"
                                   u"<P ALIGN=LEFT> " + Filler + u"    five</P>\r\n"
                                   u"<P ALIGN=LEFT>\t" + Filler);
}

TEST(HtmlParaFormat, IndentedParagraphsShareOneBlockQuotation) {
    EssayBuilder e;
    e.text(u"A").paragraph().text(u"D").paragraph().text(u"E").paragraph().text(u"F");
    const RichContent c = e.content();
    // Three indented paragraphs at the end: one block, two <BR>, closed at the end
    // so that what follows the essay is not drawn indented.
    EXPECT_EQ(tagged(withParagraphs(c, {aligned(Alignment::Left), indented(), indented(),
                                        indented()})),
              u"<P ALIGN=LEFT>A</P>\r\n<BLOCKQUOTE>D<BR>E<BR>F</BLOCKQUOTE>");
    // In the middle: closed, and the next paragraph opens as usual.
    EXPECT_EQ(tagged(withParagraphs(c, {aligned(Alignment::Left), indented(), indented(),
                                        aligned(Alignment::Center)})),
              u"<P ALIGN=LEFT>A</P>\r\n<BLOCKQUOTE>D<BR>E</BLOCKQUOTE>\r\n<P ALIGN=CENTER>F");
    // Less than a point is no indent.
    EXPECT_EQ(tagged(withParagraphs(c, {ParaFormat{Alignment::Left, 19}})).substr(0, 19),
              u"<P ALIGN=LEFT>A</P>");
}

TEST(HtmlParaFormat, AnIndentedFirstParagraphHasBothTagsAndNoFiller) {
    EssayBuilder e;
    e.text(u"\tQuote").paragraph().text(u"Next");
    EXPECT_EQ(tagged(withParagraphs(e.content(), {indented()})),
              u"<P ALIGN=LEFT><BLOCKQUOTE>\tQuote</BLOCKQUOTE>\r\n<P ALIGN=LEFT>Next");
    // An indented paragraph after the first gets no filler either.
    EssayBuilder later;
    later.text(u"A").paragraph().text(u"\tB");
    EXPECT_EQ(tagged(withParagraphs(later.content(), {aligned(Alignment::Left), indented()})),
              u"<P ALIGN=LEFT>A</P>\r\n<BLOCKQUOTE>\tB</BLOCKQUOTE>");
    // A one-paragraph essay that is indented: both tags, and the block closed.
    EssayBuilder only;
    only.text(u"Quote");
    EXPECT_EQ(tagged(withParagraphs(only.content(), {indented()})),
              u"<P ALIGN=LEFT><BLOCKQUOTE>Quote</BLOCKQUOTE>");
}

TEST(HtmlParaFormat, TheEssaysOwnMarkupCharactersAreEscapedLabelsAreNot) {
    EssayBuilder e;
    e.text(u"<script>alert(1)</script> & &amp; ").span(u"a<b").error(u"S&V").marker(u"1");
    const RichContent c = e.content();
    RichTextBuffer essay, scratch;
    essay.assign(c);
    web::htmlParaFormat(essay, scratch);
    EXPECT_EQ(scratch.text(), u"<P ALIGN=LEFT>&lt;script&gt;alert(1)&lt;/script&gt; &amp; "
                              u"&amp;amp; a&lt;bS&V1");
    // The tags are black; the essay keeps its colours.
    EXPECT_EQ(scratch.colourAt(0), clBlack);
    const int label = scratch.findText(u"S&V", 0, scratch.length());
    EXPECT_EQ(scratch.colourAt(label), clRed);
    EXPECT_EQ(scratch.colourAt(label - 1), markup::AnnotatedSpanColour);
}

} // namespace
} // namespace tallix::testing
