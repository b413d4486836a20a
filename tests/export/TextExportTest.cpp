#include "export/TextExport.h"

#include "TestFiles.h"
#include "platform/CodePages.h"
#include "platform/TextCodec.h"
#include "export/web/MacChars.h"
#include "library/LinkList.h"
#include "stats/StatsTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tallix::testing {
namespace {

using exports::Separator;
using exports::TextOptions;


struct TextExporter {
    MarkedDocument doc;
    AnnotationSet buttons = AnnotationSet::builtInDefaults();
    OutputTitles titles;
    library::LinkList links;
    TextOptions options;

    explicit TextExporter(const EssayBuilder& e) { e.into(doc); }

    exports::TextExportResult result() {
        return exports::exportText(exports::TextExportRequest{doc, buttons, titles, links, options});
    }
    std::string run() { return result().bytes; }
    // The essay part of the file: everything before the first separator.
    std::string essay() {
        const std::string all = run();
        return all.substr(0, all.find("\r\n" + text::toUtf8(Separator)));
    }
};

const std::string Sep = "________________________________________\r\n";

TEST(TextExportMarkup, LabelsBecomeCaptionsAndTheirSpansGetAsterisks) {
    EssayBuilder e;
    e.text(u"He ").span(u"go").error(u"VTense").text(u" to ").span(u"a school").error(u"Art")
        .text(u" daily.");
    TextExporter x(e);
    EXPECT_EQ(x.essay(), "He *go*<VTe> to *a school*<Art> daily.");
}

TEST(TextExportMarkup, AnEssayThatStartsWithASpanKeepsItsFirstCharacter) {
    EssayBuilder e;
    e.span(u"Goed").error(u"Sp").text(u" morning");
    TextExporter x(e);
    EXPECT_EQ(x.essay(), "*Goed*<Sp> morning");
}

TEST(TextExportMarkup, ALabelHoldingAnotherEntrysShortTextStaysWhole) {
    // "Space" (entry 18) holds "Sp" (entry 19), in either order of the entries.
    EssayBuilder e;
    e.span(u"aword").error(u"Space").text(u" and ").span(u"speling").error(u"Sp");
    TextExporter x(e);
    EXPECT_EQ(x.essay(), "*aword*<Spa> and *speling*<Sp>");
    const AnnotationEntry space = x.buttons.entry(18);
    x.buttons.setEntry(18, x.buttons.entry(19));
    x.buttons.setEntry(19, space);
    EssayBuilder again;
    again.span(u"aword").error(u"Space").text(u" and ").span(u"speling").error(u"Sp");
    TextExporter y(again);
    y.buttons = x.buttons;
    EXPECT_EQ(y.essay(), "*aword*<Spa> and *speling*<Sp>");
}

TEST(TextExportMarkup, LabelTextInBlackStaysAndALabelJustAfterItIsStillRewritten) {
    EssayBuilder e;
    e.text(u"Art class: ").span(u"an").text(u"Ar").error(u"Art").text(u" and art");
    TextExporter x(e);
    // Black "Ar" right before the red "Art" does not hide the label.
    EXPECT_EQ(x.essay(), "Art class: anAr<Art> and art");
}

TEST(TextExportMarkup, LabelsWithoutAnEntryAndCaseDifferencesFollowTheShortTexts) {
    EssayBuilder e;
    e.span(u"x").error(u"art").text(u" ").span(u"y").error(u"Zzz");
    TextExporter x(e);
    // Case does not matter; a red text no entry knows stays as it is.
    EXPECT_EQ(x.essay(), "*x*<Art> yZzz");
}

TEST(TextExportMarkup, CommentsBecomeBracedNumbersWithTheirSpansInAsterisks) {
    EssayBuilder e;
    e.text(u"One ").coloured(u"two", clNavy).marker(u"1").text(u" three").marker(u"2")
        .text(u" 3 apples ").coloured(u"four", clNavy).marker(u"3");
    e.comment(u"First").comment(u"Second").comment(u"Third");
    TextExporter x(e);
    EXPECT_EQ(x.essay(), "One *two*{1} three{2} 3 apples *four*{3}");
}

TEST(TextExportMarkup, PraiseLabelsAndTheKey) {
    EssayBuilder e;
    e.span(u"Nice").praise(u"Good!").text(u" and Yes! in black");
    TextExporter x(e);
    const std::string all = x.run();
    EXPECT_EQ(all.substr(0, all.find("\r\n")), "*Nice*<Gd> and Yes! in black");
    // Black "Yes!" still names its category in the key.
    EXPECT_NE(all.find("\r\nGd: Good!\r\nYes: Yes! I agree.\r\n" + Sep), std::string::npos);
}

TEST(TextExportMarkup, BookmarksAreRemoved) {
    EssayBuilder e;
    e.text(u"Here").coloured(u"[*BM*]", clSilver).text(u" it is");
    TextExporter x(e);
    EXPECT_EQ(x.essay(), "Here it is");
}

TEST(TextExportSections, AllSectionsInTheirOrder) {
    EssayBuilder e;
    e.text(u"Essay ").span(u"wrd").error(u"Sp").text(u" ").span(u"a").error(u"Sp").text(u" ")
        .span(u"ok").praise(u"Good!").marker(u"1");
    e.comment(u"Look {{Dict}} here");
    TextExporter x(e);
    x.links.addLink(u"Dict", u"http://d.example/");
    x.doc.feedback1Text = u"Well done {{Dict}}";
    x.doc.feedback2Text = u"Work on spelling";
    x.doc.grade = u"B+";
    const exports::TextExportResult r = x.result();
    EXPECT_EQ(r.bytes, "Essay *wrd*<Sp> *a*<Sp> *ok*<Gd>{1}\r\n" + Sep + "\r\n" +
                           "Well done \"Dict\" (http://d.example/) \r\n" + Sep + "\r\n" +
                           "Work on spelling\r\n" + Sep + "\r\n" +
                           "Grade:   B+\r\n" + Sep + "\r\n" +
                           "Gd: Good!\r\n" + Sep + "\r\n" +
                           "Error Statistics\r\n\r\n2      Sp: Spelling\r\n" + Sep + "\r\n" +
                           "Comments\r\n\r\n1. Look \"Dict\" (http://d.example/)  here\r\n\r\n" +
                           "\r\n");
    ASSERT_EQ(r.statistics.rows.size(), 1u);
    EXPECT_EQ(r.statistics.cell(1, 1), u"Sp: Spelling");
}

TEST(TextExportSections, NoGradeNoStatisticsNoComments) {
    EssayBuilder e;
    e.text(u"Just text {{Dict}}");
    for (const char16_t* grade : {u"??%", u""}) {
        TextExporter x(e);
        x.links.addLink(u"Dict", u"http://d.example/");
        x.doc.grade = grade;
        x.options.includeErrorStats = false;
        // The essay's own "{{Dict}}" is the student's and stays.
        EXPECT_EQ(x.run(), "Just text {{Dict}}\r\n" + Sep + "\r\n\r\n");
    }
}

TEST(TextExportSections, StatisticsOnWithNoErrorsWritesTheHeading) {
    EssayBuilder e;
    e.text(u"Clean essay");
    TextExporter x(e);
    EXPECT_EQ(x.run(), "Clean essay\r\n" + Sep + "\r\nError Statistics\r\n\r\n" + Sep + "\r\n\r\n");
}

TEST(TextExportDocument, TrailingBlankLinesGoFromTheOpenDocumentAndNothingElseChanges) {
    EssayBuilder e;
    e.text(u"Text ").span(u"wrd").error(u"Sp").paragraph().paragraph().text(u"  ");
    TextExporter x(e);
    x.doc.documentChanged = false;
    x.run();
    EXPECT_EQ(x.doc.essay().text(), u"Text wrdSp");
    EXPECT_EQ(x.doc.essay().colourAt(8), clRed);
    EXPECT_TRUE(x.doc.documentChanged);
    EXPECT_EQ(x.doc.scratch().length(), 0);
}

TEST(TextExportEncoding, AccentsAreWindows1252AndMacWhenAsked) {
    EssayBuilder e;
    e.text(u"Caf\u00e9");
    TextExporter x(e);
    EXPECT_EQ(x.essay(), "Caf\xe9");
    x.options.convertForMac = true;
    EXPECT_EQ(x.essay(), "Caf" + std::string(1, char(web::macByte(0xE9))));
}

TEST(TextExportEncoding, TextBeyondWindows1252IsUtf8WithAMark) {
    EssayBuilder e;
    e.text(u"\u0141\u00f3d\u017a");
    TextExporter x(e);
    const std::string bytes = x.run();
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(text::decodeTextFile(bytes).substr(0, 4), u"\u0141\u00f3d\u017a");
    // With the Mac conversion only what Windows-1252 holds is converted.
    x.options.convertForMac = true;
    const std::u16string mac = text::decodeTextFile(x.run());
    EXPECT_EQ(mac[0], u'\u0141');
    EXPECT_EQ(mac[1], codepages::decodeByte(web::macByte(0xF3), 1252));
}

TEST(TextExportFile, AFailedWriteLeavesTheOldFileWhole) {
    TempFolder folder;
    const std::string path = folder.file("out.txt");
    { std::ofstream(path) << "old"; }
    EXPECT_TRUE(exports::writeExportFile(path, "new").ok);
    std::filesystem::create_directory(folder.file("dir"));
    const FileOutcome failed = exports::writeExportFile(folder.file("dir"), "x");
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.message.text, u"Unable to save the file. There may be a disk error.");
    EXPECT_EQ(failed.message.helpContext, 1000);
    const FileOutcome missing = exports::writeExportFile(folder.file("no/such/out.txt"), "x");
    EXPECT_FALSE(missing.ok);
}

} // namespace
} // namespace tallix::testing

namespace tallix::testing {
namespace {

TEST(TextExportProgress, ReportsEveryStepInOrder) {
    EssayBuilder e;
    e.text(u"Some ").span(u"wrd").error(u"Sp");
    MarkedDocument doc;
    e.into(doc);
    const AnnotationSet buttons = AnnotationSet::builtInDefaults();
    const OutputTitles titles;
    const library::LinkList links;
    std::vector<int> positions;
    std::vector<std::u16string> captions;
    exports::exportText(exports::TextExportRequest{doc, buttons, titles, links, {}},
                        [&](const exports::ProgressReport& r) {
                            if (r.position >= 0)
                                positions.push_back(r.position);
                            if (!r.caption.empty())
                                captions.push_back(r.caption);
                        });
    EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(captions.front(), u"Starting export");
    EXPECT_EQ(captions.back(), u"Useful links...");
}

} // namespace
} // namespace tallix::testing
