#include "document/RtfWriter.h"

#include "BufferTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace tallix;
using tallix::testing::format;

namespace {

RichContent oneRun(std::u16string_view text, const CharFormat& f = format(clBlack)) {
    RichContent c;
    c.appendText(text, f);
    return c;
}

// The body: everything after the colour table.
std::string body(const std::string& rtf) {
    const auto at = rtf.find("{\\colortbl");
    const auto end = rtf.find('}', at);
    return rtf.substr(end + 1);
}

std::string colourTable(const std::string& rtf) {
    const auto at = rtf.find("{\\colortbl");
    return rtf.substr(at, rtf.find('}', at) - at + 1);
}

std::string fontTable(const std::string& rtf) {
    const auto at = rtf.find("{\\fonttbl");
    const auto end = rtf.find("}}", at);
    return rtf.substr(at, end - at + 2);
}

int count(const std::string& s, const std::string& what) {
    int n = 0;
    for (auto p = s.find(what); p != std::string::npos; p = s.find(what, p + 1))
        ++n;
    return n;
}

// Braces outside escapes balance and never close more than they opened.
bool bracesBalance(const std::string& rtf) {
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
            continue;
        }
        if (rtf[i] == '{')
            ++depth;
        else if (rtf[i] == '}' && --depth < 0)
            return false;
    }
    return depth == 0;
}

} // namespace

TEST(RtfWriter, DocumentFrameAndEmptyDocument) {
    const std::string rtf = writeRtf(RichContent{});
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1", 0), 0u) << rtf;
    EXPECT_EQ(rtf.back(), '}');
    EXPECT_TRUE(bracesBalance(rtf));
    // \deff0 must name a font even when there is no text.
    EXPECT_NE(fontTable(rtf).find("{\\f0\\fnil\\fcharset0 Arial;}"), std::string::npos) << rtf;
    EXPECT_EQ(colourTable(rtf), "{\\colortbl ;}");
    EXPECT_EQ(count(rtf, "\\par\n"), 0);
    EXPECT_EQ(count(rtf, "\\pard"), 1);
}

TEST(RtfWriter, EscapesSpecialCharactersAndSeparatesControlWords) {
    const std::string b = body(writeRtf(oneRun(u"a\\b{c}d\te\t5")));
    EXPECT_NE(b.find("a\\\\b\\{c\\}d\\tab e\\tab 5"), std::string::npos) << b;

    // Text after a control word must not merge into it: neither letters ("\bold")
    // nor digits ("\fs245") nor a leading blank, which the delimiter would eat.
    RichContent c;
    c.appendText(u"b", format(clBlack, fsBold));
    c.appendText(u"old", format(clBlack));
    c.appendText(u"5", format(clRed));
    c.appendText(u" x", format(clBlue));
    const std::string b2 = body(writeRtf(c));
    EXPECT_NE(b2.find("\\b b\\plain"), std::string::npos) << b2;
    EXPECT_NE(b2.find("\\cf1 old"), std::string::npos) << b2;
    EXPECT_NE(b2.find("\\cf2 5"), std::string::npos) << b2;
    EXPECT_NE(b2.find("\\cf3  x"), std::string::npos) << b2;
    EXPECT_TRUE(bracesBalance(writeRtf(oneRun(u"}}}{{"))));
}

TEST(RtfWriter, CharactersOutsideAsciiUseCodePageBytesOrUnicode) {
    const std::string b =
        body(writeRtf(oneRun(u"\u00e9\u20ac\u00b6\u00a0\u0152\u2018\u2122"
                             u"\u0151\u0416\U0001F600\u7fff\u8000z")));
    // Windows-1252 bytes: é, €, the pilcrow, no-break space, Œ, ‘, ™.
    EXPECT_NE(b.find("\\'e9\\'80\\'b6\\'a0\\'8c\\'91\\'99"), std::string::npos) << b;
    // Others as signed 16-bit code units, each with one fallback character; a
    // surrogate pair is two of them.
    EXPECT_NE(b.find("\\u337?\\u1046?\\u-10179?\\u-8704?\\u32767?\\u-32768?z"),
              std::string::npos)
        << b;
    // Bytes that Windows-1252 leaves undefined are not used for C1 controls, and
    // no control character is written raw.
    const std::string ctl = body(writeRtf(oneRun(u"\u0081\u0001\u007f\u000b")));
    EXPECT_NE(ctl.find("\\u129?\\u1?\\u127?\\u11?"), std::string::npos) << ctl;
    for (char ch : writeRtf(oneRun(u"x\u0001\u0081\u00ff\U0001F600"))) {
        const auto u = static_cast<unsigned char>(ch);
        EXPECT_TRUE(u == '\n' || (u >= 0x20 && u < 0x7F)) << int(u);
    }
}

