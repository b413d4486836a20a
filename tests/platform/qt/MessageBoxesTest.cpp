#include "platform/qt/MessageBoxes.h"

#include "platform/qt/HelpViewer.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace tallix;

namespace {

// Runs action on the modal box once it is up, while the caller sits in its loop.
void whenBoxIsUp(std::function<void(QDialog*)> action) {
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [action, poll] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            if (box->isVisible()) {
                action(box);
                return;
            }
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

QStringList buttonTexts(QDialog* box) {
    QStringList texts;
    for (QPushButton* b : box->findChildren<QPushButton*>())
        texts << b->text();
    return texts;
}

TEST(MessageBoxesTest, HandlerSeesEveryBoxAndGivesTheAnswer) {
    std::vector<MessageRequest> seen;
    ScopedMessageHandler handler([&](const MessageRequest& r) {
        seen.push_back(r);
        return r.buttons.testFlag(Button::No) ? Button::No : Button::Ok;
    });

    EXPECT_EQ(showMessage(nullptr, "The text has changed.\r\r\nSave?", MessageType::Confirmation,
                          buttons::YesNoCancelHelp, 14000),
              Button::No);
    Message core{u"You can't overlap annotations.", MessageType::Warning, 9000};
    EXPECT_EQ(showMessage(nullptr, core, buttons::OkHelp), Button::Ok);
    reportError(nullptr, "'x' is not a valid integer value");
    showPlainMessage(nullptr, "Text not found");

    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].kind, MessageKind::Message);
    EXPECT_EQ(seen[0].text, "The text has changed.\r\r\nSave?"); // as given
    EXPECT_EQ(seen[0].type, MessageType::Confirmation);
    EXPECT_EQ(seen[0].title, "Confirm");
    EXPECT_EQ(seen[0].buttons, buttons::YesNoCancelHelp);
    EXPECT_EQ(seen[0].helpContext, 14000);

    EXPECT_EQ(seen[1].text, "You can't overlap annotations.");
    EXPECT_EQ(seen[1].type, MessageType::Warning);
    EXPECT_EQ(seen[1].title, "Warning");
    EXPECT_EQ(seen[1].helpContext, 9000);
    EXPECT_EQ(seen[1].buttons, Button::Ok | Button::Help);

    EXPECT_EQ(seen[2].kind, MessageKind::ErrorReport);
    EXPECT_EQ(seen[2].type, MessageType::Error);
    EXPECT_EQ(seen[2].buttons, buttons::Ok);
    EXPECT_EQ(seen[2].title, "Tallix32");

    EXPECT_EQ(seen[3].kind, MessageKind::Plain);
    EXPECT_EQ(seen[3].text, "Text not found");
}

TEST(MessageBoxesTest, ClosingWithoutAButtonAnswersCancelElseNoElseOk) {
    EXPECT_EQ(escapeAnswer(buttons::YesNoCancelHelp), Button::Cancel);
    EXPECT_EQ(escapeAnswer(buttons::OkCancelHelp), Button::Cancel);
    EXPECT_EQ(escapeAnswer(buttons::YesNo), Button::No);
    EXPECT_EQ(escapeAnswer(buttons::OkHelp), Button::Ok);
}

