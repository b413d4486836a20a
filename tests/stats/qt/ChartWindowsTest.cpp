// The charts of the statistics windows: their data against the grids, rates,
// the student view, Copy and Save As. With TALLIX_HELP_PICTURES set to a folder,
// the windows are also grabbed there for the help pages.
#include "app/TfrmTallix32.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"
#include "stats/TfrmErrors.h"
#include "stats/TfrmMultiStats.h"
#include "stats/qt/ChartImage.h"
#include "stats/qt/ChartPanel.h"
#include "stats/qt/StringAlignGrid.h"

#include "TestFiles.h"
#include "stats/StatsTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>

using namespace tallix;
using tallix::testing::EssayBuilder;
using tallix::testing::TempFolder;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

void picture(QWidget* w, const char* name) {
    const QByteArray folder = qgetenv("TALLIX_HELP_PICTURES");
    if (folder.isEmpty())
        return;
    QTest::qWait(50);
    w->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
}

// The bars a chart draws, top to bottom, with their values.
std::vector<std::pair<QString, double>> bars(QChart* chart) { return chartBars(chart); }

class ChartWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TALLIX32_HOME", QByteArray::fromStdString(home.path().string() + "/"));
        initResources();
    }
    void TearDown() override { qunsetenv("TALLIX32_HOME"); }

    TempFolder home;
    SettingsStore settings{q(home.file("settings.ini"))};
    std::vector<MessageRequest> shown;
    ScopedMessageHandler messages{[this](const MessageRequest& r) {
        shown.push_back(r);
        return escapeAnswer(r.buttons);
    }};
    std::vector<FileRequest> asked;
    std::deque<QString> files;
    ScopedFileHandler fileDialogs{[this](const FileRequest& r) -> std::optional<QString> {
        asked.push_back(r);
        if (files.empty())
            return std::nullopt;
        QString a = files.front();
        files.pop_front();
        return a;
    }};
};

void setDate(const std::string& path, int daysAgo) {
    std::filesystem::last_write_time(
        path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * daysAgo));
}

} // namespace

TEST_F(ChartWindowTest, TheEssaysChartBesideItsGrid) {
    TfrmTallix32 w(settings);
    EssayBuilder()
        .text(u"one two three four five six seven ").span(u"thier").error(u"Sp")
        .text(u" ").span(u"wierd").error(u"Sp").text(u" ").span(u"teh").error(u"Art")
        .into(w.document());
    w.show();
    w.mnuViewErrorStats->trigger();
    TfrmErrors* f = w.frmErrors;
    ASSERT_TRUE(f->isVisible());
    // Ten words, as Count Words counts them.
    EXPECT_EQ(f->chartData().words, 10);
    EXPECT_EQ(bars(f->chartErrors->chart()),
              (std::vector<std::pair<QString, double>>{{"Spelling", 2}, {"Article error", 1}}));
    EXPECT_EQ(chartTitle(f->chartErrors->chart()), QStringLiteral("Errors in this essay"));
    picture(f, "chart-error-statistics.png");

    f->chkPer100Words->click();
    EXPECT_EQ(bars(f->chartErrors->chart()),
              (std::vector<std::pair<QString, double>>{{"Spelling", 20}, {"Article error", 10}}));

    // The chart follows the grid when the essay changes.
    w.document().essay().setText(u"Nothing marked here.");
    f->btnRecount->click();
    EXPECT_TRUE(bars(f->chartErrors->chart()).empty());
    EXPECT_TRUE(f->chartData().empty());
}

