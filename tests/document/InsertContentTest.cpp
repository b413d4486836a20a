// Inserting rich content at the selection (what a paste does to the buffer).
#include "document/RichTextBuffer.h"

#include "BufferTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tallix;
using tallix::testing::fmt;
using tallix::testing::RecordingObserver;

namespace {

} // namespace

TEST(InsertContentTest, ParagraphsInTheMiddleOfAParagraphKeepTheirFormats) {
    RichTextBuffer b;
    b.setDefaultFormat(fmt(clBlack));
    b.setText(u"first\r\nsecond");
    b.select(0, 5);
    b.setParaAlignment(Alignment::Right);
    b.setSelStart(2); // "fi|rst"

    RichContent c;
    c.appendText(u"AA", fmt(clRed, fsBold, 20));
    c.appendParagraphBreak(fmt(clRed, fsBold, 20), ParaFormat{Alignment::Center, 400});
    c.appendText(u"BB", fmt(clBlue));
    c.appendParagraphBreak(fmt(clBlue), ParaFormat{Alignment::Left, 0});
    c.appendText(u"C", fmt(clGreen, fsItalic));
    c.paragraphs[0] = ParaFormat{Alignment::Left, 200};

    RecordingObserver r;
    b.addObserver(&r);
    b.insertContent(c);
    b.removeObserver(&r);

    EXPECT_EQ(b.text(), u"fiAA\r\nBB\r\nCrst\r\nsecond");
    EXPECT_TRUE(b.check());
    EXPECT_EQ(b.selStart(), 11);
    EXPECT_EQ(b.selLength(), 0);
    EXPECT_EQ(b.formatAt(1), fmt(clBlack));
    EXPECT_EQ(b.formatAt(2), fmt(clRed, fsBold, 20));
    EXPECT_EQ(b.formatAt(5), fmt(clRed, fsBold, 20)); // the LF of the first break
    EXPECT_EQ(b.formatAt(6), fmt(clBlue));
    EXPECT_EQ(b.formatAt(10), fmt(clGreen, fsItalic));
    EXPECT_EQ(b.formatAt(11), fmt(clBlack));
    // The paragraph the paste started in takes the first pasted paragraph's format;
    // the last, unfinished one joins "rst" and keeps that paragraph's own format.
    ASSERT_EQ(b.lineCount(), 4);
    EXPECT_EQ(b.paragraphFormat(0), (ParaFormat{Alignment::Left, 200}));
    EXPECT_EQ(b.paragraphFormat(1), (ParaFormat{Alignment::Center, 400}));
    EXPECT_EQ(b.paragraphFormat(2), (ParaFormat{Alignment::Right, 0}));
    EXPECT_EQ(b.paragraphFormat(3), ParaFormat{});
    ASSERT_FALSE(r.events.empty());
    EXPECT_EQ(r.events.front(), "text 2 0 9");
    EXPECT_NE(std::find(r.events.begin(), r.events.end(), "para 0 1"), r.events.end());
}

TEST(InsertContentTest, ReplacesTheSelectionAndRepairsLoneBreaksAndShortRuns) {
    RichTextBuffer b;
    b.setDefaultFormat(fmt(clBlack));
    b.setText(u"abc\r\ndef");
    b.select(1, 5); // "bc\r\nd"
    RichContent c;
    c.text = u"x\ny\rz";
    c.runs.push_back(FormatRun{2, fmt(clRed)}); // covers "x\n" only
    c.paragraphs.clear();                        // no formats given at all
    b.insertContent(c);
    EXPECT_EQ(b.text(), u"ax\r\ny\r\nzef");
    EXPECT_TRUE(b.check());
    EXPECT_EQ(b.selStart(), 8);
    EXPECT_EQ(b.colourAt(1), clRed);
    EXPECT_EQ(b.colourAt(3), clRed); // both characters of the repaired break
    // The rest takes the format of the first replaced character.
    EXPECT_EQ(b.colourAt(4), clBlack);
    EXPECT_EQ(b.colourAt(8), clBlack);
    EXPECT_EQ(b.lineCount(), 3);
}
