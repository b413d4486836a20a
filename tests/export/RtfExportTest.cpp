#include "export/RtfExport.h"

#include "platform/TextCodec.h"
#include "library/LinkList.h"
#include "stats/StatsTestSupport.h"

#include <gtest/gtest.h>

namespace tallix::testing {
namespace {

struct RtfExporter {
    MarkedDocument doc;
    AnnotationSet buttons = AnnotationSet::builtInDefaults();
    OutputTitles titles;
    OutputColours colours;
    library::LinkList links;
    exports::RtfOptions options;
    RichTextBuffer back; // the exported file read again

    explicit RtfExporter(const EssayBuilder& e) { e.into(doc); }

    exports::RtfExportResult run() {
        exports::RtfExportResult r = exports::exportRtf(
            exports::RtfExportRequest{doc, buttons, titles, colours, links, options});
        EXPECT_TRUE(back.loadFromBytes(r.bytes).ok);
        return r;
    }
    int find(std::u16string_view s) const { return back.findText(s, 0, back.length(), {true}); }
};

TEST(RtfExport, AnEssayWithNothingElseGetsOneLineBreak) {
    EssayBuilder e;
    e.text(u"Plain").coloured(u"[*BM*]", clSilver).text(u" essay");
    RtfExporter x(e);
    x.doc.grade = u"??%";
    x.run();
    EXPECT_EQ(x.back.text(), u"Plain essay\r\n");
    EXPECT_EQ(x.doc.scratch().length(), 0);
}

TEST(RtfExport, SectionsInTheirColoursStylesAndSizes) {
    EssayBuilder e;
    e.text(u"Essay {{Dict}} ").span(u"wrd").error(u"Sp").marker(u"1");
    e.comment(u"See {{Dict}}");
    RtfExporter x(e);
    x.links.addLink(u"Dict", u"http://d.example/");
    x.doc.feedback1Text = u"Good work {{Dict}}";
    x.doc.feedback2Text = u"Second";
    x.doc.grade = u"B+";
    x.colours.setIndex(ColourRole::Comment, 5);
    const exports::RtfExportResult r = x.run();
    const std::u16string expected =
        u"Essay {{Dict}} wrdSp1\r\n"
        u"\r\n\r\nGood work \"Dict\" (http://d.example/) "
        u"\r\n\r\nSecond"
        u"\r\n\r\nGrade:  B+"
        u"\r\n\r\nError Statistics\r\n\r\n1      Spelling"
        u"\r\n\r\nComments\r\n\r\n1. See \"Dict\" (http://d.example/) ";
    EXPECT_EQ(x.back.text(), expected);
    EXPECT_EQ(r.statistics.cell(1, 1), u"Spelling");

    const auto at = [&](std::u16string_view s) { return x.back.formatAt(x.find(s)); };
    EXPECT_EQ(x.back.colourAt(x.find(u"wrd")), clBlue);
    EXPECT_EQ(at(u"Sp1").colour, clRed);
    EXPECT_EQ(x.back.colourAt(x.find(u"Sp1") + 2), x.colours.colour(ColourRole::Comment));
    EXPECT_EQ(at(u"Good work").colour, x.colours.colour(ColourRole::F1));
    EXPECT_EQ(at(u"Good work").style, fsBold);
    EXPECT_EQ(at(u"Good work").sizePoints(), 12);
    EXPECT_EQ(at(u"Good work").offsetTwips, 0);
    EXPECT_EQ(at(u"Second").colour, x.colours.colour(ColourRole::F2));
    EXPECT_EQ(at(u"Grade:").colour, x.colours.colour(ColourRole::Grade));
    EXPECT_EQ(at(u"Grade:").sizePoints(), 14);
    EXPECT_EQ(at(u"Error Statistics").colour, x.colours.colour(ColourRole::Error));
    EXPECT_EQ(at(u"Error Statistics").style, fsUnderline);
    EXPECT_EQ(at(u"1      Spelling").colour, clBlack);
    EXPECT_EQ(at(u"1      Spelling").sizePoints(), 12);
    EXPECT_EQ(at(u"Comments").colour, x.colours.colour(ColourRole::Comment));
    EXPECT_EQ(at(u"1. See").colour, clBlack);
    EXPECT_EQ(at(u"1. See").style, 0);
}

TEST(RtfExport, AnEssayEndingInALabelDoesNotMakeTheSectionsSmallAndRaised) {
    EssayBuilder e;
    e.text(u"Ends ").span(u"wrd").error(u"Sp");
    RtfExporter x(e);
    x.doc.feedback2Text = u"Second";
    x.options.includeErrorStats = false;
    x.run();
    const CharFormat f = x.back.formatAt(x.find(u"Second"));
    EXPECT_EQ(f.sizePoints(), 12);
    EXPECT_EQ(f.offsetTwips, 0);
    EXPECT_EQ(f.style, fsBold);
    // The line break after the essay is plain too.
    EXPECT_EQ(x.back.formatAt(x.find(u"Sp") + 2).offsetTwips, 0);
}

TEST(RtfExport, StatisticsOnWithoutErrorsWritesNoHeading) {
    EssayBuilder e;
    e.text(u"Clean");
    RtfExporter x(e);
    x.run();
    EXPECT_EQ(x.back.text(), u"Clean\r\n");
}

TEST(RtfExport, GreenCommentColourLeavesMarkersAndFirstCharacterMarkersAreRecoloured) {
    EssayBuilder e;
    e.marker(u"1").text(u" start and ").marker(u"2");
    e.comment(u"a").comment(u"b");
    RtfExporter x(e);
    x.run();
    EXPECT_EQ(x.back.colourAt(0), clGreen);
    x.colours.setIndex(ColourRole::Comment, 1);
    RtfExporter y(e);
    y.colours = x.colours;
    y.run();
    EXPECT_EQ(y.back.colourAt(0), y.colours.colour(ColourRole::Comment));
    EXPECT_NE(y.back.colourAt(0), clGreen);
    EXPECT_EQ(y.back.formatAt(0).style, fsBold);
}

TEST(RtfExport, ACommentWithoutASpanAndTrailingBreaksStripped) {
    EssayBuilder e;
    e.text(u"Word").marker(u"1").paragraph().paragraph();
    e.comment(u"Note");
    RtfExporter x(e);
    x.doc.documentChanged = false;
    x.run();
    EXPECT_EQ(x.doc.essay().text(), u"Word1");
    EXPECT_TRUE(x.doc.documentChanged);
    EXPECT_EQ(x.back.text(), u"Word1\r\n\r\n\r\nComments\r\n\r\n1. Note");
}

} // namespace
} // namespace tallix::testing
