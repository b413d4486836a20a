#include "platform/FileIO.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "TestFiles.h"

#if defined(__unix__) || defined(__APPLE__)
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#define TALLIX_TEST_POSIX 1
#endif
#ifdef __linux__
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace fs = std::filesystem;
using namespace tallix::fileio;
using tallix::testing::AsUnprivileged;

namespace {

class FileIO : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return folder_.file(name); }

    static void put(const std::string& p, const std::string& data) {
        std::ofstream(p, std::ios::binary) << data;
    }
    static std::string get(const std::string& p) {
        std::string s;
        EXPECT_TRUE(readFile(p, s).ok) << p;
        return s;
    }
    // Names in the folder, to see that no temporary file is left behind.
    std::vector<std::string> names() const {
        std::vector<std::string> r;
        for (const auto& e : fs::directory_iterator(dir_))
            r.push_back(e.path().filename().string());
        std::sort(r.begin(), r.end());
        return r;
    }

    tallix::testing::TempFolder folder_;
    const fs::path& dir_ = folder_.path();
};


} // namespace

TEST_F(FileIO, WritesAndReadsBackExactBytes) {
    std::string data("line one\r\nzero \0 byte \xB6\xFF", 25);
    data += std::string(200000, 'x'); // more than one read buffer
    ASSERT_TRUE(writeFileAtomic(path("a.tlx"), data).ok);
    EXPECT_EQ(get(path("a.tlx")), data);

    // Replacing with shorter and with empty content leaves nothing of the old.
    ASSERT_TRUE(writeFileAtomic(path("a.tlx"), "short").ok);
    EXPECT_EQ(get(path("a.tlx")), "short");
    ASSERT_TRUE(writeFileAtomic(path("a.tlx"), "").ok);
    EXPECT_EQ(get(path("a.tlx")), "");
    EXPECT_EQ(names(), std::vector<std::string>{"a.tlx"});

    // Non-ASCII (UTF-8) file names.
    const std::string name = "\xC3\xA9ssay \xE2\x82\xAC.tlx";
    ASSERT_TRUE(writeFileAtomic(path(name), "x").ok);
    EXPECT_EQ(get(path(name)), "x");
}

TEST_F(FileIO, ReadingMissingFilesAndFoldersFails) {
    std::string out = "untouched";
    FileResult r = readFile(path("missing.tlx"), out);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "No such file or directory");
    EXPECT_EQ(out, "untouched");

    r = readFile(dir_.string(), out);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Is a directory");
    EXPECT_EQ(out, "untouched");

    EXPECT_FALSE(readFile(path("missing/inner.tlx"), out).ok);
    EXPECT_FALSE(readFile("", out).ok);
}

TEST_F(FileIO, FolderAsTargetFailsAndIsLeftAlone) {
    fs::create_directory(path("sub"));
    put(path("sub/inside.txt"), "keep");
    const FileResult r = writeFileAtomic(path("sub"), "data");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Is a directory");
    EXPECT_TRUE(fs::is_directory(path("sub")));
    EXPECT_EQ(get(path("sub/inside.txt")), "keep");
    EXPECT_EQ(names(), std::vector<std::string>{"sub"});

    const FileResult missing = writeFileAtomic(path("nofolder/x.tlx"), "data");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "No such file or directory");
}

#ifdef TALLIX_TEST_POSIX

TEST_F(FileIO, ReplacementKeepsPermissionsAndNewFilesFollowTheUmask) {
    put(path("p.tlx"), "old");
    fs::permissions(path("p.tlx"), fs::perms(0640), fs::perm_options::replace);
    ASSERT_TRUE(writeFileAtomic(path("p.tlx"), "new").ok);
    EXPECT_EQ(fs::status(path("p.tlx")).permissions() & fs::perms::mask, fs::perms(0640));
    EXPECT_EQ(get(path("p.tlx")), "new");

    const mode_t old = ::umask(022);
    ASSERT_TRUE(writeFileAtomic(path("fresh.tlx"), "x").ok);
    ::umask(old);
    EXPECT_EQ(fs::status(path("fresh.tlx")).permissions() & fs::perms::mask, fs::perms(0644));
}

