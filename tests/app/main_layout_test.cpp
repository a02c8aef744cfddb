#include "main_layout.h"

#include <gtest/gtest.h>

namespace frostel::app {
namespace {

constexpr int kWidth = kClientWidth + kFrameExtraWidth;
constexpr int kHeight = kClientHeight + kFrameExtraHeight;

TEST(MainLayout, FirstShowingFitsTheClientAreaAndWideningByAThousandTwipsMovesTheRightColumn) {
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

    const MainLayout after = resized_layout(before, kWidth + 1000, kHeight);
    EXPECT_EQ(after.chart.width, before.chart.width + 1000);
    EXPECT_EQ(after.mission_text.left, before.mission_text.left + 1000);
    EXPECT_EQ(after.table.left, before.table.left + 1000);
    EXPECT_EQ(after.programming.left, before.programming.left + 1000);
    EXPECT_EQ(after.table.width, 3820);
    EXPECT_EQ(after.mission_text.width, 3820);
    EXPECT_EQ(after.progress_bar.width, before.progress_bar.width + 1000);
    EXPECT_EQ(after.error_label.width, before.error_label.width + 1000);
    EXPECT_EQ(after.search_frame.left, before.search_frame.left + 500);
    EXPECT_EQ(after.chart.height, before.chart.height);
    EXPECT_EQ(after.load_data, before.load_data);
}

TEST(MainLayout, RuleTableValuesAndSizesThatWouldBeNegativeKeepTheirLastValue) {
    const MainLayout l = resized_layout(designed_layout(), 12000, 8000);
    EXPECT_EQ(l.command_bar.width, 14280);
    EXPECT_EQ(l.chart.width, 7900);
    EXPECT_EQ(l.chart.height, 7010);
    EXPECT_EQ(l.table.left, 7900);
    EXPECT_EQ(l.table.height, 5750);
    EXPECT_EQ(l.mission_text.left, 7900);
    EXPECT_EQ(l.programming.left, 11340);
    EXPECT_EQ(l.progress_bar.left + l.progress_bar.width, 12000 - 840);
    EXPECT_EQ(l.error_frame.width, l.progress_bar.width);
    EXPECT_EQ(l.search_frame.top, 2560);
    EXPECT_EQ(l.search_frame.left, 4312);

    // Below 4100 twips wide: positions may go negative, the other rows still apply.
    const MainLayout narrow = resized_layout(l, 3000, 800);
    EXPECT_EQ(narrow.chart.width, l.chart.width);
    EXPECT_EQ(narrow.chart.height, l.chart.height);
    EXPECT_EQ(narrow.table.height, l.table.height);
    EXPECT_EQ(narrow.progress_bar.width, l.progress_bar.width);
    EXPECT_EQ(narrow.table.left, -1100);
    EXPECT_EQ(narrow.programming.left, 2340);
    EXPECT_EQ(narrow.command_bar.width, 5280);
    EXPECT_EQ(narrow.search_frame.top, -1040);
}

TEST(MainLayout, TwipsToPixelsRoundsToTheNearestPixel) {
    const std::pair<int, int> cases[] = {
        {15, 1}, {7, 0}, {8, 1}, {-1080, -72}, {kClientWidth, 833}};
    for (const auto& [twips, pixels] : cases) {
        EXPECT_EQ(twips_to_pixels(twips), pixels) << twips;
    }
}

}  // namespace
}  // namespace frostel::app
