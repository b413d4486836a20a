// The class queue in the marking window: a folder of mixed files listed by
// student, next and previous essay with their saves (and a failed save that stops
// the move), essays imported beside themselves on first opening, damaged files
// shown and passed over, the remembered position, and the class statistics.
#include "app/TfrmTallix32.h"
#include "document/qt/MarkRichEdit.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"
#include "stats/TfrmMultiStats.h"

#include "TestFiles.h"
#include "document/WordFileBuilder.h"
#include "stats/StatsTestSupport.h"

#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

using namespace tallix;
using tallix::testing::EssayBuilder;
using tallix::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

const char PlainRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Brown's essay about rain.\\par}";

class ClassQueueWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
        fs::create_directory(classFolder());
        // A marked essay, three essays not yet imported, one damaged file.
        EssayBuilder().text(u"Teh ").span(u"dog").error(u"Sp").save(file("adams_1001_essay.tlx"));
        writeFile("brown_1002_essay.rtf", PlainRtf);
        writeFile("clark_1003_essay.docx",
                  tallix::testing::makeDocx({"<w:p><w:r><w:t>Clark writes here.</w:t></w:r></w:p>"}));
        writeFile("dent_1004_essay.docx", "PK\x03\x04 and then nothing an archive needs");
        writeFile("evans_1005_essay.txt", "Evans in plain text.\r\n");
        makeWindow();
    }
    void TearDown() override {
        if (w) {
            w->document().documentChanged = false;
            w->close();
        }
        w.reset();
        qunsetenv("TALLIX32_HOME");
    }
    void makeWindow() {
        w = std::make_unique<TfrmTallix32>(settings);
        w->show();
        QApplication::processEvents();
    }
    std::string classFolder() const { return home.file("class"); }
    std::string file(const std::string& name) const { return classFolder() + "/" + name; }
    void writeFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }
    QString rowText(int row, int column) const {
        return w->lvClass->topLevelItem(row)->text(column);
    }
    std::string openFile() const { return fs::path(w->document().currentFile).filename().string(); }

    TempFolder home;
    SettingsStore settings{QString::fromStdString(home.file("settings.conf"))};
    std::vector<MessageRequest> shown;
    ScopedMessageHandler messages{[this](const MessageRequest& r) {
        shown.push_back(r);
        return escapeAnswer(r.buttons);
    }};
    std::unique_ptr<TfrmTallix32> w;
};

TEST_F(ClassQueueWindowTest, AMixedFolderIsListedAndWalkedThroughWithoutDialogs) {
    const std::string rtfBefore = TempFolder::read(file("brown_1002_essay.rtf"));
    ASSERT_TRUE(w->OpenClass({QString::fromStdString(classFolder())}));
    EXPECT_TRUE(w->pnlClass->isVisible());
    ASSERT_EQ(w->lvClass->topLevelItemCount(), 5);
    EXPECT_EQ(rowText(0, 0), QStringLiteral("adams"));
    EXPECT_EQ(rowText(4, 0), QStringLiteral("evans"));
    EXPECT_EQ(openFile(), "adams_1001_essay.tlx"); // the first row opens at once
    w->scanClassQueue();
    EXPECT_EQ(rowText(0, 1), QStringLiteral("graded"));
    EXPECT_EQ(rowText(0, 2), QStringLiteral("1"));
    EXPECT_EQ(rowText(1, 1), QStringLiteral("not started"));
    EXPECT_EQ(rowText(3, 1), QStringLiteral("damaged"));
    EXPECT_EQ(w->lblClassProgress->text(), QStringLiteral("1 of 5 graded"));

    // Next: each essay is imported beside itself and opened, no box shown.
    ASSERT_TRUE(w->mnuNextEssayClick(1));
    EXPECT_EQ(openFile(), "brown_1002_essay.tlx");
    EXPECT_EQ(w->document().essay().text().substr(0, 7), u"Brown's");
    EXPECT_EQ(w->document().essay().colourAt(0), clBlack);
    EXPECT_EQ(TempFolder::read(file("brown_1002_essay.rtf")), rtfBefore);
    ASSERT_TRUE(w->mnuNextEssayClick(1));
    EXPECT_EQ(openFile(), "clark_1003_essay.tlx");
    // The damaged file is passed over, and stays in the list.
    ASSERT_TRUE(w->mnuNextEssayClick(1));
    EXPECT_EQ(openFile(), "evans_1005_essay.tlx");
    EXPECT_EQ(w->lvClass->topLevelItemCount(), 5);
    EXPECT_EQ(rowText(3, 1), QStringLiteral("damaged"));
    EXPECT_TRUE(fs::exists(file("dent_1004_essay.docx")));
    EXPECT_FALSE(fs::exists(file("dent_1004_essay.tlx")));
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(w->btnNextEssay->isEnabled());

    EXPECT_FALSE(w->mnuNextEssayClick(1));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text,
              QStringLiteral("This is the last essay of the class that can be opened."));
    // Previous passes over the damaged one too; Ctrl+PgUp from the essay does it.
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    w->MarkRichEdit->setFocus();
    QTest::keyClick(w->MarkRichEdit, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(openFile(), "clark_1003_essay.tlx");
    EXPECT_NE(w->windowTitle().indexOf(QStringLiteral("clark_1003_essay.tlx")), -1);
}

