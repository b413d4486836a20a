// The button editor driven through its controls, with the marking window it edits
// the set of.
#include "annotations/TfrmAnnButtons.h"

#include "app/TfrmTallix32.h"
#include "platform/qt/HelpViewer.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"

#include "TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

using namespace tallix;
using tallix::testing::TempFolder;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

const QString SpInsideSpace =
    QStringLiteral("The short annotation \"Sp\" appears also INSIDE the short annotation "
                   "\"Space\". This may result in garbled HTML output and miscalculation of "
                   "error statistics. Please change one of the annotations to avoid this.");

class ButtonEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
        main = std::make_unique<TfrmTallix32>(settings);
        main->show();
        editor = new TfrmAnnButtons(*main, settings, main.get());
    }
    void TearDown() override {
        main->document().documentChanged = false;
        main.reset();
        qunsetenv("TALLIX32_HOME");
    }

    // Shows the editor as the menu command does, without its modal loop.
    void open() {
        editor->show();
        editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    }
    void typeInto(QWidget* field, const QString& text) {
        field->setFocus();
        if (auto* line = qobject_cast<QLineEdit*>(field))
            line->selectAll();
        QTest::keyClicks(field, text);
    }
    // Types a new short text for entry 19, so the default set has no nested pair.
    void mendSpelling() {
        editor->btnErr[18]->click();
        typeInto(editor->editShortDesc, QStringLiteral("Spell"));
    }
    std::string shortOf(const AnnotationSet& set, int n) {
        return QString::fromUtf16(set.shortText(n).c_str()).toStdString();
    }

    TempFolder home;
    SettingsStore settings{q(home.file("settings.ini"))};
    std::unique_ptr<TfrmTallix32> main;
    TfrmAnnButtons* editor = nullptr;

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

TEST_F(ButtonEditorTest, TheMenuItemOpensTheEditorOnTheSetInUse) {
    ASSERT_TRUE(main->mnuAnnotationButtons->isEnabled());
    bool sawEditor = false;
    QTimer::singleShot(0, main.get(), [&] {
        TfrmAnnButtons* shownEditor = main->frmAnnButtons;
        ASSERT_TRUE(shownEditor && shownEditor->isVisible());
        sawEditor = true;
        EXPECT_TRUE(shownEditor->isModal());
        EXPECT_EQ(shownEditor->windowTitle(), QStringLiteral("Annotation Buttons"));
        EXPECT_EQ(shownEditor->CurrentEditorButton(), 1);
        EXPECT_EQ(shownEditor->editCaption->text(), QStringLiteral("Agr"));
        EXPECT_EQ(shownEditor->mmoTitle->toPlainText(), QStringLiteral("Default Buttons"));
        EXPECT_EQ(shownEditor->StatusBar1->text(),
                  QStringLiteral("Button File: ") + q(main->buttonFilePath()));
        shownEditor->spdCancel->click();
    });
    main->mnuAnnotationButtons->trigger();
    EXPECT_TRUE(sawEditor);
    TfrmAnnButtons* first = main->frmAnnButtons;
    QTimer::singleShot(0, main.get(), [&] { main->frmAnnButtons->mnuCancel->trigger(); });
    main->mnuAnnotationButtons->trigger();
    EXPECT_EQ(main->frmAnnButtons, first); // made once, then reused
}

