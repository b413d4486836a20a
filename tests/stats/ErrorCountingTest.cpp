#include "stats/ErrorCounting.h"

#include "StatsTestSupport.h"

#include <gtest/gtest.h>

using namespace tallix;
using namespace tallix::stats;
using tallix::testing::EssayBuilder;

namespace {

// Counts the essay of b with the default set, as the statistics window does.
ErrorStatisticsTable count(const EssayBuilder& b,
                           const AnnotationSet& set = AnnotationSet::builtInDefaults()) {
    MarkedDocument doc;
    b.into(doc);
    doc.essay().select(3, 2);
    ErrorStatisticsTable t = countErrors(doc.essay(), doc.scratch(), set);
    // The document's selection is left alone and the scratch copy is emptied.
    EXPECT_EQ(doc.essay().selStart(), std::min(3, doc.essay().length()));
    EXPECT_EQ(doc.scratch().length(), 0);
    return t;
}

std::vector<std::pair<std::u16string, std::u16string>> cells(const ErrorStatisticsTable& t) {
    std::vector<std::pair<std::u16string, std::u16string>> r;
    for (int row = 1; row < ErrorStatisticsTable::RowCount && !t.cell(0, row).empty(); ++row)
        r.emplace_back(t.cell(0, row), t.cell(1, row));
    return r;
}

using Rows = std::vector<std::pair<std::u16string, std::u16string>>;

} // namespace

TEST(CountErrors, RowsInEntryOrderEndedByTheFirstEmptyRow) {
    EssayBuilder b;
    b.span(u"thier").error(u"Sp").text(u" house, ").span(u"a apple").error(u"Art").paragraph();
    b.text(u"and ").span(u"recieve").error(u"Sp").text(u".");
    ErrorStatisticsTable t = count(b);
    EXPECT_EQ(cells(t), (Rows{{u"1", u"Article error"}, {u"2", u"Spelling"}}));
    EXPECT_EQ(t.cell(0, 0), u"Total");
    EXPECT_EQ(t.cell(1, 0), u"Error Type");
    for (int row = 3; row < ErrorStatisticsTable::RowCount; ++row)
        EXPECT_TRUE(t.cell(0, row).empty() && t.cell(1, row).empty()) << row;
    EXPECT_EQ(t.rows[0].entry, 2);
    EXPECT_EQ(t.rows[1].entry, 19);
}

TEST(CountErrors, OnlyRedLabelsCountAndPraiseNever) {
    EssayBuilder b;
    b.error(u"Art").text(u" art ART Art, ").span(u"the art").text(u" ");
    b.praise(u"Good!").praise(u"Yes!").coloured(u"Sp", clMaroon).marker(u"1");
    // A label at the very first position counts like any other; the black, blue,
    // maroon and teal texts never do.
    EXPECT_EQ(cells(count(b)), (Rows{{u"1", u"Article error"}}));

    EssayBuilder none;
    none.text(u"An essay with no marks at all, Sp Art Cut.").praise(u"Good!");
    EXPECT_TRUE(count(none).empty());
    EXPECT_TRUE(count(EssayBuilder()).empty());
}

TEST(CountErrors, ShortTextsInsideOtherLabelsCountForEachAndCaseIsIgnored) {
    EssayBuilder b;
    b.span(u"nospace").error(u"Space").text(u" ").span(u"x").error(u"sp");
    // "Sp" is found inside "Space" as well as on its own, in any case.
    EXPECT_EQ(cells(count(b)), (Rows{{u"1", u"Missing space"}, {u"2", u"Spelling"}}));
}

TEST(CountErrors, AMatchCountsOnlyWhenAllOfItIsRed) {
    // A red "S" followed by black "p" is not a label, and neither is a red "Sp"
    // whose "p" is blue; a match that ends inside a label does not count either.
    EssayBuilder b;
    b.error(u"S").text(u"pin").text(u" ").error(u"S").span(u"p").text(u" ");
    b.text(u"A").error(u"rt").text(u" ").error(u"Sp");
    EXPECT_EQ(cells(count(b)), (Rows{{u"1", u"Spelling"}}));
}

TEST(CountErrors, OverlappingOccurrencesAreAllExamined) {
    AnnotationSet set = AnnotationSet::builtInDefaults();
    set.setEntry(1, AnnotationEntry{u"Aa", u"aa", u"Doubled"});
    EssayBuilder b;
    b.error(u"aaaa");
    EXPECT_EQ(cells(count(b, set)), (Rows{{u"3", u"Doubled"}}));
}

TEST(CountErrors, EmptyLongTextsAndEmptyShortTexts) {
    AnnotationSet set = AnnotationSet::builtInDefaults();
    set.setEntry(2, AnnotationEntry{u"Art", u"Art", u""}); // no description
    set.setEntry(19, AnnotationEntry{u"Sp", u"", u"Spelling"}); // inert entry
    EssayBuilder b;
    b.error(u"Art").text(u" ").error(u"Sp").text(u" ").error(u"Cut");
    ErrorStatisticsTable t = count(b, set);
    // The row with an empty description still holds its count, and the reading
    // goes on past it to the next row.
    EXPECT_EQ(cells(t), (Rows{{u"1", u""}, {u"1", u"Cut -- this text is not necessary"}}));
}

TEST(CountErrors, PraiseEntriesTakeNoPartEvenWithRedLabels) {
    EssayBuilder b;
    b.error(u"Good!").error(u"Yes!");
    EXPECT_TRUE(count(b).empty());
}

TEST(CountErrors, ProgressAfterEveryEntry) {
    MarkedDocument doc;
    EssayBuilder().error(u"Art").into(doc);
    int steps = 0;
    countErrors(doc.essay(), doc.scratch(), AnnotationSet::builtInDefaults(), [&] { ++steps; });
    EXPECT_EQ(steps, ErrorEntryCount);
}
