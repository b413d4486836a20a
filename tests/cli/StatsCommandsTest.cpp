// The statistics options of the command line, run as a process.
#include "stats/MultiStats.h"
#include "cli/StatsCommands.h"

#include "ProgramRun.h"
#include "stats/StatsTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tallix;
using tallix::testing::EssayBuilder;
using tallix::testing::ProcessRun;
using tallix::testing::shellQuoted;
using tallix::testing::runTallix32;
using tallix::testing::TempFolder;

namespace {

// A class of three essays, a settings file and a program folder of their own.
struct ClassFolder {
    TempFolder dir;
    std::string anna, ben, cleo;
    ClassFolder() {
        anna = EssayBuilder()
                   .span(u"thier").error(u"Sp").text(u" and ").span(u"wierd").error(u"Sp")
                   .comment(u"Sp twice")
                   .save(dir.file("anna.tlx"));
        ben = EssayBuilder().text(u"A clean essay.").save(dir.file("ben.tlx"));
        cleo = EssayBuilder().span(u"a apple").error(u"Art").save(dir.file("cleo.tlx"));
        std::filesystem::create_directory(dir.file("home"));
        settings("");
    }
    void settings(const std::string& currentButtons) const {
        dir.write("settings.conf",
                  currentButtons.empty() ? "" : "[FilePaths]\nCurrentButtons=" + currentButtons + "\n");
    }
    ProcessRun run(const std::string& args) const {
        return runTallix32(dir, args,
                           "TALLIX32_SETTINGS=" + shellQuoted(dir.file("settings.conf")) +
                               " TALLIX32_HOME=" + shellQuoted(dir.file("home")));
    }
    std::string files() const { return shellQuoted(anna) + " " + shellQuoted(ben) + " " + shellQuoted(cleo); }
    // A button file in which the spelling button reads "Spl" and articles are not
    // counted.
    std::string renamedButtons(const std::string& name) const {
        AnnotationSet set = AnnotationSet::builtInDefaults();
        set.setEntry(19, AnnotationEntry{u"Spl", u"Sp", u"Spelling mistake"});
        set.setEntry(2, AnnotationEntry{u"", u"", u""});
        writeButtonFile(set, dir.file(name));
        return dir.file(name);
    }
};

constexpr char ClassTable[] = "File\tArt\tSp\r\nanna.tlx\t0\t2\r\nben.tlx\t0\t0\r\n"
                              "cleo.tlx\t1\t0\r\nTotal\t1\t2";

} // namespace

TEST(CommandLineStats, TheClassTableToStandardOutputOrAFile) {
    ClassFolder c;
    ProcessRun r = c.run("--stats " + c.files());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, ClassTable);

    const std::string table = c.dir.file("table.txt");
    ProcessRun saved = c.run("--stats -o " + shellQuoted(table) + " " + c.files());
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out, "");
    EXPECT_EQ(TempFolder::read(table), ClassTable);

    ProcessRun unwritable =
        c.run("--stats -o " + shellQuoted(c.dir.file("no/such/table.txt")) + " " + c.files());
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("table.txt"), std::string::npos);
}

TEST(CommandLineStats, AnUnreadableFileIsReportedAndGivesItsZerosLine) {
    ClassFolder c;
    ProcessRun r = c.run("--stats " + shellQuoted(c.anna) + " " + shellQuoted(c.dir.file("gone.tlx")) +
                         " " + shellQuoted(c.cleo));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Unable to load gone.tlx. It may be corrupted."), std::string::npos);
    EXPECT_EQ(r.out, "File\tArt\tSp\r\nanna.tlx\t0\t2\r\ngone.tlx\t0\t0\r\n"
                     "cleo.tlx\t1\t0\r\nTotal\t1\t2");
}

TEST(CommandLineStats, TheCurrentButtonSetOrTheOneNamed) {
    ClassFolder c;
    c.settings(c.renamedButtons("renamed.btn"));
    ProcessRun current = c.run("--stats " + c.files());
    EXPECT_EQ(current.status, 0) << current.err;
    EXPECT_EQ(current.out, "File\tSpl\r\nanna.tlx\t2\r\nben.tlx\t0\r\ncleo.tlx\t0\r\nTotal\t2");

    AnnotationSet defaults = AnnotationSet::builtInDefaults();
    writeButtonFile(defaults, c.dir.file("plain.btn"));
    ProcessRun named = c.run("--stats --buttons " + shellQuoted(c.dir.file("plain.btn")) + " " +
                             c.files());
    EXPECT_EQ(named.out, ClassTable);

    ProcessRun missing =
        c.run("--stats --buttons " + shellQuoted(c.dir.file("none.btn")) + " " + c.files());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.btn"), std::string::npos);
    EXPECT_EQ(missing.out, "");

    // A stored button file that has gone leaves the built-in set, as in the window.
    c.settings(c.dir.file("deleted.btn"));
    EXPECT_EQ(c.run("--stats " + c.files()).out, ClassTable);
}

TEST(CommandLineStats, OneEssaysErrorTable) {
    ClassFolder c;
    const std::string both = EssayBuilder()
                                 .error(u"Art").text(u" ").error(u"Sp").error(u"Space")
                                 .save(c.dir.file("both.tlx"));
    ProcessRun r = c.run("--count-errors " + shellQuoted(both));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\tArticle error\n1\tMissing space\n2\tSpelling\n");
    EXPECT_EQ(c.run("--count-errors " + shellQuoted(c.ben)).out, "");

    c.settings(c.renamedButtons("renamed.btn"));
    EXPECT_EQ(c.run("--count-errors " + shellQuoted(both)).out, "1\tMissing space\n2\tSpelling mistake\n");

    ProcessRun missing = c.run("--count-errors " + shellQuoted(c.dir.file("gone.tlx")));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("gone.tlx\" does not exist."), std::string::npos) << missing.err;
}

TEST(CommandLineStats, UsageErrors) {
    ClassFolder c;
    for (const std::string& bad : std::vector<std::string>{"--stats", "--stats --buttons", "--stats --frob " + shellQuoted(c.anna),
          "--count-errors", "--count-errors " + shellQuoted(c.anna) + " " + shellQuoted(c.ben),
          "--count-errors -o x.txt " + shellQuoted(c.anna),
          "--stats --buttons a.btn --buttons b.btn " + shellQuoted(c.anna)}) {
        ProcessRun r = c.run(bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << bad;
    }
    EXPECT_NE(c.run("--help").out.find("--stats [--buttons FILE.btn]"), std::string::npos);
}
