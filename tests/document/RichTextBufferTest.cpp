#include "document/RichTextBuffer.h"

#include "BufferTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace tallix;
using tallix::testing::RecordingObserver;

namespace {

// A buffer whose defaults are those the marking window sets: Arial 12, black.
void makeBlackDefaults(RichTextBuffer& b) {
    CharFormat f;
    f.colour = clBlack;
    b.setDefaultFormat(f);
}

void colourRange(RichTextBuffer& b, int start, int len, Colour c) {
    b.select(start, len);
    b.setSelColour(c);
}

} // namespace

// ------------------------------------------------------------------ text and positions

TEST(RichTextBufferText, LineBreaksBecomeCrLfAndCountTwoPositions) {
    RichTextBuffer b;
    b.setText(u"one\ntwo\rthree\r\nfour");
    EXPECT_EQ(b.text(), u"one\r\ntwo\r\nthree\r\nfour");
    EXPECT_EQ(b.length(), 21);
    EXPECT_EQ(b.lineCount(), 4);
    EXPECT_TRUE(b.check());

    b.select(3, 0);
    b.setSelText(u"\n\n");
    EXPECT_EQ(b.text(), u"one\r\n\r\n\r\ntwo\r\nthree\r\nfour");
    EXPECT_EQ(b.selStart(), 7);
    EXPECT_TRUE(b.check());
}

TEST(RichTextBufferText, WritingEmptyTextEmptiesTheBuffer) {
    RichTextBuffer b;
    b.setText(u"abc");
    b.setText(u"");
    EXPECT_EQ(b.length(), 0);
    EXPECT_EQ(b.lineCount(), 1);
    EXPECT_EQ(b.selStart(), 0);
    EXPECT_TRUE(b.check());
}

TEST(RichTextBufferSelection, PositionsPastTheEndAreClamped) {
    RichTextBuffer b;
    b.setText(u"hello");
    b.setSelStart(99);
    EXPECT_EQ(b.selStart(), 5);
    b.setSelStart(-4);
    EXPECT_EQ(b.selStart(), 0);
    b.select(2, 100);
    EXPECT_EQ(b.selLength(), 3);
    EXPECT_EQ(b.selText(), u"llo");
    b.select(2, -1);
    EXPECT_EQ(b.selLength(), 0);
}

TEST(RichTextBufferSelection, BoundaryNeverFallsInsideACrLfPair) {
    RichTextBuffer b;
    b.setText(u"ab\r\ncd"); // CR at 2, LF at 3

    // From far away a start inside the pair goes after the LF.
    b.setSelStart(0);
    b.setSelStart(3);
    EXPECT_EQ(b.selStart(), 4);

    // From either edge of the same pair it keeps its place.
    b.setSelStart(4);
    b.setSelStart(3);
    EXPECT_EQ(b.selStart(), 4);
    b.setSelStart(2);
    b.setSelStart(3);
    EXPECT_EQ(b.selStart(), 2);

    // The end follows the same rule, judged against the previous end.
    b.select(0, 3); // previous end 0: far away, goes after the LF
    EXPECT_EQ(b.selLength(), 4);
    b.select(2, 1); // previous end 2 is the CR's edge: stays, nothing selected
    EXPECT_EQ(b.selLength(), 0);
    EXPECT_TRUE(b.check());
}

TEST(RichTextBufferSelection, ReplacingNeverRemovesHalfAPair) {
    RichTextBuffer b;
    b.setText(u"ab\r\ncd");
    b.select(1, 2); // would end between CR and LF: end goes after the LF
    b.setSelText(u"X");
    EXPECT_EQ(b.text(), u"aXcd");
    EXPECT_TRUE(b.check());
}

TEST(RichTextBufferSelection, SelectedTextWriteLeavesCaretAfterIt) {
    RichTextBuffer b;
    b.setText(u"The cat sat");
    b.select(4, 3);
    b.setSelText(u"dog");
    EXPECT_EQ(b.text(), u"The dog sat");
    EXPECT_EQ(b.selStart(), 7);
    EXPECT_EQ(b.selLength(), 0);
    b.select(3, 4);
    b.setSelText(u"");
    EXPECT_EQ(b.text(), u"The sat");
    EXPECT_EQ(b.selStart(), 3);
}

