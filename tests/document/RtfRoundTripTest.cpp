// What the writer produces, the reader must give back unchanged: text, runs and
// paragraph formats.
#include "document/RtfReader.h"
#include "document/MarkedDocument.h"
#include "document/RtfWriter.h"

#include "BufferTestSupport.h"
#include "DataFiles.h"
#include "RoundTripSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace tallix;
using tallix::testing::format;

namespace {

std::string describe(const CharFormat& f) {
    std::string s = "colour=" + std::to_string(f.colour) + " style=" + std::to_string(f.style) +
                    " size=" + std::to_string(f.sizeHalfPoints) + " offset=" +
                    std::to_string(f.offsetTwips) + " font=";
    for (char16_t c : f.fontName)
        s += c < 0x80 ? static_cast<char>(c) : '?';
    return s;
}

// Reads back what the writer made of content and compares everything.
void expectRoundTrip(const RichContent& content) {
    const std::string rtf = writeRtf(content);
    RichContent back;
    back.text = u"stale";
    const RtfReadResult r = readRtf(rtf, back);
    ASSERT_TRUE(r.ok) << r.error << "\n" << rtf;

    EXPECT_TRUE(back.text == content.text) << "text differs\n" << rtf;
    ASSERT_EQ(back.runs.size(), content.runs.size()) << rtf;
    for (std::size_t i = 0; i < content.runs.size(); ++i) {
        EXPECT_EQ(back.runs[i].length, content.runs[i].length) << "run " << i << "\n" << rtf;
        EXPECT_TRUE(back.runs[i].format == content.runs[i].format)
            << "run " << i << ": got " << describe(back.runs[i].format) << ", want "
            << describe(content.runs[i].format) << "\n"
            << rtf;
    }
    ASSERT_EQ(back.paragraphs.size(), content.paragraphs.size()) << rtf;
    for (std::size_t i = 0; i < content.paragraphs.size(); ++i) {
        EXPECT_TRUE(back.paragraphs[i] == content.paragraphs[i])
            << "paragraph " << i << ": got alignment " << int(back.paragraphs[i].alignment)
            << " indent " << back.paragraphs[i].startIndentTwips << ", want alignment "
            << int(content.paragraphs[i].alignment) << " indent "
            << content.paragraphs[i].startIndentTwips << "\n"
            << rtf;
    }
}

} // namespace

TEST(RtfRoundTrip, EmptyDocumentAndEmptyParagraphs) {
    expectRoundTrip(RichContent{});

    RichContent centred;
    centred.paragraphs.front() = ParaFormat{Alignment::Center, 720};
    expectRoundTrip(centred);

    // Only breaks: every paragraph empty, each with its own format.
    RichContent breaks;
    breaks.appendParagraphBreak(format(clBlack), ParaFormat{Alignment::Right, 0});
    breaks.appendParagraphBreak(format(clRed, fsBold), ParaFormat{Alignment::Left, 360});
    breaks.appendParagraphBreak(format(clWindowText), ParaFormat{Alignment::Center, 0});
    expectRoundTrip(breaks);

    // Empty paragraphs between text, and a document that ends in a break.
    RichContent mixed;
    mixed.appendText(u"first", format(clBlack));
    mixed.appendParagraphBreak(format(clBlack), ParaFormat{});
    mixed.appendParagraphBreak(format(clBlack), ParaFormat{Alignment::Left, 1440});
    mixed.appendText(u"after two breaks", format(clBlack));
    mixed.appendParagraphBreak(format(clBlack), ParaFormat{Alignment::Right, 0});
    expectRoundTrip(mixed);
}

TEST(RtfRoundTrip, EveryColourIncludingBlackAndAutomatic) {
    RichContent c;
    const Colour colours[] = {clWindowText, clBlack,  clMaroon, clGreen, clOlive,
                              clNavy,       clPurple, clTeal,   clGray,  clSilver,
                              clRed,        clLime,   clYellow, clBlue,  clFuchsia,
                              clAqua,       clWhite,  rgbColour(1, 2, 3), clBlack,
                              clWindowText};
    int i = 0;
    for (Colour col : colours)
        c.appendText(std::u16string(1, char16_t(u'a' + i++)), format(col));
    expectRoundTrip(c);
}

