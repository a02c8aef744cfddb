#include "table_view.h"

#include <QAction>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <algorithm>

namespace frostel::app {

namespace {
// Room the heading cell's frame takes on both sides of its text.
constexpr int kHeadingPaddingPixels = 4;
constexpr int kTablePointSize = 8;
// Pale tints, so the texts stay readable: blue for too cold, red for too warm.
const QColor kBelowTint(0xD6, 0xE4, 0xFF);
const QColor kAboveTint(0xFF, 0xD6, 0xD6);
}  // namespace

void StringGridModel::set_sides(std::vector<insight::Side> sides) {
    sides_ = std::move(sides);
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole});
    }
}

insight::Side StringGridModel::side(int row) const {
    const auto at = static_cast<std::size_t>(row - 1);
    return row >= 1 && at < sides_.size() ? sides_[at] : insight::Side::kWithin;
}

int StringGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.row_count() - 1;
}

int StringGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.column_count();
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::BackgroundRole && index.isValid()) {
        switch (side(index.row() + 1)) {
            case insight::Side::kBelow:
                return kBelowTint;
            case insight::Side::kAbove:
                return kAboveTint;
            case insight::Side::kWithin:
                return {};
        }
    }
    if (role != Qt::DisplayRole || !index.isValid()) {
        return {};
    }
    return grid_.text(index.row() + 1, index.column());
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return {};
    }
    return grid_.text(0, section);
}

TableView::TableView(QWidget* parent) : QTableView(parent), model_(this) {
    setObjectName("MSFlexGrid1");
    // Fixed pitch, so the blanks of the headings make the columns as wide as the texts
    // below them ("DATE          TIME     " over "yyyy-mm-dd hh:mm:ss"), in a size that
    // lets both columns fit the table's width.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(kTablePointSize);
    setFont(fixed);
    horizontalHeader()->setFont(fixed);
    setModel(&model_);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* copy = new QAction(tr("Copy"), this);
    copy->setObjectName("copy_rows");
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &TableView::copy_selected_rows);
    addAction(copy);
}

void TableView::set_headings(const QString& headings) {
    model_.change([&](StringGrid& grid) { grid.set_headings(headings); });
    const QFontMetrics metrics(horizontalHeader()->font());
    for (int column = 0; column < grid().column_count(); ++column) {
        setColumnWidth(column,
                       metrics.horizontalAdvance(grid().text(0, column)) + kHeadingPaddingPixels);
    }
}

void TableView::set_text(int row, int column, const QString& text) {
    model_.change([&](StringGrid& grid) { grid.set_text(row, column, text); });
}

void TableView::set_row_count(int rows) {
    model_.change([&](StringGrid& grid) { grid.set_row_count(rows); });
}

void TableView::clear() {
    model_.change([](StringGrid& grid) { grid.clear(); });
}

void TableView::copy_selected_rows() {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.push_back(index.row() + 1);
    }
    if (rows.empty()) {
        return;
    }
    std::sort(rows.begin(), rows.end());
    rows.insert(rows.begin(), 0);  // the headings, so a spreadsheet knows the columns
    QGuiApplication::clipboard()->setText(tab_separated_rows(grid(), rows));
}

void TableView::tint_rows(std::vector<insight::Side> sides) {
    model_.set_sides(std::move(sides));
}

void TableView::show_point(int index) {
    const QModelIndex row = model_.index(index, 0);
    if (row.isValid()) {
        selectRow(index);
        scrollTo(row, QAbstractItemView::PositionAtTop);
    }
}

void TableView::refill(const std::vector<mission::ChartPoint>& points, bool erase_first) {
    model_.change([&](StringGrid& grid) { refill_table(points, grid, erase_first); });
}

}  // namespace frostel::app
