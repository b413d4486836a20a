// The marking window driven through its controls, as a teacher would use it.
#include "app/TfrmTallix32.h"
#include "document/qt/FindDialog.h"
#include "document/qt/MarkRichEdit.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"

#include "TestFiles.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>

using namespace tallix;
using tallix::testing::TempFolder;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// The next scripted answer, or nothing (the dialog was cancelled).
std::optional<QString> next(std::deque<QString>& answers) {
    if (answers.empty())
        return std::nullopt;
    QString a = answers.front();
    answers.pop_front();
    return a;
}

// Everything a window test needs: its own settings file and program folder, and
// scripted answers for message boxes, input boxes and file dialogs.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
    }
    void TearDown() override { qunsetenv("TALLIX32_HOME"); }

    std::unique_ptr<TfrmTallix32> makeWindow(const QString& open = {}) {
        auto w = std::make_unique<TfrmTallix32>(settings, open);
        return w;
    }

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
    ScopedFileHandler fileDialogs{[this](const FileRequest&) { return next(files); }};
    ScopedInputHandler inputBoxes{[this](const InputRequest&) { return next(inputs); }};
};

int position(TfrmTallix32& w, std::u16string_view text) {
    return int(w.document().essay().text().find(text));
}

} // namespace

TEST_F(MainWindowTest, AFirstStartUsesTheDefaults) {
    auto w = makeWindow();
    w->show();
    QApplication::processEvents();
    EXPECT_EQ(w->centralWidget()->width(), 622);
    EXPECT_EQ(w->centralWidget()->height(), 429);
    EXPECT_FALSE(w->isMaximized());
    EXPECT_EQ(w->mmoNotes->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(w->mmoNotes->font().pointSize(), 8);
    EXPECT_EQ(w->statusPanels[2]->text(), QStringLiteral("Config: default.cfg"));
    EXPECT_EQ(w->statusPanels[0]->text(), QStringLiteral("Button File: default.btn"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tallix32 [Untitled]"));
    EXPECT_EQ(w->editGrade->text(), QStringLiteral("??%"));
    EXPECT_FALSE(w->mnuLastFileDivider->isVisible());
    EXPECT_EQ(w->btnErr[18]->text(), QStringLiteral("Sp"));
    EXPECT_FALSE(w->btnErr[18]->toolTip().isEmpty());
    EXPECT_EQ(w->findChild<QPushButton*>(QStringLiteral("btnGood1"))->geometry(),
              QRect(8, 248, 37, 33));
    EXPECT_EQ(w->pnlButtons->width(), 158);
    EXPECT_FALSE(w->spdUndo->isEnabled());
    EXPECT_FALSE(w->spdDeleteComment->isEnabled());
    EXPECT_TRUE(w->spdAlignLeft->isChecked());
    // Every export command works.
    EXPECT_TRUE(w->mnuExportRTF->isEnabled());
    EXPECT_TRUE(w->mnuExportText->isEnabled());
    EXPECT_TRUE(w->mnuExportWeb->isEnabled());
    w->document().documentChanged = false;
    w->close();
}

TEST_F(MainWindowTest, SettingsAreWrittenOnCloseAndReadBack) {
    {
        auto w = makeWindow();
        w->show();
        w->resize(800, 600);
        w->move(40, 50);
        QFont f(QStringLiteral("Liberation Serif"));
        f.setPointSize(11);
        f.setBold(true);
        f.setItalic(true);
        w->mmoNotes->setFont(f);
        w->document().recentFiles.update("/essays/one.tlx");
        ASSERT_TRUE(w->close());
    }
    EXPECT_EQ(settings.readInteger("MainForm", "State", -1), 0);
    EXPECT_EQ(settings.readString("FilePaths", "LastFile1", {}), QStringLiteral("/essays/one.tlx"));
    EXPECT_TRUE(settings.readBool("Fonts", "FeedbackBold", false));
    {
        auto w = makeWindow();
        w->show();
        QApplication::processEvents();
        EXPECT_EQ(w->centralWidget()->width(), settings.readInteger("MainForm", "ClientWidth", 0));
        EXPECT_TRUE(w->mmoNotes->font().bold());
        EXPECT_TRUE(w->mmoNotes->font().italic());
        EXPECT_EQ(w->mmoNotes->font().pointSize(), 11);
        EXPECT_TRUE(w->mnuLastFile[0]->isVisible());
        EXPECT_EQ(w->mnuLastFile[0]->text(), QStringLiteral("one.tlx"));
        w->showMaximized();
        QApplication::processEvents();
        const int width = settings.readInteger("MainForm", "ClientWidth", 0);
        ASSERT_TRUE(w->close());
        // Closing maximised keeps the last normal size and stores only the state.
        EXPECT_EQ(settings.readInteger("MainForm", "State", 0), 1);
        EXPECT_EQ(settings.readInteger("MainForm", "ClientWidth", 0), width);
    }
}

TEST_F(MainWindowTest, TheWholeMarkingFlowSurvivesSaveAndReopen) {
    const std::string essay =
        home.write("essay.txt", "Their is a problem with the essay.\r\nIt ends here.");
    const std::string marked = home.file("essay.tlx");
    auto w = makeWindow();
    w->show();

    files = {q(essay)};
    w->mnuImportTextFile->trigger();
    RichTextBuffer& b = w->document().essay();
    ASSERT_EQ(b.text(), u"Their is a problem with the essay.\r\nIt ends here.");
    EXPECT_EQ(w->MarkRichEdit->document()->toPlainText(),
              QStringLiteral("Their is a problem with the essay.\nIt ends here."));

    // Annotate "Their" as a spelling error with the button.
    b.select(0, 5);
    QTest::mouseClick(w->btnErr[18], Qt::LeftButton);
    EXPECT_EQ(b.text().substr(0, 7), u"TheirSp");
    EXPECT_EQ(b.colourAt(5), clRed);
    EXPECT_EQ(b.formatAt(5).offsetTwips, 60);
    EXPECT_TRUE(shown.empty());

    // Add a comment on "problem" and type it into the memo.
    b.select(position(*w, u"problem"), 7);
    w->spdAddComment->click();
    EXPECT_TRUE(w->mmoNotes->isVisible());
    EXPECT_TRUE(w->spinComments->isVisible());
    EXPECT_EQ(w->pnlNotes->text(), QStringLiteral("Comments"));
    EXPECT_TRUE(w->spdComment->isChecked());
    EXPECT_TRUE(w->mnuShowComments->isChecked());
    w->mmoNotes->setFocus();
    QTest::keyClicks(w->mmoNotes, QStringLiteral("Give an example."));

    // Feedback 1 and the grade.
    w->spdFeedback1->click();
    EXPECT_EQ(w->pnlNotes->text(), QStringLiteral("Feedback 1"));
    EXPECT_FALSE(w->spinComments->isVisible());
    EXPECT_FALSE(w->spdComment->isChecked());
    QTest::keyClicks(w->mmoNotes, QStringLiteral("Good work."));
    w->editGrade->setFocus();
    w->editGrade->selectAll();
    QTest::keyClicks(w->editGrade, QStringLiteral("B+"));
    EXPECT_TRUE(w->document().documentChanged);

    files = {q(marked)};
    w->mnuSave->trigger(); // untitled: asks for a name
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tallix32: 'essay.tlx'"));
    EXPECT_FALSE(w->document().documentChanged);
    EXPECT_TRUE(w->mnuLastFile[0]->isVisible());

    w->mnuNew->trigger();
    EXPECT_EQ(b.length(), 0);
    EXPECT_EQ(w->editGrade->text(), QStringLiteral("??%"));
    EXPECT_FALSE(w->mmoNotes->isVisible());

    w->mnuLastFile[0]->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(w->document().documentChanged); // loading is not an edit
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tallix32: 'essay.tlx'"));
    EXPECT_EQ(b.text().substr(0, 7), u"TheirSp");
    EXPECT_EQ(w->document().commentTexts, std::vector<std::u16string>{u"Give an example."});
    EXPECT_EQ(w->document().feedback1Text, u"Good work.");
    EXPECT_EQ(w->editGrade->text(), QStringLiteral("B+"));
    EXPECT_EQ(w->spinComments->maximum(), 1);
    EXPECT_TRUE(w->spdDeleteComment->isEnabled());
    // The memo still shows Feedback 1: it got the loaded text.
    EXPECT_EQ(w->mmoNotes->toPlainText(), QStringLiteral("Good work."));

    // Delete the annotation from inside its span, then the comment.
    b.setSelStart(2);
    w->spdDeleteAnnotation->click();
    EXPECT_EQ(b.text().substr(0, 7), u"Their i");
    inputs = {QStringLiteral("1")};
    w->spdDeleteComment->click();
    EXPECT_TRUE(w->document().commentTexts.empty());
    EXPECT_FALSE(w->spdDeleteComment->isEnabled());

    answers = {Button::No};
    EXPECT_TRUE(w->close());
}

TEST_F(MainWindowTest, TheSaveChangesQuestionOnNewOpenAndClose) {
    const std::string other = home.write("other.tlx", "{\\rtf1 Other essay.}");
    auto w = makeWindow();
    w->show();
    RichTextBuffer& b = w->document().essay();
    b.setText(u"Unsaved work");
    ASSERT_TRUE(w->document().documentChanged);

    answers = {Button::Cancel};
    w->mnuNew->trigger();
    EXPECT_EQ(b.text(), u"Unsaved work");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("The text has changed.\n\nDo you want to save the changes?"));
    EXPECT_EQ(shown[0].helpContext, 14000);

    files = {q(other)};
    answers = {Button::Cancel};
    w->mnuOpen->trigger();
    EXPECT_EQ(b.text(), u"Unsaved work");

    answers = {Button::Cancel};
    EXPECT_FALSE(w->close());

    files = {q(other)};
    answers = {Button::No};
    w->mnuOpen->trigger();
    EXPECT_EQ(b.text(), u"Other essay.");

    b.setText(u"Changed again");
    answers = {Button::Yes}; // titled: saved to its own file without a dialog
    EXPECT_TRUE(w->close());
    MarkedDocument reread;
    ASSERT_TRUE(reread.loadTlxFile(other).ok);
    EXPECT_EQ(reread.essay().text(), u"Changed again");
}

TEST_F(MainWindowTest, AMarkedFileOnTheCommandLineOpensWhenShown) {
    const std::string path = home.write("arg.tlx", "{\\rtf1 From the command line.}");
    auto w = makeWindow(q(path));
    EXPECT_EQ(w->document().essay().length(), 0);
    w->show();
    QApplication::processEvents();
    EXPECT_EQ(w->document().essay().text(), u"From the command line.");
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tallix32: 'arg.tlx'"));
    w->close();
}

TEST_F(MainWindowTest, TheLayoutFollowsTheWindowSize) {
    auto w = makeWindow();
    w->show();
    w->resize(900, 700);
    QApplication::processEvents();
    const int t = w->StatusBar1->y();
    const int b = w->pnlButtons->x() - 4;
    EXPECT_EQ(w->pnlButtons->x() + w->pnlButtons->width(), w->centralWidget()->width());
    EXPECT_EQ(w->MarkRichEdit->width(), b);
    EXPECT_EQ(w->MarkRichEdit->y() + w->MarkRichEdit->height(), t - 3);
    w->document().essay().setText(u"x y");
    w->document().essay().setSelStart(1);
    w->spdAddComment->click();
    EXPECT_EQ(w->pnlNotes->y(), t - 98);
    EXPECT_EQ(w->MarkRichEdit->y() + w->MarkRichEdit->height(), w->pnlNotes->y() - 3);
    EXPECT_EQ(w->mmoNotes->y(), w->pnlNotes->y() + w->pnlNotes->height() + 1);
    EXPECT_EQ(w->mmoNotes->y() + w->mmoNotes->height(), t - 1);
    EXPECT_EQ(w->mmoNotes->x(), w->spinComments->x() + w->spinComments->width() + 5);
    answers = {Button::No};
    w->close();
}

TEST_F(MainWindowTest, ShrinkingStopsWhereTheToolbarButtonsAndGradeStayInView) {
    // A stored size far too small, then a resize smaller still.
    settings.writeInteger(QStringLiteral("MainForm"), QStringLiteral("ClientWidth"), 120);
    settings.writeInteger(QStringLiteral("MainForm"), QStringLiteral("ClientHeight"), 90);
    auto w = makeWindow();
    w->show();
    w->resize(50, 50);
    QApplication::processEvents();
    QWidget* client = w->centralWidget();
    const QRect area = client->rect();
    auto inView = [&](const QWidget* c) {
        const QRect r(c->mapTo(client, QPoint(0, 0)), c->size());
        return area.contains(r) && c->isVisibleTo(w.get());
    };
    for (const QToolButton* b : w->pnlToolbar->findChildren<QToolButton*>())
        EXPECT_TRUE(inView(b)) << b->objectName().toStdString();
    for (const QPushButton* b : w->btnErr)
        EXPECT_TRUE(inView(b)) << b->objectName().toStdString();
    for (const QPushButton* b : w->btnGood)
        EXPECT_TRUE(inView(b)) << b->objectName().toStdString();
    EXPECT_TRUE(inView(w->editGrade));
    EXPECT_TRUE(inView(w->lblGrade));
    // The status bar stays below the grade box, and the essay keeps some width.
    EXPECT_GE(w->StatusBar1->y(), w->editGrade->mapTo(client, QPoint(0, 0)).y() +
                                      w->editGrade->height());
    EXPECT_GT(w->MarkRichEdit->width(), 100);
    answers = {Button::No};
    w->close();
}

TEST_F(MainWindowTest, TheGuardBookmarksFindAndGoToLineWorkThroughTheWindow) {
    auto w = makeWindow();
    w->show();
    RichTextBuffer& b = w->document().essay();
    b.setText(u"Their cat sat.\r\nSecond line here.\r\nThird line.");
    b.select(0, 5);
    QTest::mouseClick(w->btnErr[18], Qt::LeftButton); // "TheirSp"
    w->MarkRichEdit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(w->statusPanels[1]->text(), QStringLiteral("Line: 0"));

    // Typing right after the label is refused with the message; arrows still move.
    b.setSelStart(7);
    w->MarkRichEdit->showSelectionNow();
    QTest::keyClick(w->MarkRichEdit, Qt::Key_X);
    EXPECT_EQ(b.text().substr(0, 9), u"TheirSp c");
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text,
              QStringLiteral("You can't alter annotated text. Delete the annotation or comment first."));
    EXPECT_EQ(shown.back().helpContext, 8000);
    QTest::keyClick(w->MarkRichEdit, Qt::Key_Right);
    EXPECT_EQ(b.selStart(), 8);
    QTest::keyClicks(w->MarkRichEdit, QStringLiteral("fat "));
    EXPECT_EQ(b.text().substr(0, 13), u"TheirSp fat c");
    EXPECT_EQ(b.colourAt(9), clBlack);

    // A bookmark from the menu, named by the input box.
    b.setSelStart(b.lineStart(1));
    inputs = {QStringLiteral("second")};
    w->mnuAddBookmark->trigger();
    EXPECT_TRUE(w->mnuBook[0]->isVisible());
    EXPECT_EQ(w->mnuBook[0]->text(), QStringLiteral("&1: second"));
    b.setSelStart(0);
    w->mnuBook[0]->trigger();
    EXPECT_EQ(b.selStart(), b.lineStart(1));

    // Find steps through the matches; go to line puts the caret on the line.
    b.setSelStart(0);
    w->FindDialog1->setFindText(QStringLiteral("line"));
    w->mnuFindAgain->trigger();
    EXPECT_EQ(b.selText(), u"line");
    const int first = b.selStart();
    w->mnuFindAgain->trigger();
    EXPECT_GT(b.selStart(), first);
    inputs = {QStringLiteral("2")};
    w->mnuGoToLine->trigger();
    EXPECT_EQ(b.selStart(), b.lineStart(2));

    // A new document drops the bookmarks and hides their menu items.
    answers = {Button::No};
    w->mnuNew->trigger();
    EXPECT_FALSE(w->mnuBook[0]->isVisible());
    w->close();
}

TEST_F(MainWindowTest, FileImportPdfFileReadsThePdfAndRefusesAScanWithItsMessage) {
    // tests/data beside this file's folder
    // The test files' folder by its absolute path: __FILE__ may be relative to the
    // build folder when the compiler cache rewrote it.
    const QString data = QStringLiteral(TALLIX_TEST_DATA);
    auto w = makeWindow();
    w->show();
    QAction* item = w->findChild<QAction*>(QStringLiteral("mnuImportPDF"));
    ASSERT_EQ(item, w->mnuImportPDF);
    EXPECT_EQ(item->text(), QStringLiteral("&PDF File..."));
    std::vector<FileRequest> asked;
    ScopedFileHandler pdfFiles{[&](const FileRequest& r) {
        asked.push_back(r);
        return next(files);
    }};
    files = {data + QStringLiteral("/pdf/libreoffice-lists-essay.pdf")};
    item->trigger();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, QStringLiteral("Import PDF File"));
    EXPECT_EQ(asked[0].filter, QStringLiteral("PDF files (*.pdf)|*.pdf"));
    EXPECT_EQ(asked[0].helpContext, tlx::ImportPdfHelpContext);
    EXPECT_EQ(w->document().essay().text().substr(0, 16), u"The Essay Title\r");
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tallix32 [Untitled]"));

    // A scan is refused; the essay on screen stays, unasked.
    const std::u16string before = w->document().essay().text();
    const QString scan = data + QStringLiteral("/pdf/scanned-essay.pdf");
    files = {scan};
    answers = {Button::No}; // the question about the unsaved import
    item->trigger();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, "\"" + scan + "\" holds no text to mark: it may be a scanned image.");
    EXPECT_EQ(shown.back().helpContext, tlx::ImportPdfHelpContext);
    EXPECT_EQ(w->document().essay().text(), before);
    w->document().documentChanged = false;
    w->close();
}
