// Moving from annotation to annotation and from comment to comment.
#include "document/MarkupMoves.h"

#include "stats/StatsTestSupport.h"

#include <gtest/gtest.h>

using namespace tallix;
using namespace tallix::navigation;
using tallix::testing::EssayBuilder;

namespace {

class MarkupMovesTest : public ::testing::Test {
protected:
    void SetUp() override {
        // 0         1         2         3
        // 0123456789012345678901234567890123456789
        // Teh dogSp ran Good! far, fast1 and Art. [navy "fast", marker "1"]
        EssayBuilder()
            .text(u"Teh ")
            .span(u"dog")
            .error(u"Sp")
            .text(u" ran ")
            .praise(u"Good!")
            .text(u" far, ")
            .coloured(u"fast", markup::CommentedSpanColour)
            .marker(u"1")
            .text(u" and ")
            .error(u"Art")
            .text(u". ")
            .marker(u"2")
            .text(u" end")
            .into(doc);
    }
    RichTextBuffer& b() { return doc.essay(); }
    MarkedDocument doc;
};

TEST_F(MarkupMovesTest, NextAndPreviousAnnotationSelectSpansAndLoneLabels) {
    b().select(0, 0);
    ASSERT_TRUE(selectAnnotation(b(), true));
    EXPECT_EQ(b().selText(), u"dog");
    ASSERT_TRUE(selectAnnotation(b(), true));
    EXPECT_EQ(b().selText(), u"Good!");
    ASSERT_TRUE(selectAnnotation(b(), true));
    EXPECT_EQ(b().selText(), u"Art");
    EXPECT_FALSE(selectAnnotation(b(), true));
    EXPECT_EQ(b().selText(), u"Art"); // nothing moved
    ASSERT_TRUE(selectAnnotation(b(), false));
    EXPECT_EQ(b().selText(), u"Good!");
    ASSERT_TRUE(selectAnnotation(b(), false));
    EXPECT_EQ(b().selText(), u"dog");
    EXPECT_FALSE(selectAnnotation(b(), false));
    // A caret right before a span finds that span; inside it, the next one.
    b().select(4, 0);
    EXPECT_EQ(nearestAnnotation(b(), true), (MarkSpan{4, 3}));
    b().select(5, 0);
    EXPECT_EQ(nearestAnnotation(b(), true)->length, 5);
    EXPECT_EQ(nearestAnnotation(b(), false), (MarkSpan{4, 3}));
    EXPECT_EQ(caretInside(MarkSpan{4, 3}), 5);
}

TEST_F(MarkupMovesTest, NextAndPreviousCommentSelectTheCommentedSpanOrTheMarker) {
    b().select(0, 0);
    ASSERT_TRUE(selectComment(b(), true));
    EXPECT_EQ(b().selText(), u"fast");
    ASSERT_TRUE(selectComment(b(), true));
    EXPECT_EQ(b().selText(), u"2");
    EXPECT_FALSE(selectComment(b(), true));
    ASSERT_TRUE(selectComment(b(), false));
    EXPECT_EQ(b().selText(), u"fast");
    EXPECT_FALSE(selectComment(b(), false));
}

TEST(MarkupMovesEmptyTest, AnEssayWithoutMarksHasNothingToMoveTo) {
    RichTextBuffer b;
    EXPECT_FALSE(selectAnnotation(b, true));
    EXPECT_FALSE(selectComment(b, false));
    b.setText(u"Just text.");
    EXPECT_FALSE(nearestAnnotation(b, true));
}

} // namespace
