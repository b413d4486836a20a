// The titles-and-prompts window and the output colours window, driven through
// their controls, and what their OK does to the marking window.
#include "app/TfrmTallix32.h"
#include "export/TfrmConfig.h"
#include "export/TfrmOutputColours.h"
#include "export/qt/ColourTints.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"

#include "TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>

using namespace tallix;
using tallix::testing::TempFolder;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

class OutputWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
        output.configFile = home.file("start.cfg");
    }
    void TearDown() override { qunsetenv("TALLIX32_HOME"); }

    // Shows the window as the menu command would, without a modal loop.
    template <class W> void present(W& w) {
        w.show();
        QApplication::processEvents();
    }
    std::string stored(const char* section, const char* name) {
        return settings.readString(QString::fromLatin1(section), QString::fromLatin1(name),
                                   QStringLiteral("<none>"))
            .toStdString();
    }

    TempFolder home;
    SettingsStore settings{q(home.file("settings.ini"))};
    OutputSettings output;
    std::vector<MessageRequest> shown;
    std::deque<Button> answers;
    std::vector<FileRequest> fileRequests;
    std::deque<QString> files;
    ScopedMessageHandler messages{[this](const MessageRequest& r) {
        shown.push_back(r);
        if (answers.empty())
            return escapeAnswer(r.buttons);
        Button a = answers.front();
        answers.pop_front();
        return a;
    }};
    ScopedFileHandler fileDialogs{[this](const FileRequest& r) -> std::optional<QString> {
        fileRequests.push_back(r);
        if (files.empty())
            return std::nullopt;
        QString f = files.front();
        files.pop_front();
        return f;
    }};
};

// ====================================================================== titles window

TEST_F(OutputWindowsTest, ShowingTheTitlesWindowFillsItFromTheMarkingWindow) {
    output.titles.gradeTitle = u"Mark:";
    TfrmConfig w(output, settings);
    present(w);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Configuration - ") + q(output.configFile));
    EXPECT_EQ(w.lblHeading->text(), QStringLiteral("Change Titles and Prompts for Output"));
    EXPECT_EQ(w.editGrade->text(), QStringLiteral("Mark:"));
    EXPECT_EQ(w.editErrorStats->text(), QStringLiteral("Error Statistics"));
    EXPECT_EQ(w.editNoPrint->text(), QStringLiteral("DO NOT PRINT THIS PAGE!"));
    EXPECT_FALSE(w.ConfigChanged) << "filling the boxes is not an edit";
    EXPECT_EQ(w.pnlLabels[7]->text(), QStringLiteral("\"Don't print this page\":"));
    EXPECT_EQ(w.editContinued->toolTip(),
              QStringLiteral("Caption for button linking multiple HTML pages"));
    EXPECT_EQ(fontColour(w.pnlLabels[0]), LabelColour);
    EXPECT_EQ(fontColour(w.lblHeading), LabelColour);
    for (const char* name : {"btnLoad", "btnSave", "btnSaveAs", "btnOK", "btnCancel", "btnHelp"})
        EXPECT_NE(w.findChild<QPushButton*>(QString::fromLatin1(name)), nullptr) << name;

    w.editComment->setText(QStringLiteral("Note"));
    EXPECT_TRUE(w.ConfigChanged);
    // Showing it again starts afresh.
    w.reject();
    present(w);
    EXPECT_EQ(w.editComment->text(), QStringLiteral("Comment"));
    EXPECT_FALSE(w.ConfigChanged);
}

TEST_F(OutputWindowsTest, OkWithChangesAsksAndCancelKeepsTheWindowAndItsEdits) {
    TfrmConfig w(output, settings);
    int applied = 0;
    QObject::connect(&w, &TfrmConfig::titlesApplied, [&] { ++applied; });
    present(w);
    w.editGoBack->setText(QStringLiteral("Back"));

    answers = {Button::Cancel};
    w.btnOK->click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("The configuration ") + q(output.configFile) +
                                 QStringLiteral(" has changed.\r\rDo you want to save the changes?"));
    EXPECT_EQ(shown[0].type, MessageType::Confirmation);
    EXPECT_EQ(shown[0].buttons, buttons::YesNoCancelHelp);
    EXPECT_EQ(shown[0].helpContext, 20000);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.editGoBack->text(), QStringLiteral("Back"));
    EXPECT_TRUE(w.ConfigChanged);
    EXPECT_EQ(output.titles.goBackTitle, u"Go back to the text");
    EXPECT_EQ(applied, 0);
    EXPECT_EQ(stored("Configuration", "ConfigFile"), "<none>");
}

