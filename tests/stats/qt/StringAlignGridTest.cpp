#include "stats/qt/StringAlignGrid.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTest>

#include <gtest/gtest.h>

using namespace tallix;

TEST(StringAlignGrid, HeaderRowBodyCellsAndTheirLooks) {
    TStringAlignGrid g(3, 5);
    EXPECT_EQ(g.colCount(), 3);
    EXPECT_EQ(g.rowCount(), 5);
    g.setCell(0, 0, QStringLiteral("Abb"));
    g.setCell(1, 4, QStringLiteral("9"));
    g.setCell(3, 1, QStringLiteral("outside"));
    g.setCell(0, 5, QStringLiteral("outside"));
    EXPECT_EQ(g.cell(0, 0), QStringLiteral("Abb"));
    EXPECT_EQ(g.cell(1, 4), QStringLiteral("9"));
    EXPECT_EQ(g.cell(3, 1), QString());
    // Row 0 is the view's header; the body rows are the model's rows.
    EXPECT_EQ(g.model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Abb"));
    EXPECT_EQ(g.model()->rowCount(), 4);
    EXPECT_EQ(g.model()->data(g.model()->index(3, 1)).toString(), QStringLiteral("9"));

    g.setHeaderAlignment(1, Qt::AlignRight);
    g.setBodyAlignment(1, Qt::AlignHCenter);
    EXPECT_EQ(g.model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(g.model()->data(g.model()->index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignHCenter | Qt::AlignVCenter);
    g.setGridFontColour(QColor(128, 0, 0));
    g.setColumnFontColour(0, QColor(255, 0, 0));
    EXPECT_EQ(g.columnFontColour(0), QColor(255, 0, 0));
    EXPECT_EQ(g.columnFontColour(2), QColor(128, 0, 0));
    EXPECT_EQ(g.model()->data(g.model()->index(0, 2), Qt::ForegroundRole).value<QColor>(),
              QColor(128, 0, 0));

    // Nothing can be edited, and clearing leaves the header.
    EXPECT_EQ(g.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(g.model()->flags(g.model()->index(0, 0)) & Qt::ItemIsEditable);
    g.clearRows(1);
    EXPECT_EQ(g.cell(1, 4), QString());
    EXPECT_EQ(g.cell(0, 0), QStringLiteral("Abb"));
}
