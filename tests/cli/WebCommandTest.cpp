#include "cli/WebCommand.h"

#include "ExportCommandSupport.h"
#include "TestFiles.h"
#include "export/web/WebTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace tallix::testing {
namespace {

Outcome run(const std::vector<std::string>& args, const SettingsSource& s) {
    return runExportRow("--export-web", args, s);
}

TEST(WebCommandLine, StoredOptionsApplyUnlessTheCommandLineSaysOtherwise) {
    TempFolder dir;
    EssayBuilder e;
    e.text(u"Title").paragraph();
    for (int p = 0; p < 4; ++p) {
        for (int i = 0; i < 15; ++i)
            e.span(u"a apple").error(u"Art").text(u" ");
        e.paragraph();
    }
    e.text(u"end");
    const std::string marked = e.save(dir.file("e.tlx"));
    Stored s;
    s.folder = dir.path().string() + "/";
    s.values["WebOptions/Quick"] = "0";
    s.values["WebOptions/SplitFiles"] = "1";
    s.values["WebOptions/Links"] = "20";

    Outcome r = run({marked, dir.file("stored.htm")}, s);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, dir.file("stored.htm") + "\n" + dir.file("stored_2.htm") + "\n" +
                         dir.file("stored_3.htm") + "\n");

    r = run({marked, dir.file("quick.htm"), "--quick"}, s);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, dir.file("quick.htm") + "\n");
    EXPECT_EQ(linksOf(TempFolder::read(dir.file("quick.htm"))).front(), 60); // quick numbering

    r = run({marked, dir.file("split.htm"), "--split", "30", "--no-stats", "--title-paras", "0"},
            Stored{});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string first = TempFolder::read(dir.file("split.htm"));
    EXPECT_EQ(first.find("<H3>"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.file("split_2.htm")));
    EXPECT_EQ(TempFolder::read(dir.file("split_2.htm")).find("<TABLE"), std::string::npos);
}

TEST(WebCommandLine, BadArgumentsAndFilesAreReported) {
    TempFolder dir;
    const std::string marked = EssayBuilder().text(u"x").save(dir.file("e.tlx"));
    const Stored s;
    EXPECT_EQ(run({marked}, s).status, 2);
    EXPECT_EQ(run({marked, dir.file("p.htm"), "--split", "5"}, s).status, 2);
    EXPECT_EQ(run({marked, dir.file("p.htm"), "--split"}, s).status, 2);
    EXPECT_EQ(run({marked, dir.file("p.htm"), "--quick", "--mac"}, s).status, 2);
    EXPECT_EQ(run({marked, dir.file("p.htm"), "--title-paras", "9"}, s).status, 2);
    EXPECT_EQ(run({marked, dir.file("p.htm"), "--frobnicate"}, s).status, 2);

    Outcome r = run({dir.file("missing.tlx"), dir.file("p.htm")}, s);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.tlx"), std::string::npos);
    EXPECT_EQ(run({marked, dir.file("p.htm"), "--buttons", dir.file("none.btn")}, s).status, 1);
    EXPECT_EQ(run({marked, dir.file("p.htm"), "--titles", dir.file("none.cfg")}, s).status, 1);
    r = run({marked, dir.file("no/folder/p.htm")}, s);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Unable to save the file " + dir.file("no/folder/p.htm") +
                         " (No such file or directory)."),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("p.htm")));
}

TEST(WebCommandLine, ASplitExportThatCannotWriteAPageNamesItAndWritesNone) {
    TempFolder dir;
    EssayBuilder e;
    e.text(u"Title").paragraph();
    for (int p = 0; p < 4; ++p) {
        for (int i = 0; i < 15; ++i)
            e.span(u"a apple").error(u"Art").text(u" ");
        e.paragraph();
    }
    e.text(u"end");
    const std::string marked = e.save(dir.file("e.tlx"));
    std::filesystem::create_directory(dir.file("split_3.htm"));
    const Outcome r = run({marked, dir.file("split.htm"), "--split", "20"}, Stored{});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Unable to save the file " + dir.file("split_3.htm") +
                         " (Is a directory). The disk may be full, or the file may be "
                         "read-only.\n\nNo page has been written; the pages that were there are "
                         "as they were.\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("split.htm")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("split_2.htm")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              2); // the marked file and the folder in the way
}

} // namespace
} // namespace tallix::testing
