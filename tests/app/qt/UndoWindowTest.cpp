// Undo and redo in the marking window: the menu items, the toolbar button, the
// essay's pop-up menu, their shortcuts and captions, and where the focus is.
#include "app/TfrmTallix32.h"
#include "document/qt/MarkRichEdit.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"

#include "TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>

using namespace tallix;
using tallix::testing::TempFolder;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

class UndoWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
    }
    void TearDown() override { qunsetenv("TALLIX32_HOME"); }

    // A window holding an imported essay, shown and active, the essay focused.
    std::unique_ptr<TfrmTallix32> windowWithEssay() {
        auto w = std::make_unique<TfrmTallix32>(settings);
        w->show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        files = {q(home.write("essay.txt", "Their is a problem with the essay.\r\nIt ends here."))};
        w->mnuImportTextFile->trigger();
        w->MarkRichEdit->setFocus();
        settle();
        return w;
    }
    static void settle() { QApplication::processEvents(); }

    TempFolder home;
    SettingsStore settings{q(home.file("settings.ini"))};
    std::vector<MessageRequest> shown;
    std::deque<Button> answers;
    std::deque<QString> files;
    std::deque<QString> inputs;
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
    ScopedInputHandler inputBoxes{[this](const InputRequest&) -> std::optional<QString> {
        if (inputs.empty())
            return std::nullopt;
        QString a = inputs.front();
        inputs.pop_front();
        return a;
    }};
};

} // namespace

