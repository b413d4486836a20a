// The marking window and the files it keeps: a marked file another program wrote
// while it was open, the stored window position, and a settings file that cannot
// be written.
#include "app/TfrmTallix32.h"
#include "document/qt/MarkRichEdit.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"

#include "TestFiles.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

using namespace tallix;
using tallix::testing::TempFolder;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

class WindowFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
        SettingsStore::takeDamageReports();
    }
    void TearDown() override { qunsetenv("TALLIX32_HOME"); }

    std::unique_ptr<TfrmTallix32> shownWindow(SettingsStore& store) {
        auto w = std::make_unique<TfrmTallix32>(store);
        w->show();
        QApplication::processEvents();
        return w;
    }
    static void closeUnchanged(TfrmTallix32& w) {
        w.document().documentChanged = false;
        w.close();
    }

    TempFolder home;
    SettingsStore settings{q(home.file("settings.conf"))};
    std::vector<MessageRequest> shown;
    std::deque<Button> answers;
    std::deque<QString> files;
    ScopedMessageHandler messages{[this](const MessageRequest& r) {
        shown.push_back(r);
        if (answers.empty())
            return escapeAnswer(r.buttons);
        Button a = answers.front();
        answers.pop_front();
        return a;
    }};
    ScopedFileHandler fileDialogs{[this](const FileRequest&) -> std::optional<QString> {
        if (files.empty())
            return std::nullopt;
        QString f = files.front();
        files.pop_front();
        return f;
    }};
};

bool onAScreen(const QRect& frame) {
    for (const QScreen* s : QGuiApplication::screens())
        if (s->availableGeometry().contains(frame.topLeft()) &&
            s->availableGeometry().intersects(frame))
            return true;
    return false;
}

} // namespace

TEST_F(WindowFilesTest, SaveAsksBeforeOverwritingAFileAnotherProgramWrote) {
    auto w = shownWindow(settings);
    const std::string path = home.file("essay.tlx");
    w->document().essay().setText(u"The teacher's marking.");
    files = {q(path)};
    w->mnuSaveAsClick();
    ASSERT_TRUE(std::filesystem::exists(path));
    ASSERT_TRUE(shown.empty());

    // A second copy of the program saves its own work over the file.
    const std::string theirs = "{\\rtf1\\ansi Another copy's marking.}";
    home.write("essay.tlx", theirs);
    RichTextBuffer& b = w->document().essay();
    b.select(b.length(), 0);
    w->MarkRichEdit->setFocus();
    QTest::keyClicks(w->MarkRichEdit, QStringLiteral(" More"));
    ASSERT_TRUE(w->document().documentChanged);

    answers = {Button::No};
    QTest::keyClick(w->MarkRichEdit, Qt::Key_S, Qt::ControlModifier); // Save
    QApplication::processEvents();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("essay.tlx has been changed by another program "
                                            "since you opened it. Overwrite it?"));
    EXPECT_EQ(shown[0].type, MessageType::Warning);
    EXPECT_EQ(shown[0].buttons, buttons::YesNo);
    EXPECT_EQ(TempFolder::read(path), theirs);
    EXPECT_TRUE(w->document().documentChanged);

    answers = {Button::Yes};
    w->spdSaveClick();
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_FALSE(w->document().documentChanged);
    EXPECT_NE(TempFolder::read(path).find("More"), std::string::npos);
    w->spdSaveClick(); // its own save is no change by another program
    EXPECT_EQ(shown.size(), 2u);

    // Deleted meanwhile: saved without a question.
    std::filesystem::remove(path);
    w->spdSaveClick();
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(shown.size(), 2u);
    closeUnchanged(*w);
}

TEST_F(WindowFilesTest, AStoredPlaceOffEveryScreenIsBroughtOntoTheNearest) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    struct Place {
        int left, top;
    };
    for (Place p : {Place{99999999, 99999999}, Place{-99999999, 40}, Place{40, -2147483647},
                    Place{screen.right() + 500, screen.top() + 10}}) {
        SCOPED_TRACE(std::to_string(p.left) + "," + std::to_string(p.top));
        settings.writeInteger("MainForm", "Left", p.left);
        settings.writeInteger("MainForm", "Top", p.top);
        auto w = shownWindow(settings);
        EXPECT_TRUE(onAScreen(w->frameGeometry()))
            << w->frameGeometry().x() << "," << w->frameGeometry().y();
        closeUnchanged(*w);
    }
    // A place that shows the window is kept.
    settings.writeInteger("MainForm", "Left", screen.left() + 30);
    settings.writeInteger("MainForm", "Top", screen.top() + 20);
    auto w = shownWindow(settings);
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(screen.left() + 30, screen.top() + 20));
    closeUnchanged(*w);
    EXPECT_TRUE(shown.empty());
}

TEST_F(WindowFilesTest, ASettingsFileThatIsAFolderIsReportedOnce) {
    const std::string folder = home.file("Tallix32.conf");
    std::filesystem::create_directories(folder);
    {
        SettingsStore commandLine(q(folder));
        SettingsStore store(q(folder));
        for (int run = 0; run < 2; ++run) {
            auto w = shownWindow(store);
            closeUnchanged(*w);
        }
        EXPECT_FALSE(store.flush());
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].type, MessageType::Warning);
    EXPECT_EQ(shown[0].text,
              QStringLiteral("The settings file \"Tallix32.conf\" is a folder, not a file. The "
                             "program starts with its default settings, and changes to them are "
                             "not saved."));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(WindowFilesTest, ASettingsFileThatCannotBeWrittenIsReportedOnce) {
    // Its folder is a file: nothing can be made there, whoever runs the test.
    home.write("notafolder", "x");
    const std::string path = home.file("notafolder/Tallix32.conf");
    {
        SettingsStore store(q(path));
        auto w = shownWindow(store);
        closeUnchanged(*w);
        EXPECT_FALSE(store.flush());
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("The settings file \"Tallix32.conf\" cannot be "
                                            "written. Changes to the settings are not saved."));

    // Found out only when the window closes: reported then, once.
    SettingsStore::takeDamageReports();
    shown.clear();
    const std::string later = home.file("later/Tallix32.conf");
    {
        SettingsStore store(q(later));
        auto w = shownWindow(store);
        EXPECT_TRUE(shown.empty());
        home.write("later", "a file where the folder was to be made");
        closeUnchanged(*w);
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("cannot be written")));
}