TEST_F(FileIO, SymbolicLinksAreFollowedAndKept) {
    fs::create_directory(path("real"));
    put(path("real/target.tlx"), "old");
    fs::permissions(path("real/target.tlx"), fs::perms(0600), fs::perm_options::replace);
    // A relative link to a relative link: both resolve against their own folder.
    fs::create_symlink("real/target.tlx", path("hop.tlx"));
    fs::create_symlink("hop.tlx", path("link.tlx"));

    ASSERT_TRUE(writeFileAtomic(path("link.tlx"), "new").ok);
    EXPECT_TRUE(fs::is_symlink(path("link.tlx")));
    EXPECT_TRUE(fs::is_symlink(path("hop.tlx")));
    EXPECT_EQ(get(path("real/target.tlx")), "new");
    EXPECT_EQ(get(path("link.tlx")), "new");
    EXPECT_EQ(fs::status(path("real/target.tlx")).permissions() & fs::perms::mask,
              fs::perms(0600));
    // The temporary file went beside the real target and is gone.
    EXPECT_EQ(names(), (std::vector<std::string>{"hop.tlx", "link.tlx", "real"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(path("real")), fs::directory_iterator()), 1);

    // A dangling link creates the file it names; a loop fails.
    fs::create_symlink("real/later.tlx", path("dangling.tlx"));
    ASSERT_TRUE(writeFileAtomic(path("dangling.tlx"), "made").ok);
    EXPECT_TRUE(fs::is_symlink(path("dangling.tlx")));
    EXPECT_EQ(get(path("real/later.tlx")), "made");
    fs::create_symlink("loop2", path("loop1"));
    fs::create_symlink("loop1", path("loop2"));
    EXPECT_FALSE(writeFileAtomic(path("loop1"), "x").ok);
    EXPECT_TRUE(fs::is_symlink(path("loop1")));
}

TEST_F(FileIO, UnwritableFolderFailsAndLeavesTheOldFileWhole) {
    put(path("keep.tlx"), "precious");
    fs::permissions(dir_, fs::perms(0555), fs::perm_options::replace);
    FileResult r;
    {
        AsUnprivileged user;
        if (!user.effective())
            GTEST_SKIP() << "cannot drop root privileges";
        r = writeFileAtomic(path("keep.tlx"), "replacement");
    }
    fs::permissions(dir_, fs::perms(0755), fs::perm_options::replace);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Permission denied");
    EXPECT_EQ(get(path("keep.tlx")), "precious");
    EXPECT_EQ(names(), std::vector<std::string>{"keep.tlx"});
}

TEST_F(FileIO, FailedWriteRemovesTheTemporaryFile) {
    // A file-size limit makes the write itself fail half way, after the temporary
    // file exists.
    put(path("big.tlx"), "old content");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult r = writeFileAtomic(path("big.tlx"), std::string(100000, 'y'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "File too large");
    EXPECT_EQ(get(path("big.tlx")), "old content");
    EXPECT_EQ(names(), std::vector<std::string>{"big.tlx"});
}

TEST_F(FileIO, ReadOnlyFileIsNotReplaced) {
    // The folder is writable, so only the check on the file itself stops a rename
    // from replacing a file its owner made read-only.
    put(path("ro.tlx"), "final");
    fs::permissions(path("ro.tlx"), fs::perms(0444), fs::perm_options::replace);
    fs::permissions(dir_, fs::perms(0777), fs::perm_options::replace);
    FileResult r;
    {
        AsUnprivileged user;
        if (!user.effective())
            GTEST_SKIP() << "cannot drop root privileges";
        r = writeFileAtomic(path("ro.tlx"), "changed");
    }
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Permission denied");
    EXPECT_EQ(get(path("ro.tlx")), "final");
    EXPECT_EQ(names(), std::vector<std::string>{"ro.tlx"});
}

#endif

#ifdef TALLIX_TEST_POSIX

TEST_F(FileIO, ReadOnlyFileIsNotReplacedWhateverTheUser) {
    // Run as whoever runs the tests (the administrator in CI and on many school
    // machines): the file's own bits say it is read-only, whatever the system's
    // access check would allow.
    put(path("mine.tlx"), "final");
    fs::permissions(path("mine.tlx"), fs::perms(0444), fs::perm_options::replace);
    FileResult r = writeFileAtomic(path("mine.tlx"), "changed");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Permission denied");
    EXPECT_EQ(get(path("mine.tlx")), "final");
    EXPECT_EQ(names(), std::vector<std::string>{"mine.tlx"});

    // Once the owner may write it again, it is replaced.
    fs::permissions(path("mine.tlx"), fs::perms(0644), fs::perm_options::replace);
    EXPECT_TRUE(writeFileAtomic(path("mine.tlx"), "changed").ok);
    EXPECT_EQ(get(path("mine.tlx")), "changed");
}

TEST_F(FileIO, StaleTemporaryFilesOfTheTargetAreRemovedByTheNextSave) {
    // A save killed half way leaves ".essay.tlx.tmp<pid>-<n>-<ticks>". A child that
    // has exited stands for the killed writer: its pid is no longer alive.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const std::string dead = ".essay.tlx.tmp" + std::to_string(child) + "-3-123456";
    // A save in progress in a live process (this one stands for it) keeps its file,
    // and so do other targets' temporaries and names that are not ours.
    const std::string live = ".essay.tlx.tmp" + std::to_string(::getpid()) + "-7-99";
    const std::string otherTarget = ".other.tlx.tmp" + std::to_string(child) + "-1-1";
    const std::string notOurs = ".essay.tlx.tmp-backup";
    for (const std::string& n : {dead, live, otherTarget, notOurs})
        put(path(n), "half a file");
    put(path("essay.tlx"), "old");

    ASSERT_TRUE(writeFileAtomic(path("essay.tlx"), "new").ok);
    EXPECT_EQ(get(path("essay.tlx")), "new");
    std::vector<std::string> expected{"essay.tlx", live, otherTarget, notOurs};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names(), expected);

    // One nobody has touched for hours is stale whoever wrote it.
    const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(5);
    const std::string old = ".essay.tlx.tmp1-0-0";
    put(path(old), "x");
    fs::last_write_time(path(old), longAgo);
    ASSERT_TRUE(writeFileAtomic(path("essay.tlx"), "newer").ok);
    EXPECT_FALSE(fs::exists(path(old)));
    EXPECT_TRUE(fs::exists(path(live)));
}


// ------------------------------------------------------------------ a set of files

class FileSet : public FileIO {
protected:
    // An old set of three pages, and the new one that should replace it.
    void SetUp() override {
        for (const char* n : {"a.htm", "a_2.htm", "a_3.htm"})
            put(path(n), std::string("old ") + n);
    }
    std::vector<FileData> newSet(const std::vector<std::string>& names) {
        data_.clear();
        for (const std::string& n : names)
            data_.push_back("new " + n);
        std::vector<FileData> files;
        for (std::size_t i = 0; i < names.size(); ++i)
            files.push_back(FileData{path(names[i]), data_[i]});
        return files;
    }
    void expectOldSetOnly(const std::vector<std::string>& extra = {}) {
        for (const char* n : {"a.htm", "a_2.htm", "a_3.htm"})
            EXPECT_EQ(get(path(n)), std::string("old ") + n);
        std::vector<std::string> expected{"a.htm", "a_2.htm", "a_3.htm"};
        expected.insert(expected.end(), extra.begin(), extra.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names(), expected); // no temporary, no new page
    }
    std::vector<std::string> data_;
};

TEST_F(FileSet, ReplacesTheOldSetAndAddsNewFiles) {
    const FileSetResult r = writeFileSetAtomic(newSet({"a.htm", "a_2.htm", "a_3.htm", "a_4.htm"}));
    ASSERT_TRUE(r.ok) << r.error;
    for (const char* n : {"a.htm", "a_2.htm", "a_3.htm", "a_4.htm"})
        EXPECT_EQ(get(path(n)), std::string("new ") + n);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.htm", "a_2.htm", "a_3.htm", "a_4.htm"}));
    EXPECT_TRUE(writeFileSetAtomic({}).ok);
}

TEST_F(FileSet, AFolderInTheWayOfALaterFileChangesNothing) {
    fs::create_directory(path("a_4.htm"));
    const FileSetResult r =
        writeFileSetAtomic(newSet({"a.htm", "a_2.htm", "a_3.htm", "a_4.htm", "a_5.htm"}));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failed, 3u);
    EXPECT_EQ(r.error, "Is a directory");
    EXPECT_TRUE(r.untouched);
    expectOldSetOnly({"a_4.htm"});
}

