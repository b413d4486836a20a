#include "document/Navigation.h"

#include "BufferTestSupport.h"

#include <gtest/gtest.h>

using namespace tallix;
using tallix::testing::fmt;
using namespace tallix::navigation;

namespace {

const CharFormat Black = fmt(clBlack);

void essay(RichTextBuffer& b, std::u16string_view text) {
    b.setDefaultFormat(Black);
    b.setText(text);
}

void addAt(RichTextBuffer& b, Bookmarks& marks, int caret, std::u16string_view name) {
    b.setSelStart(caret);
    ASSERT_GT(addBookmark(b, marks, name), 0);
}

// The names in use, in order.
std::vector<std::u16string> names(const Bookmarks& m) {
    return {m.names.begin() + 1, m.names.begin() + 1 + m.count};
}

std::u16string silverText(const RichTextBuffer& b) {
    std::u16string s;
    for (int i = 0; i < b.length(); ++i)
        s.push_back(b.colourAt(i) == clSilver ? u'S' : b.text()[std::size_t(i)]);
    return s;
}

} // namespace

// ------------------------------------------------------------------ bookmarks

TEST(BookmarksAdd, MarkIsSilverAtTheCaretWithTheCaretAfterIt) {
    RichTextBuffer b;
    essay(b, u"one two");
    Bookmarks marks;
    b.select(4, 3); // a selection is collapsed to its start
    EXPECT_EQ(addBookmark(b, marks, u"two"), 1);
    EXPECT_EQ(b.text(), u"one [*BM*]two");
    EXPECT_EQ(silverText(b), u"one SSSSSStwo");
    EXPECT_EQ(b.selStart(), 10);
    EXPECT_EQ(b.selLength(), 0);
    EXPECT_EQ(marks.count, 1);
    EXPECT_EQ(marks.names[1], u"two");
}

TEST(BookmarksAdd, ANewFirstBookmarkShiftsTheOthersAndTheirCaptions) {
    RichTextBuffer b;
    essay(b, u"alpha beta gamma");
    Bookmarks marks;
    addAt(b, marks, 6, u"beta");
    addAt(b, marks, 17, u"gamma"); // after "[*BM*]beta " : before "gamma"
    EXPECT_EQ(b.text(), u"alpha [*BM*]beta [*BM*]gamma");
    b.setSelStart(0);
    EXPECT_EQ(addBookmark(b, marks, u"alpha"), 1);
    EXPECT_EQ(names(marks), (std::vector<std::u16string>{u"alpha", u"beta", u"gamma"}));
    EXPECT_EQ(marks.caption(1), u"&1: alpha");
    EXPECT_EQ(marks.caption(2), u"&2: beta");
    EXPECT_EQ(marks.caption(3), u"&3: gamma");
    EXPECT_TRUE(marks.visible(3));
    EXPECT_FALSE(marks.visible(4));
    // Names and marks stay in step: mark k is where bookmark k leads.
    ASSERT_TRUE(goToBookmark(b, 2));
    EXPECT_EQ(b.text().substr(std::size_t(b.selStart()) + 6, 4), u"beta");
}

TEST(BookmarksAdd, TheEleventhIsRefusedAndTheTenthCaptionHasTwoDigits) {
    RichTextBuffer b;
    essay(b, u"text");
    Bookmarks marks;
    for (int k = 1; k <= 10; ++k) {
        EXPECT_FALSE(bookmarkLimit(marks));
        b.setSelStart(b.length());
        ASSERT_EQ(addBookmark(b, marks, u"n" + std::u16string(1, char16_t(u'0' + k % 10))), k);
    }
    EXPECT_EQ(marks.caption(10), u"&10: n0");
    auto limit = bookmarkLimit(marks);
    ASSERT_TRUE(limit);
    EXPECT_EQ(limit->text,
              u"There is a limit of ten bookmarks. Please delete one before adding a new one.");
    EXPECT_EQ(limit->type, MessageType::Warning);
    EXPECT_EQ(limit->helpContext, 31000);
    const std::u16string before = b.text();
    EXPECT_EQ(addBookmark(b, marks, u"eleven"), 0);
    EXPECT_EQ(b.text(), before);
    EXPECT_EQ(marks.count, 10);
}

