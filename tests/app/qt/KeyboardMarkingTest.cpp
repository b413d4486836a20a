// Marking from the keyboard in the marking window: a button's key does what a
// click does (the overlap guard included), the type-to-find list annotates with the
// line chosen, the moves select annotations and comments, and the button editor
// gives keys with its clash messages.
#include "annotations/TfrmAnnButtons.h"
#include "annotations/qt/ButtonFinderPopup.h"
#include "app/TfrmTallix32.h"
#include "document/qt/MarkRichEdit.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"

#include "TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tallix;
using tallix::testing::TempFolder;

namespace {

class KeyboardMarkingTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
        w = std::make_unique<TfrmTallix32>(settings);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        essay().setText(u"Teh dog ran far.");
        w->MarkRichEdit->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override {
        w->document().documentChanged = false;
        w->close();
        w.reset();
        qunsetenv("TALLIX32_HOME");
    }
    RichTextBuffer& essay() { return w->document().essay(); }
    void press(const QString& key) {
        const QKeySequence k = QKeySequence::fromString(key, QKeySequence::PortableText);
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w.get();
        QTest::keyClick(target, k[0].key(), k[0].keyboardModifiers());
        QApplication::processEvents();
    }

    TempFolder home;
    SettingsStore settings{QString::fromStdString(home.file("settings.conf"))};
    std::vector<MessageRequest> shown;
    ScopedMessageHandler messages{[this](const MessageRequest& r) {
        shown.push_back(r);
        return escapeAnswer(r.buttons);
    }};
    std::unique_ptr<TfrmTallix32> w;
};