TEST(RtfWriter, ColourTableKeepsBlackApartFromAutomatic) {
    RichContent c;
    c.appendText(u"auto ", format(clWindowText));
    c.appendText(u"black ", format(clBlack));
    c.appendText(u"red ", format(clRed));
    c.appendText(u"black again ", format(clBlack, fsBold));
    c.appendText(u"teal", format(clTeal));
    const std::string rtf = writeRtf(c);
    // One entry per distinct explicit colour, in order of first use, after the
    // empty automatic entry.
    EXPECT_EQ(colourTable(rtf),
              "{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;"
              "\\red0\\green128\\blue128;}");
    const std::string b = body(rtf);
    EXPECT_NE(b.find("\\cf0 auto"), std::string::npos) << b;
    EXPECT_NE(b.find("\\cf1 black "), std::string::npos) << b;
    EXPECT_NE(b.find("\\cf2 red"), std::string::npos) << b;
    EXPECT_NE(b.find("\\cf1\\b black again"), std::string::npos) << b;
    EXPECT_NE(b.find("\\cf3 teal"), std::string::npos) << b;

    // Text that is all automatic needs no entry at all.
    EXPECT_EQ(colourTable(writeRtf(oneRun(u"x", format(clWindowText)))), "{\\colortbl ;}");
    // The components come out of 0x00BBGGRR the right way round.
    EXPECT_EQ(colourTable(writeRtf(oneRun(u"x", format(rgbColour(1, 2, 3))))),
              "{\\colortbl ;\\red1\\green2\\blue3;}");
}

TEST(RtfWriter, StylesSizesAndVerticalOffsets) {
    RichContent c;
    c.appendText(u"L", format(clRed, fsItalic, 16, u"Arial", 60));
    c.appendText(u"D", format(clGreen, fsBold | fsUnderline | fsStrikeOut, 20, u"Arial", -60));
    c.appendText(u"r", format(clBlack, 0, 24, u"Arial", 15));   // 1.5 half-points
    c.appendText(u"s", format(clBlack, 0, 24, u"Arial", -15));
    c.appendText(u"t", format(clBlack, 0, 24, u"Arial", 4));    // rounds to nothing
    c.appendText(u"u", format(clBlack, 0, 24, u"Arial", 0));
    const std::string b = body(writeRtf(c));
    EXPECT_NE(b.find("\\plain\\f0\\fs16\\cf1\\i\\up6 L"), std::string::npos) << b;
    EXPECT_NE(b.find("\\plain\\f0\\fs20\\cf2\\b\\ul\\strike\\dn6 D"), std::string::npos) << b;
    EXPECT_NE(b.find("\\up2 r"), std::string::npos) << b;
    EXPECT_NE(b.find("\\dn2 s"), std::string::npos) << b;
    EXPECT_NE(b.find("\\plain\\f0\\fs24\\cf3 t"), std::string::npos) << b;
    EXPECT_NE(b.find("\\plain\\f0\\fs24\\cf3 u"), std::string::npos) << b;
    EXPECT_EQ(count(b, "\\up"), 2);
    EXPECT_EQ(count(b, "\\dn"), 2);
}