TEST(BookmarksAdd, ProposedNameIsSixteenCharactersFromTheCaret) {
    RichTextBuffer b;
    essay(b, u"Line one\r\nline two is long");
    b.setSelStart(4);
    EXPECT_EQ(proposedBookmarkName(b), u" one\r\nline two i");
    b.setSelStart(19);
    EXPECT_EQ(proposedBookmarkName(b), u"is long");
    b.setSelStart(b.length());
    EXPECT_EQ(proposedBookmarkName(b), u"");
}

TEST(BookmarksAdd, InsideMarkupTheMarkGoesAfterItInsteadOfSplittingIt) {
    RichTextBuffer b;
    essay(b, u"A ");
    RichContent c = b.content();
    c.appendText(u"span", fmt(clBlue, fsUnderline));
    c.appendText(u"Sp", fmt(clRed, fsItalic, 8, 60));
    c.appendText(u" end", Black);
    b.assign(c);
    Bookmarks marks;
    addAt(b, marks, 4, u"in span"); // "A sp|an"
    EXPECT_EQ(b.text(), u"A spanSp[*BM*] end");
    addAt(b, marks, 11, u"in mark"); // "[*B|M*]"
    EXPECT_EQ(b.text(), u"A spanSp[*BM*][*BM*] end");
    EXPECT_EQ(names(marks), (std::vector<std::u16string>{u"in span", u"in mark"}));
}

TEST(BookmarksAdd, CaptionsShowAnAmpersandAsTyped) {
    Bookmarks marks;
    marks.names[1] = u"Q&A";
    marks.count = 1;
    EXPECT_EQ(marks.caption(1), u"&1: Q&&A");
}

TEST(BookmarksText, BlackLookalikesAreNotBookmarks) {
    RichTextBuffer b;
    essay(b, u"[*BM*] typed by the student");
    Bookmarks marks;
    addAt(b, marks, b.length(), u"end");
    // The mark after the typed one is still bookmark 1.
    EXPECT_EQ(names(marks), std::vector<std::u16string>{u"end"});
    EXPECT_EQ(bookmarkPosition(b, 1), 27);
    EXPECT_EQ(bookmarkPosition(b, 2), -1);
    b.setSelStart(3);
    EXPECT_FALSE(goToBookmark(b, 2));
    EXPECT_EQ(b.selStart(), 3);
    ASSERT_TRUE(goToBookmark(b, 1));
    EXPECT_EQ(b.selStart(), 27);

    EXPECT_FALSE(deleteBookmark(b, marks, u"1"));
    EXPECT_EQ(b.text(), u"[*BM*] typed by the student");
    EXPECT_EQ(marks.count, 0);
}

TEST(BookmarksDelete, TheNthMarkGoesAndLaterNamesMoveDown) {
    RichTextBuffer b;
    essay(b, u"a b c");
    Bookmarks marks;
    addAt(b, marks, 0, u"a");
    addAt(b, marks, 8, u"b");  // "[*BM*]a |b c"
    addAt(b, marks, 16, u"c"); // "...[*BM*]b |c"
    ASSERT_EQ(b.text(), u"[*BM*]a [*BM*]b [*BM*]c");

    EXPECT_FALSE(deleteBookmark(b, marks, u" 2 "));
    EXPECT_EQ(b.text(), u"[*BM*]a b [*BM*]c");
    EXPECT_EQ(names(marks), (std::vector<std::u16string>{u"a", u"c"}));
    EXPECT_EQ(marks.names[3], u"");
    EXPECT_EQ(b.selStart(), 8);
    EXPECT_EQ(b.selColour(), clBlack); // typing on is plain text
    EXPECT_EQ(marks.caption(2), u"&2: c");
    EXPECT_FALSE(marks.visible(3));
}

TEST(BookmarksDelete, AnswersOutsideTheRuleChangeNothing) {
    RichTextBuffer b;
    essay(b, u"x");
    Bookmarks marks;
    addAt(b, marks, 0, u"x");
    const std::u16string before = b.text();
    for (const char16_t* answer : {u"0", u"2", u"-1"})
        EXPECT_FALSE(deleteBookmark(b, marks, std::u16string(answer)));
    EXPECT_FALSE(deleteBookmark(b, marks, std::nullopt));
    auto error = deleteBookmark(b, marks, u"one");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->text, u"'one' is not a valid integer value");
    EXPECT_EQ(b.text(), before);
    EXPECT_EQ(marks.count, 1);
}

