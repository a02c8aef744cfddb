#include <gtest/gtest.h>

#include <tuple>

#include "programming/programming_rules.h"

namespace frostel::programming {
namespace {

using enum IntervalUnit;
using enum Resolution;

TEST(IntervalDisplay, IntervalWithUnitAndLoggingTimeWithoutLeftoverSecondsAfterABlank) {
    EXPECT_EQ(interval_display(240, kMinutes, kHalf).interval, "240 minutes");
    const std::tuple<int, IntervalUnit, Resolution, const char*> cases[] = {
        {10, kSeconds, kHalf, " 0 Days - 22 Hours - 45 Minutes"},
        {59, kSeconds, kHalf, " 5 Days - 14 Hours - 15 Minutes"},
        {1, kMinutes, kHalf, " 5 Days - 16 Hours - 32 Minutes"},
        {1, kMinutes, kSixteenth, " 2 Days - 20 Hours - 16 Minutes"},
        {240, kMinutes, kHalf, " 1365 Days - 8 Hours - 0 Minutes"},
        {240, kMinutes, kSixteenth, " 682 Days - 16 Hours - 0 Minutes"},
    };
    for (const auto& [interval, unit, resolution, text] : cases) {
        EXPECT_EQ(interval_display(interval, unit, resolution).max_logging_time, text) << interval;
    }
}

TEST(UnitRule, SecondsResetWhatNeedsMinutesAndClampTheIntervalMinutesKeepEverything) {
    ProgrammingSettings settings;
    settings.interval = 30;
    settings.start_mode = StartMode::kDateTime;
    apply_unit_rule(settings, kMinutes);
    EXPECT_EQ(settings.interval, 30);
    EXPECT_EQ(settings.start_mode, StartMode::kDateTime);

    settings.interval = 200;
    settings.resolution = kSixteenth;
    settings.rollover = true;
    apply_unit_rule(settings, kSeconds);
    EXPECT_EQ(settings.unit, kSeconds);
    EXPECT_EQ(settings.interval, 59);
    EXPECT_EQ(settings.resolution, kHalf);
    EXPECT_FALSE(settings.rollover);
    EXPECT_EQ(settings.start_mode, StartMode::kImmediate);

    settings.unit = kMinutes;
    settings.interval = 5;
    apply_unit_rule(settings, kSeconds);
    EXPECT_EQ(settings.interval, 10);
}

TEST(CalibrationText, ShortestDecimalFormWithTheGivenSeparator) {
    const std::tuple<int, const char*, const char*> cases[] = {
        {0, ".", "0"},    {15, ".", "1.5"},     {5, ".", "0.5"},      {-5, ".", "-0.5"},
        {120, ".", "12"}, {-127, ".", "-12.7"}, {-127, ",", "-12,7"},
    };
    for (const auto& [tenths, separator, text] : cases) {
        EXPECT_EQ(calibration_text(tenths, separator), text) << tenths;
    }
}

}  // namespace
}  // namespace frostel::programming