TEST_F(ClassQueueWindowTest, NextSavesTheEssayAndItsRowFollows) {
    ASSERT_TRUE(w->OpenClass({QString::fromStdString(classFolder())}));
    ASSERT_TRUE(w->mnuNextEssayClick(1)); // brown, just imported
    RichTextBuffer& essay = w->document().essay();
    essay.select(0, 7);
    w->annotationButtonClick(19);
    ASSERT_TRUE(w->document().documentChanged);
    ASSERT_TRUE(w->mnuNextEssayClick(1));
    EXPECT_TRUE(shown.empty()); // saved without a question
    MarkedDocument saved;
    ASSERT_TRUE(saved.loadTlxFile(file("brown_1002_essay.tlx")).ok);
    EXPECT_EQ(saved.essay().text().substr(0, 9), u"Brown'sSp");
    EXPECT_EQ(rowText(1, 1), QStringLiteral("in progress"));
    EXPECT_EQ(rowText(1, 2), QStringLiteral("1"));
    ASSERT_TRUE(w->mnuNextEssayClick(-1));
    EXPECT_EQ(w->document().essay().text().substr(0, 9), u"Brown'sSp");
}

TEST_F(ClassQueueWindowTest, AFailedSaveStopsTheMoveAndSaysSo) {
    // Asked whether to write over the file changed on disk: yes.
    ScopedMessageHandler overwrite{[this](const MessageRequest& r) {
        shown.push_back(r);
        return r.buttons == buttons::YesNo ? Button::Yes : escapeAnswer(r.buttons);
    }};
    ASSERT_TRUE(w->OpenClass({QString::fromStdString(classFolder())}));
    w->document().essay().select(0, 3);
    w->annotationButtonClick(2);
    // The marked file's place is taken by a folder: nothing can be written there.
    fs::remove(file("adams_1001_essay.tlx"));
    fs::create_directory(file("adams_1001_essay.tlx"));
    EXPECT_FALSE(w->mnuNextEssayClick(1));
    ASSERT_FALSE(shown.empty());
    EXPECT_TRUE(shown.back().text.startsWith(QStringLiteral("Cannot create file"))) <<
        shown.back().text.toStdString();
    EXPECT_EQ(openFile(), "adams_1001_essay.tlx");
    EXPECT_TRUE(w->document().documentChanged);
    EXPECT_EQ(w->classQueue().position(), 0);
    EXPECT_FALSE(fs::exists(file("brown_1002_essay.tlx")));
    EXPECT_EQ(w->statusPanels[1]->text(), QStringLiteral("Not moved: the essay was not saved"));
}

