#include "main_layout.h"

#include <gtest/gtest.h>

namespace frostel::app {
namespace {

constexpr int kWidth = kClientWidth + kFrameExtraWidth;
constexpr int kHeight = kClientHeight + kFrameExtraHeight;

TEST(MainLayout, FirstShowingFitsTheViewsIntoTheClientArea) {
    const MainLayout l = resized_layout(designed_layout(), kWidth, kHeight);
    EXPECT_EQ(l.chart.left + l.chart.width, l.table.left);
    EXPECT_LE(l.chart.top + l.chart.height, kClientHeight);
    EXPECT_EQ(l.table.top + l.table.height, kClientHeight);
    EXPECT_LE(l.table.left + l.table.width, kClientWidth);
    // "Programming" ends where the table does; both sit at the right edge.
    EXPECT_EQ(l.command_bar.left + l.programming.left + l.programming.width,
              l.table.left + l.table.width - 5);
    // The progress bar stretches from "Load Data" to "Programming".
    EXPECT_LT(l.load_data.left + l.load_data.width, l.progress_bar.left);
    EXPECT_LT(l.progress_bar.left + l.progress_bar.width, l.programming.left);
}

TEST(MainLayout, WideningByAThousandTwipsMovesTheRightColumn) {
    const MainLayout before = resized_layout(designed_layout(), kWidth, kHeight);
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

TEST(MainLayout, RuleTableValues) {
    const MainLayout l = resized_layout(designed_layout(), 10000, 8000);
    EXPECT_EQ(l.command_bar.width, 12280);
    EXPECT_EQ(l.chart.width, 5900);
    EXPECT_EQ(l.chart.height, 7010);
    EXPECT_EQ(l.table.left, 5900);
    EXPECT_EQ(l.table.height, 5750);
    EXPECT_EQ(l.mission_text.left, 5900);
    EXPECT_EQ(l.programming.left, 9340);
    EXPECT_EQ(l.progress_bar.width, 1720);
    EXPECT_EQ(l.error_frame.width, 1720);
    EXPECT_EQ(l.search_frame.top, 2560);
    EXPECT_EQ(l.search_frame.left, 3312);
}

TEST(MainLayout, SizesThatWouldBeNegativeKeepTheirLastValue) {
    const MainLayout normal = resized_layout(designed_layout(), kWidth, kHeight);
    const MainLayout narrow = resized_layout(normal, 3000, 800);
    EXPECT_EQ(narrow.chart.width, normal.chart.width);
    EXPECT_EQ(narrow.chart.height, normal.chart.height);
    EXPECT_EQ(narrow.table.height, normal.table.height);
    EXPECT_EQ(narrow.progress_bar.width, normal.progress_bar.width);
    // Positions may go negative; the other rows still apply.
    EXPECT_EQ(narrow.table.left, -1100);
    EXPECT_EQ(narrow.programming.left, 2340);
    EXPECT_EQ(narrow.command_bar.width, 5280);
    EXPECT_EQ(narrow.search_frame.top, -1040);
}

TEST(MainLayout, TwipsToPixelsRoundsToTheNearestPixel) {
    EXPECT_EQ(twips_to_pixels(15), 1);
    EXPECT_EQ(twips_to_pixels(7), 0);
    EXPECT_EQ(twips_to_pixels(8), 1);
    EXPECT_EQ(twips_to_pixels(-1080), -72);
    EXPECT_EQ(twips_to_pixels(kClientWidth), 833);
}

}  // namespace
}  // namespace frostel::app
