#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "programming/program_arguments.h"

namespace frostel::programming {
namespace {

std::variant<ProgrammingSettings, UsageError> parse(std::vector<std::string> arguments) {
    return parse_program_arguments(arguments);
}

ProgrammingSettings settings_of(std::vector<std::string> arguments) {
    auto parsed = parse(std::move(arguments));
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        ADD_FAILURE() << error->message;
        return {};
    }
    return std::get<ProgrammingSettings>(parsed);
}

bool is_usage_error(std::vector<std::string> arguments) {
    return std::holds_alternative<UsageError>(parse(std::move(arguments)));
}

TEST(ProgramArguments, NoOptionsGiveTheWindowsDefaults) {
    const ProgrammingSettings settings = settings_of({});
    EXPECT_EQ(settings.unit, IntervalUnit::kSeconds);
    EXPECT_EQ(settings.interval, 10);
    EXPECT_EQ(settings.resolution, Resolution::kHalf);
    EXPECT_FALSE(settings.rollover);
    EXPECT_EQ(settings.start_mode, StartMode::kImmediate);
    EXPECT_EQ(settings.low_threshold, "0");
    EXPECT_EQ(settings.high_threshold, "85");
    EXPECT_EQ(settings.calibration, 0);
    EXPECT_EQ(settings.mission_text, "");
}

TEST(ProgramArguments, EveryOptionInMinutesWhateverTheOrder) {
    const ProgrammingSettings settings =
        settings_of({"--interval", "240", "--resolution", "0.0625", "--rollover", "--start",
                     "temperature", "--minutes", "--low", "-55", "--high", "12abc", "--calibration",
                     "-127", "--text", "Cold room 3"});
    EXPECT_EQ(settings.unit, IntervalUnit::kMinutes);
    EXPECT_EQ(settings.interval, 240);
    EXPECT_EQ(settings.resolution, Resolution::kSixteenth);
    EXPECT_TRUE(settings.rollover);
    EXPECT_EQ(settings.start_mode, StartMode::kTemperature);
    EXPECT_EQ(settings.low_threshold, "-55");
    EXPECT_EQ(settings.high_threshold, "12abc");
    EXPECT_EQ(settings.calibration, -127);
    EXPECT_EQ(settings.mission_text, "Cold room 3");
}

TEST(ProgramArguments, ADateAndTimeStartFillsTheCalendarAndTheTimeField) {
    const ProgrammingSettings settings = settings_of({"--start", "2026-02-28T07:05"});
    EXPECT_EQ(settings.start_mode, StartMode::kDateTime);
    EXPECT_EQ(settings.start_date, (CalendarDate{2026, 2, 28}));
    EXPECT_EQ(settings.start_time, "07:05");
    // The time field holds any two digit pairs; the run refuses those that are no time.
    EXPECT_EQ(settings_of({"--start", "2026-02-28T25:70"}).start_time, "25:70");
}

TEST(ProgramArguments, ValuesTheWindowCannotHoldAreUsageErrors) {
    EXPECT_TRUE(is_usage_error({"--interval", "9"}));
    EXPECT_TRUE(is_usage_error({"--interval", "60"}));
    EXPECT_TRUE(is_usage_error({"--interval", "0", "--minutes"}));
    EXPECT_TRUE(is_usage_error({"--interval", "241", "--minutes"}));
    EXPECT_TRUE(is_usage_error({"--interval", "12.5"}));
    EXPECT_TRUE(is_usage_error({"--resolution", "0.0625"}));
    EXPECT_TRUE(is_usage_error({"--resolution", "1"}));
    EXPECT_TRUE(is_usage_error({"--rollover"}));
    EXPECT_TRUE(is_usage_error({"--start", "temperature"}));
    EXPECT_TRUE(is_usage_error({"--start", "tomorrow"}));
    EXPECT_TRUE(is_usage_error({"--start", "2026-02-30T10:00"}));
    EXPECT_TRUE(is_usage_error({"--start", "2026-2-3T1:00"}));
    EXPECT_TRUE(is_usage_error({"--calibration", "128"}));
    EXPECT_TRUE(is_usage_error({"--calibration", "-128"}));
    EXPECT_TRUE(is_usage_error({"--calibration", "1.5"}));
    EXPECT_TRUE(is_usage_error({"--text"}));
    EXPECT_TRUE(is_usage_error({"--colour", "red"}));
    EXPECT_TRUE(is_usage_error({"extra"}));
}

TEST(ProgramArguments, TheEndsOfEachRangeAreAccepted) {
    EXPECT_EQ(settings_of({"--interval", "10"}).interval, 10);
    EXPECT_EQ(settings_of({"--interval", "59"}).interval, 59);
    EXPECT_EQ(settings_of({"--minutes", "--interval", "1"}).interval, 1);
    EXPECT_EQ(settings_of({"--calibration", "127"}).calibration, 127);
    EXPECT_EQ(settings_of({"--minutes"}).interval, 10);
}

}  // namespace
}  // namespace frostel::programming