TEST_F(ButtonEditorTest, TheDefaultSetAcceptedUnchangedWarnsAndStaysOpen) {
    open();
    int notices = 0;
    main->annotationSet().addListener([&](const AnnotationSet&) { ++notices; });
    editor->btnOK->click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, SpInsideSpace);
    EXPECT_EQ(shown[0].type, MessageType::Warning);
    EXPECT_EQ(shown[0].buttons, buttons::Ok);
    EXPECT_EQ(shown[0].helpContext, 19000);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(main->annotationSet().sameContent(AnnotationSet::builtInDefaults()));
    EXPECT_EQ(notices, 0);

    // Once the pair is mended the same command asks about saving, since a field
    // was typed in, and No closes without writing.
    mendSpelling();
    answers = {Button::No};
    editor->spdOK->click();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, QStringLiteral("Changes will be effective for this session.\n"
                                            "Do you want to save them to disk as well?"));
    EXPECT_EQ(shown[1].type, MessageType::Confirmation);
    EXPECT_EQ(shown[1].buttons, buttons::YesNoCancelHelp);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(editor->result(), QDialog::Accepted);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(shortOf(main->annotationSet(), 19), "Spell");
    EXPECT_FALSE(std::filesystem::exists(main->buttonFilePath()));
}

TEST_F(ButtonEditorTest, InsertAndDeleteKeepToTheirGroup) {
    open();
    const AnnotationSet defaults = AnnotationSet::builtInDefaults();

    editor->btnErr[4]->click(); // entry 5
    editor->btnInsert->click();
    const AnnotationSet& set = editor->editor().set();
    EXPECT_EQ(set.entry(5), AnnotationEntry{});
    EXPECT_EQ(set.entry(6), defaults.entry(5));
    EXPECT_EQ(set.entry(28), defaults.entry(27));
    EXPECT_EQ(editor->btnErr[4]->text(), QString());
    EXPECT_EQ(editor->btnErr[5]->text(), QStringLiteral("Cou"));
    // The hint is the long text, with the button's key after it.
    EXPECT_EQ(editor->btnErr[5]->toolTip(), QStringLiteral("Count/non-count error (Alt+6)"));
    EXPECT_TRUE(editor->editCaption->text().isEmpty() && editor->editShortDesc->text().isEmpty() &&
                editor->mmoLongDesc->toPlainText().isEmpty());
    EXPECT_EQ(editor->CurrentEditorButton(), 5);
    EXPECT_TRUE(editor->btnErr[4]->font().italic());
    EXPECT_FALSE(editor->btnErr[5]->font().italic());

    editor->btnErr[27]->click(); // entry 28: only blanked
    editor->btnInsert->click();
    EXPECT_EQ(set.entry(28), AnnotationEntry{});
    EXPECT_EQ(set.entry(27), defaults.entry(26));

    editor->btnErr[0]->click(); // delete entry 1: the errors move up
    editor->btnDelete->click();
    EXPECT_EQ(set.entry(1), defaults.entry(2));
    EXPECT_EQ(set.entry(4), AnnotationEntry{}); // the blank inserted at 5
    EXPECT_EQ(editor->editCaption->text(), QStringLiteral("Art"));
    EXPECT_EQ(editor->btnErr[0]->text(), QStringLiteral("Art"));

    editor->btnGood[3]->click(); // entry 32
    editor->btnDelete->click();
    EXPECT_EQ(set.entry(32), AnnotationEntry{});
    editor->btnGood[0]->click(); // entry 29: praise moves up, errors stay
    editor->btnDelete->click();
    EXPECT_EQ(set.entry(29), defaults.entry(30));
    EXPECT_EQ(set.entry(30), AnnotationEntry{});
    // The errors are as the error inserts and deletes left them: 26 holds the
    // former 26 (moved down to 27 by the insert at 5, up again by the delete).
    EXPECT_EQ(set.entry(26), defaults.entry(26));
    EXPECT_EQ(set.entry(27), AnnotationEntry{});
    EXPECT_EQ(set.entry(28), AnnotationEntry{});
    EXPECT_EQ(editor->editShortDesc->text(), QStringLiteral("Yes!"));
    EXPECT_TRUE(editor->ButtonSetChanged());
}

