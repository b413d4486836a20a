// The titles and colours every export reads: their defaults, the titles file, and
// the stored colour indices, as the command line and the windows start from them.
#include "export/OutputTitles.h"

#include "document/MarkedDocument.h"
#include "platform/ProfileFile.h"
#include "platform/SettingsSource.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <map>

using namespace tallix;
using tallix::testing::TempFolder;

namespace {

// Stored settings given as a table of "section/name" -> value.
class TableSettings : public SettingsSource {
public:
    TableSettings(std::string folder, std::map<std::string, std::string> values)
        : folder_(std::move(folder)), values_(std::move(values)) {}
    std::string readString(std::string_view section, std::string_view name,
                           std::string_view defaultValue) const override {
        auto it = values_.find(std::string(section) + "/" + std::string(name));
        return it == values_.end() ? std::string(defaultValue) : it->second;
    }
    std::string programFolder() const override { return folder_; }

private:
    std::string folder_;
    std::map<std::string, std::string> values_;
};

const char kFullFile[] = "[Configuration]\r\n"
                         "Comment=Kommentar\r\n"
                         "CommentList=Kommentare\r\n"
                         "Error type=Fehlerart\r\n"
                         "ErrorStats=Fehlerstatistik\r\n"
                         "Grade=Note: \r\n"
                         "Continued=Weiter...\r\n"
                         "Go back=Zur\xC3\xBC" "ck zum Text\r\n"
                         "No Print=NICHT DRUCKEN!\r\n";

} // namespace

TEST(OutputSettingsTest, NothingStoredGivesTheStartUpTitlesAndColours) {
    TempFolder home;
    const std::string folder = home.path().string() + "/";
    const OutputSettings s = readOutputSettings(TableSettings(folder, {}));

    EXPECT_EQ(s.configFile, folder + "default.cfg");
    EXPECT_EQ(configStatusText(s.configFile), u"Config: default.cfg");
    const OutputTitles& t = s.titles;
    EXPECT_EQ(t.commentTitle, u"Comment");
    EXPECT_EQ(t.commentListTitle, u"Comments");
    EXPECT_EQ(t.errorTypeTitle, u"Error type");
    EXPECT_EQ(t.errorStatsTitle, u"Error Statistics");
    EXPECT_EQ(t.gradeTitle, u"Grade: ");
    EXPECT_EQ(t.continuedTitle, u"Continued...");
    EXPECT_EQ(t.goBackTitle, u"Go back to the text");
    EXPECT_EQ(t.noPrintTitle, u"DO NOT PRINT THIS PAGE!");
    EXPECT_EQ(t.backButtonHTML(), u"<FORM><INPUT TYPE=\"button\" VALUE=\"Go back to the text\" "
                                  u"onClick=\"top.history.back()\"></FORM>");

    // Feedback 1 blue, feedback 2 red, grade and comments green, errors red.
    const OutputColours& c = s.colours;
    EXPECT_EQ(c.colour(ColourRole::F1), clBlue);
    EXPECT_EQ(c.html(ColourRole::F1), "0000FF");
    EXPECT_EQ(c.colour(ColourRole::F2), clRed);
    EXPECT_EQ(c.html(ColourRole::F2), "FF0000");
    EXPECT_EQ(c.colour(ColourRole::Grade), clGreen);
    EXPECT_EQ(c.html(ColourRole::Comment), "008000");
    EXPECT_EQ(c.colour(ColourRole::Error), clRed);
}

