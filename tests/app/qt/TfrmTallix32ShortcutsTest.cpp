// The menu shortcuts of the marking window reach their commands whichever field
// has the focus, and the fields keep the editing keys no menu command uses.
#include "app/TfrmTallix32.h"
#include "document/qt/MarkRichEdit.h"
#include "library/TfrmDatabase.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"
#include "stats/TfrmErrors.h"

#include "TestFiles.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tallix;
using tallix::testing::TempFolder;

namespace {

class WindowShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
        w = std::make_unique<TfrmTallix32>(settings);
        w->show();
        QApplication::processEvents();
        w->activateWindow();
        w->document().essay().setText(u"One two three.");
        w->createLibraryWindows();
        shown.clear();
    }
    void TearDown() override {
        w->document().documentChanged = false;
        w->close();
        w.reset();
        qunsetenv("TALLIX32_HOME");
    }

    // Presses Ctrl+key in field; returns the modal window that opened, if any
    // (closed again at once).
    QWidget* pressCtrl(QWidget* field, Qt::Key key) {
        // A window that was open a moment ago may have taken the activation.
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        field->setFocus();
        QApplication::processEvents();
        QWidget* opened = nullptr;
        QTimer::singleShot(0, [&] {
            opened = QApplication::activeModalWidget();
            if (opened)
                opened->close();
        });
        QTest::keyClick(field, key, Qt::ControlModifier);
        QApplication::processEvents();
        return opened;
    }

    // Puts the focus in the grade box, its text grade, the caret at its end.
    void focusGrade(const QString& grade) {
        w->editGrade->setFocus();
        w->editGrade->setText(grade);
        w->editGrade->end(false);
        QApplication::processEvents();
        ASSERT_TRUE(w->editGrade->hasFocus());
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

} // namespace

TEST_F(WindowShortcutsTest, MenuKeysInTheGradeBoxRunTheirCommandsAndEraseNothing) {
    focusGrade(QStringLiteral("75%"));

    EXPECT_FALSE(w->frmErrors->isVisible());
    pressCtrl(w->editGrade, Qt::Key_E);
    EXPECT_TRUE(w->frmErrors->isVisible());
    w->frmErrors->hide();
    w->activateWindow();
    w->editGrade->setFocus();
    EXPECT_EQ(w->editGrade->text(), QStringLiteral("75%"));

    pressCtrl(w->editGrade, Qt::Key_W); // Count Words
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].type, MessageType::Information);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("3"))) << shown[0].text.toStdString();

    // Useful Links is a modal window.
    EXPECT_EQ(pressCtrl(w->editGrade, Qt::Key_U), w->frmDatabase);
    EXPECT_NE(w->frmDatabase, nullptr);
    EXPECT_EQ(w->editGrade->text(), QStringLiteral("75%"));

    // Typing and the field's own keys still work: Ctrl+A selects, Ctrl+C, X and V
    // are the Edit menu's, which act on the grade box.
    QTest::keyClicks(w->editGrade, QStringLiteral("5"));
    EXPECT_EQ(w->editGrade->text(), QStringLiteral("75%5"));
    QTest::keyClick(w->editGrade, Qt::Key_Backspace);
    QApplication::clipboard()->clear();
    pressCtrl(w->editGrade, Qt::Key_A);
    EXPECT_EQ(w->editGrade->selectedText(), QStringLiteral("75%"));
    pressCtrl(w->editGrade, Qt::Key_C);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("75%"));
    w->document().documentChanged = false;
    pressCtrl(w->editGrade, Qt::Key_X);
    EXPECT_EQ(w->editGrade->text(), QString());
    EXPECT_EQ(w->document().grade, u"");
    EXPECT_TRUE(w->document().documentChanged);
    pressCtrl(w->editGrade, Qt::Key_V);
    EXPECT_EQ(w->editGrade->text(), QStringLiteral("75%"));
    EXPECT_EQ(w->document().grade, u"75%");
    // Ctrl+Del is the menu's Delete: the selection only, never the next letter.
    w->editGrade->setCursorPosition(0);
    pressCtrl(w->editGrade, Qt::Key_Delete);
    EXPECT_EQ(w->editGrade->text(), QStringLiteral("75%"));
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(WindowShortcutsTest, MenuKeysInTheNotesMemoRunTheirCommands) {
    w->mnuShowFeedbackClick(1);
    QApplication::processEvents();
    ASSERT_TRUE(w->mmoNotes->isVisible());
    w->mmoNotes->setFocus();
    QTest::keyClicks(w->mmoNotes, QStringLiteral("Well argued"));
    const QString typed = w->mmoNotes->toPlainText();
    ASSERT_EQ(typed, QStringLiteral("Well argued"));

    pressCtrl(w->mmoNotes, Qt::Key_E);
    EXPECT_TRUE(w->frmErrors->isVisible());
    w->frmErrors->hide();
    w->activateWindow();
    w->mmoNotes->setFocus();
    EXPECT_EQ(w->mmoNotes->toPlainText(), typed);
    EXPECT_EQ(w->mmoNotes->textCursor().position(), typed.size());
    EXPECT_EQ(pressCtrl(w->mmoNotes, Qt::Key_U), w->frmDatabase);
    EXPECT_NE(w->frmDatabase, nullptr);
    EXPECT_EQ(w->mmoNotes->toPlainText(), typed);

    // Ctrl+A stays the memo's; Ctrl+X is the menu's Cut, which acts on the memo;
    // Ctrl+Z is the menu's Undo there.
    pressCtrl(w->mmoNotes, Qt::Key_A);
    EXPECT_EQ(w->mmoNotes->textCursor().selectedText(), typed);
    pressCtrl(w->mmoNotes, Qt::Key_X);
    EXPECT_EQ(w->mmoNotes->toPlainText(), QString());
    EXPECT_EQ(QApplication::clipboard()->text(), typed);
    pressCtrl(w->mmoNotes, Qt::Key_Z);
    EXPECT_EQ(w->mmoNotes->toPlainText(), typed);
}

TEST_F(WindowShortcutsTest, EveryMenuShortcutReachesTheWindowFromEveryField) {
    w->mnuShowComments->trigger();
    QApplication::processEvents();
    for (QWidget* field : {static_cast<QWidget*>(w->editGrade), static_cast<QWidget*>(w->mmoNotes),
                           static_cast<QWidget*>(w->MarkRichEdit)}) {
        for (QAction* a : w->menuBar()->findChildren<QAction*>()) {
            if (a->shortcut().isEmpty() || !a->isEnabled())
                continue;
            SCOPED_TRACE(field->objectName().toStdString() + " " +
                         a->shortcut().toString().toStdString());
            field->setFocus();
            QApplication::processEvents();
            const QKeyCombination key = a->shortcut()[0];
            QKeyEvent probe(QEvent::ShortcutOverride, key.key(), key.keyboardModifiers());
            probe.ignore();
            QApplication::sendEvent(field, &probe);
            EXPECT_FALSE(probe.isAccepted());
        }
    }
}