TEST_F(ButtonEditorTest, TypingThenInsertDiscardsTheTyping) {
    open();
    editor->btnErr[4]->click();
    typeInto(editor->editCaption, QStringLiteral("Zz"));
    typeInto(editor->editShortDesc, QStringLiteral("Typed")); // leaves the caption field
    EXPECT_EQ(editor->btnErr[4]->text(), QStringLiteral("Zz"));
    typeInto(editor->mmoLongDesc, QStringLiteral("Typed long"));
    QTest::mouseClick(editor->btnInsert, Qt::LeftButton);
    const AnnotationSet& set = editor->editor().set();
    EXPECT_EQ(set.entry(5), AnnotationEntry{});
    EXPECT_EQ(set.entry(6), AnnotationSet::builtInDefaults().entry(5));
    EXPECT_TRUE(editor->editCaption->text().isEmpty());
    EXPECT_TRUE(editor->editCaption->hasFocus());
    EXPECT_EQ(editor->btnErr[4]->text(), QString());
    EXPECT_EQ(editor->btnErr[5]->text(), QStringLiteral("Cou"));
    for (int n = 1; n <= AnnotationEntryCount; ++n)
        EXPECT_NE(set.entry(n).shortText, u"Typed") << n;
}

TEST_F(ButtonEditorTest, FieldsCommitOnSelectingAndTakeTheGroupsColour) {
    open();
    editor->spdHelp->click();
    ASSERT_TRUE(HelpViewer::instance());
    EXPECT_EQ(HelpViewer::instance()->currentPage(), "annotation-buttons.html");
    HelpViewer::instance()->hide();
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    EXPECT_EQ(editor->editShortDesc->palette().color(QPalette::Text), QColor(255, 0, 0));
    editor->btnGood[2]->click(); // entry 31, empty in the default set
    EXPECT_EQ(editor->editShortDesc->palette().color(QPalette::Text), QColor(0, 128, 128));
    EXPECT_EQ(editor->mmoLongDesc->palette().color(QPalette::Text), QColor(0, 128, 128));
    typeInto(editor->editCaption, QStringLiteral("Ex"));
    typeInto(editor->editShortDesc, QStringLiteral("Excellent"));
    typeInto(editor->mmoLongDesc, QStringLiteral("Excellent"));
    QTest::keyClick(editor->mmoLongDesc, Qt::Key_Return); // one line only
    typeInto(editor->mmoLongDesc, QStringLiteral(" work"));
    EXPECT_EQ(editor->mmoLongDesc->toPlainText(), QStringLiteral("Excellent work"));
    editor->btnErr[0]->click();
    EXPECT_EQ(editor->editCaption->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(editor->editor().set().entry(31),
              (AnnotationEntry{u"Ex", u"Excellent", u"Excellent work"}));
    EXPECT_EQ(editor->btnGood[2]->text(), QStringLiteral("Ex"));
    EXPECT_EQ(editor->btnGood[2]->toolTip(), QStringLiteral("Excellent work (Shift+F7)"));
    EXPECT_EQ(editor->lblCaption->palette().color(QPalette::WindowText), QColor(128, 0, 0));

    // Closing without accepting leaves the set in use; the next showing starts
    // from it again.
    editor->spdCancelClick();
    EXPECT_TRUE(main->annotationSet().sameContent(AnnotationSet::builtInDefaults()));
    open();
    EXPECT_TRUE(editor->editor().set().sameContent(AnnotationSet::builtInDefaults()));
    EXPECT_EQ(editor->btnGood[2]->text(), QString());
    EXPECT_FALSE(editor->ButtonSetChanged());
}

TEST_F(ButtonEditorTest, AfterAcceptTheMainWindowFollowsAtOnce) {
    open();
    int notices = 0;
    main->annotationSet().addListener([&](const AnnotationSet&) { ++notices; });
    editor->btnGood[2]->click();
    typeInto(editor->editCaption, QStringLiteral("Ex"));
    typeInto(editor->editShortDesc, QStringLiteral("Excellent"));
    typeInto(editor->mmoLongDesc, QStringLiteral("Excellent work"));
    editor->btnErr[1]->click();
    typeInto(editor->editCaption, QStringLiteral("Ar"));
    // Still typing in entry 2 when OK is pressed: Accept commits the fields.
    answers = {Button::No};
    editor->btnOK->click(); // warns about Sp inside Space, the set is accepted all the same
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, SpInsideSpace);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(main->btnGood[2]->text(), QStringLiteral("Ex"));
    EXPECT_EQ(main->btnGood[2]->toolTip(), QStringLiteral("Excellent work (Shift+F7)"));
    EXPECT_EQ(main->btnErr[1]->text(), QStringLiteral("Ar"));
    EXPECT_EQ(main->annotationSet().shortAnnotations()[31], u"Excellent");
    EXPECT_EQ(main->statusPanels[0]->text(), QStringLiteral("Button File: default.btn"));

    // The new button marks the essay with its label.
    RichTextBuffer& b = main->document().essay();
    b.setText(u"Well put.");
    b.selectAll();
    b.setSelColour(clBlack);
    b.select(0, 4);
    main->btnGood[2]->click();
    EXPECT_EQ(b.text(), u"WellExcellent put.");
    EXPECT_EQ(b.colourAt(4), clTeal);
}