TEST(OutputSettingsTest, TheStoredTitlesFileAndIndicesAreRead) {
    TempFolder home;
    const std::string cfg = home.write("exam.cfg", kFullFile);
    const TableSettings stored(home.path().string() + "/",
                               {{"Configuration/ConfigFile", cfg},
                                {"Colours/F1Col", "1"},
                                {"Colours/ErrCol", " 8 "},
                                {"Colours/GradeCol", "4"}});
    const OutputSettings s = readOutputSettings(stored);
    EXPECT_EQ(s.configFile, cfg);
    EXPECT_EQ(s.titles.commentTitle, u"Kommentar");
    EXPECT_EQ(s.titles.goBackTitle, u"Zur\u00FCck zum Text");
    // Start-up reads "No Print"; the window writes "No print": the same line.
    EXPECT_EQ(s.titles.noPrintTitle, u"NICHT DRUCKEN!");
    EXPECT_EQ(s.colours.colour(ColourRole::F1), clBlack);
    EXPECT_EQ(s.colours.html(ColourRole::Error), "FF00FF");
    EXPECT_EQ(s.colours.colour(ColourRole::Grade), clNavy);
    EXPECT_EQ(s.colours.html(ColourRole::Grade), "000080");

    // A titles file given on the command line wins over the stored one.
    const std::string other = home.write("other.cfg", "[configuration]\r\ngrade=Mark\r\n");
    const OutputSettings o = readOutputSettings(stored, other);
    EXPECT_EQ(o.configFile, other);
    EXPECT_EQ(o.titles.gradeTitle, u"Mark");
    EXPECT_EQ(o.titles.commentTitle, u"Comment");
}

TEST(OutputSettingsTest, AStoredIndexOutsideThePaletteReadsAsTheRolesDefault) {
    for (const char* bad : {"9", "0", "-1", "x", "", "3x", "99999999999"}) {
        const TableSettings stored("/", {{"Colours/F1Col", bad},
                                         {"Colours/F2Col", bad},
                                         {"Colours/GradeCol", bad},
                                         {"Colours/ComCol", bad},
                                         {"Colours/ErrCol", bad}});
        const OutputColours c = readOutputColours(stored);
        SCOPED_TRACE(bad);
        for (int r = 0; r < ColourRoleCount; ++r)
            EXPECT_EQ(c.index(ColourRole(r)), DefaultColourIndexes[std::size_t(r)]);
        EXPECT_EQ(c.html(ColourRole::F1), "0000FF");
    }
    OutputColours c;
    c.setIndex(ColourRole::Comment, 2);
    c.setIndex(ColourRole::Comment, 9);
    EXPECT_EQ(c.colour(ColourRole::Comment), clGreen);
}

TEST(TitlesFileTest, AFileLackingAKeyFallsBackOnTheLoadedFileDefaults) {
    TempFolder home;
    const std::string cfg = home.write("nostats.cfg", "[Configuration]\r\n"
                                                      "Comment=Note\r\n"
                                                      "No print=  'Screen only'  \r\n");
    const OutputTitles loaded = loadTitlesFile(cfg);
    EXPECT_EQ(loaded.errorStatsTitle, u"Error statistics");
    EXPECT_EQ(loaded.commentTitle, u"Note");
    EXPECT_EQ(loaded.noPrintTitle, u"Screen only");
    EXPECT_EQ(loaded.gradeTitle, u"Grade: ");

    // The same file at start-up keeps the start-up title.
    EXPECT_EQ(startupTitles(cfg).errorStatsTitle, u"Error Statistics");
    // No file at all: every title its default, in both forms.
    EXPECT_EQ(startupTitles(home.file("missing.cfg")), OutputTitles{});
    EXPECT_EQ(loadTitlesFile(home.file("missing.cfg")), OutputTitles::loadedFileDefaults());
    // A folder in place of the file reads as missing.
    EXPECT_EQ(startupTitles(home.path().string()), OutputTitles{});
}

TEST(TitlesFileTest, WritingPutsTheEightKeysInOrderAndReadsBackTrimmed) {
    TempFolder home;
    const std::string cfg = home.file("new.cfg");
    OutputTitles t;
    t.commentTitle = u"  \"Comment\" ";
    writeTitlesFile(t, cfg);
    EXPECT_EQ(TempFolder::read(cfg), "[Configuration]\r\n"
                                     "Comment=  \"Comment\" \r\n"
                                     "CommentList=Comments\r\n"
                                     "Error type=Error type\r\n"
                                     "ErrorStats=Error Statistics\r\n"
                                     "Grade=Grade: \r\n"
                                     "Continued=Continued...\r\n"
                                     "Go back=Go back to the text\r\n"
                                     "No print=DO NOT PRINT THIS PAGE!\r\n");
    // The trailing blank of "Grade: " and a pair of quotes do not survive reading:
    // stored files and the exports' spacing have always relied on that.
    const OutputTitles back = loadTitlesFile(cfg);
    EXPECT_EQ(back.gradeTitle, u"Grade:");
    EXPECT_EQ(back.commentTitle, u"Comment");
    EXPECT_EQ(back.errorStatsTitle, u"Error Statistics");
}