TEST_F(ClassQueueWindowTest, TheQueueRemembersItsPositionAndImportsForTheFolder) {
    ASSERT_TRUE(w->OpenClass({QString::fromStdString(classFolder())}));
    ASSERT_TRUE(w->mnuNextEssayClick(1));
    ASSERT_TRUE(w->mnuNextEssayClick(1));
    EXPECT_EQ(openFile(), "clark_1003_essay.tlx");
    w->document().documentChanged = false;
    w->close();
    w.reset();

    makeWindow();
    ASSERT_TRUE(w->OpenClass({QString::fromStdString(classFolder())}));
    EXPECT_EQ(openFile(), "clark_1003_essay.tlx");
    EXPECT_EQ(w->classQueue().position(), 2);
    // A list of files is a queue of its own.
    ASSERT_TRUE(w->OpenClass({QString::fromStdString(file("evans_1005_essay.txt")),
                              QString::fromStdString(file("adams_1001_essay.tlx"))}));
    EXPECT_EQ(w->lvClass->topLevelItemCount(), 2);
    EXPECT_EQ(openFile(), "adams_1001_essay.tlx");
    EXPECT_EQ(w->pnlClass->windowTitle(), QStringLiteral("Class: 2 files"));
}

TEST_F(ClassQueueWindowTest, AnEssayThatCannotBeImportedIsShownAndSkipped) {
    fs::remove(file("dent_1004_essay.docx"));
    writeFile("dent_1004_essay.pdf", "%PDF-1.4\n%\xe2\xe3\n");
    ASSERT_TRUE(w->OpenClass({QString::fromStdString(classFolder())}));
    // Not scanned yet: opening the row finds that the PDF cannot be read.
    ASSERT_TRUE(w->mnuNextEssayClick(1));
    ASSERT_TRUE(w->mnuNextEssayClick(1));
    // Opening the row asked for shows why.
    EXPECT_FALSE(w->OpenClassRow(3));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.indexOf(QStringLiteral("PDF")), -1);
    EXPECT_EQ(rowText(3, 1), QStringLiteral("cannot be imported"));
    EXPECT_EQ(openFile(), "clark_1003_essay.tlx");
    ASSERT_TRUE(w->mnuNextEssayClick(1));
    EXPECT_EQ(openFile(), "evans_1005_essay.tlx");
    EXPECT_EQ(w->lvClass->topLevelItemCount(), 5);
}

TEST_F(ClassQueueWindowTest, ClassStatisticsCountTheMarkedFilesOfTheQueue) {
    ASSERT_TRUE(w->OpenClass({QString::fromStdString(classFolder())}));
    ASSERT_TRUE(w->mnuNextEssayClick(1));
    w->mnuClassStatisticsClick();
    EXPECT_TRUE(w->frmMultiStats->isVisible());
    ASSERT_EQ(w->frmMultiStats->lbFiles->count(), 2);
    EXPECT_EQ(w->frmMultiStats->lbFiles->item(0)->text(), QStringLiteral("adams_1001_essay.tlx"));
    EXPECT_EQ(w->frmMultiStats->statistics().total(19), 1);
    w->frmMultiStats->close();
}

TEST_F(ClassQueueWindowTest, AFolderGivenAtStartOpensAsAClassWhenTheWindowIsShown) {
    w->document().documentChanged = false;
    w->close();
    w = std::make_unique<TfrmTallix32>(settings);
    w->openClassAtShow({QString::fromStdString(classFolder())});
    EXPECT_TRUE(w->classQueue().empty());
    w->show();
    QApplication::processEvents();
    EXPECT_EQ(w->classQueue().size(), 5);
    EXPECT_EQ(openFile(), "adams_1001_essay.tlx");
}

TEST_F(ClassQueueWindowTest, AFolderWithoutEssaysOpensNothing) {
    fs::create_directory(home.file("empty"));
    EXPECT_FALSE(w->OpenClass({QString::fromStdString(home.file("empty"))}));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_FALSE(w->pnlClass->isVisible());
    EXPECT_FALSE(w->mnuNextEssayClick(1));
    EXPECT_EQ(shown.back().text.left(13), QStringLiteral("No class is o"));
}

} // namespace