TEST_F(FileSet, AWriteThatFailsHalfWayChangesNothing) {
    // The last file is too large for the limit: the others were already written
    // into their temporaries, which must go again.
    std::vector<FileData> files = newSet({"a.htm", "a_2.htm", "a_3.htm", "a_4.htm"});
    const std::string big(100000, 'y');
    files[3].data = big;
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileSetResult r = writeFileSetAtomic(files);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failed, 3u);
    EXPECT_EQ(r.error, "File too large");
    expectOldSetOnly();
}

TEST_F(FileSet, AReadOnlyOrUnreachableTargetChangesNothing) {
    fs::permissions(path("a_3.htm"), fs::perms(0444), fs::perm_options::replace);
    FileSetResult r = writeFileSetAtomic(newSet({"a.htm", "a_2.htm", "a_3.htm"}));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failed, 2u);
    EXPECT_EQ(r.error, "Permission denied");
    expectOldSetOnly();
    fs::permissions(path("a_3.htm"), fs::perms(0644), fs::perm_options::replace);

    r = writeFileSetAtomic(newSet({"a.htm", "a_2.htm", "no-folder/a_3.htm"}));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failed, 2u);
    EXPECT_EQ(r.error, "No such file or directory");
    expectOldSetOnly();
}

TEST_F(FileSet, WhatAKilledExportLeftIsRemovedByTheNext) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const std::string dead2 = ".a_2.htm.tmp" + std::to_string(child) + "-4-1";
    const std::string dead3 = ".a_3.htm.tmp" + std::to_string(child) + "-5-1";
    const std::string live = ".a_3.htm.tmp" + std::to_string(::getpid()) + "-9-9";
    for (const std::string& n : {dead2, dead3, live})
        put(path(n), "half a page");
    ASSERT_TRUE(writeFileSetAtomic(newSet({"a.htm", "a_2.htm", "a_3.htm"})).ok);
    EXPECT_EQ(names(), (std::vector<std::string>{live, "a.htm", "a_2.htm", "a_3.htm"}));
}