TEST_F(ButtonEditorTest, YesToTheSaveQuestionWritesTheFileInUse) {
    const std::string inUse = main->buttonFilePath();
    ASSERT_EQ(inUse, home.file("default.btn"));
    ASSERT_FALSE(std::filesystem::exists(inUse));
    open();
    mendSpelling();
    answers = {Button::Cancel};
    editor->btnOK->click();
    EXPECT_TRUE(editor->isVisible()); // Cancel: nothing written, still open
    EXPECT_FALSE(std::filesystem::exists(inUse));

    answers = {Button::Yes};
    editor->btnOK->click();
    EXPECT_FALSE(editor->isVisible());
    const std::string text = TempFolder::read(inUse);
    EXPECT_EQ(text.rfind("[Title]\r\nTitle=Default Buttons\r\n[1]\r\nCaption=Agr\r\n", 0), 0u);
    EXPECT_NE(text.find("[19]\r\nCaption=Sp\r\nShort=Spell\r\nLong=Spelling\r\n"),
              std::string::npos);

    // Opened again, nothing typed yet: OK just closes.
    shown.clear();
    open();
    EXPECT_FALSE(editor->ButtonSetChanged());
    editor->btnOK->click();
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(editor->isVisible());
}

TEST_F(ButtonEditorTest, AFileThatCannotBeWrittenKeepsTheWindowAndItsEdits) {
    const std::string nowhere = home.file("gone/sets/mine.btn");
    main->setButtonFilePath(nowhere);
    open();
    mendSpelling();
    answers = {Button::Yes};
    editor->btnOK->click();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].type, MessageType::Error);
    EXPECT_TRUE(shown[1].text.startsWith(QStringLiteral("Unable to write to ") + q(nowhere)));
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->editShortDesc->text(), QStringLiteral("Spell"));
    EXPECT_TRUE(editor->ButtonSetChanged());
    EXPECT_EQ(editor->StatusBar1->text(), QStringLiteral("Button File: ") + q(nowhere));
    EXPECT_EQ(shortOf(main->annotationSet(), 19), "Spell"); // accepted before the save

    // Save As somewhere that works; then Save goes there.
    files = {q(home.file("mine.btn"))};
    editor->spdSaveAs->click();
    EXPECT_EQ(main->buttonFilePath(), home.file("mine.btn"));
    EXPECT_FALSE(editor->ButtonSetChanged());
    EXPECT_EQ(editor->StatusBar1->text(), QStringLiteral("Button File: ") + q(home.file("mine.btn")));
}

