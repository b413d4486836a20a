// Crash recovery through the marking window: unsaved work is kept in a recovery
// file while the teacher marks, and offered back at the next start after a crash.
#include "app/TfrmTallix32.h"
#include "document/Recovery.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"

#include "TestFiles.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace tallix;
using tallix::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

class RecoveryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
    }
    void TearDown() override { qunsetenv("TALLIX32_HOME"); }

    std::unique_ptr<TfrmTallix32> makeWindow(const QString& open = {}) {
        return std::make_unique<TfrmTallix32>(settings, open);
    }

    // Marks the sample sentence: a spelling label, a comment, a grade.
    static void mark(TfrmTallix32& w) {
        RichTextBuffer& b = w.document().essay();
        b.setText(u"Their is a problem.");
        b.selectAll();
        b.setSelColour(clBlack);
        b.select(0, 5);
        QTest::mouseClick(w.btnErr[18], Qt::LeftButton);
        b.select(int(b.text().find(u"problem")), 7);
        w.spdAddComment->click();
    }

    TempFolder home;
    SettingsStore settings{q(home.file("settings.ini"))};
    std::vector<MessageRequest> shown;
    std::deque<Button> answers;
    ScopedMessageHandler messages{[this](const MessageRequest& r) {
        shown.push_back(r);
        if (answers.empty())
            return escapeAnswer(r.buttons);
        Button a = answers.front();
        answers.pop_front();
        return a;
    }};
};