// ------------------------------------------------------------------ formatting

TEST(RichTextBufferFormat, TextWithoutExplicitColourReadsAsWindowText) {
    RichTextBuffer b;
    b.setText(u"plain");
    b.select(1, 2);
    EXPECT_EQ(b.selColour(), clWindowText);
    EXPECT_NE(b.selColour(), clBlack);

    RichTextBuffer black;
    makeBlackDefaults(black);
    black.setText(u"plain");
    black.select(1, 2);
    EXPECT_EQ(black.selColour(), clBlack);
}

TEST(RichTextBufferFormat, InsertionFormattingComesFromTheRightCharacter) {
    RichTextBuffer b;
    makeBlackDefaults(b);
    b.setText(u"abcdef");
    colourRange(b, 0, 1, clRed);  // a
    colourRange(b, 2, 2, clBlue); // cd

    // Empty selection: the character before the caret.
    b.setSelStart(4);
    EXPECT_EQ(b.selColour(), clBlue);
    b.setSelText(u"X");
    EXPECT_EQ(b.colourAt(4), clBlue);

    // Non-empty selection: the first replaced character.
    b.select(1, 2); // "bc": b is black
    b.setSelText(u"YZ");
    EXPECT_EQ(b.colourAt(1), clBlack);
    EXPECT_EQ(b.colourAt(2), clBlack);

    // Position 0 with an empty selection: the first character.
    b.setSelStart(0);
    EXPECT_EQ(b.selColour(), clRed);
    b.setSelText(u"Q");
    EXPECT_EQ(b.colourAt(0), clRed);
}

TEST(RichTextBufferFormat, EmptyTextUsesTheInsertionFormatting) {
    RichTextBuffer b;
    makeBlackDefaults(b);
    b.setText(u"");
    b.setSelColour(clGreen);
    b.setSelStyle(fsBold);
    EXPECT_EQ(b.selColour(), clGreen);
    b.setSelText(u"12");
    EXPECT_EQ(b.colourAt(0), clGreen);
    EXPECT_EQ(b.formatAt(1).style, fsBold);
}

TEST(RichTextBufferFormat, WritingWithEmptySelectionChangesOnlyTheInsertionFormatting) {
    RichTextBuffer b;
    makeBlackDefaults(b);
    b.setText(u"abc");
    b.setSelStart(3);
    b.setSelColour(clTeal);
    EXPECT_EQ(b.colourAt(2), clBlack);
    b.setSelText(u"d");
    EXPECT_EQ(b.colourAt(3), clTeal);
}

TEST(RichTextBufferFormat, EachAttributeChangesAloneAndRoundTripsThroughTheSelection) {
    RichTextBuffer b;
    makeBlackDefaults(b);
    b.setText(u"label text");
    b.select(0, 5);
    b.setSelColour(clRed);
    b.setSelStyle(fsItalic);
    b.setSelSize(8);
    b.setSelOffset(60);
    EXPECT_EQ(b.selColour(), clRed);
    EXPECT_EQ(b.selStyle(), fsItalic);
    EXPECT_EQ(b.selSize(), 8);
    EXPECT_EQ(b.selOffset(), 60);
    EXPECT_EQ(b.selFontName(), u"Arial");

    // The offset write touches nothing else.
    b.setSelOffset(0);
    EXPECT_EQ(b.selColour(), clRed);
    EXPECT_EQ(b.selStyle(), fsItalic);
    EXPECT_EQ(b.selSize(), 8);

    // The rest of the text is untouched.
    EXPECT_EQ(b.formatAt(5).colour, clBlack);
    EXPECT_EQ(b.formatAt(5).sizeHalfPoints, 24);
}

TEST(RichTextBufferFormat, FontNamesAreCutTo31Characters) {
    RichTextBuffer b;
    b.setText(u"x");
    b.selectAll();
    b.setSelFontName(u"An Extraordinarily Long Font Family Name");
    EXPECT_EQ(b.selFontName().size(), 31u);
    EXPECT_EQ(b.selFontName(), u"An Extraordinarily Long Font Fa");
}