TEST_F(ChartWindowTest, TheClassChartTheStudentsAndTheirEssaysOverTime) {
    TfrmTallix32 w(settings);
    TempFolder dir;
    // Jane improves: 3 errors in 10 words, then 1 in 10; John has one essay.
    const std::string jane1 = EssayBuilder()
        .text(u"one two three four five six seven ").span(u"eihgt").error(u"Sp")
        .text(u" ").span(u"nien").error(u"Sp").text(u" ").span(u"tenn").error(u"Art")
        .save(dir.file("smithjane_1001_2001_essay1.tlx"));
    const std::string john = EssayBuilder()
        .text(u"a b c d e f g h i j k l m n o p q r s ").span(u"tt").error(u"Cut")
        .save(dir.file("doejohn_1002_2001_essay1.tlx"));
    const std::string jane2 = EssayBuilder()
        .text(u"one two three four five six seven eight nine ").span(u"tenn").error(u"Sp")
        .save(dir.file("smithjane_1001_2002_essay2.tlx"));
    setDate(jane1, 9);
    setDate(jane2, 2);
    w.mnuMultiStats->trigger();
    TfrmMultiStats* m = w.frmMultiStats;
    files.push_back(q(jane2 + "\n" + john + "\n" + jane1));
    m->btnAddFiles->click();
    m->btnCount->click();
    EXPECT_FALSE(m->pgsCount->isVisible());
    EXPECT_EQ(m->tabsResults->tabText(0), QStringLiteral("&Table"));
    EXPECT_EQ(m->ErrorGrid->cell(0, 1), QStringLiteral("Art"));

    // The chart's bars are the grid's rows, most frequent first.
    std::vector<std::pair<QString, double>> fromGrid;
    for (int row = 1; !m->ErrorGrid->cell(0, row).isEmpty(); ++row)
        fromGrid.emplace_back(m->ErrorGrid->cell(2, row), m->ErrorGrid->cell(1, row).toDouble());
    std::stable_sort(fromGrid.begin(), fromGrid.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    EXPECT_EQ(bars(m->chartClass->chart()), fromGrid);
    EXPECT_EQ(fromGrid.front().first, QStringLiteral("Spelling"));
    m->tabsResults->setCurrentIndex(1);
    picture(m, "chart-multi-stats.png");

    m->chkPer100Words->click();
    const auto rates = bars(m->chartClass->chart());
    ASSERT_EQ(rates.size(), 3u);
    EXPECT_DOUBLE_EQ(rates[0].second, 300.0 / 40); // 3 Sp in 40 words

    // Copy puts an image on the clipboard; Save As writes PNG or SVG and never
    // over a counted file.
    m->chartClass->btnCopyChart->click();
    EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());
    files.push_back(q(dir.file("class.svg")));
    m->chartClass->btnSaveChart->click();
    EXPECT_TRUE(asked.back().filter.contains(QStringLiteral("*.svg")));
    EXPECT_TRUE(asked.back().keepFiles.contains(q(jane1)));
    const std::string svg = TempFolder::read(dir.file("class.svg"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("Spelling"), std::string::npos);
    files.push_back(q(dir.file("class.png")));
    m->chartClass->btnSaveChart->click();
    EXPECT_EQ(TempFolder::read(dir.file("class.png")).substr(1, 3), "PNG");
    files.push_back(q(dir.file("class.gif")));
    m->chartClass->btnSaveChart->click();
    EXPECT_FALSE(std::filesystem::exists(dir.file("class.gif")));
    EXPECT_EQ(shown.back().type, MessageType::Warning);

    // The students: Jane first (first in the list), her essays oldest first.
    m->tabsResults->setCurrentIndex(2);
    ASSERT_EQ(m->tvStudents->topLevelItemCount(), 2);
    QTreeWidgetItem* jane = m->tvStudents->topLevelItem(0);
    EXPECT_EQ(jane->text(0), QStringLiteral("smithjane"));
    EXPECT_EQ(jane->text(1), QStringLiteral("2"));
    EXPECT_EQ(jane->text(2), QStringLiteral("20"));
    EXPECT_EQ(jane->text(3), QStringLiteral("4"));
    EXPECT_EQ(jane->text(4), QStringLiteral("20.00"));
    m->tvStudents->setCurrentItem(jane);
    // The three most frequent categories are ticked at first; untick all but
    // spelling.
    for (int i = 0; i < m->lbCategories->count(); ++i)
        if (m->lbCategories->item(i)->text() != QStringLiteral("Spelling"))
            m->lbCategories->item(i)->setCheckState(Qt::Unchecked);
    const stats::StudentSeries& s = m->studentChartData();
    EXPECT_EQ(s.essays, (std::vector<std::string>{"smithjane_1001_2001_essay1.tlx",
                                                  "smithjane_1001_2002_essay2.tlx"}));
    ASSERT_EQ(s.lines.size(), 1u);
    EXPECT_EQ(s.lines[0].rates, (std::vector<double>{20.0, 10.0}));
    const auto lines = chartLines(m->chartStudent->chart());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].first, QStringLiteral("Spelling"));
    EXPECT_EQ(lines[0].second, (QList<QPointF>{{1, 20}, {2, 10}}));
    m->lbCategories->item(1)->setCheckState(Qt::Checked);
    picture(m, "chart-students.png");

    // One folder per student: all three files sit in one folder.
    m->rbFolderPerStudent->click();
    ASSERT_EQ(m->tvStudents->topLevelItemCount(), 1);
    EXPECT_EQ(m->tvStudents->topLevelItem(0)->text(1), QStringLiteral("3"));

    m->btnClear->click();
    EXPECT_EQ(m->tvStudents->topLevelItemCount(), 0);
    EXPECT_TRUE(bars(m->chartClass->chart()).empty());
}
