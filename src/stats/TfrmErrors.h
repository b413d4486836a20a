#pragma once
// The error statistics window: the counts of the last CountErrors, category by
// category, with Recount and Close. It is not modal, so the teacher can keep it
// beside the essay and recount after marking further.
#include "document/Markup.h"
#include "stats/ErrorCounting.h"

#include <QDialog>

#include <functional>

class QPushButton;

namespace tallix {

class TStringAlignGrid;

class TfrmErrors : public QDialog {
    Q_OBJECT
public:
    explicit TfrmErrors(QWidget* parent = nullptr);

    // Shows a count in the grid (ErrorStatisticsTable): its rows from row 1, the
    // rest emptied.
    void showTable(const stats::ErrorStatisticsTable& table);
    // What the grid holds now, read as the exports read it: rows from 1 up to the
    // first whose count cell is empty.
    stats::ErrorStatisticsTable table() const { return table_; }

    // Recount runs this (the main window's CountErrors).
    std::function<void()> recount;
    // The output colour ErrCol, read each time the window is shown.
    std::function<Colour()> errorColour;

    TStringAlignGrid* ErrorGrid = nullptr;
    QPushButton* btnRecount = nullptr;
    QPushButton* btnOK = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    stats::ErrorStatisticsTable table_;
};

} // namespace tallix
