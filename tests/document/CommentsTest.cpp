#include "document/Comments.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace tallix;

namespace {

void essay(MarkedDocument& d, std::u16string_view text) {
    d.clear();
    d.essay().setText(text);
}

// The text with every green run wrapped in <>, every navy run in [].
std::u16string marked(const RichTextBuffer& b) {
    std::u16string out;
    Colour open = clBlack;
    for (int i = 0; i <= b.length(); ++i) {
        Colour c = i < b.length() ? b.colourAt(i) : clBlack;
        if (c != open) {
            if (open == clGreen)
                out += u'>';
            if (open == clNavy)
                out += u']';
            if (c == clGreen)
                out += u'<';
            if (c == clNavy)
                out += u'[';
            open = c;
        }
        if (i < b.length())
            out += b.text()[std::size_t(i)];
    }
    return out;
}

void addAt(MarkedDocument& d, int start, int length) {
    d.essay().select(start, length);
    ASSERT_FALSE(comments::addComment(d).has_value());
}

int positionOf(const MarkedDocument& d, std::u16string_view what) {
    return int(d.essay().text().find(what));
}

} // namespace

// ------------------------------------------------------------------ adding

TEST(CommentsAdd, ASpanBecomesNavyAndTheMarkerGreenBoldRaised) {
    MarkedDocument d;
    essay(d, u"The cat sat on the mat.");
    addAt(d, 4, 3);
    EXPECT_EQ(marked(d.essay()), u"The [cat]<1> sat on the mat.");
    const CharFormat& m = d.essay().formatAt(7);
    EXPECT_EQ(m.style, fsBold);
    EXPECT_EQ(m.sizeHalfPoints, 20);
    EXPECT_EQ(m.offsetTwips, 60);
    EXPECT_EQ(d.essay().formatAt(4).style, fsUnderline);
    EXPECT_EQ(d.commentTexts.size(), 1u);
    EXPECT_EQ(d.notes.selectorMax, 1);
    EXPECT_EQ(d.notes.selectorValue, 1);
    EXPECT_TRUE(d.notes.visible);
    EXPECT_TRUE(d.notes.commentDown);
    EXPECT_EQ(d.notes.caption, NotesCaption::Comments);
    // What is typed next is plain black text.
    d.essay().setSelText(u"x");
    EXPECT_EQ(d.essay().colourAt(d.essay().selStart() - 1), clBlack);
}

TEST(CommentsAdd, WithoutASelectionABareMarkerGoesAtTheCaret) {
    MarkedDocument d;
    essay(d, u"One two.");
    addAt(d, 3, 0);
    EXPECT_EQ(marked(d.essay()), u"One<1> two.");
}

TEST(CommentsAdd, NumbersFollowTheNearestEarlierMarkerAndLaterOnesMoveUp) {
    MarkedDocument d;
    essay(d, u"a b c d e f g h i j k l");
    // Ten comments, each placed before all the others: the last added is 1 and
    // the renumbering crosses from 9 to 10.
    for (int i = 0; i < 10; ++i)
        addAt(d, 23 - 2 * i, 0);
    EXPECT_EQ(marked(d.essay()),
              u"a b c<1> d<2> e<3> f<4> g<5> h<6> i<7> j<8> k<9> l<10>");
    // One between 4 and 5 takes number 5.
    addAt(d, positionOf(d, u"g"), 0);
    EXPECT_EQ(marked(d.essay()),
              u"a b c<1> d<2> e<3> f<4> <5>g<6> h<7> i<8> j<9> k<10> l<11>");
    EXPECT_EQ(d.notes.selectorValue, 5);
    EXPECT_EQ(d.commentTexts.size(), 11u);
}

TEST(CommentsAdd, BlackDigitsEqualToANumberAreLeftAlone) {
    MarkedDocument d;
    essay(d, u"In 1999 there were 2 cats and 1 dog.");
    addAt(d, positionOf(d, u" dog"), 0);         // marker 1 at the end
    addAt(d, positionOf(d, u" there"), 0);       // before it: becomes 1, old 1 -> 2
    EXPECT_EQ(marked(d.essay()), u"In 1999<1> there were 2 cats and 1<2> dog.");
}

