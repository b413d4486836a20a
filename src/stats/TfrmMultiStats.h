#pragma once
// The multiple-file statistics window: a list of marked files, counted together
// into per-category totals, and a tab-separated table (one line per file) to copy
// or save. Not modal; created once, it keeps its list and results between
// openings.
#include "annotations/AnnotationSet.h"
#include "document/Markup.h"
#include "stats/ErrorChart.h"
#include "stats/MultiStats.h"
#include "stats/Students.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;

namespace tallix {

class ChartPanel;
class TStringAlignGrid;

class TfrmMultiStats : public QDialog {
    Q_OBJECT
public:
    // errorTypeTitle heads the grid's third column.
    explicit TfrmMultiStats(QWidget* parent = nullptr,
                            const QString& errorTypeTitle = QStringLiteral("Error type"));

    // The main window's current button set, read when a count starts.
    std::function<const AnnotationSet&()> buttonSet;
    // The output colour ErrCol, read each time the window is shown.
    std::function<Colour()> errorColour;

    void btnAddFilesClick();
    void btnDeleteFilesClick();
    void btnClearClick();
    // Puts these files in the list in place of the ones there (the class queue's
    // Class Statistics); the results are cleared. Refused while a count runs.
    void setFiles(const QStringList& paths);
    void btnCountClick();
    void btnCopyClick();
    void btnSaveClick();
    // CompileOutText, after a recount when the list changed since the last count.
    QString CompileOutText();
    void FormResize();

    const stats::MultiFileStatistics& statistics() const { return stats_; }
    // The worker threads of a count (0: one per core).
    void setJobs(int jobs) { stats_.setJobs(jobs); }

    // What the charts show now: the class's bars, the students of the list, and
    // the lines of the student selected in the student view.
    const stats::CategoryChart& classChartData() const { return classChart_; }
    const std::vector<stats::StudentRecord>& students() const { return students_; }
    const stats::StudentSeries& studentChartData() const { return studentSeries_; }
    // The grouping chosen in the student view.
    stats::StudentGrouping grouping() const;
    // The entries ticked in the student view's list of categories.
    std::vector<int> tickedEntries() const;

    QListWidget* lbFiles = nullptr;
    QLabel* lblFiles = nullptr;
    TStringAlignGrid* ErrorGrid = nullptr;
    // The grid, the class chart and the student view share the grid's place.
    QTabWidget* tabsResults = nullptr;
    ChartPanel* chartClass = nullptr;
    QCheckBox* chkPer100Words = nullptr;
    QRadioButton *rbNameFromFile = nullptr, *rbFolderPerStudent = nullptr;
    QTreeWidget* tvStudents = nullptr;
    QListWidget* lbCategories = nullptr;
    ChartPanel* chartStudent = nullptr;
    QProgressBar* pgsCount = nullptr;
    QPushButton *btnAddFiles = nullptr, *btnDeleteFiles = nullptr, *btnClear = nullptr,
                *btnCount = nullptr, *btnCopy = nullptr, *btnSave = nullptr,
                *btnClose = nullptr, *btnHelp = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void setCommandsEnabled(bool on);
    void showResults();
    void showClassChart();
    void showStudents();
    void showStudentChart();
    QWidget* makeChartPage();
    QWidget* makeStudentPage();

    stats::MultiFileStatistics stats_;
    stats::CategoryChart classChart_;
    std::vector<stats::StudentRecord> students_;
    stats::StudentSeries studentSeries_;
};

} // namespace tallix