TEST(RtfRoundTrip, StylesSizesFontsAndOffsets) {
    RichContent c;
    for (StyleSet s = 0; s < 16; ++s)
        c.appendText(u"s" + std::u16string(1, char16_t(u'A' + s)), format(clBlack, s));
    for (int hp : {16, 20, 21, 24, 48, 144})
        c.appendText(u"size", format(clBlack, 0, hp));
    c.appendText(u"times ", format(clBlack, 0, 24, u"Times New Roman"));
    c.appendText(u"arial ", format(clBlack, 0, 24, u"Arial"));
    c.appendText(u"Art", format(clRed, fsItalic, 16, u"Arial", 60));
    c.appendText(u"Good", format(clTeal, fsItalic, 16, u"Times New Roman", 60));
    c.appendText(u"12", format(clGreen, fsBold, 20, u"Arial", 60));
    c.appendText(u"low", format(clNavy, fsUnderline, 24, u"Arial", -60));
    c.appendText(u"x", format(clWindowText, 0, 24, u"Arial", 0));
    expectRoundTrip(c);
}

TEST(RtfRoundTrip, AlignmentsAndStartIndents) {
    RichContent c;
    c.paragraphs.front() = ParaFormat{Alignment::Left, 0};
    c.appendText(u"left", format(clBlack));
    c.appendParagraphBreak(format(clBlack), ParaFormat{Alignment::Center, 0});
    c.appendText(u"centre", format(clBlack));
    c.appendParagraphBreak(format(clBlack), ParaFormat{Alignment::Right, 0});
    c.appendText(u"right", format(clBlack));
    c.appendParagraphBreak(format(clBlack), ParaFormat{Alignment::Left, 720});
    c.appendText(u"indented", format(clBlack));
    c.appendParagraphBreak(format(clBlack), ParaFormat{Alignment::Center, 1440});
    c.appendText(u"centred and indented", format(clBlue, fsUnderline));
    c.appendParagraphBreak(format(clBlack), ParaFormat{Alignment::Left, 0});
    c.appendText(u"back to plain", format(clBlack));
    expectRoundTrip(c);
}

TEST(RtfRoundTrip, SpecialAndNonWesternCharacters) {
    RichContent c;
    c.appendText(u"braces {x} and \\backslashes\\ \\par {\\b not bold}", format(clBlack));
    c.appendText(u"\ttab\t\tat both ends\t", format(clBlack));
    c.appendText(u"caf\u00e9 \u20ac \u00b6 \u00a0 \u0152 \u2018q\u2019 \u2122", format(clBlack));
    c.appendText(u"\u0151\u0171 \u0416\u0430 \u4e2d\u6587 \U0001F600\U0001F600 \U00010348",
                 format(clRed));
    c.appendText(u"\u7fff\u8000\uffff\u0080\u0081\u009f", format(clBlack));
    c.appendText(u"5 digits after a run", format(clGreen));
    c.appendText(u" leading blank", format(clBlue));
    expectRoundTrip(c);
}

TEST(RtfRoundTrip, MarkedFileTrailer) {
    // The plain-text trailer of a marked file: pilcrow-separated comments with
    // their own line breaks, feedback, grade and the two closing blanks.
    RichContent c;
    const CharFormat body = format(clBlack);
    c.appendText(u"An essay with a ", body);
    c.appendText(u"mistake", format(clBlue, fsUnderline));
    c.appendText(u"Art", format(clRed, fsItalic, 16, u"Arial", 60));
    c.appendText(u" and a comment", format(clNavy, fsUnderline));
    c.appendText(u"1", format(clGreen, fsBold, 20, u"Arial", 60));
    c.appendText(u".TallixComments:Good start\u00b6Check", body);
    c.appendParagraphBreak(body, ParaFormat{});
    c.appendText(u"the tense\u00b6FeedbackOne:Well argued.EndFeedbackOneFeedbackTwo:"
                 u"EndFeedbackTwoTallixGrade:65%EndTallixGrade  ",
                 body);
    expectRoundTrip(c);
}