// Work written by a program that then crashed: a child of this test writes it
// and is killed before it can clean up.
std::string crashedWork(const std::u16string& grade) {
    const pid_t child = ::fork();
    if (child == 0) {
        MarkedDocument doc;
        doc.essay().setText(u"Recovered essay text.");
        doc.commentTexts = {u"A comment typed before the crash"};
        doc.notes.selectorMax = 1;
        doc.grade = grade;
        doc.documentChanged = true;
        if (!recovery::write(doc, recovery::ownFile()).ok)
            ::_exit(3);
        ::raise(SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return recovery::folder() + std::to_string(child) + ".recovery";
}

} // namespace

TEST_F(RecoveryWindowTest, MarkingKeepsARecoveryFileThatASaveOrCloseRemoves) {
    auto w = makeWindow();
    w->show();
    mark(*w);
    const std::string file = w->recoveryFile();
    ASSERT_TRUE(fs::exists(file)) << "written after the annotation and comment commands";

    // The file holds the work as it stands.
    {
        MarkedDocument back;
        ASSERT_TRUE(recovery::restore(back, file).ok);
        EXPECT_EQ(back.essay().text(), w->document().essay().text());
        EXPECT_EQ(back.commentTexts.size(), 1u);
    }

    // A save removes it; the next change brings it back; a close removes it.
    answers = {};
    ASSERT_TRUE(w->document().saveTlx(home.file("essay.tlx")).ok);
    w->refreshFromDocument();
    EXPECT_FALSE(fs::exists(file));
    w->document().essay().select(0, 0);
    w->document().documentChanged = true;
    w->keepRecoveryInStep();
    EXPECT_TRUE(fs::exists(file));
    answers = {Button::No}; // do not save
    w->close();
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(RecoveryWindowTest, TheNextStartOffersTheWorkOfACrashedProgramBack) {
    const std::string left = crashedWork(u"B+");
    ASSERT_TRUE(fs::exists(left));

    // Later: nothing changes, the work is offered again next time.
    answers = {Button::Cancel};
    {
        auto w = makeWindow();
        w->show();
        QApplication::processEvents();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_TRUE(shown[0].text.contains(QStringLiteral("an untitled essay")));
        EXPECT_EQ(shown[0].captions,
                  (QStringList{QStringLiteral("&Restore"), QStringLiteral("&Discard"),
                               QStringLiteral("&Later")}));
        // Its Help button and F1 open the page about crash recovery.
        EXPECT_EQ(shown[0].helpContext, recovery::HelpContext);
        EXPECT_TRUE(shown[0].buttons.testFlag(Button::Help));
        EXPECT_EQ(w->document().essay().text(), u"");
        EXPECT_TRUE(fs::exists(left));
        w->close();
    }

    // Restore: the work comes back whole, changed and untitled.
    shown.clear();
    answers = {Button::Yes};
    auto w = makeWindow();
    w->show();
    QApplication::processEvents();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(w->document().essay().text(), u"Recovered essay text.");
    EXPECT_EQ(w->document().commentTexts,
              std::vector<std::u16string>{u"A comment typed before the crash"});
    EXPECT_EQ(w->editGrade->text(), QStringLiteral("B+"));
    EXPECT_TRUE(w->document().documentChanged);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tallix32 [Untitled]"));
    EXPECT_FALSE(fs::exists(left));
    // It is kept again under this program's own name until saved or closed.
    EXPECT_TRUE(fs::exists(w->recoveryFile()));
    answers = {Button::No};
    w->close();
}

TEST_F(RecoveryWindowTest, DiscardRemovesTheWorkForGood) {
    const std::string left = crashedWork(u"C");
    answers = {Button::No};
    auto w = makeWindow();
    w->show();
    QApplication::processEvents();
    EXPECT_FALSE(fs::exists(left));
    EXPECT_EQ(w->document().essay().text(), u"");
    w->close();
    EXPECT_TRUE(recovery::leftBehind().empty());
}

TEST_F(RecoveryWindowTest, WritingTheRecoveryFileOfALongEssayTakesNoVisiblePause) {
    auto w = makeWindow();
    std::u16string text;
    while (text.size() < 1'000'000)
        text += u"Every evening millions of pupils sit at their kitchen tables. ";
    w->document().essay().setText(text);
    w->document().documentChanged = true;
    const auto start = std::chrono::steady_clock::now();
    w->keepRecoveryInStep();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_TRUE(fs::exists(w->recoveryFile()));
    RecordProperty("recovery_write_ms_1MB", int(ms));
    std::cout << "recovery write of a 1 MB essay: " << ms << " ms\n";
    answers = {Button::No};
    w->close();
}

TEST_F(RecoveryWindowTest, WorkThatCannotBeRestoredIsKeptAsideWithoutReplacingAnEarlierCopy) {
    // A recovery file whose header is whole but whose essay is no document (the
    // start of a zip archive), left by a program that is gone, and the damaged
    // file of an earlier crash already kept aside under the first name.
    const std::string essay = "PK\x03\x04 not an archive";
    const std::string bytes = "TALLIX32 RECOVERY 1\norigin=\norigin-size=-1\norigin-time=0\n"
                              "trailer=0\nessay=" +
                              std::to_string(essay.size()) + "\n\n" + essay;
    fs::create_directories(recovery::folder());
    const std::string left = recovery::folder() + "left.recovery";
    {
        std::ofstream(left, std::ios::binary) << bytes;
        std::ofstream(left + ".bad", std::ios::binary) << "the earlier one";
    }
    answers = {Button::Yes};
    {
        auto w = makeWindow();
        w->show();
        QApplication::processEvents();
        ASSERT_EQ(shown.size(), 2u); // the question, then why it failed
        EXPECT_TRUE(shown[1].text.startsWith(QStringLiteral("The work could not be restored")));
        EXPECT_TRUE(shown[1].text.contains(q(left + ".2.bad"))) << shown[1].text.toStdString();
        EXPECT_EQ(shown[1].helpContext, recovery::HelpContext);
        EXPECT_EQ(w->document().essay().text(), u"");
        w->close();
    }
    EXPECT_FALSE(fs::exists(left));
    EXPECT_EQ(TempFolder::read(left + ".bad"), "the earlier one");
    EXPECT_EQ(TempFolder::read(left + ".2.bad"), bytes);

    // Kept aside, it is not offered again.
    shown.clear();
    auto w = makeWindow();
    w->show();
    QApplication::processEvents();
    EXPECT_TRUE(shown.empty());
    w->close();
}
