#include "stats/qt/ChartImage.h"

#include "platform/FileIO.h"
#include "platform/qt/QtStrings.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHorizontalBarSeries>
#include <QLineSeries>
#include <QPainter>
#include <QSvgGenerator>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace tallix {

namespace {

// A round upper end for a value axis, and ticks that fall on whole numbers where
// the values are counts.
void setValueRange(QValueAxis* axis, double max, bool whole) {
    double top = max <= 0 ? 1 : max * 1.15;
    if (whole) {
        top = std::ceil(top);
        const int ticks = int(std::min(top, 10.0)) + 1;
        axis->setTickCount(std::max(2, ticks));
        top = std::ceil(top / (ticks - 1)) * (ticks - 1);
        axis->setLabelFormat(QStringLiteral("%d"));
    } else {
        axis->setTickCount(6);
        axis->setLabelFormat(QStringLiteral("%.1f"));
    }
    axis->setRange(0, top);
    if (!whole)
        axis->applyNiceNumbers();
}

QFont chartFont(int pixels, bool bold = false) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

} // namespace

QChart* newCategoryChart(const stats::CategoryChart& data) {
    auto* chart = new QChart;
    chart->setTitle(qs(data.title));
    chart->setTitleFont(chartFont(15, true));
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);

    auto* set = new QBarSet(qs(data.valueTitle()));
    set->setColor(QColor(0xC0, 0x30, 0x30));
    set->setLabelColor(Qt::black);
    QStringList categories;
    double max = 0;
    // A horizontal bar chart draws its first category at the bottom: the most
    // frequent goes in last, to stand at the top.
    for (auto it = data.bars.rbegin(); it != data.bars.rend(); ++it) {
        categories << qs(it->label());
        const double v = data.value(*it);
        *set << v;
        max = std::max(max, v);
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsPrecision(data.per100Words ? 3 : 6);
    series->setBarWidth(0.7);
    chart->addSeries(series);

    auto* names = new QBarCategoryAxis;
    names->append(categories);
    names->setLabelsFont(chartFont(12));
    chart->addAxis(names, Qt::AlignLeft);
    series->attachAxis(names);
    auto* values = new QValueAxis;
    setValueRange(values, max, !data.per100Words);
    values->setTitleText(qs(data.valueTitle()));
    values->setLabelsFont(chartFont(11));
    values->setTitleFont(chartFont(12));
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
    return chart;
}

QChart* newStudentChart(const stats::StudentSeries& data) {
    auto* chart = new QChart;
    chart->setTitle(QString::fromStdString(data.student) +
                    QStringLiteral(": errors per 100 words"));
    chart->setTitleFont(chartFont(15, true));
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setFont(chartFont(11));

    const int essays = int(data.essays.size());
    auto* x = new QValueAxis;
    x->setRange(essays > 1 ? 1 : 0.5, essays > 1 ? essays : 1.5);
    x->setTickCount(essays > 1 && essays <= 12 ? essays : essays > 12 ? 12 : 3);
    x->setLabelFormat(QStringLiteral("%d"));
    x->setTitleText(QStringLiteral("Essay (oldest first)"));
    x->setTitleFont(chartFont(12));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Errors per 100 words"));
    y->setTitleFont(chartFont(12));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    double max = 0;
    for (const stats::StudentLine& line : data.lines) {
        auto* series = new QLineSeries;
        series->setName(qs(line.description.empty() ? line.abbreviation : line.description));
        series->setPointsVisible(true);
        for (std::size_t i = 0; i < line.rates.size(); ++i) {
            series->append(double(i + 1), line.rates[i]);
            max = std::max(max, line.rates[i]);
        }
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    setValueRange(y, max, false);
    return chart;
}

QSize categoryChartSize(const stats::CategoryChart& data) {
    return QSize(820, std::max(320, 130 + 34 * int(data.bars.size())));
}

QImage chartImage(QChart* chart) {
    const QSize size = chart->size().toSize().expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (chart->scene())
        chart->scene()->render(&p, QRectF(QPointF(), size), chart->sceneBoundingRect());
    return image;
}

QString saveChartImage(QChart* chart, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        const QSize size = chart->size().toSize();
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(), size));
        svg.setTitle(chart->title());
        svg.setDescription(QStringLiteral("Error statistics drawn by Tallix32"));
        QPainter p(&svg);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(QRect(QPoint(), size), Qt::white);
        if (chart->scene())
            chart->scene()->render(&p, QRectF(QPointF(), size), chart->sceneBoundingRect());
        p.end();
    } else if (!chartImage(chart).save(&buffer, "PNG")) {
        return QStringLiteral("the image could not be made");
    }
    buffer.close();
    const fileio::FileResult r = fileio::writeFileAtomic(
        path.toStdString(), std::string_view(bytes.constData(), std::size_t(bytes.size())));
    return r.ok ? QString() : QString::fromStdString(r.error);
}

QString chartTitle(QChart* chart) { return chart ? chart->title() : QString(); }

std::vector<std::pair<QString, double>> chartBars(QChart* chart) {
    std::vector<std::pair<QString, double>> r;
    auto* series = chart ? qobject_cast<QHorizontalBarSeries*>(chart->series().value(0)) : nullptr;
    auto* names = chart ? qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Vertical).value(0)) : nullptr;
    if (!series || !names || series->barSets().isEmpty())
        return r;
    const QStringList categories = names->categories();
    const QBarSet* set = series->barSets().first();
    for (qsizetype i = categories.size() - 1; i >= 0; --i)
        r.emplace_back(categories[i], set->at(int(i)));
    return r;
}

std::vector<std::pair<QString, QList<QPointF>>> chartLines(QChart* chart) {
    std::vector<std::pair<QString, QList<QPointF>>> r;
    if (!chart)
        return r;
    for (QAbstractSeries* s : chart->series())
        if (auto* line = qobject_cast<QLineSeries*>(s))
            r.emplace_back(line->name(), line->points());
    return r;
}

std::string writeCategoryChart(const stats::CategoryChart& data, const std::string& path) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return "charts are drawn only with the program's painting started";
    QGraphicsScene scene;
    QChart* chart = newCategoryChart(data);
    scene.addItem(chart); // the scene owns it
    chart->resize(categoryChartSize(data));
    chart->layout()->activate();
    QCoreApplication::processEvents();
    return saveChartImage(chart, QString::fromStdString(path)).toStdString();
}

} // namespace tallix