TEST_F(OutputWindowsTest, OkAnsweredNoAppliesTheTitlesWithoutWritingThem) {
    TfrmConfig w(output, settings);
    int applied = 0;
    QObject::connect(&w, &TfrmConfig::titlesApplied, [&] { ++applied; });
    present(w);
    w.editGoBack->setText(QStringLiteral("Back to \"the\" essay"));
    answers = {Button::No};
    w.btnOK->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(output.titles.goBackTitle, u"Back to \"the\" essay");
    // The next export's back button carries the new caption at once, escaped.
    EXPECT_NE(output.titles.backButtonHTML().find(u"VALUE=\"Back to &quot;the&quot; essay\""),
              std::u16string::npos);
    EXPECT_EQ(stored("Configuration", "ConfigFile"), output.configFile);
    EXPECT_FALSE(std::filesystem::exists(output.configFile));
}

TEST_F(OutputWindowsTest, OkAnsweredYesSavesAllEightTitlesThenApplies) {
    TfrmConfig w(output, settings);
    present(w);
    w.editGrade->setText(QStringLiteral("Note: "));
    answers = {Button::Yes};
    w.btnOK->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(output.titles.gradeTitle, u"Note: ");
    const OutputTitles back = loadTitlesFile(output.configFile);
    EXPECT_EQ(back.gradeTitle, u"Note:"); // the file keeps no trailing blank
    EXPECT_EQ(back.errorStatsTitle, u"Error Statistics");
    EXPECT_EQ(back.noPrintTitle, u"DO NOT PRINT THIS PAGE!");
}

TEST_F(OutputWindowsTest, SaveAsAddsTheExtensionOnlyToANameWithoutIt) {
    TfrmConfig w(output, settings);
    present(w);
    w.editComment->setText(QStringLiteral("Note"));

    files = {q(home.file("exam"))};
    EXPECT_TRUE(w.SaveConfigAs());
    EXPECT_EQ(fileRequests.back().mode, FileRequest::Mode::Save);
    EXPECT_EQ(fileRequests.back().filter, QStringLiteral("Configuration files (*.cfg)|*.cfg"));
    EXPECT_EQ(w.path(), home.file("exam.cfg"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Configuration - ") + q(home.file("exam.cfg")));
    EXPECT_FALSE(w.ConfigChanged);
    EXPECT_EQ(loadTitlesFile(home.file("exam.cfg")).commentTitle, u"Note");

    for (const char* kept : {"exam.cfg.old", "exam.CFG"}) {
        files = {q(home.file(kept))};
        w.btnSaveAs->click();
        EXPECT_EQ(w.path(), home.file(kept));
        EXPECT_TRUE(std::filesystem::exists(home.file(kept))) << kept;
    }
    EXPECT_FALSE(std::filesystem::exists(home.file("exam.cfg.old.cfg")));

    // A cancelled dialog saves nothing and keeps the name.
    w.editComment->setText(QStringLiteral("Again"));
    EXPECT_FALSE(w.SaveConfigAs());
    EXPECT_EQ(w.path(), home.file("exam.CFG"));
    EXPECT_TRUE(w.ConfigChanged);
    // Save writes to the window's own file.
    w.btnSave->click();
    EXPECT_FALSE(w.ConfigChanged);
    EXPECT_EQ(loadTitlesFile(home.file("exam.CFG")).commentTitle, u"Again");
    EXPECT_EQ(output.titles.commentTitle, u"Comment") << "saving does not apply";
}

TEST_F(OutputWindowsTest, AFileThatCannotBeWrittenStopsTheSaveAndKeepsEverything) {
    const std::string blocker = home.write("blocker", "a file, not a folder");
    output.configFile = blocker + "/exam.cfg";
    TfrmConfig w(output, settings);
    present(w);
    w.editGrade->setText(QStringLiteral("Mark"));

    answers = {Button::Yes};
    w.btnOK->click();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].kind, MessageKind::ErrorReport);
    EXPECT_EQ(shown[1].text, QStringLiteral("Unable to write to ") + q(output.configFile));
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.ConfigChanged);
    EXPECT_EQ(output.titles.gradeTitle, u"Grade: ");
    EXPECT_EQ(stored("Configuration", "ConfigFile"), "<none>");

    // Save As to a place that cannot be written keeps the old name and caption.
    const QString caption = w.windowTitle();
    files = {q(blocker + "/other")};
    EXPECT_FALSE(w.SaveConfigAs());
    EXPECT_EQ(shown.back().text, QStringLiteral("Unable to write to ") + q(blocker + "/other.cfg"));
    EXPECT_EQ(w.path(), output.configFile);
    EXPECT_EQ(w.windowTitle(), caption);
    EXPECT_TRUE(w.ConfigChanged);
    EXPECT_EQ(TempFolder::read(blocker), "a file, not a folder");
}

