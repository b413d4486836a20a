#include "stats/TfrmErrors.h"
#include "platform/qt/QtStrings.h"

#include "export/OutputColours.h"
#include "platform/qt/HelpViewer.h"
#include "stats/qt/ChartImage.h"
#include "stats/qt/ChartPanel.h"
#include "stats/qt/StringAlignGrid.h"

#include <QCheckBox>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace tallix {

namespace {

QColor qcolour(Colour c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

constexpr int CountColumnWidth = 64;
constexpr int TypeColumnWidth = 487;
constexpr int GridHeight = 322;
constexpr int ChartWidth = 470;

} // namespace

TfrmErrors::TfrmErrors(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmErrors"));
    setWindowTitle(QStringLiteral("Error Statistics"));
    setModal(false);
    setHelpContext(this, stats::ErrorStatisticsHelpContext);

    ErrorGrid = new TStringAlignGrid(stats::ErrorStatisticsTable::ColumnCount,
                                     stats::ErrorStatisticsTable::RowCount, this);
    ErrorGrid->setObjectName(QStringLiteral("ErrorGrid"));
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(13);
    ErrorGrid->setGridFont(f);
    ErrorGrid->setHeaderAlignment(0, Qt::AlignHCenter);
    ErrorGrid->setBodyAlignment(0, Qt::AlignHCenter);
    ErrorGrid->setGridFontColour(qcolour(LabelColour));
    ErrorGrid->setColumnFontColour(0, qcolour(LabelColour));
    ErrorGrid->setColumnWidth(0, CountColumnWidth);
    ErrorGrid->setColumnWidth(1, TypeColumnWidth);
    // A selected cell keeps its figures readable.
    ErrorGrid->setSelectedColours(Qt::white, Qt::black);
    for (int column = 0; column < stats::ErrorStatisticsTable::ColumnCount; ++column)
        ErrorGrid->setCell(column, 0, qs(table_.cell(column, 0)));
    const int gridWidth = ErrorGrid->widthFor(CountColumnWidth + TypeColumnWidth);
    ErrorGrid->setGeometry(8, 8, gridWidth, GridHeight);

    btnRecount = new QPushButton(QStringLiteral("&Recount"), this);
    btnRecount->setObjectName(QStringLiteral("btnRecount"));
    btnRecount->setToolTip(QStringLiteral("Recount and display error statistics"));
    btnOK = new QPushButton(QStringLiteral("&Close"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    // The chart stands beside the grid, as high as the grid and its buttons.
    chartErrors = new ChartPanel(stats::ErrorStatisticsHelpContext, this);
    chartErrors->setObjectName(QStringLiteral("chartErrors"));
    chkPer100Words = new QCheckBox(QStringLiteral("&Per 100 words"), this);
    chkPer100Words->setObjectName(QStringLiteral("chkPer100Words"));
    chkPer100Words->setToolTip(
        QStringLiteral("Show errors per 100 words of the essay, so that long and short essays compare"));
    connect(chkPer100Words, &QCheckBox::toggled, this, [this] { showChart(); });

    const int buttonsTop = 8 + GridHeight + 10;
    const int chartLeft = 8 + gridWidth + 8;
    const int clientWidth = chartLeft + ChartWidth + 8;
    const int gridCentre = 8 + gridWidth / 2;
    btnRecount->setGeometry(gridCentre - 95, buttonsTop, 90, 26);
    btnOK->setGeometry(gridCentre + 5, buttonsTop, 90, 26);
    chartErrors->setGeometry(chartLeft, 8, ChartWidth, GridHeight + 10 + 26);
    chkPer100Words->setGeometry(chartLeft, buttonsTop + 3, 140, 22);
    chkPer100Words->raise();
    setFixedSize(clientWidth, buttonsTop + 26 + 10);
    showChart();

    connect(btnRecount, &QPushButton::clicked, this, [this] {
        if (recount)
            recount();
    });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::close);
}

void TfrmErrors::showTable(const stats::ErrorStatisticsTable& table) {
    table_ = table;
    for (int row = 1; row < stats::ErrorStatisticsTable::RowCount; ++row)
        for (int column = 0; column < stats::ErrorStatisticsTable::ColumnCount; ++column)
            ErrorGrid->setCell(column, row, qs(table_.cell(column, row)));
    if (buttonSet)
        captions_ = buttonSet();
    words_ = wordCount ? wordCount() : 0;
    showChart();
}

void TfrmErrors::showChart() {
    chart_ = stats::essayChart(table_, captions_, words_, chkPer100Words->isChecked());
    chartErrors->setChart(newCategoryChart(chart_));
}

void TfrmErrors::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // The counts appear in the error colour chosen for the exports, as it is now.
    if (errorColour)
        ErrorGrid->setColumnFontColour(0, qcolour(errorColour()));
    if (e->spontaneous())
        return;
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect area = s->availableGeometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }
}

void TfrmErrors::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) {
        showHelpFor(this);
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace tallix
