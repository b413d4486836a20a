// A command whose output is one of its own inputs must refuse before it writes
// anything: the teacher's only marked copy is the usual victim.
#include "ProgramRun.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using tallix::testing::ProcessRun;
using tallix::testing::shellQuoted;
using tallix::testing::TempFolder;

namespace fs = std::filesystem;

namespace {

const std::string SampleTlx = std::string(TALLIX_TEST_DATA) + "/../../resources/sample/essay.tlx";

// Runs tallix32 from inside dir, so that relative spellings mean what they say.
ProcessRun runIn(const TempFolder& dir, const std::string& args) {
    const std::string out = dir.file("stdout.txt");
    const std::string err = dir.file("stderr.txt");
    const std::string cmd = "cd " + shellQuoted(dir.file("work")) +
                            " && env -u DISPLAY -u WAYLAND_DISPLAY TALLIX32_HOME=" +
                            shellQuoted(dir.file("home")) + " TALLIX32_SETTINGS=" +
                            shellQuoted(dir.file("settings.conf")) + " " + shellQuoted(TALLIX32_EXE) +
                            " " + args + " >" + shellQuoted(out) + " 2>" + shellQuoted(err) +
                            " </dev/null";
    const int raw = std::system(cmd.c_str());
    ProcessRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = TempFolder::read(out);
    r.err = TempFolder::read(err);
    return r;
}

struct Folder {
    TempFolder dir;
    std::string marked; // work/X.tlx
    std::string bytes;  // what it held before
    Folder() {
        fs::create_directories(dir.file("work"));
        fs::create_directories(dir.file("home"));
        marked = dir.file("work/X.tlx");
        fs::copy_file(SampleTlx, marked);
        bytes = TempFolder::read(marked);
    }
};

} // namespace

TEST(OutputIsInput, EveryCommandRefusesToWriteOverItsInputByAnySpelling) {
    Folder f;
    fs::create_symlink(f.marked, f.dir.file("work/link.tlx"));
    fs::create_hard_link(f.marked, f.dir.file("work/hard.tlx"));
    const std::vector<std::string> spellings = {
        "X.tlx", "./X.tlx", "../work/X.tlx", shellQuoted(f.marked), "link.tlx", "hard.tlx",
        "." + std::string("//X.tlx")};
    const std::vector<std::string> commands = {"--import X.tlx ", "--export-web X.tlx ",
                                               "--export-text X.tlx ", "--export-rtf X.tlx ",
                                               "--stats -o "};
    for (const std::string& command : commands) {
        for (const std::string& output : spellings) {
            const std::string args =
                command + output + (command == "--stats -o " ? " X.tlx" : "");
            const ProcessRun r = runIn(f.dir, args);
            EXPECT_EQ(r.status, 1) << args;
            EXPECT_NE(r.err.find("is the same file as the input"), std::string::npos)
                << args << ": " << r.err;
            EXPECT_EQ(r.out, "") << args;
            ASSERT_EQ(TempFolder::read(f.marked), f.bytes) << args;
            EXPECT_TRUE(fs::is_symlink(f.dir.file("work/link.tlx")));
        }
    }
    // Nothing else was left in the folder: no page, no temporary file.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(f.dir.file("work")))
        ++entries;
    EXPECT_EQ(entries, 3);
}

TEST(OutputIsInput, TheButtonAndTitlesFilesAreInputsToo) {
    Folder f;
    const std::string buttons = f.dir.write("work/my.btn", "[Title]\r\nTitle=Mine\r\n");
    const std::string titles = f.dir.write("work/my.cfg", "[Titles]\r\n");
    const std::string buttonBytes = TempFolder::read(buttons);
    const std::string titleBytes = TempFolder::read(titles);

    ProcessRun r = runIn(f.dir, "--export-rtf X.tlx my.btn --buttons my.btn");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(TempFolder::read(buttons), buttonBytes);
    r = runIn(f.dir, "--export-web X.tlx ./my.cfg --titles my.cfg");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(TempFolder::read(titles), titleBytes);
    r = runIn(f.dir, "--stats --buttons my.btn -o ./my.btn X.tlx");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(TempFolder::read(buttons), buttonBytes);
}

TEST(OutputIsInput, ADifferentFileIsStillWritten) {
    Folder f;
    // Same name in another folder, and a new name beside it: both are fine.
    fs::create_directories(f.dir.file("work/out"));
    for (const std::string& args : {std::string("--export-text X.tlx out/X.tlx"),
                                    std::string("--import X.tlx Y.tlx"),
                                    std::string("--stats -o table.txt X.tlx")}) {
        const ProcessRun r = runIn(f.dir, args);
        EXPECT_EQ(r.status, 0) << args << ": " << r.err;
    }
    EXPECT_EQ(TempFolder::read(f.marked), f.bytes);
    EXPECT_TRUE(fs::exists(f.dir.file("work/out/X.tlx")));
    EXPECT_TRUE(fs::exists(f.dir.file("work/Y.tlx")));
}
