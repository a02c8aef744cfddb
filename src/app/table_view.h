#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include "insight/limits.h"
#include "string_grid.h"

namespace frostel::app {

// Shows a StringGrid: its row 0 as the column headings, the rows below as the table.
class StringGridModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    [[nodiscard]] const StringGrid& grid() const { return grid_; }
    // Any number of changes, the views told once afterwards.
    template <typename Change>
    void change(Change&& change) {
        beginResetModel();
        change(grid_);
        endResetModel();
    }

    // Where each data row's point stands against the limits (row 1 first); rows beyond the
    // list are within. Only the tint follows; the texts stay.
    void set_sides(std::vector<insight::Side> sides);
    [[nodiscard]] insight::Side side(int row) const;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

  private:
    StringGrid grid_;
    std::vector<insight::Side> sides_;
};

// The mission table (MSFlexGrid1). Ctrl+C and its context menu's "Copy" put the headings and
// the selected rows on the clipboard as tab-separated text; others add their entries to that menu.
class TableView final : public QTableView {
    Q_OBJECT

  public:
    explicit TableView(QWidget* parent = nullptr);

    [[nodiscard]] const StringGrid& grid() const { return model_.grid(); }
    // Each column as wide as its heading text, blanks included.
    void set_headings(const QString& headings);
    void set_text(int row, int column, const QString& text);
    void set_row_count(int rows);
    void clear();
    void refill(const std::vector<mission::ChartPoint>& points, bool erase_first);
    // Rows of points outside the limits are tinted: row j + 1 by `sides[j]`.
    void tint_rows(std::vector<insight::Side> sides);
    // Scrolls so that point `index`'s row is the first in view, and selects it.
    void show_point(int index);
    [[nodiscard]] const StringGridModel& grid_model() const { return model_; }
    void copy_selected_rows();

  private:
    StringGridModel model_;
};

}  // namespace frostel::app
