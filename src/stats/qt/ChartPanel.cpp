#include "stats/qt/ChartPanel.h"

#include "platform/qt/MessageBoxes.h"
#include "stats/MultiStats.h"
#include "stats/qt/ChartImage.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallix {

ChartPanel::ChartPanel(int helpContext, QWidget* parent)
    : QWidget(parent), helpContext_(helpContext) {
    chartView = new QChartView(new QChart, this);
    chartView->setObjectName(QStringLiteral("chartView"));
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setContextMenuPolicy(Qt::ActionsContextMenu);
    chartView->setToolTip(QStringLiteral("Right-click to copy the chart or save it as an image"));
    auto* copy = new QAction(QStringLiteral("&Copy Chart"), chartView);
    copy->setObjectName(QStringLiteral("popCopyChart"));
    auto* save = new QAction(QStringLiteral("Save Chart &As..."), chartView);
    save->setObjectName(QStringLiteral("popSaveChart"));
    chartView->addAction(copy);
    chartView->addAction(save);
    connect(copy, &QAction::triggered, this, &ChartPanel::copyChart);
    connect(save, &QAction::triggered, this, &ChartPanel::saveChart);

    btnCopyChart = new QPushButton(QStringLiteral("Copy C&hart"), this);
    btnCopyChart->setObjectName(QStringLiteral("btnCopyChart"));
    btnCopyChart->setToolTip(QStringLiteral("Copy the chart to the clipboard as an image"));
    btnSaveChart = new QPushButton(QStringLiteral("Save Chart As..."), this);
    btnSaveChart->setObjectName(QStringLiteral("btnSaveChart"));
    btnSaveChart->setToolTip(QStringLiteral("Save the chart as a PNG image or an SVG drawing"));
    connect(btnCopyChart, &QPushButton::clicked, this, &ChartPanel::copyChart);
    connect(btnSaveChart, &QPushButton::clicked, this, &ChartPanel::saveChart);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCopyChart);
    buttons->addWidget(btnSaveChart);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chartView, 1);
    layout->addLayout(buttons);
}

void ChartPanel::setChart(QChart* chart) {
    QChart* old = chartView->chart();
    chartView->setChart(chart);
    delete old;
}

QChart* ChartPanel::chart() const { return chartView->chart(); }

void ChartPanel::copyChart() { QGuiApplication::clipboard()->setImage(chartImage(chart())); }

QString ChartPanel::saveChartTo(const QString& path) { return saveChartImage(chart(), path); }

void ChartPanel::saveChart() {
    FileRequest r;
    r.mode = FileRequest::Mode::Save;
    r.title = QStringLiteral("Save the chart");
    r.filter = QStringLiteral("PNG image (*.png)|*.png|SVG drawing (*.svg)|*.svg");
    r.defaultExtension = QStringLiteral(".png");
    r.confirmOverwrite = true;
    r.helpContext = helpContext_;
    if (keepFiles)
        r.keepFiles = keepFiles();
    std::optional<QString> path = askFileName(this, r);
    if (!path || path->isEmpty())
        return;
    if (!path->endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) &&
        !path->endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        showMessage(this, QStringLiteral("A chart is saved as a PNG image (.png) or an SVG drawing (.svg)."),
                    MessageType::Warning, buttons::Ok, helpContext_);
        return;
    }
    if (!saveChartTo(*path).isEmpty())
        showMessage(this, QString::fromUtf16(stats::SaveFailedMessage), MessageType::Warning,
                    buttons::Ok, stats::SaveFailureHelpContext);
}

} // namespace tallix