TEST(TitlesFileTest, RewritingAnExistingFileKeepsItsOtherLines) {
    TempFolder home;
    const std::string cfg = home.write("old.cfg", "; titles for the exam\r\n"
                                                  "[Configuration]\r\n"
                                                  "No Print=old warning\r\n"
                                                  "Extra=kept\r\n"
                                                  "[Other]\r\n"
                                                  "Grade=other section\r\n");
    OutputTitles t;
    t.noPrintTitle = u"new warning";
    writeTitlesFile(t, cfg);
    const std::string bytes = TempFolder::read(cfg);
    EXPECT_EQ(bytes.rfind("; titles for the exam\r\n[Configuration]\r\n", 0), 0u);
    EXPECT_NE(bytes.find("Extra=kept\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("[Other]\r\nGrade=other section\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("old warning"), std::string::npos);
    EXPECT_EQ(readProfileString(cfg, u"Configuration", u"NO PRINT", u""), u"new warning");
    EXPECT_EQ(readProfileString(cfg, u"Other", u"Grade", u""), u"other section");
}

TEST(TitlesFileTest, AFileThatCannotBeWrittenIsReportedAndLeftAlone) {
    TempFolder home;
    const std::string blocker = home.write("blocker", "not a folder");
    const std::string cfg = blocker + "/exam.cfg";
    try {
        writeTitlesFile(OutputTitles{}, cfg);
        FAIL() << "no error";
    } catch (const ProfileWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + cfg);
    }
    EXPECT_EQ(TempFolder::read(blocker), "not a folder");
}

TEST(TitlesFileTest, TheExtensionIsAddedOnlyWhenTheNameLacksIt) {
    EXPECT_EQ(withConfigExtension("/home/t/exam"), "/home/t/exam.cfg");
    EXPECT_EQ(withConfigExtension("/home/t/exam.cfg"), "/home/t/exam.cfg");
    EXPECT_EQ(withConfigExtension("/home/t/exam.CFG"), "/home/t/exam.CFG");
    EXPECT_EQ(withConfigExtension("/home/t/exam.cfg.old"), "/home/t/exam.cfg.old");
    EXPECT_EQ(withConfigExtension("exam.txt"), "exam.txt.cfg");
    // A folder's name is not the file's.
    EXPECT_EQ(withConfigExtension("/home/t.cfg/exam"), "/home/t.cfg/exam.cfg");
}

TEST(BackButtonTest, TitlesInAttributeValuesCannotBreakThePage) {
    OutputTitles t;
    t.goBackTitle = u"Back \"now\" <b>&</b> 'go'";
    EXPECT_EQ(t.backButtonHTML(),
              u"<FORM><INPUT TYPE=\"button\" VALUE=\"Back &quot;now&quot; &lt;b&gt;&amp;&lt;/b&gt; "
              u"&#39;go&#39;\" onClick=\"top.history.back()\"></FORM>");
    t.continuedTitle = u"Next >>";
    EXPECT_EQ(t.continuedButtonValue(), u"Next &gt;&gt;");

    // The fragment follows the title at once: a caption applied now reaches the
    // next export.
    t.goBackTitle = u"Zur\u00FCck";
    EXPECT_NE(t.backButtonHTML().find(u"VALUE=\"Zur\u00FCck\""), std::u16string::npos);
}

TEST(ColourTintTest, TheNotesAreaTakesTheColourOfTheToggleThatIsDown) {
    NotesArea n;
    EXPECT_EQ(notesColourRole(n), ColourRole::F1);
    n.caption = NotesCaption::Feedback2;
    EXPECT_EQ(notesColourRole(n), ColourRole::F2); // none down: what it last held
    n.commentDown = true;
    EXPECT_EQ(notesColourRole(n), ColourRole::Comment);
    n.commentDown = false;
    n.feedback1Down = true;
    EXPECT_EQ(notesColourRole(n), ColourRole::F1);
    n.feedback1Down = false;
    n.feedback2Down = true;
    n.caption = NotesCaption::Comments;
    EXPECT_EQ(notesColourRole(n), ColourRole::F2);
}