#ifdef __linux__
TEST_F(FileSet, AFailedRenamePutsBackWhatWasAlreadyReplaced) {
    // An immutable file cannot be replaced by a rename, though every check before
    // passes. The files are placed last first: a_3 and a_4 are already in place
    // when a_2 fails, so a_3 must get its old content back and the new a_4 go.
    const int fd = ::open(path("a_2.htm").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    const bool immutable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                           (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (!immutable) {
        ::close(fd);
        GTEST_SKIP() << "cannot make a file immutable here";
    }
    const FileSetResult r = writeFileSetAtomic(newSet({"a.htm", "a_2.htm", "a_3.htm", "a_4.htm"}));
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failed, 1u);
    EXPECT_TRUE(r.untouched);
    expectOldSetOnly();
}
#endif

#endif

TEST_F(FileIO, HeadsAndLimitsAreReadWithoutTheRest) {
    put(path("a.txt"), "0123456789");
    std::string out;
    ASSERT_TRUE(readFileHead(path("a.txt"), out, 4).ok);
    EXPECT_EQ(out, "0123");
    ASSERT_TRUE(readFileHead(path("a.txt"), out, 100).ok);
    EXPECT_EQ(out, "0123456789");
    ASSERT_TRUE(readFile(path("a.txt"), out, 10).ok);

    // Over the limit: refused by its size, the output untouched.
    out = "untouched";
    FileResult r = readFile(path("a.txt"), out, 9);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.tooLarge);
    EXPECT_FALSE(r.missing);
    EXPECT_EQ(out, "untouched");
    // A sparse 4 GB file costs nothing to refuse.
    put(path("huge"), "");
    fs::resize_file(path("huge"), std::uintmax_t(4) << 30);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(readFileHead(path("huge"), out, 8, std::size_t(256) << 20).tooLarge);
    EXPECT_TRUE(readFile(path("huge"), out, std::size_t(256) << 20).tooLarge);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));

    r = readFileHead(path("none"), out, 8);
    EXPECT_TRUE(r.missing);
    EXPECT_FALSE(readFileHead(dir_.string(), out, 8).missing);
}

