#include "cli/ExportCommands.h"

#include "ExportCommandSupport.h"
#include "TestFiles.h"
#include "platform/TextCodec.h"
#include "export/RtfExport.h"
#include "export/TextExport.h"
#include "stats/StatsTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string_view>

namespace tallix::testing {
namespace {

Outcome run(std::string_view command, const std::vector<std::string>& args, const SettingsSource& s) {
    return runExportRow(command, args, s);
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

EssayBuilder markedEssay() {
    EssayBuilder e;
    e.text(u"Caf\u00e9 ").span(u"wrd").error(u"Sp").text(u" ").coloured(u"x", clNavy).marker(u"1");
    e.comment(u"A comment");
    return e;
}

TEST(ExportCommandLine, FilesEqualTheCoreExportWithTheStoredOptions) {
    TempFolder dir;
    const std::string marked = markedEssay().save(dir.file("e.tlx"));
    Stored s;
    s.folder = dir.path().string() + "/";
    s.values["TextOptions/IncludeErrorStats"] = "0";
    s.values["TextOptions/ConvertForMac"] = "7"; // any non-zero number is on
    s.values["Colours/ComCol"] = "5";

    Outcome r = run("--export-text", {marked, dir.file("e.txt")}, s);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, dir.file("e.txt") + "\n");
    {
        MarkedDocument doc;
        ASSERT_TRUE(doc.loadTlxFile(marked).ok);
        const AnnotationSet buttons = AnnotationSet::builtInDefaults();
        const OutputSettings output = readOutputSettings(s, "");
        const library::LinkList links;
        const std::string expected =
            exports::exportText(exports::TextExportRequest{doc, buttons, output.titles, links,
                                                           exports::TextOptions{false, true}})
                .bytes;
        EXPECT_EQ(readAll(dir.file("e.txt")), expected);
        EXPECT_EQ(expected.find("Error Statistics"), std::string::npos);
    }

    r = run("--export-text", {marked, dir.file("s.txt"), "--stats"}, s);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(readAll(dir.file("s.txt")).find("Error Statistics\r\n\r\n1      Sp: Spelling"),
              std::string::npos);

    r = run("--export-rtf", {marked, dir.file("e.rtf"), "--no-stats"}, s);
    ASSERT_EQ(r.status, 0) << r.err;
    {
        MarkedDocument doc;
        ASSERT_TRUE(doc.loadTlxFile(marked).ok);
        const AnnotationSet buttons = AnnotationSet::builtInDefaults();
        const OutputSettings output = readOutputSettings(s, "");
        const library::LinkList links;
        EXPECT_EQ(readAll(dir.file("e.rtf")),
                  exports::exportRtf(exports::RtfExportRequest{doc, buttons, output.titles,
                                                               output.colours, links,
                                                               exports::RtfOptions{false}})
                      .bytes);
    }
}

TEST(ExportCommandLine, WrongArgumentsAndFailures) {
    TempFolder dir;
    const std::string marked = markedEssay().save(dir.file("e.tlx"));
    Stored s;
    s.folder = dir.path().string() + "/";
    EXPECT_EQ(run("--export-text", {marked}, s).status, 2);
    EXPECT_EQ(run("--export-rtf", {marked, dir.file("x.rtf"), "--mac"}, s).status, 2);
    EXPECT_EQ(run("--export-text", {marked, dir.file("x.txt"), "--bogus"}, s).status, 2);

    Outcome r = run("--export-text", {dir.file("none.tlx"), dir.file("x.txt")}, s);
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.txt")));

    r = run("--export-rtf", {marked, dir.file("x.rtf"), "--buttons", dir.file("no.btn")}, s);
    EXPECT_EQ(r.status, 1);

    std::filesystem::create_directory(dir.file("folder"));
    r = run("--export-rtf", {marked, dir.file("folder")}, s);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Unable to save the file. There may be a disk error."), std::string::npos);
}

} // namespace
} // namespace tallix::testing