TEST_F(OutputWindowsTest, LoadingFillsTheWindowOnlyWithTheLoadedFileDefaults) {
    const std::string other = home.write("other.cfg", "[Configuration]\r\nGrade=Mark: \r\n");
    TfrmConfig w(output, settings);
    present(w);

    // Unsaved edits are asked about first; Cancel stops before the dialog.
    w.editComment->setText(QStringLiteral("Note"));
    answers = {Button::Cancel};
    w.btnLoad->click();
    EXPECT_TRUE(fileRequests.empty());
    EXPECT_EQ(w.editComment->text(), QStringLiteral("Note"));

    answers = {Button::No};
    files = {q(other)};
    w.btnLoad->click();
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].mode, FileRequest::Mode::Open);
    EXPECT_EQ(w.editGrade->text(), QStringLiteral("Mark:"));
    EXPECT_EQ(w.editErrorStats->text(), QStringLiteral("Error statistics"));
    EXPECT_EQ(w.editComment->text(), QStringLiteral("Comment"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Configuration file: ") + q(other));
    EXPECT_FALSE(w.ConfigChanged);
    EXPECT_EQ(output.titles.errorStatsTitle, u"Error Statistics") << "loading does not apply";

    // Cancel after loading leaves the marking window as it was; OK applies the file.
    w.btnCancel->click();
    EXPECT_EQ(output.configFile, home.file("start.cfg"));
    present(w);
    files = {q(other)};
    w.btnLoad->click();
    w.btnOK->click();
    EXPECT_EQ(output.configFile, other);
    EXPECT_EQ(output.titles.gradeTitle, u"Mark:");
    EXPECT_EQ(output.titles.errorStatsTitle, u"Error statistics");
}

TEST_F(OutputWindowsTest, TheEditMenuActsOnTheEditBoxesOnly) {
    TfrmConfig w(output, settings);
    present(w);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QApplication::clipboard()->setText(QStringLiteral("clip"));

    w.editContinued->setFocus();
    w.mnuSelectAll->trigger();
    w.mnuCut->trigger();
    EXPECT_EQ(w.editContinued->text(), QString());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Continued..."));
    w.editNoPrint->setFocus();
    w.mnuPaste->trigger();
    EXPECT_EQ(w.editNoPrint->text(), QStringLiteral("DO NOT PRINT THIS PAGE!Continued..."));

    // With a button focused the commands do nothing.
    w.btnLoad->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("clip"));
    for (QAction* a : {w.mnuSelectAll, w.mnuCut, w.mnuPaste, w.mnuCopy})
        a->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("clip"));
    EXPECT_EQ(w.editNoPrint->text(), QStringLiteral("DO NOT PRINT THIS PAGE!Continued..."));
    EXPECT_EQ(w.editContinued->text(), QString());
    w.reject();
}

// ====================================================================== colours window

