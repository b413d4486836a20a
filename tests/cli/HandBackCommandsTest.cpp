// The Word export from the command line: the same bytes as the core export, its
// options, and the table's shared refusals.
#include "cli/ExportCommands.h"

#include "ExportCommandSupport.h"
#include "TestFiles.h"
#include "export/DocxExport.h"
#include "stats/StatsTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace tallix::testing {
namespace {

Outcome docx(const std::vector<std::string>& args, const SettingsSource& s) {
    return runExportRow("--export-docx", args, s);
}

TEST(DocxCommandLine, TheFileIsTheCoreExportWithTheStoredOptions) {
    TempFolder dir;
    EssayBuilder e;
    e.text(u"Some ").span(u"wrd").error(u"Sp").text(u" ").coloured(u"x", clNavy).marker(u"1");
    e.comment(u"A comment");
    const std::string marked = e.save(dir.file("e.tlx"));
    Stored s;
    s.folder = dir.path().string() + "/";
    s.values["WordOptions/IncludeErrorStats"] = "0";
    s.values["WordOptions/CommentAuthor"] = "Ms Smith";

    Outcome r = docx({marked, dir.file("e.docx")}, s);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, dir.file("e.docx") + "\n");
    MarkedDocument doc;
    ASSERT_TRUE(doc.loadTlxFile(marked).ok);
    const AnnotationSet buttons = AnnotationSet::builtInDefaults();
    const OutputSettings output = readOutputSettings(s, "");
    const library::LinkList links;
    exports::DocxOptions options = exports::readDocxOptions(s);
    EXPECT_FALSE(options.includeErrorStats);
    EXPECT_EQ(options.author, u"Ms Smith");
    const std::string expected =
        exports::exportDocx({doc, buttons, output.titles, output.colours, links}, options).bytes;
    EXPECT_EQ(TempFolder::read(dir.file("e.docx")), expected);

    // --author and --stats override the stored options.
    r = docx({marked, dir.file("f.docx"), "--stats", "--author", "Mr Jones"}, s);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string f = TempFolder::read(dir.file("f.docx"));
    EXPECT_NE(f, expected);

    EXPECT_EQ(docx({marked, dir.file("g.docx"), "--author"}, s).status, 2);
    EXPECT_EQ(docx({marked, dir.file("g.docx"), "--mac"}, s).status, 2);
    EXPECT_EQ(docx({marked}, s).status, 2);

    r = docx({marked, marked}, s);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is the same file as the input"), std::string::npos);
    r = docx({dir.file("none.tlx"), dir.file("h.docx")}, s);
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("h.docx")));
}

TEST(ExportCommandTable, EveryCoreExportIsARowWithItsName) {
    std::vector<std::string> names;
    for (const cli::ExportCommand& c : cli::coreExportCommands())
        names.emplace_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"--export-web", "--export-text", "--export-rtf",
                                               "--export-docx"}));
    EXPECT_EQ(cli::findExportCommand(cli::coreExportCommands(), "--export-odt"), nullptr);
}

} // namespace
} // namespace tallix::testing