TEST_F(UndoWindowTest, TheCommandsNameTheStepAndFollowTheHistory) {
    auto w = windowWithEssay();
    RichTextBuffer& b = w->document().essay();
    ASSERT_NE(w->mnuRedo, nullptr);
    EXPECT_EQ(w->mnuRedo->shortcuts(),
              (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Y")),
                                   QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));
    EXPECT_EQ(w->mnuUndo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    // A fresh import has nothing to undo.
    EXPECT_FALSE(w->mnuUndo->isEnabled());
    EXPECT_FALSE(w->mnuRedo->isEnabled());
    EXPECT_FALSE(w->spdUndo->isEnabled());
    EXPECT_EQ(w->mnuUndo->text(), QStringLiteral("&Undo"));

    const std::u16string original = b.text();
    b.select(0, 5);
    QTest::mouseClick(w->btnErr[18], Qt::LeftButton);
    settle();
    const std::u16string annotated = b.text();
    ASSERT_NE(annotated, original);
    EXPECT_TRUE(w->mnuUndo->isEnabled());
    EXPECT_TRUE(w->spdUndo->isEnabled());
    EXPECT_EQ(w->mnuUndo->text(), QStringLiteral("&Undo Annotation"));
    EXPECT_EQ(w->spdUndo->toolTip(), QStringLiteral("Undo Annotation"));
    w->RTFPopUpPopup();
    EXPECT_EQ(w->popmnuUndo->text(), QStringLiteral("Undo Annotation"));
    EXPECT_TRUE(w->popmnuUndo->isEnabled());
    EXPECT_FALSE(w->popmnuRedo->isEnabled());

    // The toolbar button undoes; the view follows the buffer.
    w->spdUndo->click();
    settle();
    EXPECT_EQ(b.text(), original);
    EXPECT_EQ(w->MarkRichEdit->document()->toPlainText(),
              QStringLiteral("Their is a problem with the essay.\nIt ends here."));
    EXPECT_EQ(w->mnuRedo->text(), QStringLiteral("&Redo Annotation"));
    EXPECT_TRUE(w->mnuRedo->isEnabled());
    w->mnuRedo->trigger();
    settle();
    EXPECT_EQ(b.text(), annotated);
    EXPECT_EQ(b.colourAt(5), clRed);

    // The pop-up menu's items act on the essay too.
    w->popmnuUndo->trigger();
    settle();
    EXPECT_EQ(b.text(), original);
    w->popmnuRedo->trigger();
    settle();
    EXPECT_EQ(b.text(), annotated);

    // Deleting a comment, with its renumbering and its text, is one step.
    b.select(int(b.text().find(u"problem")), 7);
    w->spdAddComment->click();
    w->mmoNotes->setFocus();
    QTest::keyClicks(w->mmoNotes, QStringLiteral("Say which."));
    w->MarkRichEdit->setFocus();
    inputs = {QStringLiteral("1")};
    w->spdDeleteComment->click();
    settle();
    EXPECT_TRUE(w->document().commentTexts.empty());
    EXPECT_EQ(w->mnuUndo->text(), QStringLiteral("&Undo Delete Comment"));
    w->mnuUndo->trigger();
    settle();
    EXPECT_EQ(w->document().commentTexts, std::vector<std::u16string>{u"Say which."});
    EXPECT_EQ(w->spinComments->maximum(), 1);
    EXPECT_TRUE(w->spdDeleteComment->isEnabled());
    EXPECT_EQ(w->mnuUndo->text(), QStringLiteral("&Undo Add Comment"));

    answers = {Button::No};
    w->close();
}

TEST_F(UndoWindowTest, TheShortcutsUndoTypingInTheEssay) {
    auto w = windowWithEssay();
    RichTextBuffer& b = w->document().essay();
    ASSERT_TRUE(w->MarkRichEdit->hasFocus());
    b.setSelStart(0);
    QTest::keyClicks(w->MarkRichEdit, QStringLiteral("Oh"));
    settle();
    EXPECT_EQ(b.text().substr(0, 7), u"OhTheir");
    EXPECT_EQ(w->mnuUndo->text(), QStringLiteral("&Undo Typing"));

    QTest::keyClick(w->MarkRichEdit, Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_EQ(b.text().substr(0, 5), u"Their");
    QTest::keyClick(w->MarkRichEdit, Qt::Key_Y, Qt::ControlModifier);
    settle();
    EXPECT_EQ(b.text().substr(0, 7), u"OhTheir");
    QTest::keyClick(w->MarkRichEdit, Qt::Key_Z, Qt::ControlModifier);
    settle();
    QTest::keyClick(w->MarkRichEdit, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    settle();
    EXPECT_EQ(b.text().substr(0, 7), u"OhTheir");

    // A change after an undo drops what could be redone.
    QTest::keyClick(w->MarkRichEdit, Qt::Key_Z, Qt::ControlModifier);
    settle();
    b.setSelStart(b.length());
    QTest::keyClicks(w->MarkRichEdit, QStringLiteral("!"));
    settle();
    EXPECT_FALSE(w->mnuRedo->isEnabled());
    EXPECT_EQ(w->mnuRedo->text(), QStringLiteral("&Redo"));

    answers = {Button::No};
    w->close();
}

TEST_F(UndoWindowTest, TheMemoAndTheGradeBoxKeepTheirOwnUndoWhileFocused) {
    auto w = windowWithEssay();
    RichTextBuffer& b = w->document().essay();
    b.select(0, 5);
    QTest::mouseClick(w->btnErr[18], Qt::LeftButton);
    const std::u16string annotated = b.text();

    w->spdFeedback1->click();
    ASSERT_TRUE(w->mmoNotes->hasFocus());
    QTest::keyClicks(w->mmoNotes, QStringLiteral("Good."));
    settle();
    EXPECT_EQ(w->mnuUndo->text(), QStringLiteral("&Undo"));
    EXPECT_TRUE(w->mnuUndo->isEnabled());
    EXPECT_TRUE(w->spdUndo->isEnabled());
    // The menu item undoes the memo's typing, not the annotation.
    w->mnuUndo->trigger();
    settle();
    EXPECT_EQ(w->mmoNotes->toPlainText(), QString());
    EXPECT_EQ(b.text(), annotated);
    EXPECT_TRUE(w->mnuRedo->isEnabled());
    w->mnuRedo->trigger();
    EXPECT_EQ(w->mmoNotes->toPlainText(), QStringLiteral("Good."));

    w->editGrade->setFocus();
    w->editGrade->selectAll();
    QTest::keyClicks(w->editGrade, QStringLiteral("B"));
    settle();
    EXPECT_EQ(w->mnuUndo->text(), QStringLiteral("&Undo"));
    w->spdUndo->click();
    EXPECT_EQ(w->editGrade->text(), QStringLiteral("??%"));
    EXPECT_EQ(w->document().grade, u"??%");
    EXPECT_EQ(b.text(), annotated);

    // Back in the essay, the commands speak of the essay again.
    w->MarkRichEdit->setFocus();
    settle();
    EXPECT_EQ(w->mnuUndo->text(), QStringLiteral("&Undo Annotation"));

    answers = {Button::No};
    w->close();
}

TEST_F(UndoWindowTest, UndoingBackToTheSavedFileLeavesNothingToAskOnClose) {
    auto w = windowWithEssay();
    RichTextBuffer& b = w->document().essay();
    files = {q(home.file("essay.tlx"))};
    w->mnuSave->trigger();
    ASSERT_FALSE(w->document().documentChanged);

    b.select(0, 5);
    QTest::mouseClick(w->btnErr[18], Qt::LeftButton);
    b.setSelStart(b.length());
    QTest::keyClicks(w->MarkRichEdit, QStringLiteral(" More"));
    w->alignClick(Alignment::Center);
    settle();
    EXPECT_TRUE(w->document().documentChanged);
    EXPECT_EQ(w->mnuUndo->text(), QStringLiteral("&Undo Alignment"));
    w->mnuUndo->trigger();
    w->mnuUndo->trigger();
    w->mnuUndo->trigger();
    w->mnuUndo->trigger();
    settle();
    EXPECT_FALSE(w->document().documentChanged);
    EXPECT_FALSE(w->mnuUndo->isEnabled());
    shown.clear();
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(shown.empty()); // no save-changes question
}

TEST_F(UndoWindowTest, StripReturnsIsOneStepAndDecliningItLeavesNothingToRedo) {
    auto w = std::make_unique<TfrmTallix32>(settings);
    w->show();
    files = {q(home.write("mail.txt", "A line that\r\nwent on and\r\non.\r\n\r\nEnd."))};
    w->mnuImportTextFile->trigger();
    RichTextBuffer& b = w->document().essay();
    const std::u16string original = b.text();

    answers = {Button::Yes, Button::Yes}; // go ahead; accept the changes
    w->mnuStripReturnsClick();
    settle();
    EXPECT_EQ(b.text(), u"A line that went on and on.\r\n\r\nEnd.");
    EXPECT_EQ(w->mnuUndo->text(), QStringLiteral("&Undo Strip Returns"));
    w->mnuUndo->trigger();
    settle();
    EXPECT_EQ(b.text(), original);
    EXPECT_EQ(w->MarkRichEdit->document()->toPlainText(),
              QStringLiteral("A line that\nwent on and\non.\n\nEnd."));

    answers = {Button::Yes, Button::No}; // go ahead; turn the changes down
    w->mnuStripReturnsClick();
    settle();
    EXPECT_EQ(b.text(), original);
    EXPECT_FALSE(w->mnuRedo->isEnabled());
    EXPECT_FALSE(w->mnuUndo->isEnabled());

    answers = {Button::No};
    w->close();
}
