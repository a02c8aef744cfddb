#include <gtest/gtest.h>

#include "programming/programming_rules.h"

namespace frostel::programming {
namespace {

std::string max_logging_time(int interval, IntervalUnit unit, Resolution resolution) {
    return interval_display(interval, unit, resolution).max_logging_time;
}

TEST(IntervalDisplay, ShowsTheIntervalWithItsUnit) {
    EXPECT_EQ(interval_display(10, IntervalUnit::kSeconds, Resolution::kHalf).interval,
              "10 seconds");
    EXPECT_EQ(interval_display(240, IntervalUnit::kMinutes, Resolution::kHalf).interval,
              "240 minutes");
}

TEST(IntervalDisplay, MaximumLoggingTimeDropsLeftoverSecondsAndKeepsItsLeadingBlank) {
    EXPECT_EQ(max_logging_time(10, IntervalUnit::kSeconds, Resolution::kHalf),
              " 0 Days - 22 Hours - 45 Minutes");
    EXPECT_EQ(max_logging_time(59, IntervalUnit::kSeconds, Resolution::kHalf),
              " 5 Days - 14 Hours - 15 Minutes");
    EXPECT_EQ(max_logging_time(1, IntervalUnit::kMinutes, Resolution::kHalf),
              " 5 Days - 16 Hours - 32 Minutes");
    EXPECT_EQ(max_logging_time(1, IntervalUnit::kMinutes, Resolution::kSixteenth),
              " 2 Days - 20 Hours - 16 Minutes");
    EXPECT_EQ(max_logging_time(240, IntervalUnit::kMinutes, Resolution::kHalf),
              " 1365 Days - 8 Hours - 0 Minutes");
    EXPECT_EQ(max_logging_time(240, IntervalUnit::kMinutes, Resolution::kSixteenth),
              " 682 Days - 16 Hours - 0 Minutes");
}

TEST(UnitRule, SwitchingToSecondsResetsWhatNeedsMinutesAndClampsTheInterval) {
    ProgrammingSettings settings;
    settings.unit = IntervalUnit::kMinutes;
    settings.interval = 200;
    settings.resolution = Resolution::kSixteenth;
    settings.rollover = true;
    settings.start_mode = StartMode::kDateTime;
    apply_unit_rule(settings, IntervalUnit::kSeconds);
    EXPECT_EQ(settings.unit, IntervalUnit::kSeconds);
    EXPECT_EQ(settings.interval, 59);
    EXPECT_EQ(settings.resolution, Resolution::kHalf);
    EXPECT_FALSE(settings.rollover);
    EXPECT_EQ(settings.start_mode, StartMode::kImmediate);

    settings.unit = IntervalUnit::kMinutes;
    settings.interval = 5;
    apply_unit_rule(settings, IntervalUnit::kSeconds);
    EXPECT_EQ(settings.interval, 10);
}

TEST(UnitRule, SwitchingToMinutesKeepsAnIntervalInsideTheRangeAndEveryChoice) {
    ProgrammingSettings settings;
    settings.interval = 30;
    settings.start_mode = StartMode::kDateTime;
    apply_unit_rule(settings, IntervalUnit::kMinutes);
    EXPECT_EQ(settings.interval, 30);
    EXPECT_EQ(settings.start_mode, StartMode::kDateTime);
    EXPECT_FALSE(settings.rollover);
}

TEST(CalibrationText, ShortestDecimalFormWithTheGivenSeparator) {
    EXPECT_EQ(calibration_text(0, "."), "0");
    EXPECT_EQ(calibration_text(15, "."), "1.5");
    EXPECT_EQ(calibration_text(5, "."), "0.5");
    EXPECT_EQ(calibration_text(-5, "."), "-0.5");
    EXPECT_EQ(calibration_text(-127, "."), "-12.7");
    EXPECT_EQ(calibration_text(120, "."), "12");
    EXPECT_EQ(calibration_text(-127, ","), "-12,7");
}

}  // namespace
}  // namespace frostel::programming
