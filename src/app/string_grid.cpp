#include "app/string_grid.h"

namespace frostel::app {

bool StringGrid::holds(int row, int column) const {
    return row >= 0 && row < rows_ && column >= 0 && column < column_count();
}

std::size_t StringGrid::cell_index(int row, int column) const {
    return static_cast<std::size_t>(row - 1) * column_count() + column;
}

void StringGrid::set_row_count(int rows) {
    if (rows < 1) {
        return;
    }
    rows_ = rows;
    cells_.resize(static_cast<std::size_t>(rows - 1) * column_count());
}

void StringGrid::set_text(int row, int column, const QString& text) {
    if (!holds(row, column)) {
        return;
    }
    if (row == 0) {
        headings_[column] = text;
    } else {
        cells_[cell_index(row, column)] = text;
    }
}

QString StringGrid::text(int row, int column) const {
    if (!holds(row, column)) {
        return {};
    }
    return row == 0 ? headings_[column] : cells_[cell_index(row, column)];
}

void StringGrid::clear() {
    for (QString& cell : cells_) {
        cell.clear();
    }
}

void StringGrid::set_headings(const QString& headings) {
    headings_ = headings.split(QLatin1Char('|'));
    cells_.assign(static_cast<std::size_t>(rows_ - 1) * column_count(), QString());
}

QString tab_separated_rows(const StringGrid& grid, const std::vector<int>& rows) {
    QString text;
    for (const int row : rows) {
        for (int column = 0; column < grid.column_count(); ++column) {
            // The blanks that make a heading as wide as its column are no part of it.
            text += (column == 0 ? QString() : QStringLiteral("\t")) +
                    grid.text(row, column).simplified();
        }
        text += QLatin1Char('\n');
    }
    return text;
}

QString format_temperature(double value, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(value, 'f', 2);
}

void refill_table(const std::vector<mission::ChartPoint>& points, StringGrid& grid,
                  bool erase_first, const QLocale& locale) {
    if (erase_first) {
        grid.clear();
    }
    const int last_index = static_cast<int>(points.size()) - 1;
    grid.set_row_count(last_index + 3);
    for (int j = 0; j <= last_index; ++j) {
        grid.set_text(j + 1, 0, QString::fromLatin1(points[j].label));
        grid.set_text(j + 1, 1, format_temperature(points[j].y, locale));
    }
}

}  // namespace frostel::app