TEST_F(FileIO, ReadsEverySizeWholeAndTellsTheModificationTime) {
    // Sizes around the first buffer and its doublings, a file the system gives no
    // size for, and the time the file was last written, in seconds.
    std::string out;
    for (std::size_t size : {std::size_t(0), std::size_t(1), std::size_t(65535), std::size_t(65536),
                             std::size_t(65537), std::size_t(300001)}) {
        std::string data(size, 'a');
        for (std::size_t i = 0; i < size; i += 7)
            data[i] = char('0' + i % 10);
        put(path("s.bin"), data);
        const FileResult r = readFile(path("s.bin"), out);
        ASSERT_TRUE(r.ok) << size;
        EXPECT_EQ(out, data) << size;
    }
    const auto when = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(path("s.bin"), when);
    const FileResult r = readFile(path("s.bin"), out);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.modified, std::chrono::duration_cast<std::chrono::seconds>(
                              std::chrono::file_clock::to_sys(when).time_since_epoch())
                              .count());
    // The kernel's own files say they are empty but are not.
    if (fs::exists("/proc/self/status")) {
        ASSERT_TRUE(readFile("/proc/self/status", out).ok);
        EXPECT_NE(out.find("Name:"), std::string::npos);
    }
    // A limit below what the file turns out to hold refuses it.
    EXPECT_TRUE(readFile("/proc/self/status", out, 10).tooLarge || !fs::exists("/proc/self/status"));
}

TEST_F(FileIO, SameFileComparesFilesNotSpellings) {
    put(path("a.tlx"), "a");
    put(path("b.tlx"), "a");
    fs::create_directory(path("sub"));
    fs::create_symlink(path("a.tlx"), path("link.tlx"));
    fs::create_hard_link(path("a.tlx"), path("hard.tlx"));
    EXPECT_TRUE(sameFile(path("a.tlx"), path("a.tlx")));
    EXPECT_TRUE(sameFile(path("a.tlx"), path("sub/../a.tlx")));
    EXPECT_TRUE(sameFile(path("a.tlx"), path("link.tlx")));
    EXPECT_TRUE(sameFile(path("hard.tlx"), path("link.tlx")));
    EXPECT_FALSE(sameFile(path("a.tlx"), path("b.tlx"))); // same bytes, another file
    EXPECT_FALSE(sameFile(path("a.tlx"), path("new.tlx")));
    EXPECT_FALSE(sameFile(path("gone"), path("gone")));
    EXPECT_FALSE(sameFile("", path("a.tlx")));
}
