#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "cli/program_arguments.h"

namespace frostel::cli {
namespace {

using programming::CalendarDate;
using programming::IntervalUnit;
using programming::ProgrammingSettings;
using programming::Resolution;
using programming::StartMode;
using Arguments = std::vector<std::string>;

// Throws, and so fails the test, when the options are refused.
ProgrammingSettings settings_of(const Arguments& arguments) {
    return std::get<ProgrammingSettings>(parse_program_arguments(arguments));
}

auto fields(const ProgrammingSettings& s) {
    return std::tie(s.unit, s.interval, s.resolution, s.rollover, s.start_mode, s.low_threshold,
                    s.high_threshold, s.start_date, s.start_time, s.calibration, s.mission_text);
}

TEST(ProgramArguments, EveryOptionWhateverTheOrderAndNoneGivesTheWindowsDefaults) {
    EXPECT_EQ(fields(settings_of({"--interval", "240", "--resolution", "0.0625", "--rollover",
                                  "--start", "temperature", "--minutes", "--low", "-55", "--high",
                                  "12abc", "--calibration", "-127", "--text", "Cold room 3"})),
              std::make_tuple(IntervalUnit::kMinutes, 240, Resolution::kSixteenth, true,
                              StartMode::kTemperature, "-55", "12abc", CalendarDate{}, "__:__",
                              -127, "Cold room 3"));
    EXPECT_EQ(fields(settings_of({})), fields(ProgrammingSettings{}));
}

TEST(ProgramArguments, ADateAndTimeStartAndTheEndsOfEachRange) {
    const ProgrammingSettings settings = settings_of({"--start", "2026-02-28T07:05"});
    EXPECT_EQ(settings.start_mode, StartMode::kDateTime);
    EXPECT_EQ(settings.start_date, (CalendarDate{2026, 2, 28}));
    EXPECT_EQ(settings.start_time, "07:05");
    // The time field holds any two digit pairs; the run refuses those that are no time.
    EXPECT_EQ(settings_of({"--start", "2026-02-28T25:70"}).start_time, "25:70");
    // Values beyond these ends are refused through the command line's own test.
    EXPECT_EQ(settings_of({"--interval", "10"}).interval, 10);
    EXPECT_EQ(settings_of({"--interval", "59"}).interval, 59);
    EXPECT_EQ(settings_of({"--minutes", "--interval", "1"}).interval, 1);
    EXPECT_EQ(settings_of({"--minutes"}).interval, 10);
    EXPECT_EQ(settings_of({"--calibration", "127"}).calibration, 127);
    EXPECT_EQ(settings_of({"--calibration", "-128"}).calibration, -128);
}

}  // namespace
}  // namespace frostel::cli