TEST_F(KeyboardMarkingTest, AButtonKeyAnnotatesAsTheClickDoesAndTheGuardStillRefuses) {
    // Ctrl+9 is Sp (entry 19) by default, and its button's tooltip says so.
    EXPECT_TRUE(w->btnErr[18]->toolTip().startsWith(QStringLiteral("Spelling (")));
    EXPECT_TRUE(w->btnErr[18]->toolTip().contains(QStringLiteral("9")));
    essay().select(0, 3);
    press(QStringLiteral("Ctrl+9"));
    EXPECT_EQ(essay().text().substr(0, 5), u"TehSp");
    EXPECT_EQ(essay().colourAt(0), clBlue);
    EXPECT_EQ(essay().colourAt(3), clRed);
    EXPECT_TRUE(shown.empty());

    // Over the annotation just made: the overlap warning, nothing changed.
    const std::u16string before = essay().text();
    essay().select(1, 3);
    press(QStringLiteral("Alt+2"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("You can't overlap annotations."));
    EXPECT_EQ(essay().text(), before);

    // The key works from the grade box as well, on the essay's selection.
    shown.clear();
    essay().select(6, 3);
    w->editGrade->setFocus();
    press(QStringLiteral("Alt+2"));
    EXPECT_EQ(essay().colourAt(6), clBlue);
    EXPECT_NE(essay().text().find(u"Art"), std::u16string::npos);
    EXPECT_EQ(w->editGrade->text(), QStringLiteral("??%"));
}

TEST_F(KeyboardMarkingTest, TheFindListFiltersAndAnnotatesWithTheChosenLine) {
    essay().select(4, 3);
    press(QStringLiteral("Ctrl+K"));
    ButtonFinderPopup* list = w->ButtonFinder;
    ASSERT_TRUE(list->isVisible());
    QTest::keyClicks(list->editFind, QStringLiteral("verb"));
    ASSERT_EQ(list->choices(), (std::vector<int>{1, 21, 22}));
    EXPECT_TRUE(list->lbButtons->item(0)->text().startsWith(QStringLiteral("Agr: Subject/verb")));
    QTest::keyClick(list->editFind, Qt::Key_Down);
    QTest::keyClick(list->editFind, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(essay().text().substr(4, 8), u"dogVForm");
    EXPECT_EQ(essay().colourAt(7), clRed);

    // Escape closes it and changes nothing; the guard refuses as for a click.
    const std::u16string before = essay().text();
    essay().select(5, 1);
    press(QStringLiteral("Ctrl+K"));
    ASSERT_TRUE(list->isVisible());
    QTest::keyClick(list->editFind, Qt::Key_Escape);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(essay().text(), before);
    press(QStringLiteral("Ctrl+K"));
    QTest::keyClicks(list->editFind, QStringLiteral("sp"));
    EXPECT_EQ(list->choices(), (std::vector<int>{18, 19}));
    QTest::keyClick(list->editFind, Qt::Key_Return);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("You can't overlap annotations."));
    EXPECT_EQ(essay().text(), before);
}

TEST_F(KeyboardMarkingTest, TheFindListAddsAComment) {
    essay().select(8, 3);
    press(QStringLiteral("Ctrl+K"));
    QTest::keyClicks(w->ButtonFinder->editFind, QStringLiteral("add c"));
    ASSERT_EQ(w->ButtonFinder->choices(), (std::vector<int>{AddCommentChoice}));
    QTest::keyClick(w->ButtonFinder->editFind, Qt::Key_Return);
    EXPECT_EQ(w->document().commentTexts.size(), 1u);
    EXPECT_EQ(essay().colourAt(8), clNavy);
}

TEST_F(KeyboardMarkingTest, MovesSelectAnnotationsAndDeleteTakesOutTheOneSelected) {
    essay().select(0, 3);
    w->annotationButtonClick(19); // "TehSp dog ran far."
    essay().select(10, 3);
    w->annotationButtonClick(2); // "... ranArt far."
    essay().select(0, 0);
    w->MarkRichEdit->setFocus();
    press(QStringLiteral("Alt+Down"));
    EXPECT_EQ(essay().selText(), u"Teh");
    press(QStringLiteral("Alt+Down"));
    EXPECT_EQ(essay().selText(), u"ran");
    press(QStringLiteral("Alt+Down"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("There are no more annotations after the caret."));
    press(QStringLiteral("Alt+Up"));
    EXPECT_EQ(essay().selText(), u"Teh");
    // Deleting the annotation a move selected asks nothing about the selection.
    shown.clear();
    w->mnuRemoveAnnotation->trigger();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(essay().text().substr(0, 8), u"Teh dog ");
    EXPECT_EQ(essay().colourAt(0), clBlack);
}

TEST_F(KeyboardMarkingTest, MovesStepThroughComments) {
    essay().select(4, 3);
    w->spdAddCommentClick();
    essay().select(0, 0);
    w->MarkRichEdit->setFocus();
    press(QStringLiteral("Alt+PgDown"));
    EXPECT_EQ(essay().selText(), u"dog");
    press(QStringLiteral("Alt+PgDown"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("There are no more comments after the caret."));
    w->MarkRichEdit->setFocus();
    press(QStringLiteral("Alt+PgUp"));
    ASSERT_EQ(shown.size(), 2u);
    essay().select(essay().length(), 0);
    w->mnuPreviousComment->trigger();
    EXPECT_EQ(essay().selText(), u"dog");
}

TEST_F(KeyboardMarkingTest, TheEditorGivesKeysRefusesClashesAndTheKeysAreKeptPerButtonFile) {
    auto* editor = new TfrmAnnButtons(*w, settings, w.get());
    editor->show();
    editor->btnErr[2]->click(); // entry 3, Cap
    EXPECT_EQ(editor->editKey->keySequence().toString(QKeySequence::PortableText),
              QStringLiteral("Alt+3"));

    EXPECT_FALSE(editor->setCurrentKey(QStringLiteral("Ctrl+S")));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("The key Ctrl+S is already the shortcut of the menu "
                                            "command \"Save\". Please choose another key for "
                                            "this button."));
    EXPECT_FALSE(editor->setCurrentKey(QStringLiteral("Alt+F")));
    EXPECT_TRUE(shown.back().text.startsWith(QStringLiteral("The key Alt+F opens the \"File\" menu.")));
    EXPECT_FALSE(editor->setCurrentKey(QStringLiteral("Ctrl+9")));
    EXPECT_TRUE(shown.back().text.contains(QStringLiteral("\"Sp\" (button 19)")));
    EXPECT_FALSE(editor->setCurrentKey(QStringLiteral("Ctrl+PgDown")));
    EXPECT_TRUE(shown.back().text.contains(QStringLiteral("\"Next Essay\"")));
    EXPECT_FALSE(editor->setCurrentKey(QStringLiteral("Q")));
    EXPECT_EQ(editor->keys().key(3), "Alt+3"); // unchanged by every refusal
    EXPECT_EQ(editor->editKey->keySequence().toString(QKeySequence::PortableText),
              QStringLiteral("Alt+3"));

    // A key typed into the field.
    shown.clear();
    editor->editKey->setFocus();
    QTest::keyClick(editor->editKey, Qt::Key_J, Qt::ControlModifier);
    QTest::qWait(1200); // the field ends its sequence after a pause
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(editor->keys().key(3), "Ctrl+J");
    editor->btnClearKey->click();
    EXPECT_EQ(editor->keys().key(3), "");
    ASSERT_TRUE(editor->setCurrentKey(QStringLiteral("Ctrl+J")));

    // Accepted: the marking window uses it, and the store keeps it for the file.
    editor->btnErr[18]->click();
    editor->editShortDesc->setText(QStringLiteral("Spell")); // no nested labels
    editor->btnOKClick();
    EXPECT_EQ(w->buttonKeys().key(3), "Ctrl+J");
    EXPECT_TRUE(w->btnErr[2]->toolTip().contains(QStringLiteral("J")));
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(w->actButtonKey[2]->shortcut(), QKeySequence(QStringLiteral("Ctrl+J")));
    essay().select(0, 3);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    w->MarkRichEdit->setFocus();
    press(QStringLiteral("Ctrl+J"));
    EXPECT_EQ(essay().text().substr(0, 17), u"TehCapitalization");
    EXPECT_EQ(w->storedButtonKeys(w->buttonFilePath()).key(3), "Ctrl+J");
    EXPECT_EQ(w->storedButtonKeys(w->buttonFilePath() + "x").key(3), "Alt+3");
    // The button file itself holds no keys.
    const std::string file = TempFolder::read(w->buttonFilePath());
    EXPECT_EQ(file.find("Ctrl+J"), std::string::npos);
}

} // namespace
