// Saves that do not finish: the writing process killed at random moments, a full
// file system, a folder that may not be written. Whatever happens, the marked
// file on disk is the whole old file or the whole new one, a failure is reported,
// and no temporary file outlives the next save.
#include "document/MarkedDocument.h"
#include "platform/TextCodec.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tallix;
using tallix::testing::AsUnprivileged;
using tallix::testing::TempFolder;

namespace {

namespace fs = std::filesystem;

// An essay of about `bytes` characters with a comment, feedback and a grade; the
// word `tag` makes two versions differ everywhere in the file.
void makeEssay(MarkedDocument& d, std::size_t bytes, const std::u16string& tag) {
    std::u16string text;
    while (text.size() < bytes)
        text += tag + u" wrote a sentence with an error in it.\r\n";
    d.clear();
    d.essay().setText(text);
    d.essay().select(0, int(tag.size()));
    d.essay().setSelColour(clBlue);
    d.commentTexts = {u"A comment of " + tag};
    d.notes.selectorMax = d.notes.selectorValue = 1;
    d.feedback1Text = u"Feedback of " + tag;
    d.grade = u"B+";
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(InterruptedSave, KilledAtRandomMomentsLeavesTheOldFileOrTheNewOne) {
    TempFolder dir;
    const std::string path = dir.file("essay.tlx");
    MarkedDocument oldDoc, newDoc;
    makeEssay(oldDoc, 1 << 20, u"Old");
    makeEssay(newDoc, 1 << 20, u"Newer");
    ASSERT_TRUE(newDoc.saveTlx(path).ok);
    const std::string newBytes = TempFolder::read(path);
    ASSERT_TRUE(oldDoc.saveTlx(path).ok);
    const std::string oldBytes = TempFolder::read(path);
    ASSERT_NE(oldBytes, newBytes);

    // How long the save takes in a child (which first copies the pages it touches).
    const auto start = std::chrono::steady_clock::now();
    std::fflush(nullptr);
    const pid_t timed = ::fork();
    ASSERT_GE(timed, 0);
    if (timed == 0)
        ::_exit(newDoc.saveTlx(path).ok ? 0 : 1);
    int timedStatus = 0;
    ASSERT_EQ(::waitpid(timed, &timedStatus, 0), timed);
    const auto saveTime = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(WIFEXITED(timedStatus) && WEXITSTATUS(timedStatus) == 0);
    ASSERT_EQ(TempFolder::read(path), newBytes);
    ASSERT_TRUE(oldDoc.saveTlx(path).ok);

    // Kill moments spread over the whole save and a little after, so that some
    // land in the RTF building, some in the writing and some after the rename.
    std::mt19937 random(18);
    std::uniform_int_distribution<long long> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count() * 6 / 5);
    int foundOld = 0, foundNew = 0, leftTemporary = 0;
    for (int round = 0; round < 50; ++round) {
        std::fflush(nullptr);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool ok = newDoc.saveTlx(path).ok;
            ::_exit(ok ? 0 : 1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        const std::string onDisk = TempFolder::read(path);
        ASSERT_TRUE(onDisk == oldBytes || onDisk == newBytes)
            << "round " << round << ": " << onDisk.size() << " bytes, neither file";
        (onDisk == oldBytes ? foundOld : foundNew) += 1;
        leftTemporary += namesIn(dir.path()).size() > 1 ? 1 : 0;

        // Saving again clears what the killed save left and puts the old file back.
        ASSERT_TRUE(oldDoc.saveTlx(path).ok);
        ASSERT_EQ(TempFolder::read(path), oldBytes);
        ASSERT_EQ(namesIn(dir.path()), std::vector<std::string>{"essay.tlx"}) << "round " << round;
    }
    std::printf("50 saves of %zu bytes killed (a save takes %.0f ms): old file %d times, new file "
                "%d times, a temporary file left behind %d times\n",
                newBytes.size(),
                std::chrono::duration<double, std::milli>(saveTime).count(), foundOld, foundNew,
                leftTemporary);
    EXPECT_EQ(foundOld + foundNew, 50);
}

TEST(InterruptedSave, FullFileSystemReportsTheFailureAndKeepsTheOldFile) {
    TempFolder dir;
    const fs::path mountPoint = dir.path() / "small";
    fs::create_directory(mountPoint);
    if (::geteuid() != 0 ||
        ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=256k,mode=0755") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root and the right to mount)";
    struct Unmount {
        const fs::path& at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{mountPoint};

    const std::string path = (mountPoint / "essay.tlx").string();
    MarkedDocument d;
    makeEssay(d, 4000, u"Old");
    ASSERT_TRUE(d.saveTlx(path).ok);
    const std::string oldBytes = TempFolder::read(path);
    // Fill what is left.
    {
        std::FILE* filler = std::fopen((mountPoint / "filler").c_str(), "wb");
        ASSERT_NE(filler, nullptr);
        const std::string block(4096, 'x');
        while (std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
        }
        std::fclose(filler);
    }
    makeEssay(d, 100000, u"Newer");
    d.documentChanged = true;
    const FileOutcome r = d.saveTlx(path);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.type, MessageType::Error);
    EXPECT_EQ(r.message.text, u"Cannot create file \"" + text::fromUtf8(path) +
                                  u"\". No space left on device");
    EXPECT_TRUE(d.documentChanged); // the work is still to be saved
    EXPECT_EQ(TempFolder::read(path), oldBytes);
    EXPECT_EQ(namesIn(mountPoint), (std::vector<std::string>{"essay.tlx", "filler"}));
}

TEST(InterruptedSave, ReadOnlyFolderReportsTheFailureAndKeepsTheOldFile) {
    TempFolder dir;
    const fs::path folder = dir.path() / "handed-in";
    fs::create_directory(folder);
    const std::string path = (folder / "essay.tlx").string();
    MarkedDocument d;
    makeEssay(d, 4000, u"Old");
    ASSERT_TRUE(d.saveTlx(path).ok);
    const std::string oldBytes = TempFolder::read(path);
    // The file itself may be written; only its folder may not.
    fs::permissions(path, fs::perms(0666), fs::perm_options::replace);
    fs::permissions(folder, fs::perms(0555), fs::perm_options::replace);
    makeEssay(d, 4000, u"Newer");
    d.documentChanged = true;
    FileOutcome r;
    {
        AsUnprivileged user;
        if (!user.effective()) {
            fs::permissions(folder, fs::perms(0755), fs::perm_options::replace);
            GTEST_SKIP() << "cannot drop root privileges";
        }
        r = d.saveTlx(path);
    }
    fs::permissions(folder, fs::perms(0755), fs::perm_options::replace);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.text,
              u"Cannot create file \"" + text::fromUtf8(path) + u"\". Permission denied");
    EXPECT_TRUE(d.documentChanged);
    EXPECT_EQ(TempFolder::read(path), oldBytes);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"essay.tlx"});
}

} // namespace
