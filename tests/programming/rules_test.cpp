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
        {240, kMinutes, kHalf, " 1365 Days - 8 Hours - 0 Minutes"},
        {240, kMinutes, kSixteenth, " 682 Days - 16 Hours - 0 Minutes"},
    };
    for (const auto& [interval, unit, resolution, text] : cases) {
        EXPECT_EQ(interval_display(interval, unit, resolution).max_logging_time, text) << interval;
    }
}

// What seconds reset and clamp, and what minutes keep, are the programming window's test.
TEST(UnitRule, SecondsClampAMinuteIntervalUpToTheirShortest) {
    ProgrammingSettings settings;
    settings.unit = kMinutes;
    settings.interval = 5;
    apply_unit_rule(settings, kSeconds);
    EXPECT_EQ(settings.unit, kSeconds);
    EXPECT_EQ(settings.interval, 10);
}

// The thresholds open with a temperature start or the "Alarms" choice; the choice itself is
// closed only where a temperature start has its alarms on anyway.
TEST(StartModeEnabling, ThresholdsFollowTheStartOrTheAlarmsChoice) {
    using enum StartMode;
    const std::tuple<StartMode, bool, StartModeEnabling> cases[] = {
        {kImmediate, false, {false, false, true}},   {kImmediate, true, {true, false, true}},
        {kTemperature, false, {true, false, false}}, {kTemperature, true, {true, false, false}},
        {kDateTime, false, {false, true, true}},     {kDateTime, true, {true, true, true}},
    };
    for (const auto& [mode, alarms, expected] : cases) {
        EXPECT_EQ(start_mode_enabling(mode, alarms), expected)
            << static_cast<int>(mode) << " " << alarms;
    }
}

// Other separators and the ends of the range are the programming window's test.
TEST(CalibrationText, ShortestDecimalForm) {
    const std::tuple<int, const char*, const char*> cases[] = {
        {0, ".", "0"}, {15, ".", "1.5"}, {5, ".", "0.5"}, {-5, ".", "-0.5"}, {120, ".", "12"},
    };
    for (const auto& [tenths, separator, text] : cases) {
        EXPECT_EQ(calibration_text(tenths, separator), text) << tenths;
    }
}

}  // namespace
}  // namespace frostel::programming