TEST(RtfRoundTrip, RandomDocuments) {
    // Many small documents mixing all of the above at random (fixed seeds, so a
    // failure repeats).
    const std::vector<std::u16string> pieces = {
        u"a",  u"Word", u" ",      u"  ",     u"\t",     u"\\",     u"{",      u"}",
        u"5",  u"-",    u"\u00e9", u"\u00b6", u"\u20ac", u"\u0416", u"\u0151", u"\u4e2d",
        u"\U0001F600",  u"?",      u";",      u"'",      u"\u00a0"};
    const std::vector<CharFormat> formats = {
        format(clBlack),
        format(clWindowText),
        format(clBlue, fsUnderline),
        format(clRed, fsItalic, 16, u"Arial", 60),
        format(clTeal, fsItalic, 16, u"Arial", 60),
        format(clGreen, fsBold, 20, u"Arial", 60),
        format(clNavy, fsUnderline),
        format(clSilver),
        format(clBlack, fsBold | fsItalic | fsUnderline | fsStrikeOut, 32, u"Times New Roman"),
        format(clPurple, 0, 18, u"Times New Roman", -60),
        format(clBlack, fsStrikeOut, 24, u"Courier New", -100),
    };
    const std::vector<ParaFormat> paras = {
        ParaFormat{}, ParaFormat{Alignment::Center, 0}, ParaFormat{Alignment::Right, 0},
        ParaFormat{Alignment::Left, 720}, ParaFormat{Alignment::Center, 360}};

    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](std::size_t n) { return std::size_t(rng() % n); };
        RichContent c;
        c.paragraphs.front() = paras[pick(paras.size())];
        const std::size_t steps = pick(40);
        for (std::size_t s = 0; s < steps; ++s) {
            const CharFormat& f = formats[pick(formats.size())];
            if (pick(6) == 0)
                c.appendParagraphBreak(f, paras[pick(paras.size())]);
            else
                c.appendText(pieces[pick(pieces.size())], f);
        }
        SCOPED_TRACE("seed " + std::to_string(seed));
        expectRoundTrip(c);
        if (HasFailure())
            break;
    }
}

TEST(RtfRoundTrip, UnusualFontNames) {
    RichContent c;
    c.appendText(u"a", format(clBlack, 0, 24, u"Odd;Name"));
    c.appendText(u"b", format(clBlack, 0, 24, u"Caf\u00e9 \u0416 Sans"));
    c.appendText(u"c", format(clBlack, 0, 24, u"Brace{d}\\Font"));
    c.appendText(u"d", format(clBlack, 0, 24, u"Thirty One Characters Long Name"));
    expectRoundTrip(c);
}

// ---------------------------------------------------------------------------
// Read, write, read again gives the same text, runs and paragraph formats.

TEST(RtfRoundTripProperty, TheWordProcessorAndOlderControlFiles) {
    for (const char* file : tallix::testing::WordProcessorFiles) {
        SCOPED_TRACE(file);
        tallix::testing::expectStableFile(tallix::testing::dataFile(file), file);
    }
    tallix::testing::expectStableFile(tallix::testing::dataFile("rtf/older-control-marked.tlx"), "older control");
}