TEST(MessageBoxesTest, TheBoxShowsPlainTextAndItsButtonsAndReturnsThePressedOne) {
    QString shownText;
    QStringList shownButtons;
    QString title;
    whenBoxIsUp([&](QDialog* box) {
        title = box->windowTitle();
        shownText = box->findChild<QLabel*>("lblMessage")->text();
        shownButtons = buttonTexts(box);
        box->findChild<QPushButton*>("btnNo")->click();
    });
    const Button answer = showMessage(nullptr, "Save <b>essay</b>?\r\n\r\nReally?",
                                      MessageType::Confirmation, buttons::YesNoCancelHelp, 14000);
    EXPECT_EQ(answer, Button::No);
    EXPECT_EQ(title, "Confirm");
    EXPECT_EQ(shownText, "Save <b>essay</b>?\n\nReally?"); // tags shown, not obeyed
    EXPECT_EQ(shownButtons, (QStringList{"&Yes", "&No", "Cancel", "&Help"}));

    whenBoxIsUp([](QDialog* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(showMessage(nullptr, "Go on?", MessageType::Confirmation, buttons::YesNoCancel, 0),
              Button::Cancel);

    whenBoxIsUp([](QDialog* box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_EQ(showMessage(nullptr, "Go on?", MessageType::Confirmation, buttons::YesNo, 0),
              Button::Yes); // the default button
}

TEST(MessageBoxesTest, HelpButtonOpensTheTopicAndLeavesTheBoxOpen) {
    bool boxStillOpen = false;
    QString topicTitle;
    QString afterContentsClick;
    whenBoxIsUp([&](QDialog* box) {
        box->findChild<QPushButton*>("btnHelp")->click();
        HelpViewer* viewer = HelpViewer::instance();
        topicTitle = viewer->isVisible() ? viewer->currentTitle() : QString();
        boxStillOpen = box->isVisible() && QApplication::activeModalWidget() == box;
        // The help window can be used while the box is up: a click that comes through
        // the window system (where modality is enforced) reaches it.
        const QPoint at = viewer->btnContents->mapTo(viewer, viewer->btnContents->rect().center());
        QTest::mouseClick(viewer->windowHandle(), Qt::LeftButton, {}, at);
        afterContentsClick = viewer->currentPage();
        box->findChild<QPushButton*>("btnOK")->click();
    });
    const Button answer =
        showMessage(nullptr, "You can't overlap annotations or comments.", MessageType::Warning,
                    buttons::OkHelp, 10000);
    EXPECT_EQ(answer, Button::Ok);
    EXPECT_TRUE(boxStillOpen);
    EXPECT_EQ(topicTitle, "Comments, feedback and the grade");
    EXPECT_EQ(afterContentsClick, "contents.html");
    HelpViewer::instance()->hide();
}

TEST(MessageBoxesTest, F1OpensTheBoxTopicWithOrWithoutAHelpButtonAndLeavesTheBoxOpen) {
    struct Seen {
        QString page;
        bool boxStillOpen = false;
    };
    auto pressF1 = [](Seen& seen) {
        whenBoxIsUp([&seen](QDialog* box) {
            HelpViewer::instance()->hide();
            QTest::keyClick(box, Qt::Key_F1);
            HelpViewer* viewer = HelpViewer::instance();
            seen.page = viewer->isVisible() ? viewer->currentPage() : QString();
            seen.boxStillOpen = box->isVisible();
            box->findChild<QPushButton*>("btnOK")->click();
        });
    };
    // The recovery question's topic: F1 works where the box shows no Help button.
    Seen withoutButton;
    pressF1(withoutButton);
    EXPECT_EQ(showMessage(nullptr, "The work could not be restored.", MessageType::Warning,
                          buttons::Ok, 42000),
              Button::Ok);
    EXPECT_EQ(withoutButton.page, "recovery.html");
    EXPECT_TRUE(withoutButton.boxStillOpen);

    Seen withButton;
    pressF1(withButton);
    showMessage(nullptr, "Unable to import the file.", MessageType::Warning, buttons::OkHelp, 42100);
    EXPECT_EQ(withButton.page, "import-word.html");
    EXPECT_TRUE(withButton.boxStillOpen);

    // A box without a topic of its own opens the contents.
    Seen noContext;
    pressF1(noContext);
    showMessage(nullptr, "Done.", MessageType::Information, buttons::Ok, 0);
    EXPECT_EQ(noContext.page, "contents.html");
    HelpViewer::instance()->hide();
}

TEST(MessageBoxesTest, InputBoxGivesTheTypedTextOrNothingOnCancel) {
    {
        std::vector<InputRequest> seen;
        ScopedInputHandler handler([&](const InputRequest& r) -> std::optional<QString> {
            seen.push_back(r);
            return QStringLiteral("3");
        });
        EXPECT_EQ(askText(nullptr, "Delete comment", "Which number would you like to delete?", "0"),
                  std::optional<QString>("3"));
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].title, "Delete comment");
        EXPECT_EQ(seen[0].prompt, "Which number would you like to delete?");
        EXPECT_EQ(seen[0].defaultText, "0");
    }

    QString shownDefault;
    whenBoxIsUp([&](QDialog* box) {
        auto* edit = box->findChild<QLineEdit*>("editAnswer");
        shownDefault = edit->text();
        QTest::keyClicks(edit, "12"); // the default is selected, so typing replaces it
        box->findChild<QPushButton*>("btnOK")->click();
    });
    EXPECT_EQ(askText(nullptr, "Go to line number...", "What line number?", "0"),
              std::optional<QString>("12"));
    EXPECT_EQ(shownDefault, "0");

    whenBoxIsUp([](QDialog* box) { box->findChild<QPushButton*>("btnCancel")->click(); });
    EXPECT_EQ(askText(nullptr, "Bookmark name", "Please enter a name", "abc"), std::nullopt);
}

TEST(MessageBoxesTest, FileDialogsCanBeAnsweredAndFiltersConvert) {
    EXPECT_EQ(qtFileFilter("Tallix files (*.tlx)|*.tlx"), "Tallix files (*.tlx)");
    EXPECT_EQ(qtFileFilter("Tallix files (*.tlx)|*.tlx|Rich Text Format files (*.rtf)|*.rtf"),
              "Tallix files (*.tlx);;Rich Text Format files (*.rtf)");
    EXPECT_EQ(qtFileFilter("bookmark.htm|bookmark.htm"), "bookmark.htm (bookmark.htm)");
    EXPECT_EQ(qtFileFilter("Pictures|*.png;*.jpg"), "Pictures (*.png *.jpg)");

    FileRequest asked;
    ScopedFileHandler handler([&](const FileRequest& r) -> std::optional<QString> {
        asked = r;
        return QStringLiteral("/tmp/essay.tlx");
    });
    FileRequest r;
    r.mode = FileRequest::Mode::Save;
    r.title = "Save Tallix File";
    r.filter = "Tallix files (*.tlx)|*.tlx";
    r.defaultExtension = ".tlx";
    r.confirmOverwrite = true;
    r.helpContext = 14000;
    EXPECT_EQ(askFileName(nullptr, r), std::optional<QString>("/tmp/essay.tlx"));
    EXPECT_EQ(asked.title, "Save Tallix File");
    EXPECT_EQ(asked.mode, FileRequest::Mode::Save);
    EXPECT_TRUE(asked.confirmOverwrite);
    EXPECT_EQ(asked.helpContext, 14000);
}

} // namespace