TEST_F(ButtonEditorTest, SetAsDefaultAfterSaveAsIsReadAtTheNextStart) {
    open();
    editor->mmoTitle->setFocus();
    editor->mmoTitle->selectAll();
    QTest::keyClicks(editor->mmoTitle, QStringLiteral("Year 9"));
    QTest::keyClick(editor->mmoTitle, Qt::Key_Return);
    QTest::keyClicks(editor->mmoTitle, QStringLiteral("French"));
    editor->btnErr[26]->click(); // entry 27, empty
    typeInto(editor->editCaption, QStringLiteral("Reg"));
    typeInto(editor->editShortDesc, QStringLiteral("Register"));

    const std::string saved = home.file("year9.btn");
    files = {q(saved)};
    editor->mnuSaveAs->trigger();
    EXPECT_EQ(main->buttonFilePath(), saved);
    // A title of two lines keeps its first line in the file.
    EXPECT_EQ(TempFolder::read(saved).rfind("[Title]\r\nTitle=Year 9\r\n[1]", 0), 0u);

    editor->spdDefault->click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text,
              QStringLiteral("This button set will now be loaded when you start the program."));
    EXPECT_EQ(shown[0].type, MessageType::Information);
    EXPECT_EQ(shown[0].helpContext, 19000);
    EXPECT_EQ(settings.readString(QStringLiteral("FilePaths"), QStringLiteral("CurrentButtons"),
                                  QString()),
              q(saved));
    editor->spdCancel->click(); // not accepted: the set in use stays the default

    EXPECT_EQ(main->btnErr[26]->text(), QString());
    TfrmTallix32 next(settings);
    EXPECT_EQ(next.buttonFilePath(), saved);
    EXPECT_EQ(next.btnErr[26]->text(), QStringLiteral("Reg"));
    EXPECT_EQ(next.annotationSet().title(), u"Year 9");
    EXPECT_EQ(next.statusPanels[0]->text(), QStringLiteral("Button File: year9.btn"));
}

TEST_F(ButtonEditorTest, OpenReadsAFileIntoTheEditorOnly) {
    const std::string other =
        home.write("other.btn", "[Title]\r\nTitle=Other\r\n[1]\r\nCaption=Ag\r\nShort=Agree\r\n");
    open();
    mendSpelling();
    files = {q(other)};
    editor->spdOpen->click();
    EXPECT_EQ(editor->mmoTitle->toPlainText(), QStringLiteral("Other"));
    EXPECT_EQ(editor->CurrentEditorButton(), 1);
    EXPECT_EQ(editor->editCaption->text(), QStringLiteral("Ag"));
    EXPECT_EQ(editor->btnErr[0]->text(), QStringLiteral("Ag"));
    EXPECT_FALSE(editor->ButtonSetChanged());
    EXPECT_EQ(main->buttonFilePath(), other);
    EXPECT_EQ(main->btnErr[0]->text(), QStringLiteral("Agr")); // not accepted yet

    // A file that cannot be read says so and changes nothing.
    files = {q(home.file("missing.btn"))};
    editor->mnuOpen->trigger();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].type, MessageType::Error);
    EXPECT_EQ(main->buttonFilePath(), other);
    EXPECT_EQ(editor->editCaption->text(), QStringLiteral("Ag"));

    editor->mnuClose->trigger();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(main->btnErr[0]->text(), QStringLiteral("Agr"));
    EXPECT_EQ(main->buttonFilePath(), other); // the file opened stays the one in use
}

} // namespace

namespace {

TEST_F(ButtonEditorTest, SetAsDefaultSaysSoWhenTheSettingsCannotBeWritten) {
    settings.writeString(QStringLiteral("FilePaths"), QStringLiteral("LastFile1"), QString());
    ASSERT_TRUE(settings.flush());
    std::filesystem::permissions(home.file("settings.ini"), std::filesystem::perms::owner_read |
                                                                std::filesystem::perms::group_read |
                                                                std::filesystem::perms::others_read);
    tallix::testing::AsUnprivileged unprivileged;
    if (!unprivileged.effective())
        GTEST_SKIP() << "runs as a user who may write anything";
    open();
    editor->mnuSetAsDefault->trigger();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, MessageKind::ErrorReport);
    EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("Unable to write to ")));
}

} // namespace