TEST(RtfWriter, FontTableListsEachFontOnceWithEscapedNames) {
    RichContent c;
    c.appendText(u"a", format(clBlack, 0, 24, u"Times New Roman"));
    c.appendText(u"b", format(clBlack, 0, 24, u"Arial"));
    c.appendText(u"c", format(clBlack, fsBold, 24, u"Times New Roman"));
    c.appendText(u"d", format(clBlack, 0, 24, u"Odd;Name\u00e9\u0416{x}"));
    const std::string rtf = writeRtf(c);
    EXPECT_EQ(fontTable(rtf),
              "{\\fonttbl{\\f0\\fnil\\fcharset0 Times New Roman;}"
              "{\\f1\\fnil\\fcharset0 Arial;}"
              "{\\f2\\fnil\\fcharset0 Odd\\'3bName\\'e9\\u1046?\\{x\\};}}");
    const std::string b = body(rtf);
    EXPECT_NE(b.find("\\f0\\fs24\\cf1 a"), std::string::npos) << b;
    EXPECT_NE(b.find("\\f1\\fs24\\cf1 b"), std::string::npos) << b;
    EXPECT_NE(b.find("\\f0\\fs24\\cf1\\b c"), std::string::npos) << b;
    EXPECT_NE(b.find("\\f2\\fs24\\cf1 d"), std::string::npos) << b;
}

TEST(RtfWriter, ParagraphsGetTheirAlignmentIndentAndBreaks) {
    RichContent c;
    c.paragraphs.front() = ParaFormat{Alignment::Center, 0};
    c.appendText(u"one", format(clBlack));
    c.appendParagraphBreak(format(clRed), ParaFormat{Alignment::Right, 360});
    c.appendText(u"two", format(clBlack));
    c.appendParagraphBreak(format(clBlack), ParaFormat{Alignment::Left, 720});
    c.appendParagraphBreak(format(clBlack), ParaFormat{Alignment::Left, -200});
    const std::string b = body(writeRtf(c));
    EXPECT_EQ(b,
              "\n\\pard\\qc\\li0\\plain\\f0\\fs24\\cf1 one\\plain\\f0\\fs24\\cf2\\par\n"
              "\\pard\\qr\\li360\\plain\\f0\\fs24\\cf1 two\\par\n"
              "\\pard\\ql\\li720\\par\n"
              "\\pard\\ql\\li-200}");
}

TEST(RtfWriter, InconsistentContentIsWrittenSafely) {
    // A CR LF pair split across two runs is still one break.
    RichContent split;
    split.text = u"a\r\nb";
    split.runs = {FormatRun{2, format(clRed)}, FormatRun{2, format(clBlue)}};
    split.paragraphs = {ParaFormat{}, ParaFormat{Alignment::Right, 0}};
    const std::string s = body(writeRtf(split));
    EXPECT_EQ(count(s, "\\par\n"), 1) << s;
    EXPECT_NE(s.find("\\cf1 a\\par\n\\pard\\qr\\li0\\plain\\f0\\fs24\\cf2 b}"), std::string::npos)
        << s;

    // Too few paragraph formats, runs that stop short, overrun or are empty, and
    // lone CR / LF: no raw control characters, every break a paragraph.
    RichContent bad;
    bad.text = u"x\ry\nz\r\nw";
    bad.runs = {FormatRun{0, format(clRed)}, FormatRun{-3, format(clRed)}, FormatRun{2, format(clGreen)}};
    bad.paragraphs.clear();
    const std::string rtf = writeRtf(bad);
    EXPECT_TRUE(bracesBalance(rtf));
    EXPECT_EQ(count(rtf, "\\par\n"), 3) << rtf;
    EXPECT_EQ(count(rtf, "\\pard"), 4) << rtf;
    EXPECT_NE(rtf.find("\\cf0 y"), std::string::npos) << rtf; // default format after the runs
    EXPECT_EQ(colourTable(rtf), "{\\colortbl ;\\red0\\green128\\blue0;}");

    RichContent over;
    over.text = u"ab";
    over.runs = {FormatRun{10, format(clRed)}, FormatRun{5, format(clBlue)}};
    const std::string o = writeRtf(over);
    EXPECT_NE(o.find("\\cf1 ab}"), std::string::npos) << o;
    EXPECT_EQ(colourTable(o), "{\\colortbl ;\\red255\\green0\\blue0;}");
}