TEST(RichTextBufferFormat, ColourConsistencyCoversTheWholeSelection) {
    RichTextBuffer b;
    makeBlackDefaults(b);
    b.setText(u"aaaabbbb");
    colourRange(b, 4, 4, clBlue);
    b.select(0, 4);
    EXPECT_TRUE(b.selColourConsistent());
    b.select(2, 4);
    EXPECT_FALSE(b.selColourConsistent());
    EXPECT_EQ(b.selColour(), clBlack); // the first character's
    // A style change inside a run of one colour is still consistent.
    b.select(5, 1);
    b.setSelStyle(fsBold);
    b.select(4, 4);
    EXPECT_TRUE(b.selColourConsistent());
}

TEST(RichTextBufferFormat, ResetCopiesTheDefaultAttributes) {
    RichTextBuffer b;
    makeBlackDefaults(b);
    b.setText(u"Art");
    b.selectAll();
    b.setSelColour(clRed);
    b.setSelStyle(fsItalic);
    b.setSelSize(8);
    b.setSelOffset(60);
    b.setSelStart(3);
    EXPECT_EQ(b.selColour(), clRed);
    b.resetInsertionFormat();
    CharFormat f = b.selFormat();
    EXPECT_EQ(f, b.defaultFormat());
    b.setSelText(u" next");
    EXPECT_EQ(b.colourAt(4), clBlack);
    EXPECT_EQ(b.formatAt(4).offsetTwips, 0);
    EXPECT_EQ(b.colourAt(2), clRed);
}

// ------------------------------------------------------------------ paragraphs

TEST(RichTextBufferParagraph, AlignmentAndIndentApplyToTheParagraphsOfTheSelection) {
    RichTextBuffer b;
    b.setText(u"one\r\ntwo\r\nthree");
    b.select(1, 5); // from "one" into "two"
    b.setParaAlignment(Alignment::Center);
    b.setParaStartIndent(20);
    EXPECT_EQ(b.paragraphFormat(0).alignment, Alignment::Center);
    EXPECT_EQ(b.paragraphFormat(1).alignment, Alignment::Center);
    EXPECT_EQ(b.paragraphFormat(2).alignment, Alignment::Left);
    EXPECT_EQ(b.paragraphFormat(1).startIndentTwips, 400);
    b.setSelStart(6);
    EXPECT_EQ(b.paraStartIndent(), 20);

    // A selection ending where a paragraph starts does not reach into it.
    b.select(5, 5); // "two\r\n"
    b.setParaAlignment(Alignment::Right);
    EXPECT_EQ(b.paragraphFormat(1).alignment, Alignment::Right);
    EXPECT_EQ(b.paragraphFormat(2).alignment, Alignment::Left);
}

TEST(RichTextBufferParagraph, SplitAndMergeKeepFormatsInStep) {
    RichTextBuffer b;
    b.setText(u"aaa\r\nbbb");
    b.setSelStart(0);
    b.setParaAlignment(Alignment::Right);
    b.setSelStart(1);
    b.setSelText(u"x\r\ny\r\n"); // splits paragraph 0 twice
    EXPECT_EQ(b.lineCount(), 4);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(b.paragraphFormat(i).alignment, Alignment::Right) << i;
    EXPECT_EQ(b.paragraphFormat(3).alignment, Alignment::Left);
    b.selectAll();
    b.setSelText(u"");
    EXPECT_EQ(b.lineCount(), 1);
    EXPECT_EQ(b.paragraphFormat(0).alignment, Alignment::Right);
    EXPECT_TRUE(b.check());
}

// ------------------------------------------------------------------ find

