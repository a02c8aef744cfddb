#include "app/string_grid.h"

#include <gtest/gtest.h>

#include "app/main_window.h"

namespace frostel::app {
namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

std::vector<mission::ChartPoint> points_of(std::initializer_list<double> values) {
    std::vector<mission::ChartPoint> points;
    for (double v : values) {
        points.push_back({static_cast<double>(points.size()), v,
                          QStringLiteral("2026-01-15 10:%1:00")
                              .arg(points.size(), 2, 10, QLatin1Char('0'))
                              .toStdString()});
    }
    return points;
}

TEST(StringGrid, RefillWritesOneRowPerPointAndKeepsOrClearsTheRest) {
    StringGrid grid;
    grid.set_headings(kTableHeadings);
    refill_table(points_of({12.5, -3, 0.004, 1234.567}), grid, false, kEnglish);
    EXPECT_EQ(grid.row_count(), 4 - 1 + 3);
    EXPECT_EQ(grid.text(1, 0), "2026-01-15 10:00:00");
    const char* const expected[] = {"12.50", "-3.00", "0.00", "1234.57", ""};
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(grid.text(row, 1), expected[row - 1]) << row;
    }
    EXPECT_EQ(grid.text(5, 0), "");

    // Fewer points: the row count shrinks with them; cells beyond stay unless erased.
    refill_table(points_of({7}), grid, false, kEnglish);
    EXPECT_EQ(grid.row_count(), 3);
    EXPECT_EQ(grid.text(1, 1), "7.00");
    EXPECT_EQ(grid.text(2, 1), "-3.00");
    refill_table(points_of({7}), grid, true, kEnglish);
    EXPECT_EQ(grid.text(2, 1), "");
    EXPECT_EQ(grid.text(0, 0), "DATE          TIME     ");
    EXPECT_EQ(grid.text(0, 1), "TEMPERATURE ");

    // Writes outside the columns and rows change nothing.
    for (const auto& [row, column] : {std::pair{1, 2}, {3, 0}, {-1, 0}}) {
        grid.set_text(row, column, "outside");
        EXPECT_EQ(grid.text(row, column), "") << row << ',' << column;
    }
    EXPECT_EQ(grid.column_count(), 2);
    EXPECT_EQ(grid.row_count(), 3);

    refill_table({}, grid, true, kEnglish);
    EXPECT_EQ(grid.row_count(), 2);

    // Two decimals, half away from zero, the locale's separator and no grouping.
    refill_table(points_of({0.125, 1234.5}), grid, true, QLocale(QLocale::German));
    EXPECT_EQ(grid.text(1, 1), "0,13");
    EXPECT_EQ(grid.text(2, 1), "1234,50");
}

}  // namespace
}  // namespace frostel::app
