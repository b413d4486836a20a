// --stats with CSV, students, rates, the chart and worker threads, run as a
// process with no display.
#include "ProgramRun.h"
#include "stats/StatsTestSupport.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace tallix;
using tallix::testing::EssayBuilder;
using tallix::testing::ProcessRun;
using tallix::testing::runTallix32;
using tallix::testing::shellQuoted;
using tallix::testing::TempFolder;

namespace {

struct BulkFolder {
    TempFolder dir;
    std::string a1, b1, a2;
    BulkFolder() {
        a1 = EssayBuilder().text(u"one two three ").span(u"fuor").error(u"Sp")
                 .save(dir.file("smithjane_1_1_essay1.tlx"));
        b1 = EssayBuilder().text(u"Zoë wrote ").span(u"a apple").error(u"Art")
                 .save(dir.file("Zoë, the best_2_1_essay1.tlx"));
        a2 = EssayBuilder().span(u"tow").error(u"Sp").text(u" ").span(u"wrods").error(u"Sp")
                 .save(dir.file("smithjane_1_2_essay2.tlx"));
        std::filesystem::create_directory(dir.file("home"));
        dir.write("settings.conf", "");
    }
    ProcessRun run(const std::string& args) const {
        return runTallix32(dir, args,
                           "TALLIX32_SETTINGS=" + shellQuoted(dir.file("settings.conf")) +
                               " TALLIX32_HOME=" + shellQuoted(dir.file("home")));
    }
    std::string files() const {
        return shellQuoted(a1) + " " + shellQuoted(b1) + " " + shellQuoted(a2);
    }
};

// The text of an SVG drawing's <text> elements, or a parse error.
struct SvgText {
    bool parsed = false;
    std::string error;
    std::string text;
    bool inText = false;
};

SvgText parseSvg(const std::string& bytes) {
    SvgText r;
    XML_Parser p = XML_ParserCreate(nullptr);
    XML_SetUserData(p, &r);
    XML_SetElementHandler(
        p,
        [](void* d, const XML_Char* name, const XML_Char**) {
            static_cast<SvgText*>(d)->inText = std::string(name) == "text";
        },
        [](void* d, const XML_Char*) {
            auto* s = static_cast<SvgText*>(d);
            if (s->inText)
                s->text += "\n";
            s->inText = false;
        });
    XML_SetCharacterDataHandler(p, [](void* d, const XML_Char* s, int len) {
        auto* t = static_cast<SvgText*>(d);
        if (t->inText)
            t->text.append(s, std::size_t(len));
    });
    r.parsed = XML_Parse(p, bytes.data(), int(bytes.size()), 1) == XML_STATUS_OK;
    if (!r.parsed)
        r.error = XML_ErrorString(XML_GetErrorCode(p));
    XML_ParserFree(p);
    return r;
}

} // namespace

TEST(ClassTableCommands, CsvByStudentAndPer100Words) {
    BulkFolder c;
    ProcessRun csv = c.run("--stats --csv " + c.files());
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out, "\xEF\xBB\xBF"
                       "File,Art,Sp\r\n"
                       "smithjane_1_1_essay1.tlx,0,1\r\n"
                       "\"Zoë, the best_2_1_essay1.tlx\",1,0\r\n"
                       "smithjane_1_2_essay2.tlx,0,2\r\n"
                       "Total,1,3\r\n");

    ProcessRun students = c.run("--stats --by-student " + c.files());
    EXPECT_EQ(students.status, 0) << students.err;
    EXPECT_EQ(students.out, "Student\tEssays\tArt\tSp\r\n"
                            "smithjane\t2\t0\t3\r\n"
                            "Zo\xEB, the best\t1\t1\t0\r\n" // Windows-1252, as Save writes
                            "Total\t3\t1\t3");

    const std::string out = c.dir.file("rates.csv");
    ProcessRun rates = c.run("--stats --csv --by-student --per-100-words --jobs 2 -o " +
                             shellQuoted(out) + " " + c.files());
    EXPECT_EQ(rates.status, 0) << rates.err;
    EXPECT_EQ(rates.out, "");
    // Jane: 4 + 2 words, 3 Sp; Zoë: 4 words, 1 Art.
    EXPECT_EQ(TempFolder::read(out), "\xEF\xBB\xBF"
                                     "Student,Essays,Words,Art,Sp\r\n"
                                     "smithjane,2,6,0.00,50.00\r\n"
                                     "\"Zoë, the best\",1,4,25.00,0.00\r\n"
                                     "Total,3,10,10.00,30.00\r\n");
}

TEST(ClassTableCommands, TheChartAsSvgAndPngWithoutADisplay) {
    BulkFolder c;
    const std::string svg = c.dir.file("class.svg");
    ProcessRun r = c.run("--stats --chart " + shellQuoted(svg) + " " + c.files());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "File\tArt\tSp\r\nsmithjane_1_1_essay1.tlx\t0\t1\r\n"
                     "Zo\xEB, the best_2_1_essay1.tlx\t1\t0\r\nsmithjane_1_2_essay2.tlx\t0\t2\r\n"
                     "Total\t1\t3");
    const SvgText drawn = parseSvg(TempFolder::read(svg));
    ASSERT_TRUE(drawn.parsed) << drawn.error;
    EXPECT_NE(drawn.text.find("Spelling"), std::string::npos) << drawn.text;
    EXPECT_NE(drawn.text.find("Article error"), std::string::npos);
    EXPECT_NE(drawn.text.find("Errors in the class (3 essays)"), std::string::npos);

    const std::string png = c.dir.file("rates.PNG");
    ProcessRun p = c.run("--stats --per-100-words --chart " + shellQuoted(png) + " -o " +
                         shellQuoted(c.dir.file("t.txt")) + " " + c.files());
    ASSERT_EQ(p.status, 0) << p.err;
    EXPECT_EQ(TempFolder::read(png).substr(0, 8), "\x89PNG\r\n\x1A\n");
}

TEST(ClassTableCommands, OutputsNeverReplaceInputsAndBadOptionsAreRefused) {
    BulkFolder c;
    const std::string before = TempFolder::read(c.a1);
    // A chart's name that leads to one of the essays, through a link.
    std::filesystem::create_symlink(c.a1, c.dir.file("linked.svg"));
    for (const std::string& args :
         {"--stats --chart " + shellQuoted(c.dir.file("linked.svg")) + " " + c.files(),
          "--stats --csv -o " + shellQuoted(c.a2) + " " + c.files()}) {
        ProcessRun r = c.run(args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.err.find("is the same file as the input"), std::string::npos) << r.err;
    }
    EXPECT_EQ(TempFolder::read(c.a1), before);

    const std::string same = c.dir.file("same.svg");
    ProcessRun both = c.run("--stats -o " + shellQuoted(same) + " --chart " + shellQuoted(same) +
                            " " + c.files());
    EXPECT_EQ(both.status, 2);
    EXPECT_FALSE(std::filesystem::exists(same));

    for (const std::string& args : {std::string("--stats --jobs 0 "), std::string("--stats --jobs x "),
                                    std::string("--stats --chart c.jpg ")}) {
        ProcessRun r = c.run(args + c.files());
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("tallix32: --"), std::string::npos) << r.err;
    }
    for (const std::string args : {"--stats --csv --csv ", "--stats --jobs ",
                                   "--count-errors --csv "}) {
        ProcessRun r = c.run(args + shellQuoted(c.a1));
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << args;
    }
    const std::string help = c.run("--help").out;
    for (const char* option : {"--csv", "--by-student", "--per-100-words", "--chart", "--jobs",
                               "--student-folders"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}
