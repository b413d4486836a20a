#pragma once
// The statistics charts drawn with Qt Charts, and written as images: the bars of a
// category chart (most frequent at the top) and the lines of one student's essays
// over time. The numbers come from the core's chart data; this only draws them.
#include "stats/ErrorChart.h"
#include "stats/Students.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QString>

#include <string>
#include <utility>
#include <vector>

class QChart;

namespace tallix {

// New charts; the caller owns them (a chart view takes them over).
QChart* newCategoryChart(const stats::CategoryChart& data);
QChart* newStudentChart(const stats::StudentSeries& data);

// The size a category chart reads well at: taller with more bars.
QSize categoryChartSize(const stats::CategoryChart& data);

// A chart that is in a scene (a chart view's, or one of its own) as an image of its
// present size, on white.
QImage chartImage(QChart* chart);
// The chart as an SVG drawing or a PNG image, by the extension of path (".svg",
// else ".png"), written whole: an empty text, or the reason it failed.
QString saveChartImage(QChart* chart, const QString& path);

// What a chart draws, read back from it: its title; the bars of a category chart
// from the top down (name and value); the lines of a student's chart (name and
// points).
QString chartTitle(QChart* chart);
std::vector<std::pair<QString, double>> chartBars(QChart* chart);
std::vector<std::pair<QString, QList<QPointF>>> chartLines(QChart* chart);

// The class chart of the command line: drawn at categoryChartSize, written to path.
// Needs a QApplication (the offscreen platform does). An empty text, or the reason.
std::string writeCategoryChart(const stats::CategoryChart& data, const std::string& path);

} // namespace tallix
