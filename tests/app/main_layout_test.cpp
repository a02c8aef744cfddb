#include "app/main_layout.h"

#include <gtest/gtest.h>

namespace frostel::app {
namespace {

constexpr int kWidth = kClientWidth + kFrameExtraWidth;
constexpr int kHeight = kClientHeight + kFrameExtraHeight;

// Relations, not the rule table's numbers: at the first size, a thousand twips larger, and so
// small that some sizes would be negative.
TEST(MainLayout, TheChartGrowsTheRightColumnMovesNegativeSizesAreKeptAndPixelsRounded) {
    const MainLayout before = resized_layout(designed_layout(), kWidth, kHeight);
    EXPECT_EQ(before.chart.left + before.chart.width, before.table.left);
    EXPECT_LE(before.chart.top + before.chart.height, kClientHeight);
    EXPECT_EQ(before.table.top + before.table.height, kClientHeight);
    EXPECT_LE(before.table.left + before.table.width, kClientWidth);
    // "Programming" ends where the table does; both sit at the right edge.
    EXPECT_EQ(before.command_bar.left + before.programming.left + before.programming.width,
              before.table.left + before.table.width - 5);
    // The command bar's row, left to right, never overlaps; the progress bar stretches
    // from "Load Data" to "Programming".
    const TwipsRect row[] = {before.about,      before.chart_tools, before.fit_to_data,
                             before.set_path,   before.retrieve,    before.unit,
                             before.summary,    before.report,      before.export_csv,
                             before.archive,    before.load_data,   before.progress_bar,
                             before.programming};
    for (std::size_t i = 1; i < std::size(row); ++i) {
        EXPECT_LT(row[i - 1].left + row[i - 1].width, row[i].left) << i;
    }

    const MainLayout after = resized_layout(before, kWidth + 1000, kHeight + 1000);
    EXPECT_EQ(after.chart.width, before.chart.width + 1000);
    EXPECT_EQ(after.chart.height, before.chart.height + 1000);
    EXPECT_EQ(after.table.height, before.table.height + 1000);
    for (const auto& [moved, was] : {std::pair{after.mission_text, before.mission_text},
                                     {after.table, before.table},
                                     {after.programming, before.programming}}) {
        EXPECT_EQ(moved.left, was.left + 1000);
        EXPECT_EQ(moved.width, was.width);
    }
    EXPECT_EQ(after.progress_bar.width, before.progress_bar.width + 1000);
    EXPECT_EQ(after.error_frame.width, after.progress_bar.width);
    EXPECT_EQ(after.error_label.width, before.error_label.width + 1000);
    EXPECT_EQ(after.search_frame.left, before.search_frame.left + 500);
    EXPECT_EQ(after.search_frame.top, before.search_frame.top + 500);
    EXPECT_EQ(after.load_data, before.load_data);
    // The verdict stays right of the logger label and inside the chart as it grows.
    for (const MainLayout& l : {before, after}) {
        EXPECT_LT(l.logger_label.left + l.logger_label.width, l.verdict.left);
        EXPECT_LT(l.verdict.left + l.verdict.width, l.chart.width);
    }
    EXPECT_EQ(after.verdict.width, before.verdict.width + 1000);

    // Positions follow even below zero; sizes that would be negative keep their last value.
    const MainLayout small = resized_layout(after, 3000, 800);
    EXPECT_EQ(small.table.left, after.table.left - (kWidth + 1000 - 3000));
    EXPECT_EQ(small.programming.left, after.programming.left - (kWidth + 1000 - 3000));
    EXPECT_EQ(small.search_frame.top, after.search_frame.top - (kHeight + 1000 - 800) / 2);
    EXPECT_EQ(small.chart.width, after.chart.width);
    EXPECT_EQ(small.chart.height, after.chart.height);
    EXPECT_EQ(small.table.height, after.table.height);
    EXPECT_EQ(small.progress_bar.width, after.progress_bar.width);

    for (const auto& [twips, pixels] : {std::pair{15, 1}, {7, 0}, {8, 1}, {-1080, -72}}) {
        EXPECT_EQ(twips_to_pixels(twips), pixels) << twips;
    }
}

}  // namespace
}  // namespace frostel::app
