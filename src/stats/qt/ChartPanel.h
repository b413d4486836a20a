#pragma once
// A chart in a statistics window, with Copy (an image on the clipboard) and Save
// As (a PNG image or an SVG drawing), on its buttons and on its pop-up menu.
#include <QStringList>
#include <QWidget>

#include <functional>

class QChart;
class QChartView;
class QPushButton;

namespace tallix {

class ChartPanel : public QWidget {
    Q_OBJECT
public:
    // helpContext: of the save dialog and its messages.
    explicit ChartPanel(int helpContext, QWidget* parent = nullptr);

    // Shows chart (the panel takes it over; the one before is deleted).
    void setChart(QChart* chart);
    QChart* chart() const;

    // Copy: the chart as an image on the clipboard.
    void copyChart();
    // Save As: asks for a file (PNG or SVG, by the extension chosen) and writes
    // the chart there; a failure is reported in a warning.
    void saveChart();
    // Writes the chart to path without asking: an empty text, or the reason.
    QString saveChartTo(const QString& path);

    // Files the saved chart must never replace (the marked files counted).
    std::function<QStringList()> keepFiles;

    QChartView* chartView = nullptr;
    QPushButton* btnCopyChart = nullptr;
    QPushButton* btnSaveChart = nullptr;

private:
    int helpContext_;
};

} // namespace tallix