TEST(CommentsAdd, SelectionsEndingInLineBreaksOrAtTheEndAreTrimmed) {
    MarkedDocument d;
    essay(d, u"First line\r\n\r\nNext");
    addAt(d, 0, 14);
    EXPECT_EQ(marked(d.essay()), u"[First line]<1>\r\n\r\nNext");
    essay(d, u"Last words");
    addAt(d, 5, 5); // reaches the end: the whole word is the span
    EXPECT_EQ(marked(d.essay()), u"Last [words]<1>");
    d.essay().setSelText(u" more"); // typed after the marker: plain text
    EXPECT_EQ(d.essay().colourAt(d.essay().length() - 1), clBlack);
}

TEST(CommentsAdd, OverlappingMarkupIsRefusedAndNothingChanges) {
    MarkedDocument d;
    essay(d, u"Their cat sat.");
    // A red label "Sp" right after "Their".
    d.essay().setSelStart(5);
    d.essay().setSelText(u"Sp");
    d.essay().select(5, 2);
    d.essay().setSelColour(clRed);
    const std::u16string before = marked(d.essay());

    for (auto [start, len] : {std::pair{0, 5}, std::pair{3, 4}, std::pair{7, 0}}) {
        d.essay().select(start, len);
        auto m = comments::addComment(d);
        ASSERT_TRUE(m.has_value()) << start << "," << len;
        EXPECT_EQ(m->text, u"You can't overlap annotations or comments.");
        EXPECT_EQ(m->helpContext, 10000);
        EXPECT_EQ(marked(d.essay()), before);
        EXPECT_TRUE(d.commentTexts.empty());
    }
}

TEST(CommentsAdd, MarkersAtTheEdgesOfParagraphs) {
    MarkedDocument d;
    essay(d, u"One.\r\nTwo.\r\nThree.");
    addAt(d, 4, 0);  // end of the first paragraph
    addAt(d, 12, 0); // start of "Three." (after the new marker shifted it by 1)
    EXPECT_EQ(marked(d.essay()), u"One.<1>\r\nTwo.\r\n<2>Three.");
    addAt(d, 7, 0); // at the start of "Two.": numbered across the line break
    EXPECT_EQ(marked(d.essay()), u"One.<1>\r\n<2>Two.\r\n<3>Three.");
}

// ------------------------------------------------------------------ deleting

TEST(CommentsDelete, DeletingTheMiddleOfThreeRenumbersAndRestoresTheSpan) {
    MarkedDocument d;
    essay(d, u"alpha beta gamma delta");
    addAt(d, 0, 5);
    addAt(d, positionOf(d, u"gamma"), 5);
    addAt(d, positionOf(d, u"delta"), 3);
    d.commentTexts = {u"c1", u"c2", u"c3"};
    EXPECT_EQ(marked(d.essay()), u"[alpha]<1> beta [gamma]<2> [del]<3>ta");

    EXPECT_FALSE(comments::deleteComment(d, u"2").has_value());
    EXPECT_EQ(marked(d.essay()), u"[alpha]<1> beta gamma [del]<2>ta");
    EXPECT_EQ(d.essay().formatAt(positionOf(d, u"gamma")).style, 0);
    EXPECT_EQ(d.commentTexts, (std::vector<std::u16string>{u"c1", u"c3"}));
    EXPECT_EQ(d.notes.selectorMax, 2);
    EXPECT_EQ(d.notes.selectorValue, 1);
    EXPECT_EQ(d.notes.memoText, u"c1");
}

TEST(CommentsDelete, AnswersOutsideTheRangeOrCancelChangeNothing) {
    MarkedDocument d;
    essay(d, u"text 2 here");
    addAt(d, 4, 0);
    const std::u16string before = marked(d.essay());
    for (const auto& answer : {std::optional<std::u16string>(u"0"),
                               std::optional<std::u16string>(u"2"),
                               std::optional<std::u16string>(u"-1"),
                               std::optional<std::u16string>()}) {
        EXPECT_FALSE(comments::deleteComment(d, answer).has_value());
        EXPECT_EQ(marked(d.essay()), before);
        EXPECT_EQ(d.notes.selectorMax, 1);
    }
    auto m = comments::deleteComment(d, u"two");
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->text, u"'two' is not a valid integer value");
    EXPECT_EQ(d.notes.selectorMax, 1);
}

TEST(CommentsDelete, DeletingTheLastCommentHidesTheArea) {
    MarkedDocument d;
    essay(d, u"Only 1 comment.");
    addAt(d, 0, 4);
    EXPECT_FALSE(comments::deleteComment(d, u" 1 ").has_value());
    EXPECT_EQ(marked(d.essay()), u"Only 1 comment.");
    EXPECT_FALSE(d.notes.visible);
    EXPECT_FALSE(d.notes.commentDown);
    EXPECT_EQ(d.notes.selectorMax, 0);
    comments::feedbackButtonClicked(d, 1, true);
    EXPECT_TRUE(d.commentTexts.empty());
}

