#pragma once
// The multiple-file statistics window: a list of marked files, counted together
// into per-category totals, and a tab-separated table (one line per file) to copy
// or save. Not modal; created once, it keeps its list and results between
// openings.
#include "annotations/AnnotationSet.h"
#include "document/Markup.h"
#include "stats/MultiStats.h"

#include <QDialog>

#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace tallix {

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

    QListWidget* lbFiles = nullptr;
    QLabel* lblFiles = nullptr;
    TStringAlignGrid* ErrorGrid = nullptr;
    QPushButton *btnAddFiles = nullptr, *btnDeleteFiles = nullptr, *btnClear = nullptr,
                *btnCount = nullptr, *btnCopy = nullptr, *btnSave = nullptr,
                *btnClose = nullptr, *btnHelp = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void setCommandsEnabled(bool on);
    void showResults();

    stats::MultiFileStatistics stats_;
};

} // namespace tallix