TEST(RichTextBufferFind, FindFollowsItsOptionsAndRange) {
    RichTextBuffer b;
    b.setText(u"The cat scattered Cats.\r\nÉCOLE école");
    const int all = b.length();
    struct Case {
        std::u16string what;
        int start;
        int length;
        FindOptions opts;
        int expected;
    } cases[] = {
        {u"cat", 0, all, {}, 4},
        {u"CAT", 0, all, {}, 4},
        {u"CAT", 0, all, {true, false}, -1},
        {u"Cat", 0, all, {true, false}, 18},
        {u"cat", 5, all, {}, 9},                 // inside "scattered"
        {u"cat", 5, all, {false, true}, -1},     // "Cats" is not the whole word
        {u"cats", 5, all, {false, true}, 18},
        {u"cat", 0, 7, {}, 4},                   // match must lie in the range
        {u"cat", 0, 6, {}, -1},
        {u"cat", 11, 1000000, {}, 18},           // length clamped to the end
        {u"école", 0, all, {}, 25},              // accented letters fold too
        {u"école", 26, all, {}, 31},
        {u"", 0, all, {}, -1},
        {u"dog", 0, all, {}, -1},
        {u"cat", all + 1, all, {}, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(b.findText(c.what, c.start, c.length, c.opts), c.expected)
            << std::string(c.what.begin(), c.what.end()) << " from " << c.start;
}

// ------------------------------------------------------------------ lines

TEST(RichTextBufferLines, LinesAreParagraphs) {
    RichTextBuffer b;
    EXPECT_EQ(b.lineCount(), 1);
    b.setText(u"first\r\n\r\nthird\r\n");
    EXPECT_EQ(b.lineCount(), 4);
    EXPECT_EQ(b.lineStart(0), 0);
    EXPECT_EQ(b.lineStart(1), 7);
    EXPECT_EQ(b.lineStart(2), 9);
    EXPECT_EQ(b.lineStart(3), 16);
    EXPECT_EQ(b.lineStart(4), -1);
    EXPECT_EQ(b.lineOfPosition(0), 0);
    EXPECT_EQ(b.lineOfPosition(5), 0);
    EXPECT_EQ(b.lineOfPosition(7), 1);
    EXPECT_EQ(b.lineOfPosition(10), 2);
    EXPECT_EQ(b.lineOfPosition(16), 3);
    EXPECT_EQ(b.lineOfPosition(999), 3);
}

// ------------------------------------------------------------------ notifications

TEST(RichTextBufferObservers, EachEditIsReportedWithItsRange) {
    RichTextBuffer b;
    RecordingObserver rec;
    b.setText(u"abcdef");
    b.addObserver(&rec);
    b.select(1, 2);
    b.setSelText(u"XYZ");
    b.select(0, 3);
    b.setSelColour(clRed);
    b.setSelColour(clRed); // no change, no report
    b.setParaAlignment(Alignment::Center);
    b.setText(u"new");
    std::vector<std::string> expected{"text 1 2 3",  "format 0 3", "para 0 0",
                                      "text 0 7 3", "para 0 0"};
    EXPECT_EQ(rec.events, expected);
    b.removeObserver(&rec);
}

TEST(RichTextBufferObservers, EditingFromANotificationIsRefused) {
    struct Meddler : BufferObserver {
        RichTextBuffer* b = nullptr;
        void textReplaced(int, int, int) override { b->setText(u"again"); }
        void formatChanged(int, int) override {}
        void paragraphFormatChanged(int, int) override {}
    } meddler;
    RichTextBuffer b;
    meddler.b = &b;
    b.addObserver(&meddler);
    EXPECT_THROW(b.setText(u"x"), std::logic_error);
    b.removeObserver(&meddler);
    b.setText(u"y"); // the buffer still works afterwards
    EXPECT_EQ(b.text(), u"y");
}

// ------------------------------------------------------------------ content

TEST(RichTextBufferContent, ContentRoundTripsThroughAssign) {
    RichTextBuffer b;
    makeBlackDefaults(b);
    b.setText(u"one two\r\nthree");
    colourRange(b, 4, 3, clBlue);
    b.setSelStyle(fsUnderline);
    b.setSelStart(10);
    b.setParaAlignment(Alignment::Right);
    RichContent c = b.content();
    ASSERT_EQ(c.runs.size(), 3u);
    EXPECT_EQ(c.runs[1].length, 3);
    EXPECT_EQ(c.paragraphs.size(), 2u);

    RichTextBuffer copy;
    copy.assign(c);
    EXPECT_EQ(copy.text(), b.text());
    EXPECT_EQ(copy.content().runs.size(), 3u);
    EXPECT_EQ(copy.colourAt(5), clBlue);
    EXPECT_EQ(copy.paragraphFormat(1).alignment, Alignment::Right);
    EXPECT_TRUE(copy.check());
}

TEST(RichTextBufferContent, AssignRepairsContentThatBreaksTheRules) {
    RichContent c;
    c.text = u"a\nb\rc";
    c.runs.push_back(FormatRun{2, CharFormat{}});
    c.runs[0].format.colour = clRed;
    c.paragraphs.clear();
    RichTextBuffer b;
    b.assign(c);
    EXPECT_EQ(b.text(), u"a\r\nb\r\nc");
    EXPECT_EQ(b.colourAt(2), clRed); // the LF's format reached both halves
    EXPECT_EQ(b.colourAt(3), clWindowText);
    EXPECT_TRUE(b.check());
}

// ------------------------------------------------------------------ invariants under edits

TEST(RichTextBufferInvariants, RandomEditsKeepTextAndLinesInStep) {
    std::mt19937 rng(12345);
    RichTextBuffer b;
    std::u16string model;
    const std::u16string pieces[] = {u"a", u"bc", u"\r\n", u"x\r\ny", u"", u"\n", u"\r"};
    for (int step = 0; step < 3000; ++step) {
        int start = int(rng() % std::uint32_t(b.length() + 1));
        int len = int(rng() % 5);
        b.select(start, len);
        // The selection the buffer settled on is what gets replaced.
        const std::u16string& piece = pieces[rng() % std::size(pieces)];
        std::u16string normalised;
        for (std::size_t i = 0; i < piece.size(); ++i) {
            if (piece[i] == u'\r' || piece[i] == u'\n') {
                normalised += u"\r\n";
                if (piece[i] == u'\r' && i + 1 < piece.size() && piece[i + 1] == u'\n')
                    ++i;
            } else {
                normalised += piece[i];
            }
        }
        model.replace(std::size_t(b.selStart()), std::size_t(b.selLength()), normalised);
        b.setSelText(piece);
        if (rng() % 7 == 0) {
            b.select(int(rng() % std::uint32_t(b.length() + 1)), 3);
            b.setSelColour(Colour(rng() % 4));
            b.setParaAlignment(Alignment::Center);
        }
        ASSERT_TRUE(b.check()) << "step " << step;
        ASSERT_EQ(b.text(), model) << "step " << step;
    }
}

// ------------------------------------------------------------------ storage around the last edit

// The text is stored with a gap at the last edit: searches, reads and line
// positions must see one text whether the gap lies in a match, next to a CR LF
// pair or at either end.
TEST(RichTextBufferStorage, ReadsAndSearchesSeeOneTextWhereverTheLastEditWas) {
    RichTextBuffer b;
    b.setText(u"alpha beta\r\ngamma");
    const std::u16string& view = b.text();
    b.setSelStart(10); // just before the CR
    b.setSelText(u"X");
    EXPECT_EQ(b.text(), u"alpha betaX\r\ngamma");
    EXPECT_EQ(&view, &b.text()); // the same view, brought up to date
    FindOptions exact;
    exact.matchCase = true;
    EXPECT_EQ(b.findText(u"aX\r\ng", 0, b.length(), exact), 9); // across the edit
    EXPECT_EQ(b.lineStart(1), 13);
    EXPECT_EQ(b.lineOfPosition(12), 0);
    EXPECT_EQ(b.lineOfPosition(13), 1);
    b.setSelStart(13); // just after the LF: the next edit moves the gap across the pair
    b.setSelText(u"Y");
    EXPECT_EQ(b.textRange(9, 6), u"aX\r\nYg");
    EXPECT_EQ(b.charAt(11), u'\r');
    EXPECT_EQ(b.charAt(12), u'\n');
    EXPECT_EQ(b.charAt(b.length()), u'\0');
    b.setSelStart(0);
    b.setSelText(u"<");
    b.setSelStart(b.length());
    b.setSelText(u">");
    EXPECT_EQ(b.text(), u"<alpha betaX\r\nYgamma>");
    EXPECT_EQ(b.findText(u"gamma>", 0, b.length()), 15);
    EXPECT_EQ(b.findText(u"<ALPHA", 0, b.length()), 0);
    EXPECT_EQ(b.lineStart(1), 14);
    b.select(11, 3); // "X" and the pair
    b.setSelText(u"");
    EXPECT_EQ(b.lineCount(), 1);
    EXPECT_EQ(b.text(), u"<alpha betaYgamma>");
    EXPECT_TRUE(b.check());
}