TEST(CommentsDelete, BlackDigitsBeforeTheMarkerAreSkipped) {
    MarkedDocument d;
    essay(d, u"Page 1 and 2 of it");
    addAt(d, positionOf(d, u" of"), 0); // marker 1 after the black "2"
    addAt(d, positionOf(d, u" it"), 0); // marker 2
    EXPECT_FALSE(comments::deleteComment(d, u"1").has_value());
    EXPECT_EQ(marked(d.essay()), u"Page 1 and 2 of<1> it");
}

// ------------------------------------------------------------------ the notes area

TEST(NotesArea, SwitchingStashesFeedbackAndCommitsComments) {
    MarkedDocument d;
    essay(d, u"Some essay text.");
    addAt(d, 0, 4);
    comments::memoChanged(d, u"about Some", 10);
    EXPECT_TRUE(d.documentChanged);

    comments::feedbackButtonClicked(d, 1, true);
    EXPECT_EQ(d.commentTexts[0], u"about Some"); // committed on the way out
    EXPECT_EQ(d.notes.caption, NotesCaption::Feedback1);
    EXPECT_FALSE(d.notes.commentDown);
    EXPECT_TRUE(d.notes.feedback1Down);
    comments::memoChanged(d, u"Feedback one", 3);

    comments::feedbackButtonClicked(d, 2, true);
    EXPECT_EQ(d.feedback1Text, u"Feedback one");
    EXPECT_EQ(d.feedback1Caret, 3);
    EXPECT_FALSE(d.notes.feedback1Down);
    EXPECT_EQ(d.notes.memoText, u"");

    comments::feedbackButtonClicked(d, 1, true);
    EXPECT_EQ(d.notes.memoText, u"Feedback one");
    EXPECT_EQ(d.notes.memoCaret, 3);

    comments::feedbackButtonClicked(d, 1, false); // clicking the one that is down
    EXPECT_FALSE(d.notes.visible);
    EXPECT_EQ(d.notes.caption, NotesCaption::Feedback1); // the caption stays

    comments::commentButtonClicked(d, true);
    EXPECT_EQ(d.notes.memoText, u"about Some");
    EXPECT_TRUE(d.notes.visible);
}

TEST(NotesArea, CommentButtonWithoutCommentsHidesAndRaises) {
    MarkedDocument d;
    essay(d, u"text");
    comments::commentButtonClicked(d, true);
    EXPECT_FALSE(d.notes.visible);
    EXPECT_FALSE(d.notes.commentDown);
    comments::showCommentsMenuClicked(d);
    EXPECT_FALSE(d.notes.commentDown);
}

TEST(NotesArea, SelectorValuesOutOfRangeFallBackToOne) {
    MarkedDocument d;
    essay(d, u"a b c");
    addAt(d, 1, 0);
    addAt(d, 4, 0);
    d.commentTexts = {u"first", u"second"};
    comments::selectorChanged(d, 2);
    EXPECT_EQ(d.notes.memoText, u"second");
    comments::selectorChanged(d, 7);
    EXPECT_EQ(d.notes.selectorValue, 1);
    EXPECT_EQ(d.notes.memoText, u"first");
}

// ------------------------------------------------------------------ saved and loaded

TEST(CommentsFile, MarkersAndTextsSurviveASaveAndLoad) {
    tallix::testing::TempFolder dir;
    MarkedDocument d;
    essay(d, u"One two three.\r\nFour five.");
    addAt(d, 0, 3);
    comments::memoChanged(d, u"first\r\nof two lines", 0);
    comments::memoExited(d);
    addAt(d, positionOf(d, u"five"), 4);
    comments::memoChanged(d, u"second", 0);
    ASSERT_TRUE(d.saveTlx(dir.file("c.tlx")).ok);

    MarkedDocument e;
    ASSERT_TRUE(e.loadTlxFile(dir.file("c.tlx")).ok);
    EXPECT_EQ(marked(e.essay()), marked(d.essay()));
    EXPECT_EQ(e.commentTexts, (std::vector<std::u16string>{u"first\r\nof two lines", u"second"}));
    // Adding to the loaded document numbers on from its markers.
    e.essay().select(positionOf(e, u"three"), 5);
    ASSERT_FALSE(comments::addComment(e).has_value());
    EXPECT_EQ(marked(e.essay()), u"[One]<1> two [three]<2>.\r\nFour [five]<3>.");
}