TEST(BookmarksState, ANewDocumentStartsWithout) {
    MarkedDocument d;
    d.essay().setText(u"text");
    addAt(d.essay(), d.bookmarks, 0, u"start");
    d.clear();
    EXPECT_EQ(d.bookmarks.count, 0);
    EXPECT_EQ(d.bookmarks.names[1], u"");
}

// ------------------------------------------------------------------ find

TEST(FindNext, RepeatedFindsStepThroughMatchesIgnoringCase) {
    RichTextBuffer b;
    essay(b, u"Art is art. ART");
    b.setSelStart(0);
    auto never = [] {
        ADD_FAILURE() << "asked to go on from the beginning";
        return false;
    };
    ASSERT_EQ(findNext(b, u"art", never), FindResult::Found);
    EXPECT_EQ(b.selStart(), 7);
    EXPECT_EQ(b.selLength(), 3);
    ASSERT_EQ(findNext(b, u"art", never), FindResult::Found);
    EXPECT_EQ(b.selStart(), 12);
    EXPECT_EQ(b.selText(), u"ART");
}

TEST(FindNext, AtTheEndTheAnswerDecidesWhetherToStartAgain) {
    RichTextBuffer b;
    essay(b, u"Art is art.");
    int asked = 0;
    b.setSelStart(7); // on the last match: it is skipped
    EXPECT_EQ(findNext(b, u"art", [&] { return ++asked, false; }), FindResult::Stopped);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(b.selStart(), 7);
    EXPECT_EQ(b.selLength(), 0);

    // The match at the very first position is found from the beginning.
    EXPECT_EQ(findNext(b, u"art", [&] { return ++asked, true; }), FindResult::Found);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(b.selStart(), 0);
    EXPECT_EQ(b.selLength(), 3);

    EXPECT_EQ(findNext(b, u"nowhere", [] { return true; }), FindResult::NotFound);
    EXPECT_EQ(b.selStart(), 0);
    EXPECT_EQ(b.selLength(), 3);

    Message q = continueFromStartQuestion();
    EXPECT_EQ(q.text, u"Text not found. Do you want to continue searching from the beginning "
                      u"of the document?");
    EXPECT_EQ(q.type, MessageType::Confirmation);
    EXPECT_EQ(q.helpContext, 25000);
}

TEST(FindNext, FindInMarkSearchesToTheEnd) {
    RichTextBuffer b;
    essay(b, u"ab\r\nAB");
    EXPECT_EQ(findInMark(b, u"ab", 1), 4);
    EXPECT_EQ(findInMark(b, u"ab", 5), -1);
    EXPECT_EQ(findInMark(b, u"ab", 99), -1);
}

// ------------------------------------------------------------------ go to line

TEST(GoToLine, LinesCountFromZeroAndOutOfRangeDoesNothing) {
    RichTextBuffer b;
    essay(b, u"zero\r\none\r\ntwo");
    b.setSelStart(12);
    GoToLineOutcome o = goToLine(b, u"0");
    EXPECT_EQ(o.line, 0);
    EXPECT_EQ(b.selStart(), 0);
    o = goToLine(b, u"2");
    EXPECT_EQ(o.line, 2);
    EXPECT_EQ(b.selStart(), 11);
    EXPECT_EQ(b.lineOfPosition(b.selStart()), 2); // what the status bar shows

    for (const char16_t* answer : {u"3", u"-1", u"2147483647"}) {
        o = goToLine(b, std::u16string(answer));
        EXPECT_EQ(o.line, -1);
        EXPECT_FALSE(o.error);
    }
    EXPECT_EQ(goToLine(b, std::nullopt).line, -1);
    o = goToLine(b, u"2.5");
    ASSERT_TRUE(o.error);
    EXPECT_EQ(o.error->text, u"'2.5' is not a valid integer value");
    EXPECT_EQ(b.selStart(), 11);
}
