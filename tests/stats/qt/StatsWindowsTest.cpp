// The statistics windows and the word count, driven through the marking window
// and the controls, as a teacher would use them.
#include "app/TfrmTallix32.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"
#include "stats/TfrmErrors.h"
#include "stats/TfrmMultiStats.h"
#include "stats/qt/StringAlignGrid.h"

#include "ProgramRun.h"
#include "TestFiles.h"
#include "stats/StatsTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

using namespace tallix;
using tallix::testing::EssayBuilder;
using tallix::testing::TempFolder;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

class StatsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
    }
    void TearDown() override { qunsetenv("TALLIX32_HOME"); }

    std::unique_ptr<TfrmTallix32> makeWindow() {
        return std::make_unique<TfrmTallix32>(settings);
    }
    QStringList gridColumn(const TStringAlignGrid* g, int column) const {
        QStringList r;
        for (int row = 1; row < g->rowCount() && !g->cell(0, row).isEmpty(); ++row)
            r << g->cell(column, row);
        return r;
    }

    TempFolder home;
    SettingsStore settings{q(home.file("settings.ini"))};
    std::vector<MessageRequest> shown;
    std::function<void(const MessageRequest&)> onMessage;
    std::deque<QString> files;
    ScopedMessageHandler messages{[this](const MessageRequest& r) {
        shown.push_back(r);
        if (onMessage)
            onMessage(r);
        return escapeAnswer(r.buttons);
    }};
    std::vector<FileRequest> asked;
    ScopedFileHandler fileDialogs{[this](const FileRequest& r) -> std::optional<QString> {
        asked.push_back(r);
        if (files.empty())
            return std::nullopt;
        QString a = files.front();
        files.pop_front();
        return a;
    }};
};

} // namespace

TEST_F(StatsWindowTest, ErrorStatisticsShowTheCountInTheErrorColour) {
    settings.writeInteger(QStringLiteral("Colours"), QStringLiteral("ErrCol"), 8); // fuchsia
    auto w = makeWindow();
    EssayBuilder()
        .span(u"thier").error(u"Sp").text(u" house, ").span(u"a apple").error(u"Art")
        .text(u" and ").span(u"nospace").error(u"Space").praise(u"Good!")
        .into(w->document());
    w->document().essay().select(2, 3);
    w->show();
    w->mnuViewErrorStats->trigger();
    TfrmErrors* f = w->frmErrors;
    ASSERT_TRUE(f->isVisible());
    EXPECT_FALSE(f->isModal());
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Error Statistics"));
    EXPECT_EQ(gridColumn(f->ErrorGrid, 0), (QStringList{"1", "1", "2"}));
    EXPECT_EQ(gridColumn(f->ErrorGrid, 1),
              (QStringList{"Article error", "Missing space", "Spelling"}));
    EXPECT_EQ(f->ErrorGrid->cell(0, 0), QStringLiteral("Total"));
    EXPECT_EQ(f->ErrorGrid->cell(1, 0), QStringLiteral("Error Type"));
    EXPECT_EQ(f->ErrorGrid->columnFontColour(0), QColor(255, 0, 255));
    EXPECT_EQ(f->ErrorGrid->columnFontColour(1), QColor(128, 0, 0));
    EXPECT_EQ(f->ErrorGrid->bodyAlignment(0), Qt::AlignHCenter);
    EXPECT_EQ(w->document().essay().selStart(), 2);
    EXPECT_EQ(w->document().essay().selLength(), 3);
    QTest::qWait(20);
    f->grab().save(QStringLiteral("/tmp/frmErrors.png"));

    // Recount sees the labels added since.
    w->document().essay().setSelStart(w->document().essay().length());
    w->document().essay().setSelColour(clRed);
    w->document().essay().setSelText(u"Art");
    f->btnRecount->click();
    EXPECT_EQ(gridColumn(f->ErrorGrid, 0), (QStringList{"2", "1", "2"}));
    f->btnOK->click();
    EXPECT_FALSE(f->isVisible());
    // The pop-up item does the same.
    w->popViewErrorStats->trigger();
    EXPECT_TRUE(f->isVisible());
}

TEST_F(StatsWindowTest, WordCountOfTheTextOrTheSelection) {
    auto w = makeWindow();
    w->document().essay().setText(u"one two three");
    w->mnuCountWords->trigger();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].type, MessageType::Information);
    EXPECT_EQ(shown[0].helpContext, 32000);
    EXPECT_EQ(shown[0].text, QStringLiteral("In complete text: \n\nTotal words: 3\n"
                                            "Total characters: 13\nAverage word length: 3"));
    w->document().essay().select(4, 3);
    w->popCountWords->trigger();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[1].text.startsWith(QStringLiteral("In selected text:\n\nTotal words: 1\n")));
    EXPECT_EQ(w->mnuCountWords->shortcut(), QKeySequence(QStringLiteral("Ctrl+W")));
    EXPECT_EQ(w->mnuViewErrorStats->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
}

