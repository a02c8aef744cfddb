#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "insight/summary.h"
#include "platform/local_date_time.h"
#include "report/time_ticks.h"

namespace frostel::report {
namespace {

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 86400;
const std::int64_t kStart = platform::to_civil_seconds({2026, 3, 14, 15, 9, 26});

std::int64_t at(int day, int hour, int minute, int second = 0) {
    return platform::to_civil_seconds({2026, 3, day, hour, minute, second});
}
std::int64_t midnight(int year, int month, int day) {
    return platform::to_civil_seconds({year, month, day, 0, 0, 0});
}

struct SpacingCase {
    const char* name;
    double span_s;
    double width_px;
    std::int64_t step_s;
    std::int64_t first;
};

class TimeTickSpacingTable : public testing::TestWithParam<SpacingCase> {};

// A label 100 pixels wide: the shortest round step that keeps labels that far apart, its
// first tick on the first round time at or after the start.
TEST_P(TimeTickSpacingTable, ShortestRoundStepThatKeepsLabelsApart) {
    const SpacingCase& c = GetParam();
    const auto from = static_cast<double>(kStart);
    const auto spacing = time_tick_spacing(from, from + c.span_s, c.width_px, 100);
    ASSERT_TRUE(spacing);
    EXPECT_EQ(spacing->step_s, c.step_s);
    EXPECT_EQ(spacing->first, c.first);
    EXPECT_GE(static_cast<double>(spacing->step_s) * c.width_px / c.span_s, 100.0);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, TimeTickSpacingTable,
    testing::Values(SpacingCase{"FiveSeconds", 5, 1000, 1, at(14, 15, 9, 26)},
                    SpacingCase{"TwoMinutes", 120, 1000, 15, at(14, 15, 9, 30)},
                    SpacingCase{"TenMinutes", 600, 1000, kMinute, at(14, 15, 10)},
                    SpacingCase{"TenMinutesNarrow", 600, 300, 5 * kMinute, at(14, 15, 10)},
                    SpacingCase{"OneDay", kDay, 1000, 3 * kHour, at(14, 18, 0)},
                    SpacingCase{"OneDayNarrow", kDay, 200, 12 * kHour, at(15, 0, 0)},
                    SpacingCase{"ThirtyDays", 30 * kDay, 800, 7 * kDay, at(19, 0, 0)},
                    SpacingCase{"ThreeYears", 1365 * kDay, 1000, 182 * kDay, midnight(2026, 4, 23)},
                    SpacingCase{"AYearInOneLabel", 365 * kDay, 100, 728 * kDay,
                                midnight(2027, 10, 21)}),
    [](const testing::TestParamInfo<SpacingCase>& info) { return std::string(info.param.name); });

TEST(TimeTickSpacing, NothingForAnEmptySpanAWidthWithoutRoomOrNumbersThatAreNot) {
    const auto from = static_cast<double>(kStart);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::array<std::array<double, 4>, 10> cases{{{from, from, 1000, 100},
                                                       {from, from + 60, inf, 100},
                                                       {from, 1e300, 1000, 100},
                                                       {-1e300, from, 1000, 100},
                                                       {from, from - 60, 1000, 100},
                                                       {from, from + 60, 99, 100},
                                                       {from, from + 60, 1000, 0},
                                                       {nan, from, 1000, 100},
                                                       {from, inf, 1000, 100},
                                                       {from, from + 60, nan, 100}}};
    for (const auto& [a, b, width, label] : cases) {
        EXPECT_FALSE(time_tick_spacing(a, b, width, label)) << a << " " << b << " " << width;
    }
}

TEST(TimeTickText, DateOverTimeOfDaySecondsOnlyBelowAMinuteDateAloneForWholeDays) {
    const std::int64_t t = at(14, 15, 9, 26);
    EXPECT_EQ(time_tick_text(t, 1), "2026-03-14\n15:09:26");
    EXPECT_EQ(time_tick_text(t, 30), "2026-03-14\n15:09:26");
    EXPECT_EQ(time_tick_text(t, kMinute), "2026-03-14\n15:09");
    EXPECT_EQ(time_tick_text(t, 12 * kHour), "2026-03-14\n15:09");
    EXPECT_EQ(time_tick_text(t, kDay), "2026-03-14");
    EXPECT_EQ(time_tick_text(t, 7 * kDay), "2026-03-14");
}

// A day at ten minutes: 145 points a quarter of X apart, as a download lays them out.
class ChartTimeTicks : public testing::Test {
  protected:
    static constexpr double kFirstX = 46000.0;
    static constexpr double kStepX = 0.25;
    std::vector<mission::ChartPoint> points;

