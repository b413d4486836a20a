// Runs the built program as a process, as a teacher's script would.
#include "document/DataFiles.h"
#include "document/MarkedDocument.h"

#include "ProgramRun.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace tallix;
using tallix::testing::ProcessRun;
using tallix::testing::shellQuoted;
using tallix::testing::runTallix32;
using tallix::testing::TempFolder;
using tallix::testing::dataPath;

namespace {

std::string quoted(const std::string& s) { return shellQuoted(s); }

ProcessRun tallix32(const TempFolder& dir, const std::string& args) {
    return runTallix32(dir, args);
}

// Loads a marked file and checks that its essay is all black with the given text.
void expectBlackEssay(const std::string& path, const std::u16string& text) {
    MarkedDocument d;
    ASSERT_TRUE(d.loadTlxFile(path).ok);
    EXPECT_EQ(d.essay().text(), text);
    for (int i = 0; i < d.essay().length(); ++i)
        ASSERT_EQ(d.essay().colourAt(i), clBlack) << "position " << i;
    EXPECT_TRUE(d.commentTexts.empty());
    EXPECT_EQ(d.feedback1Text, u"");
    EXPECT_EQ(d.grade, u"??%");
}

} // namespace

TEST(CommandLineImport, EssaysOfEveryKindBecomeBlackMarkedFiles) {
    TempFolder dir;
    struct Case {
        std::string name, bytes;
        std::u16string text;
    } cases[] = {
        {"rtf-named.txt", // the content decides the reader, not the name
         "{\\rtf1\\ansi{\\colortbl ;\\red255\\green0\\blue0;}\\cf1 Red\\par caf\\'e9}",
         u"Red\r\ncafé"},
        {"utf8.txt", "na\xc3\xafve r\xc3\xa9sum\xc3\xa9\nline two\n", u"naïve résumé\r\nline two\r\n"},
        {"cp1252.txt", "na\xefve \x93quoted\x94\r\n", u"naïve “quoted”\r\n"},
    };
    for (const Case& c : cases) {
        const std::string essay = dir.write(c.name, c.bytes);
        const std::string marked = dir.file(c.name + ".tlx");
        ProcessRun r = tallix32(dir, "--import " + quoted(essay) + " " + quoted(marked));
        EXPECT_EQ(r.status, 0) << c.name << ": " << r.err;
        EXPECT_EQ(r.err, "");
        expectBlackEssay(marked, c.text);
    }
}

TEST(CommandLineImport, FailuresReportTheMessageAndLeaveNoFile) {
    TempFolder dir;
    const std::string marked = dir.file("out.tlx");

    ProcessRun missing = tallix32(dir, "--import " + quoted(dir.file("none.rtf")) + " " + quoted(marked));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.rtf\" does not exist."), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(marked));

    std::filesystem::create_directory(dir.file("folder"));
    ProcessRun folder = tallix32(dir, "--import " + quoted(dir.file("folder")) + " " + quoted(marked));
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("Unable to load the file."), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(marked));

    const std::string essay = dir.write("e.txt", "An essay.");
    const std::string nowhere = dir.file("no/such/folder/out.tlx");
    ProcessRun unwritable = tallix32(dir, "--import " + quoted(essay) + " " + quoted(nowhere));
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("out.tlx"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(nowhere));
    EXPECT_EQ(std::filesystem::directory_iterator(dir.file("folder")),
              std::filesystem::directory_iterator()); // nothing left behind
}

TEST(CommandLineOptions, HelpVersionAndUsageErrors) {
    TempFolder dir;
    ProcessRun help = tallix32(dir, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--import ESSAY MARKED.tlx"), std::string::npos);

    ProcessRun version = tallix32(dir, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("Version 1.3: July 1998"), std::string::npos);

    for (const char* bad : {"--frobnicate", "--import only-one", "--import a b c", "a --frobnicate"}) {
        ProcessRun r = tallix32(dir, bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << bad;
        EXPECT_EQ(r.out, "") << bad;
    }
}

// The command-line program does the file-only options by itself and hands the
// rest to tallix32-gui in its folder: where that is missing, a PDF essay or the
// window is refused with the program's name, and nothing is written.
TEST(CommandLineHandOver, FileOnlyOptionsNeedNothingBesideTheProgram) {
    TempFolder dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir.file("alone"));
    const std::string alone = dir.file("alone/tallix32");
    fs::copy_file(TALLIX32_EXE, alone);
    if (!fs::exists(fs::path(TALLIX32_EXE).parent_path() / "tallix32-gui"))
        GTEST_SKIP() << "built without the windows";

    const std::string marked = dir.file("essay.tlx");
    ProcessRun r = tallix::testing::runProgram(
        dir, alone, "--import " + quoted(dir.write("essay.rtf", "{\\rtf1 Words.}")) + " " + quoted(marked));
    EXPECT_EQ(r.status, 0) << r.err;
    expectBlackEssay(marked, u"Words.");

    const std::string fromPdf = dir.file("pdf.tlx");
    r = tallix::testing::runProgram(dir, alone,
                                    "--import " + quoted(dataPath("pdf/libreoffice-canals-essay.pdf")) + " " +
                                        quoted(fromPdf));
    EXPECT_EQ(r.status, 127);
    EXPECT_NE(r.err.find("cannot start " + dir.file("alone/tallix32-gui")), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(fromPdf));

    r = tallix::testing::runProgram(dir, alone, quoted(marked));
    EXPECT_EQ(r.status, 127);
    EXPECT_NE(r.err.find("tallix32-gui"), std::string::npos) << r.err;
}
