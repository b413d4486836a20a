#include "document/Scanning.h"

#include <gtest/gtest.h>

using namespace tallix;

namespace {

void blackText(RichTextBuffer& b, std::u16string_view text) {
    CharFormat f;
    f.colour = clBlack;
    b.setDefaultFormat(f);
    b.setText(text);
}

void colour(RichTextBuffer& b, int start, int len, Colour c) {
    b.select(start, len);
    b.setSelColour(c);
}

} // namespace

TEST(ScanWalk, StepBackCrossesALineBreakInOneStep) {
    RichTextBuffer b;
    blackText(b, u"ab\r\ncd");
    b.setSelStart(4); // just after the LF
    EXPECT_EQ(scan::stepCaretBack(b), 2);
    EXPECT_EQ(scan::stepCaretBack(b), 1);
    EXPECT_EQ(scan::stepCaretBack(b), 0);
    EXPECT_EQ(scan::stepCaretBack(b), 0);
}

TEST(ScanWalk, ForwardStepThatDoesNotMoveSkipsThePair) {
    RichTextBuffer b;
    blackText(b, u"ab\r\ncd");
    b.setSelStart(2); // before the CR
    EXPECT_FALSE(scan::moveCaret(b, 3));
    EXPECT_EQ(b.selStart(), 2);
    EXPECT_TRUE(scan::moveCaret(b, 5)); // "3 positions past": lands after "c"
    EXPECT_EQ(b.selStart(), 5);
    b.setSelStart(2);
    EXPECT_EQ(scan::stepCaretForward(b), 4);
}

TEST(ScanWalk, WalkingBackFindsTheStartOfAColouredRunAcrossParagraphs) {
    RichTextBuffer b;
    // "xx" black, then "yy\r\nzz" green
    blackText(b, u"xxyy\r\nzz tail");
    colour(b, 2, 6, clGreen);
    b.setSelStart(8);
    int at = scan::walkBackWhile(b, [](Colour c) { return c == clGreen; });
    EXPECT_EQ(at, 2);
    b.setSelStart(2);
    at = scan::walkForwardWhile(b, [](Colour c) { return c == clGreen; });
    EXPECT_EQ(at, 8);
}

TEST(ScanFind, OnlyMatchesInTheMarkupColourCount) {
    RichTextBuffer b;
    blackText(b, u"Art is art. Art");
    colour(b, 12, 3, clRed);
    colour(b, 7, 3, clRed);
    b.select(7, 1); // a label whose first character alone is red would not count
    b.setSelColour(clBlack);
    b.setSelStart(0);
    EXPECT_EQ(scan::findMarkup(b, u"art", 0, clRed), 12);
    EXPECT_EQ(b.selText(), u"Art");
    EXPECT_EQ(scan::findMarkup(b, u"art", 13, clRed), -1);
    EXPECT_EQ(b.selStart(), 12); // unchanged after a miss
}

TEST(ScanBookmarks, RemovingBookmarksLeavesBlackInsertionAndNoLiteral) {
    RichTextBuffer b;
    blackText(b, u"[*BM*]One [*BM*]two[*BM*]");
    colour(b, 0, 6, clSilver);
    EXPECT_EQ(scan::findBookmark(b), 0);
    EXPECT_EQ(scan::findBookmark(b, 1), 10);
    EXPECT_EQ(scan::removeBookmarks(b), 3);
    EXPECT_EQ(b.text(), u"One two");
    EXPECT_EQ(b.selColour(), clBlack);
    EXPECT_EQ(scan::findBookmark(b), -1);
}

TEST(ScanStripEnd, RemovesBlanksTabsAndWholeLineBreaks) {
    struct Case {
        std::u16string in, out;
    } cases[] = {
        {u"", u""},
        {u"text", u"text"},
        {u"text \t\r\n\r\n  ", u"text"},
        {u"text\r\n", u"text"},
        {u"\r\n\r\n", u""},
        {u"a\r\nb \r\n", u"a\r\nb"},
        {u" \t ", u""},
    };
    for (const Case& c : cases) {
        RichTextBuffer b;
        blackText(b, c.in);
        b.setSelStart(0);
        scan::stripEnd(b);
        EXPECT_EQ(b.text(), c.out);
        EXPECT_TRUE(b.check());
    }
}

TEST(ScanBookmarks, RemovingManyBookmarksKeepsEverythingElseInPlace) {
    RichTextBuffer b;
    std::u16string text;
    for (int i = 0; i < 200; ++i)
        text += (i % 3 == 0 ? u"para\r\n[*BM*]" : u"word[*BM*] ");
    blackText(b, text + u"[*BM*][*BM*]end");
    colour(b, 4, 2, clRed); // "\r\n" of the first paragraph, coloured to follow it
    b.setSelStart(b.length() - 3);
    const int lines = b.lineCount();
    EXPECT_EQ(scan::removeBookmarks(b), 202);
    EXPECT_EQ(scan::findBookmark(b), -1);
    EXPECT_EQ(b.lineCount(), lines);
    EXPECT_EQ(b.text().substr(b.length() - 3), u"end");
    EXPECT_EQ(b.selStart(), b.length() - 3); // the caret kept its place in the text
    EXPECT_EQ(b.colourAt(4), clRed);
    EXPECT_EQ(b.colourAt(6), clBlack);
    EXPECT_TRUE(b.check());
}

TEST(ScanCaretDeletion, PairsGoAsOneAndWordsWithTheirBlanks) {
    RichTextBuffer b;
    blackText(b, u"ab\r\ncd \U0001F600 word  \r\nx");
    auto range = [&b](int caret, scan::CaretDeletion kind) {
        b.setSelStart(caret);
        scan::CharRange r = scan::caretDeletionRange(b, kind);
        return std::pair{r.from, r.to};
    };
    using K = scan::CaretDeletion;
    EXPECT_EQ(range(4, K::Backward), (std::pair{2, 4}));  // the CR LF pair
    EXPECT_EQ(range(2, K::Forward), (std::pair{2, 4}));
    EXPECT_EQ(range(9, K::Backward), (std::pair{7, 9}));  // the surrogate pair
    EXPECT_EQ(range(7, K::Forward), (std::pair{7, 9}));
    EXPECT_EQ(range(16, K::WordBackward), (std::pair{10, 16})); // "word  "
    EXPECT_EQ(range(18, K::WordBackward), (std::pair{16, 18})); // a line break alone
    EXPECT_EQ(range(0, K::Backward), (std::pair{0, 0}));
    EXPECT_EQ(range(b.length(), K::Forward), (std::pair{b.length(), b.length()}));
}