namespace {

// A document of every kind of character: all C0 and C1 controls, NUL, vertical
// tab and form feed, lone CR and lone LF, CR LF, the separators, surrogate pairs
// and lone halves, braces, backslashes, the pilcrow, private-use and
// non-characters, and letters of several scripts; in random formats and
// paragraph formats.
RichContent everyKindOfCharacter(std::mt19937& rng) {
    auto pick = [&](std::size_t n) { return std::size_t(rng() % n); };
    std::vector<std::u16string> pieces;
    for (char16_t c = 0; c < 0x20; ++c)
        pieces.emplace_back(1, c);
    for (char16_t c = 0x7F; c <= 0x9F; ++c)
        pieces.emplace_back(1, c);
    for (const char16_t* p : {u"\r\n", u"{", u"}", u"\\", u"\\par ", u"{\\b x}", u"\u00B6", u"\u2028", u"\u2029",
                              u"\U0001F600", u"\xD83D", u"\xDE00", u"\uFFFD", u"\uFFFE", u"\uFFFF", u"\uFEFF",
                              u"\uF0B7", u"\u00A0", u"?", u";", u" ", u"  ", u"word", u"caf\u00E9", u"\u0416",
                              u"\u4E2D", u"\u05D0", u"5", u"\u20AC"})
        pieces.emplace_back(p);
    const std::vector<CharFormat> formats = {
        format(clBlack), format(clWindowText), format(clBlue, fsUnderline),
        format(clRed, fsItalic, 16, u"Arial", 60), format(clGreen, fsBold, 20, u"Arial", 60),
        format(rgbColour(1, 2, 3), fsStrikeOut, 7, u"Odd;{Font}\\", -35), format(clTeal, 0, 24, u"\u0416 Sans", 13)};
    const std::vector<ParaFormat> paras = {ParaFormat{}, ParaFormat{Alignment::Center, 0},
                                           ParaFormat{Alignment::Right, 360}, ParaFormat{Alignment::Left, -720}};
    RichContent c;
    c.paragraphs.front() = paras[pick(paras.size())];
    const std::size_t steps = pick(60);
    for (std::size_t s = 0; s < steps; ++s) {
        const std::u16string& piece = pieces[pick(pieces.size())];
        c.text += piece;
        const CharFormat& f = formats[pick(formats.size())];
        if (!c.runs.empty() && c.runs.back().format == f)
            c.runs.back().length += int(piece.size());
        else
            c.runs.push_back(FormatRun{int(piece.size()), f});
        for (char16_t ch : piece)
            if (ch == u'\r' || ch == u'\n')
                c.paragraphs.push_back(paras[pick(paras.size())]);
    }
    return c;
}

} // namespace

TEST(RtfRoundTripProperty, GeneratedDocumentsWithEveryKindOfCharacter) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 rng(seed);
        const RichContent generated = everyKindOfCharacter(rng);
        RichContent first;
        ASSERT_TRUE(readRtf(writeRtf(generated), first).ok);
        SCOPED_TRACE("seed " + std::to_string(seed));
        tallix::testing::expectStableRoundTrip(first, "generated");
        if (HasFailure())
            break;
    }
}

TEST(RtfRoundTripProperty, TheFirstReadAlreadyKeepsEveryCharacterButNul) {
    // Our own RTF gives back the very text it was written from: vertical tab and
    // form feed are not turned into breaks; a NUL (which the readers never give)
    // keeps its place as U+FFFD. Only lone CR and LF become CR LF, as the buffer
    // makes them, and lone surrogate halves U+FFFD.
    RichContent c;
    std::u16string all;
    for (char16_t ch = 0x01; ch < 0x20; ++ch)
        if (ch != u'\r' && ch != u'\n')
            all.push_back(ch);
    all += u"\u007F\u0080\u009F\u00B6{}\\\u2028\u2029\U0001F600\uFFFE\uFFFF";
    c.appendText(all, format(clBlack));
    c.appendParagraphBreak(format(clBlack), ParaFormat{Alignment::Center, 0});
    c.appendText(u"after", format(clRed));
    RichContent back;
    ASSERT_TRUE(readRtf(writeRtf(c), back).ok);
    EXPECT_TRUE(back.text == c.text);
    EXPECT_TRUE(back.paragraphs == c.paragraphs);

    RichContent nul;
    nul.appendText(std::u16string(u"a\0b", 3), format(clBlack));
    ASSERT_TRUE(readRtf(writeRtf(nul), back).ok);
    EXPECT_EQ(back.text, u"a\uFFFDb");
}

TEST(RtfRoundTripProperty, AMarkedDocumentKeepsItsTextThroughSaveAndLoad) {
    // The positions of everything after a form feed or a vertical tab stay put.
    tallix::testing::TempFolder dir;
    MarkedDocument d;
    d.essay().setText(u"Page\fbreak and line\vtab{\\}\u00B6 end");
    d.essay().select(0, 4);
    d.essay().setSelColour(clBlack);
    d.commentTexts = {u"with\fform feed"};
    d.notes.selectorMax = d.notes.selectorValue = 1;
    ASSERT_TRUE(d.saveTlx(dir.file("ff.tlx")).ok);
    MarkedDocument back;
    ASSERT_TRUE(back.loadTlxFile(dir.file("ff.tlx")).ok);
    EXPECT_EQ(back.essay().text(), d.essay().text());
    EXPECT_EQ(back.commentTexts, d.commentTexts);
}
