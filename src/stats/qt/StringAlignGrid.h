#pragma once
// TStringAlignGrid: the read-only text grid of the statistics windows. It has a
// fixed number of columns and rows, of which row 0 is a fixed header row (there is
// no fixed column); cells cannot be edited; each column has a width, a text
// alignment for its header cell and one for its body cells, and a font and a font
// colour of its own (its body cells use them; without them, the grid's). The
// selected cell is drawn in colours of its own, and a vertical scroll bar is
// always there.
//
// Cells are addressed (column, row) with row 0 the header, as the windows write
// them.
#include <QColor>
#include <QFont>
#include <QTableView>

#include <optional>
#include <vector>

namespace tallix {

class StringAlignGridModel;

class TStringAlignGrid : public QTableView {
    Q_OBJECT
public:
    // columns and rows include the header row; both at least 1.
    TStringAlignGrid(int columns, int rows, QWidget* parent = nullptr);
    ~TStringAlignGrid() override;

    int colCount() const;
    int rowCount() const; // the header row included

    // Cell text; an empty string outside the grid, where writing does nothing.
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);
    // Empties every cell of the body rows from `from` to the last.
    void clearRows(int from);

    void setHeaderAlignment(int column, Qt::Alignment a);
    void setBodyAlignment(int column, Qt::Alignment a);
    Qt::Alignment headerAlignment(int column) const;
    Qt::Alignment bodyAlignment(int column) const;

    // The grid's font and colour: the header cells, and the body cells of columns
    // that have none of their own.
    void setGridFont(const QFont& f);
    void setGridFontColour(const QColor& c);
    QColor gridFontColour() const;
    void setColumnFont(int column, const QFont& f);
    void setColumnFontColour(int column, const QColor& c);
    // The colour the body cells of a column are drawn in.
    QColor columnFontColour(int column) const;

    // The selected cell's background and text.
    void setSelectedColours(const QColor& background, const QColor& text);

    // The width a grid needs to show columns of these widths and its scroll bar.
    int widthFor(int columnsWidth) const;

private:
    StringAlignGridModel* model_;
};

} // namespace tallix