    ChartTimeTicks() {
        for (int i = 0; i < 145; ++i) {
            add(kStart + i * 10 * kMinute);
        }
    }
    void add(std::int64_t time) {
        points.push_back(
            {kFirstX + kStepX * static_cast<double>(points.size()), 4.0, insight::time_text(time)});
    }
    [[nodiscard]] double x_of(std::int64_t time) const {
        return kFirstX + kStepX * static_cast<double>(time - kStart) / (10 * kMinute);
    }
};

TEST_F(ChartTimeTicks, WholeMissionOnRoundHoursPlacedByTheLabelsTimes) {
    const auto ticks = chart_time_ticks(points, points.front().x, points.back().x, 1000, 100);
    ASSERT_EQ(ticks.size(), 8U);
    EXPECT_EQ(ticks.front(), (ChartTick{x_of(at(14, 18, 0)), "2026-03-14\n18:00"}));
    EXPECT_EQ(ticks.back().text, "2026-03-15\n15:00");
    EXPECT_DOUBLE_EQ(ticks.back().x, x_of(at(15, 15, 0)));
}

TEST_F(ChartTimeTicks, EveryZoomKeepsLabelsApartOnRoundTimes) {
    const double label = 90;
    for (const double width : {180.0, 400.0, 1000.0, 1500.0}) {
        for (const int shown : {1, 2, 6, 24, 72, 144}) {
            for (const double shift : {0.0, 0.13, 7.3}) {
                const double from = kFirstX + shift;
                const double to = from + kStepX * shown;
                const auto ticks = chart_time_ticks(points, from, to, width, label);
                const std::string where = std::to_string(width) + " " + std::to_string(shown);
                EXPECT_FALSE(ticks.empty()) << where;
                for (std::size_t i = 0; i < ticks.size(); ++i) {
                    EXPECT_GE(ticks[i].x, from) << where;
                    EXPECT_LE(ticks[i].x, to + 1e-9) << where;
                    if (i > 0) {
                        EXPECT_GE((ticks[i].x - ticks[i - 1].x) * width / (to - from), label - 1e-6)
                            << where;
                    }
                    // Whole minutes at least: no tick falls on an odd second.
                    const std::string& text = ticks[i].text;
                    EXPECT_TRUE(text.size() == 10 || text.size() == 16) << text;
                }
            }
        }
    }
}

TEST_F(ChartTimeTicks, UnevenTimesStillNeverCrowdTheLabels) {
    // A week's gap between two neighbouring points, then the last hour again at ten minutes.
    points.resize(6);
    for (int i = 0; i < 6; ++i) {
        add(kStart + 7 * kDay + i * 10 * kMinute);
    }
    const double width = 600;
    const double label = 80;
    const auto ticks = chart_time_ticks(points, points.front().x, points.back().x, width, label);
    ASSERT_FALSE(ticks.empty());
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        EXPECT_GE((ticks[i].x - ticks[i - 1].x) * width / (points.back().x - points.front().x),
                  label);
    }
}

TEST_F(ChartTimeTicks, LabelsThatAreNoTimeOrGoBackAreSkipped) {
    points[3].label = "not a time";
    points[7].label = points[2].label;
    const auto kept = chart_time_ticks(points, points.front().x, points.back().x, 1000, 100);
    EXPECT_EQ(kept.size(), 8U);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(chart_time_ticks(points, nan, 46001, 500, 100).empty());
    EXPECT_TRUE(chart_time_ticks(points, 46001, 46000, 500, 100).empty());
    EXPECT_TRUE(chart_time_ticks(points, 46000, 46001, nan, 100).empty());
}

// With fewer than two times to go by, the points' own labels, as far apart, and none of a
// point without a place on the axis.
TEST_F(ChartTimeTicks, WithoutTwoTimesThePointsOwnLabelsStandApart) {
    const std::vector<mission::ChartPoint> one{
        {46000.5, 4.0, "2026-03-14 15:09:26"}, {46000.75, 4.0, "junk"}, {46000.8, 4.0, "too near"}};
    EXPECT_EQ(chart_time_ticks(one, 46000, 46001, 500, 100),
              (std::vector<ChartTick>{{46000.5, "2026-03-14\n15:09:26"}, {46000.75, "junk"}}));
    EXPECT_TRUE(chart_time_ticks(one, 46001, 46002, 500, 100).empty());
    for (mission::ChartPoint& point : points) {
        point.label = "day " + std::to_string(point.x);
    }
    points.front().x = std::numeric_limits<double>::quiet_NaN();
    const auto ticks = chart_time_ticks(points, kFirstX, kFirstX + 30, 600, 90);
    ASSERT_FALSE(ticks.empty());
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_TRUE(ticks[i].x >= kFirstX && ticks[i].x <= kFirstX + 30) << ticks[i].x;
        EXPECT_TRUE(ticks[i].text.starts_with("day\n")) << ticks[i].text;
        if (i > 0) {
            EXPECT_GE((ticks[i].x - ticks[i - 1].x) * 600 / 30, 90);
        }
    }
}

}  // namespace
}  // namespace frostel::report
