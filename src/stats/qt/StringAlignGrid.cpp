#include "stats/qt/StringAlignGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace tallix {

// The cells: the header row is the view's horizontal header, the other rows the
// model's rows.
class StringAlignGridModel : public QAbstractTableModel {
public:
    struct Column {
        Qt::Alignment header = Qt::AlignLeft;
        Qt::Alignment body = Qt::AlignLeft;
        std::optional<QFont> font;
        std::optional<QColor> colour;
    };

    StringAlignGridModel(int columns, int rows, QObject* parent)
        : QAbstractTableModel(parent), columns_(std::size_t(columns)),
          cells_(std::size_t(columns * rows)), rows_(rows) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : rows_ - 1;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(columns_.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        const Column& c = columns_[std::size_t(index.column())];
        switch (role) {
        case Qt::DisplayRole:
            return text(index.column(), index.row() + 1);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(c.body | Qt::AlignVCenter);
        case Qt::FontRole:
            return c.font ? *c.font : font;
        case Qt::ForegroundRole:
            return c.colour ? *c.colour : colour;
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || section < 0 || section >= int(columns_.size()))
            return {};
        switch (role) {
        case Qt::DisplayRole:
            return text(section, 0);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(columns_[std::size_t(section)].header | Qt::AlignVCenter);
        case Qt::FontRole:
            return font;
        case Qt::ForegroundRole:
            return colour;
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    bool inside(int column, int row) const {
        return column >= 0 && column < int(columns_.size()) && row >= 0 && row < rows_;
    }
    const QString& text(int column, int row) const {
        return cells_[std::size_t(row) * columns_.size() + std::size_t(column)];
    }
    void setText(int column, int row, const QString& t) {
        QString& cell = cells_[std::size_t(row) * columns_.size() + std::size_t(column)];
        if (cell == t)
            return;
        cell = t;
        if (row == 0)
            emit headerDataChanged(Qt::Horizontal, column, column);
        else
            emit dataChanged(index(row - 1, column), index(row - 1, column));
    }
    void changedAll() {
        if (rows_ > 1)
            emit dataChanged(index(0, 0), index(rows_ - 2, int(columns_.size()) - 1));
        emit headerDataChanged(Qt::Horizontal, 0, int(columns_.size()) - 1);
    }

    std::vector<Column> columns_;
    QFont font;
    QColor colour = Qt::black;

private:
    std::vector<QString> cells_;
    int rows_;
};

TStringAlignGrid::TStringAlignGrid(int columns, int rows, QWidget* parent)
    : QTableView(parent),
      model_(new StringAlignGridModel(std::max(columns, 1), std::max(rows, 1), this)) {
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(20);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setFixedHeight(22);
    model_->font = font();
}

TStringAlignGrid::~TStringAlignGrid() = default;

int TStringAlignGrid::colCount() const { return model_->columnCount(); }

int TStringAlignGrid::rowCount() const { return model_->rowCount() + 1; }

QString TStringAlignGrid::cell(int column, int row) const {
    return model_->inside(column, row) ? model_->text(column, row) : QString();
}

void TStringAlignGrid::setCell(int column, int row, const QString& text) {
    if (model_->inside(column, row))
        model_->setText(column, row, text);
}

void TStringAlignGrid::clearRows(int from) {
    for (int row = std::max(from, 1); row < rowCount(); ++row)
        for (int column = 0; column < colCount(); ++column)
            setCell(column, row, QString());
}

void TStringAlignGrid::setHeaderAlignment(int column, Qt::Alignment a) {
    if (!model_->inside(column, 0))
        return;
    model_->columns_[std::size_t(column)].header = a;
    model_->changedAll();
}

void TStringAlignGrid::setBodyAlignment(int column, Qt::Alignment a) {
    if (!model_->inside(column, 0))
        return;
    model_->columns_[std::size_t(column)].body = a;
    model_->changedAll();
}

Qt::Alignment TStringAlignGrid::headerAlignment(int column) const {
    return model_->inside(column, 0) ? model_->columns_[std::size_t(column)].header
                                     : Qt::Alignment(Qt::AlignLeft);
}

Qt::Alignment TStringAlignGrid::bodyAlignment(int column) const {
    return model_->inside(column, 0) ? model_->columns_[std::size_t(column)].body
                                     : Qt::Alignment(Qt::AlignLeft);
}

void TStringAlignGrid::setGridFont(const QFont& f) {
    setFont(f);
    horizontalHeader()->setFont(f);
    model_->font = f;
    model_->changedAll();
}

void TStringAlignGrid::setGridFontColour(const QColor& c) {
    model_->colour = c;
    model_->changedAll();
}

QColor TStringAlignGrid::gridFontColour() const { return model_->colour; }

void TStringAlignGrid::setColumnFont(int column, const QFont& f) {
    if (!model_->inside(column, 0))
        return;
    model_->columns_[std::size_t(column)].font = f;
    model_->changedAll();
}

void TStringAlignGrid::setColumnFontColour(int column, const QColor& c) {
    if (!model_->inside(column, 0))
        return;
    model_->columns_[std::size_t(column)].colour = c;
    model_->changedAll();
}

QColor TStringAlignGrid::columnFontColour(int column) const {
    if (!model_->inside(column, 0))
        return model_->colour;
    const auto& c = model_->columns_[std::size_t(column)].colour;
    return c ? *c : model_->colour;
}

void TStringAlignGrid::setSelectedColours(const QColor& background, const QColor& text) {
    QPalette p = palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(g, QPalette::Highlight, background);
        p.setColor(g, QPalette::HighlightedText, text);
    }
    setPalette(p);
}

int TStringAlignGrid::widthFor(int columnsWidth) const {
    return columnsWidth + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * frameWidth();
}

} // namespace tallix