TEST_F(OutputWindowsTest, TheColoursWindowShowsTheStoredIndicesAndItsFortySwatches) {
    settings.writeString(QStringLiteral("Colours"), QStringLiteral("F1Col"), QStringLiteral("2"));
    settings.writeString(QStringLiteral("Colours"), QStringLiteral("F2Col"), QStringLiteral("9"));
    settings.writeString(QStringLiteral("Colours"), QStringLiteral("GradeCol"), QStringLiteral("-1"));
    settings.writeString(QStringLiteral("Colours"), QStringLiteral("ComCol"), QStringLiteral("x"));
    TfrmOutputColours w(output.colours, settings);
    present(w);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Output Colours"));

    int swatches = 0;
    for (const char* row : {"F1", "F2", "Grade", "Com", "Err"})
        for (int n = 1; n <= 8; ++n) {
            auto* s = w.findChild<QFrame*>(QStringLiteral("pnl%1Col%2").arg(QLatin1String(row)).arg(n));
            ASSERT_NE(s, nullptr) << row << n;
            EXPECT_EQ(s->property("Tag").toInt(), n);
            EXPECT_EQ(s->palette().color(QPalette::Window), qtColour(ColourTable[std::size_t(n)]));
            ++swatches;
        }
    EXPECT_EQ(swatches, 40);

    // Stored "2" is taken; "9", "-1" and "x" read as the roles' defaults.
    EXPECT_EQ(w.chosenIndex(ColourRole::F1), 2);
    EXPECT_EQ(w.chosenIndex(ColourRole::F2), 6);
    EXPECT_EQ(w.chosenIndex(ColourRole::Grade), 3);
    EXPECT_EQ(w.chosenIndex(ColourRole::Comment), 3);
    EXPECT_EQ(w.chosenIndex(ColourRole::Error), 6);
    auto* name = w.findChild<QLabel*>(QStringLiteral("pnlColNameF1"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QStringLiteral("Maroon"));
    EXPECT_EQ(fontColour(name), clMaroon);
    EXPECT_EQ(name->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("pnlColNameF2"))->text(), QStringLiteral("Red"));
    EXPECT_EQ(w.swatch(ColourRole::F1, 2)->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(w.swatch(ColourRole::F1, 1)->frameShadow(), QFrame::Raised);
    EXPECT_EQ(fontColour(w.pnlLabels[0]), LabelColour);
    EXPECT_EQ(w.pnlLabels[3]->text(), QStringLiteral("Comments:"));
}

TEST_F(OutputWindowsTest, ChoosingSwatchesThenCancelChangesNothing) {
    TfrmOutputColours w(output.colours, settings);
    int applied = 0;
    QObject::connect(&w, &TfrmOutputColours::coloursApplied, [&] { ++applied; });
    present(w);

    QTest::mouseClick(w.swatch(ColourRole::Grade, 8), Qt::LeftButton);
    EXPECT_EQ(w.chosenIndex(ColourRole::Grade), 8);
    EXPECT_EQ(w.swatch(ColourRole::Grade, 8)->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(w.swatch(ColourRole::Grade, 3)->frameShadow(), QFrame::Raised);
    EXPECT_EQ(w.swatch(ColourRole::Comment, 3)->frameShadow(), QFrame::Sunken) << "other rows stay";
    EXPECT_EQ(w.pnlColNames[2]->text(), QStringLiteral("Fuchsia"));
    EXPECT_EQ(fontColour(w.pnlColNames[2]), clFuchsia);

    w.btnCancel->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(applied, 0);
    EXPECT_EQ(output.colours, OutputColours{});
    EXPECT_EQ(stored("Colours", "GradeCol"), "<none>");
    // The next showing reads the stored indices again.
    present(w);
    EXPECT_EQ(w.chosenIndex(ColourRole::Grade), 3);
    EXPECT_EQ(w.pnlColNames[2]->text(), QStringLiteral("Green"));
}

TEST_F(OutputWindowsTest, OkSetsTheRolesAndStoresTheIndices) {
    TfrmOutputColours w(output.colours, settings);
    present(w);
    QTest::mouseClick(w.swatch(ColourRole::F1, 5), Qt::LeftButton);
    QTest::mouseClick(w.swatch(ColourRole::Error, 7), Qt::LeftButton);
    QTest::mouseClick(w.swatch(ColourRole::Comment, 7), Qt::LeftButton); // the same twice is fine
    w.btnOK->click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(output.colours.colour(ColourRole::F1), clPurple);
    EXPECT_EQ(output.colours.html(ColourRole::Error), "0000FF");
    EXPECT_EQ(output.colours.html(ColourRole::Comment), "0000FF");
    EXPECT_EQ(stored("Colours", "F1Col"), "5");
    EXPECT_EQ(stored("Colours", "F2Col"), "6");
    EXPECT_EQ(stored("Colours", "ErrCol"), "7");
    EXPECT_EQ(stored("Colours", "ComCol"), "7");
}

// ====================================================================== marking window

TEST_F(OutputWindowsTest, TheMarkingWindowReadsAppliesAndTintsThroughBothWindows) {
    settings.writeString(QStringLiteral("Colours"), QStringLiteral("GradeCol"), QStringLiteral("4"));
    settings.writeString(QStringLiteral("Colours"), QStringLiteral("ComCol"), QStringLiteral("10"));
    const std::string cfg = home.write("class.cfg", "[Configuration]\r\nNo Print=Screen only\r\n");
    settings.writeString(QStringLiteral("Configuration"), QStringLiteral("ConfigFile"), q(cfg));
    TfrmTallix32 w(settings);
    w.show();
    QApplication::processEvents();

    EXPECT_EQ(w.statusPanels[2]->text(), QStringLiteral("Config: class.cfg"));
    EXPECT_EQ(w.outputTitles().noPrintTitle, u"Screen only");
    EXPECT_EQ(fontColour(w.editGrade), clNavy);
    EXPECT_EQ(fontColour(w.lblGrade), clNavy);
    EXPECT_EQ(fontColour(w.spdComment), clGreen) << "a stored 10 reads as the default";
    EXPECT_EQ(fontColour(w.spinComments), clGreen);
    EXPECT_EQ(fontColour(w.spdFeedback1), clBlue);
    EXPECT_EQ(fontColour(w.spdFeedback2), clRed);
    EXPECT_TRUE(w.mnuOutputTitles->isEnabled());
    EXPECT_TRUE(w.mnuOutputColours->isEnabled());

    // Feedback 2 in the notes area; then every role gets another colour.
    w.spdFeedback2->click();
    ASSERT_TRUE(w.spdFeedback2->isChecked());
    EXPECT_EQ(fontColour(w.mmoNotes), clRed);
    QTimer::singleShot(0, [&] {
        TfrmOutputColours* c = w.frmOutputColours;
        ASSERT_TRUE(c->isVisible());
        QTest::mouseClick(c->swatch(ColourRole::F1, 1), Qt::LeftButton);
        QTest::mouseClick(c->swatch(ColourRole::F2, 5), Qt::LeftButton);
        QTest::mouseClick(c->swatch(ColourRole::Grade, 6), Qt::LeftButton);
        QTest::mouseClick(c->swatch(ColourRole::Comment, 2), Qt::LeftButton);
        c->btnOK->click();
    });
    w.mnuOutputColours->trigger();
    EXPECT_EQ(fontColour(w.spdFeedback1), clBlack);
    EXPECT_EQ(fontColour(w.spdFeedback2), clPurple);
    EXPECT_EQ(fontColour(w.editGrade), clRed);
    EXPECT_EQ(fontColour(w.lblGrade), clRed);
    EXPECT_EQ(fontColour(w.spdComment), clMaroon);
    EXPECT_EQ(fontColour(w.spinComments), clMaroon);
    EXPECT_EQ(fontColour(w.mmoNotes), clPurple);
    EXPECT_EQ(fontColour(w.pnlNotes), clPurple);
    EXPECT_EQ(w.outputColours().html(ColourRole::Grade), "FF0000");

    // Switching the notes area later uses the new colours too.
    w.spdFeedback1->click();
    EXPECT_EQ(fontColour(w.pnlNotes), clBlack);

    // The titles window applies a file and its titles, and the status bar follows.
    const std::string exam = home.write("exam.cfg", "[Configuration]\r\nGo back=Zur\xC3\xBC" "ck\r\n");
    files = {q(exam)};
    QTimer::singleShot(0, [&] {
        TfrmConfig* c = w.frmConfig;
        ASSERT_TRUE(c->isVisible());
        EXPECT_EQ(c->windowTitle(), QStringLiteral("Configuration - ") + q(cfg));
        c->btnLoad->click();
        c->btnOK->click();
    });
    w.mnuOutputTitles->trigger();
    EXPECT_EQ(w.statusPanels[2]->text(), QStringLiteral("Config: exam.cfg"));
    EXPECT_EQ(w.configFile(), exam);
    EXPECT_NE(w.outputTitles().backButtonHTML().find(u"VALUE=\"Zur\u00FCck\""),
              std::u16string::npos);
    EXPECT_EQ(w.outputTitles().noPrintTitle, u"DO NOT PRINT THIS PAGE!");
    w.document().documentChanged = false;
    w.close();

    // The next start reads what was chosen.
    TfrmTallix32 again(settings);
    EXPECT_EQ(again.configFile(), exam);
    EXPECT_EQ(fontColour(again.editGrade), clRed);
    again.document().documentChanged = false;
}

} // namespace
