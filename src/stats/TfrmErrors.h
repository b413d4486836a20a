#pragma once
// The error statistics window: the counts of the last CountErrors, category by
// category, with Recount and Close. It is not modal, so the teacher can keep it
// beside the essay and recount after marking further.
#include "document/Markup.h"
#include "annotations/AnnotationSet.h"
#include "stats/ErrorChart.h"
#include "stats/ErrorCounting.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QPushButton;

namespace tallix {

class ChartPanel;
class TStringAlignGrid;

class TfrmErrors : public QDialog {
    Q_OBJECT
public:
    explicit TfrmErrors(QWidget* parent = nullptr);

    // Shows a count in the grid (ErrorStatisticsTable): its rows from row 1, the
    // rest emptied; and the same rows in the chart beside it.
    void showTable(const stats::ErrorStatisticsTable& table);
    // The chart's data: the rows of the grid, most frequent first, as counts or
    // per 100 words of the essay (as the word count counts them).
    const stats::CategoryChart& chartData() const { return chart_; }
    // What the grid holds now, read as the exports read it: rows from 1 up to the
    // first whose count cell is empty.
    stats::ErrorStatisticsTable table() const { return table_; }

    // Recount runs this (the main window's CountErrors).
    std::function<void()> recount;
    // The output colour ErrCol, read each time the window is shown.
    std::function<Colour()> errorColour;
    // The button set whose captions name the bars, and the essay's words, read
    // with each count shown.
    std::function<const AnnotationSet&()> buttonSet;
    std::function<int()> wordCount;

    TStringAlignGrid* ErrorGrid = nullptr;
    QPushButton* btnRecount = nullptr;
    QPushButton* btnOK = nullptr;
    ChartPanel* chartErrors = nullptr;
    QCheckBox* chkPer100Words = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void showChart();

    stats::ErrorStatisticsTable table_;
    stats::CategoryChart chart_;
    AnnotationSet captions_ = AnnotationSet::builtInDefaults();
    int words_ = 0;
};

} // namespace tallix
