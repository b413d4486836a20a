// Crash recovery: the work written while unsaved comes back whole after a crash.
#include "document/Recovery.h"
#include "document/Scanning.h"

#include "BufferTestSupport.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#if defined(__unix__) || defined(__APPLE__)
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#define TALLIX_TEST_POSIX 1
#endif

using namespace tallix;
using tallix::testing::fmt;
using tallix::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

class RecoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TALLIX32_HOME");
        hadHome_ = old != nullptr;
        if (old)
            oldHome_ = old;
        ::setenv("TALLIX32_HOME", home.path().string().c_str(), 1);
    }
    void TearDown() override {
        if (hadHome_)
            ::setenv("TALLIX32_HOME", oldHome_.c_str(), 1);
        else
            ::unsetenv("TALLIX32_HOME");
    }

    // A marked essay: a red label after a blue span, a green marker, a bookmark,
    // two comments, both feedback texts and a grade.
    static void mark(MarkedDocument& doc) {
        RichTextBuffer& e = doc.essay();
        e.setText(u"Their going home.\r\nIt rains\u00e9 \u4e2d.");
        e.select(0, 5);
        e.setSelFormat(fmt(clBlue, fsUnderline));
        e.setSelStart(5);
        e.setSelFormat(fmt(clRed, fsItalic, 8, 60));
        e.setSelText(u"Sp");
        e.setSelStart(e.length());
        e.setSelFormat(fmt(clGreen, fsBold, 10, 60));
        e.setSelText(u"1");
        e.setSelStart(3);
        e.setSelFormat(fmt(clSilver));
        e.setSelText(u"[*BM*]");
        doc.commentTexts = {u"Look at \"their\".", u"Second\r\nline"};
        doc.notes.selectorMax = doc.notes.selectorValue = 2;
        doc.feedback1Text = u"Good ideas.";
        doc.feedback2Text = u"Check spelling.";
        doc.grade = u"B+";
        doc.documentChanged = true;
    }

    TempFolder home;
    bool hadHome_ = false;
    std::string oldHome_;
};

std::u16string withoutBookmarks(std::u16string s) {
    for (std::size_t at; (at = s.find(u"[*BM*]")) != std::u16string::npos;)
        s.erase(at, 6);
    return s;
}

} // namespace

TEST_F(RecoveryTest, TheWorkComesBackWholeAndChangedUnderItsOwnFileWhenThatIsUnchanged) {
    MarkedDocument doc;
    mark(doc);
    const std::string origin = home.file("essay.tlx");
    ASSERT_TRUE(doc.saveTlx(origin).ok);
    doc.grade = u"A-"; // a change made after the save
    doc.documentChanged = true;
    const std::string file = recovery::ownFile();
    ASSERT_TRUE(recovery::write(doc, file).ok);

    MarkedDocument back;
    const recovery::Restored r = recovery::restore(back, file);
    ASSERT_TRUE(r.ok) << std::string(r.error.begin(), r.error.end());
    EXPECT_TRUE(r.originUnchanged);
    EXPECT_EQ(back.currentFile, origin);
    EXPECT_TRUE(back.documentChanged);
    EXPECT_EQ(back.essay().text(), withoutBookmarks(doc.essay().text()));
    MarkedDocument expected;
    expected.essay().assign(doc.essay().content());
    scan::removeBookmarks(expected.essay());
    EXPECT_EQ(back.essay().saveRtf(), expected.essay().saveRtf());
    EXPECT_EQ(back.commentTexts, doc.commentTexts);
    EXPECT_EQ(back.notes.selectorMax, 2);
    EXPECT_EQ(back.feedback1Text, doc.feedback1Text);
    EXPECT_EQ(back.feedback2Text, doc.feedback2Text);
    EXPECT_EQ(back.grade, u"A-");
}

TEST_F(RecoveryTest, WorkWhoseFileChangedSinceOrNeverHadOneComesBackUntitled) {
    MarkedDocument doc;
    mark(doc);
    const std::string origin = home.file("essay.tlx");
    ASSERT_TRUE(doc.saveTlx(origin).ok);
    ASSERT_TRUE(recovery::write(doc, recovery::ownFile()).ok);
    // Someone saved another version of the file after the recovery was written.
    home.write("essay.tlx", "{\\rtf1 another version}");

    MarkedDocument back;
    recovery::Restored r = recovery::restore(back, recovery::ownFile());
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(r.originUnchanged);
    EXPECT_EQ(back.currentFile, "");
    EXPECT_TRUE(back.documentChanged);
    EXPECT_EQ(back.grade, u"B+");

    MarkedDocument untitled;
    mark(untitled);
    ASSERT_TRUE(recovery::write(untitled, recovery::ownFile()).ok);
    r = recovery::restore(back, recovery::ownFile());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(back.currentFile, "");
}

TEST_F(RecoveryTest, ADamagedRecoveryFileIsRefusedAndTheDocumentKeptAtEveryCut) {
    MarkedDocument doc;
    mark(doc);
    const std::string whole = recovery::encode(doc);
    MarkedDocument open;
    open.essay().setText(u"The open essay");
    open.grade = u"C";
    // Every cut of the header and a sample of cuts through the body.
    for (std::size_t cut = 0; cut < whole.size(); cut += cut < 200 ? 1 : 97) {
        home.write("cut.recovery", whole.substr(0, cut));
        const recovery::Restored r = recovery::restore(open, home.file("cut.recovery"));
        ASSERT_FALSE(r.ok) << "cut at " << cut;
        ASSERT_EQ(open.essay().text(), u"The open essay");
        ASSERT_EQ(open.grade, u"C");
    }
    EXPECT_FALSE(recovery::restore(open, home.file("missing.recovery")).ok);
}

#ifdef TALLIX_TEST_POSIX

TEST_F(RecoveryTest, AProgramKilledAfterMarkingLeavesItsWorkForTheNextStart) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        MarkedDocument doc;
        mark(doc);
        if (!recovery::write(doc, recovery::ownFile()).ok)
            ::_exit(3);
        ::raise(SIGKILL); // the crash: no close, no clean-up
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    // This program's own file and one of a program still running are not offered.
    MarkedDocument mine;
    mark(mine);
    ASSERT_TRUE(recovery::write(mine, recovery::ownFile()).ok);
    const std::vector<recovery::Found> found = recovery::leftBehind();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(fs::path(found[0].path).filename(), std::to_string(child) + ".recovery");

    MarkedDocument back;
    ASSERT_TRUE(recovery::restore(back, found[0].path).ok);
    MarkedDocument expected;
    mark(expected);
    EXPECT_EQ(back.essay().text(), withoutBookmarks(expected.essay().text()));
    EXPECT_EQ(back.commentTexts, expected.commentTexts);
    EXPECT_EQ(back.grade, expected.grade);

    recovery::discard(found[0].path);
    EXPECT_TRUE(recovery::leftBehind().empty());
    recovery::discard(found[0].path); // a second time is no failure
}

#endif
