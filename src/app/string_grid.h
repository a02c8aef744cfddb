#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <vector>

#include "datafile/chart_document.h"

namespace frostel::app {

// The table's cells: row 0 is the heading row. The column count is set by the headings;
// a cell outside the rows and columns cannot be written and reads as empty.
class StringGrid {
  public:
    [[nodiscard]] int row_count() const { return rows_; }
    [[nodiscard]] int column_count() const { return static_cast<int>(headings_.size()); }
    // Keeps the cells of the rows that remain; new rows are empty.
    void set_row_count(int rows);
    void set_text(int row, int column, const QString& text);
    [[nodiscard]] QString text(int row, int column) const;
    // Erases the text of every cell below the heading row; rows, columns and headings stay.
    void clear();
    // "DATE|TEMPERATURE": one column per "|"-separated heading, written into row 0.
    void set_headings(const QString& headings);
    [[nodiscard]] const QStringList& headings() const { return headings_; }

  private:
    [[nodiscard]] bool holds(int row, int column) const;

    [[nodiscard]] std::size_t cell_index(int row, int column) const;

    int rows_ = 2;
    QStringList headings_{QString(), QString()};
    // Rows 1 and on; row 0 is the headings.
    std::vector<QString> cells_ = std::vector<QString>(2);
};

// The cells of `rows` (grid row numbers, the heading row 0 included if asked), each row's
// cells joined by tabs and each row ended by a line break: what a spreadsheet pastes.
[[nodiscard]] QString tab_separated_rows(const StringGrid& grid, const std::vector<int>& rows);

// "###0.00": two decimals, no digit grouping, the locale's decimal separator.
[[nodiscard]] QString format_temperature(double value, const QLocale& locale = QLocale());

// The table rebuilt from the chart's points: rows for the headings, each point and one
// empty row at the end; point j goes to row j + 1 as its label and its value. The headings
// row is left alone. `erase_first` clears every cell before.
void refill_table(const std::vector<mission::ChartPoint>& points, StringGrid& grid,
                  bool erase_first, const QLocale& locale = QLocale());

}  // namespace frostel::app