TEST_F(StatsWindowTest, MultipleFilesCountedCopiedAndSavedAsTheCommandLineDoes) {
    auto w = makeWindow();
    TempFolder dir;
    const std::string anna = EssayBuilder()
                                 .span(u"thier").error(u"Sp").text(u" and ").span(u"wierd")
                                 .error(u"Sp").comment(u"Sp Sp").save(dir.file("anna.tlx"));
    const std::string ben = EssayBuilder().text(u"Clean.").save(dir.file("ben.tlx"));
    const std::string cleo = EssayBuilder().span(u"a apple").error(u"Art").save(dir.file("cleo.tlx"));
    w->mnuMultiStats->trigger();
    TfrmMultiStats* m = w->frmMultiStats;
    ASSERT_TRUE(m->isVisible());
    EXPECT_FALSE(m->isModal());

    files.push_back(q(anna + "\n" + ben + "\n" + cleo + "\n" + anna));
    m->btnAddFiles->click();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].multiple);
    EXPECT_EQ(asked[0].title, QStringLiteral("Select files"));
    ASSERT_EQ(m->lbFiles->count(), 4);
    EXPECT_EQ(m->lbFiles->item(3)->text(), QStringLiteral("anna.tlx"));
    m->lbFiles->setCurrentRow(3);
    m->btnDeleteFiles->click();
    EXPECT_EQ(m->lbFiles->count(), 3);

    m->btnCount->click();
    EXPECT_EQ(gridColumn(m->ErrorGrid, 0), (QStringList{"Art", "Sp"}));
    EXPECT_EQ(gridColumn(m->ErrorGrid, 1), (QStringList{"1", "2"}));
    EXPECT_EQ(gridColumn(m->ErrorGrid, 2), (QStringList{"Article error", "Spelling"}));
    EXPECT_EQ(m->ErrorGrid->cell(2, 0), QStringLiteral("Error type"));
    m->resize(700, 460);
    QTest::qWait(20);
    m->grab().save(QStringLiteral("/tmp/frmMultiStats.png"));

    m->btnCopy->click();
    const QString table = QStringLiteral("File\tArt\tSp\r\nanna.tlx\t0\t2\r\nben.tlx\t0\t0\r\n"
                                         "cleo.tlx\t1\t0\r\nTotal\t1\t2");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), table);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, QStringLiteral("Statistics copied to clipboard."));
    EXPECT_EQ(shown.back().kind, MessageKind::Plain);

    const std::string saved = dir.file("table.txt");
    files.push_back(q(saved));
    m->btnSave->click();
    EXPECT_EQ(asked.back().title, QStringLiteral("Save these statistics"));
    EXPECT_TRUE(asked.back().confirmOverwrite);
    tallix::testing::ProcessRun cli = tallix::testing::runTallix32(
        dir, "--stats " + tallix::testing::shellQuoted(anna) + " " +
                 tallix::testing::shellQuoted(ben) + " " + tallix::testing::shellQuoted(cleo),
        "TALLIX32_SETTINGS=" + tallix::testing::shellQuoted(home.file("settings.ini")));
    EXPECT_EQ(cli.status, 0) << cli.err;
    EXPECT_EQ(TempFolder::read(saved), cli.out);
    EXPECT_EQ(q(cli.out), table);

    // A list changed since the count is counted again before it is copied.
    files.push_back(q(cleo));
    m->btnAddFiles->click();
    m->btnCopy->click();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().endsWith(QStringLiteral("Total\t2\t2")));

    // A save that fails says so.
    files.push_back(q(dir.file("no/such/folder/t.txt")));
    m->btnSave->click();
    EXPECT_EQ(shown.back().text,
              QStringLiteral("Unable to save the file. There may be a disk problem."));
    EXPECT_EQ(shown.back().helpContext, 1000);

    m->btnClear->click();
    EXPECT_EQ(m->lbFiles->count(), 0);
    EXPECT_TRUE(m->ErrorGrid->cell(0, 1).isEmpty());
    const std::size_t asks = asked.size();
    m->btnSave->click(); // nothing counted: nothing to save
    EXPECT_EQ(asked.size(), asks);
}

TEST_F(StatsWindowTest, WhileCountingTheCommandsWaitAndAFailedFileWarns) {
    auto w = makeWindow();
    TempFolder dir;
    const std::string anna = EssayBuilder().error(u"Sp").save(dir.file("anna.tlx"));
    TfrmMultiStats* m = w->frmMultiStats;
    files.push_back(q(anna + "\n" + dir.file("gone.tlx")));
    m->btnAddFiles->click();
    bool disabledMeanwhile = false;
    onMessage = [&](const MessageRequest&) {
        disabledMeanwhile = !m->btnClear->isEnabled() && !m->btnCount->isEnabled() &&
                            !m->btnAddFiles->isEnabled() && !m->btnDeleteFiles->isEnabled();
        EXPECT_EQ(m->lbFiles->currentRow(), 1); // the list shows the file being counted
    };
    m->btnCount->click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Unable to load gone.tlx. It may be corrupted."));
    EXPECT_EQ(shown[0].helpContext, 35000);
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_TRUE(m->btnClear->isEnabled());
    EXPECT_EQ(q(m->statistics().outTextBytes()),
              QStringLiteral("File\tSp\r\nanna.tlx\t1\r\ngone.tlx\t0\r\nTotal\t1"));
}
