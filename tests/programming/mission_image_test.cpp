#include <gtest/gtest.h>

#include <string>

#include "programming/mission_image.h"
#include "programming/thresholds.h"
#include "tests/programming/timed_start.h"

namespace frostel::programming {
namespace {

using link::Byte;
using mission::LoggerType;
using enum mission::LoggerType;

const platform::LocalDateTime kNow{2026, 3, 14, 15, 9, 26};

// A refused or a built image throws on the wrong `std::get`, which fails the test.
std::variant<link::MemoryImage, ResultLine> build(const ProgrammingSettings& settings) {
    return build_mission_image(settings, kL, kNow);
}
link::MemoryImage built(const ProgrammingSettings& settings) {
    return std::get<link::MemoryImage>(build(settings));
}
ResultLine refused(const ProgrammingSettings& settings) {
    return std::get<ResultLine>(build(settings));
}
std::array<Byte, 3> start_delay_bytes(const ProgrammingSettings& settings) {
    const link::MemoryImage image = built(settings);
    return {image.at(0x0216), image.at(0x0217), image.at(0x0218)};
}

TEST(MissionImage, DefaultsWriteTheRegisterPageAndNothingOutsidePagesOneToSixteen) {
    const link::MemoryImage image = built(ProgrammingSettings{});
    EXPECT_EQ(image.size(), 4096U);
    // Clock 15:09:26 on 14 March 2026 in BCD, sample rate, thresholds "0" and "85" on an "L"
    // logger, alarms off, clock running in seconds, mission control, no start delay.
    const std::array<Byte, 32> expected{0x26, 0x09, 0x15, 0x14, 0x03, 0x26, 10, 0, 82, 252,
                                        0,    0,    0,    0,    0,    0,    0,  0, 3,  0xC1};
    EXPECT_EQ(image.page(16), expected);
    EXPECT_EQ(image.page(0), (std::array<Byte, 32>{}));
    for (std::size_t a = 0x0220; a <= image.size(); ++a) {
        ASSERT_EQ(image.at(a), 0) << a;
    }
}

TEST(MissionImage, SampleRateAlarmEnableClockControlMissionControlAndCalibration) {
    ProgrammingSettings settings;
    settings.resolution = Resolution::kSixteenth;
    EXPECT_EQ(built(settings).at(0x0213), 0xC5);
    settings = {};
    settings.rollover = true;
    EXPECT_EQ(built(settings).at(0x0213), 0xD1);
    // 240 minutes, a sixteenth of a degree, rollover and a temperature start.
    settings.unit = IntervalUnit::kMinutes;
    settings.interval = 240;
    settings.resolution = Resolution::kSixteenth;
    settings.start_mode = StartMode::kTemperature;
    const link::MemoryImage minutes = built(settings);
    EXPECT_EQ(minutes.at(0x0206), 240);
    EXPECT_EQ(minutes.at(0x0210), 3);
    EXPECT_EQ(minutes.at(0x0212), 1);
    EXPECT_EQ(minutes.at(0x0213), 0xF5);
    for (const auto& [tenths, byte] : {std::pair{-127, 1}, {0, 128}, {127, 255}}) {
        settings.calibration = tenths;
        const link::MemoryImage image = built(settings);
        EXPECT_EQ(image.at(0x01FE), 0x7B);
        EXPECT_EQ(image.at(0x01FF), byte) << tenths;
    }
}

// The "Alarms" choice against every start mode: what the alarm-enable byte, the thresholds
// and the start-on-alarm bit become, and that the rest of the register page stays as it was.
struct AlarmCase {
    const char* name;
    StartMode start;
    bool alarms;
    Byte alarm_enable;
    bool starts_on_alarm;
};

class AlarmsWithAnyStart : public testing::TestWithParam<AlarmCase> {
  protected:
    static ProgrammingSettings settings_for(const AlarmCase& c) {
        ProgrammingSettings settings = starting_in(kNow, 90);
        settings.unit = IntervalUnit::kMinutes;
        settings.start_mode = c.start;
        settings.alarms = c.alarms;
        // A cold room's 2 and 8 degrees on an "L" logger: (t + 41) * 2.
        settings.low_threshold = "2";
        settings.high_threshold = "8";
        return settings;
    }
};

TEST_P(AlarmsWithAnyStart, EnablesBothAlarmsOnlyWhenChosenOrStartingOnTemperature) {
    const AlarmCase& c = GetParam();
    ProgrammingSettings settings = settings_for(c);
    const link::MemoryImage image = built(settings);
    EXPECT_EQ(image.at(0x0210), c.alarm_enable);
    EXPECT_EQ(image.at(0x0208), 86);
    EXPECT_EQ(image.at(0x0209), 98);
    EXPECT_EQ((image.at(0x0213) & mission::kStartOnAlarmBit) != 0, c.starts_on_alarm);
    EXPECT_EQ(image.at(0x0216) != 0, c.start == StartMode::kDateTime);
    // The choice touches the alarm byte alone.
    settings.alarms = !settings.alarms;
    link::MemoryImage other = built(settings);
    other.set(0x0210, image.at(0x0210));
    for (std::size_t a = 0; a < image.size(); ++a) {
        ASSERT_EQ(other.at(a), image.at(a)) << a;
    }
}

INSTANTIATE_TEST_SUITE_P(
    MissionImage, AlarmsWithAnyStart,
    testing::Values(AlarmCase{"ImmediateWithout", StartMode::kImmediate, false, 0, false},
                    AlarmCase{"ImmediateWith", StartMode::kImmediate, true, 3, false},
                    AlarmCase{"TemperatureWithout", StartMode::kTemperature, false, 3, true},
                    AlarmCase{"TemperatureWith", StartMode::kTemperature, true, 3, true},
                    AlarmCase{"DateTimeWithout", StartMode::kDateTime, false, 0, false},
                    AlarmCase{"DateTimeWith", StartMode::kDateTime, true, 3, false}),
    [](const testing::TestParamInfo<AlarmCase>& info) { return std::string(info.param.name); });

TEST(MissionImage, TextOneByteACharacterCutTo478OrPaddedWithBlanks) {
    // "Køl €" CR LF and a broken UTF-8 byte: a character no single byte holds becomes "?".
    ProgrammingSettings settings;
    settings.mission_text =
        "K\xC3\xB8l \xE2\x82\xAC\r\n\xFF" + std::string(469, 'a') + "bcdefghijk";
    link::MemoryImage image = built(settings);
    const std::vector<Byte> start{'K', 0xF8, 'l', ' ', '?', '\r', '\n', '?', 'a'};
    for (std::size_t i = 0; i < start.size(); ++i) {
        EXPECT_EQ(image.at(0x0020 + i), start[i]) << i;
    }
    EXPECT_EQ(image.at(0x01FC), 'a');
    EXPECT_EQ(image.at(0x01FD), 'b');
    EXPECT_EQ(image.at(0x01FE), 0x7B);
    settings.mission_text = "";
    image = built(settings);
    for (std::size_t a = 0x0020; a <= 0x01FD; ++a) {
        ASSERT_EQ(image.at(a), ' ') << a;
    }
}

TEST(Thresholds, LenientNumbersRoundedHalfToEvenAndHeldInAByte) {
    const std::pair<const char*, double> numbers[] = {
        {"12abc", 12},  {"abc", 0},  {"", 0},  {" - 2 0.2\t5\n", -20.25},
        {"1.5.7", 1.5}, {".5", 0.5}, {"-", 0}, {"3\r4", 3},
        {"1e3", 1},     {"7-1", 7}};
    for (const auto& [text, value] : numbers) {
        EXPECT_EQ(lenient_number(text), value) << text;
    }
    // A reversed pair is left as typed (the run refuses it); each range's own corrections are
    // checked through the run.
    EXPECT_EQ(corrected_thresholds({"90", "-50"}, kL), (ThresholdTexts{"90", "-50"}));
    // "H" loggers read samples as raw / 2 + 14.
    const std::tuple<const char*, LoggerType, int> bytes[] = {{"125", kT, 252}, {"20.75", kL, 124},
                                                              {"abc", kL, 82},  {"16.5", kH, 5},
                                                              {"90", kL, 255},  {"-50", kL, 0}};
    for (const auto& [text, type, byte] : bytes) {
        EXPECT_EQ(threshold_byte(text, type), byte) << text;
    }
    EXPECT_EQ(threshold_byte(std::string(400, '9'), kT), 255);
    EXPECT_EQ(threshold_byte("-" + std::string(400, '9'), kT), 0);
}

TEST(StartDelay, MinutesAheadIn24BitsLeastSignificantByteFirstAndNoFurther) {
    EXPECT_EQ(start_delay_bytes(starting_in(kNow, 90)), (std::array<Byte, 3>{90, 0, 0}));
    EXPECT_EQ(start_delay_bytes(starting_in(kNow, 70000)), (std::array<Byte, 3>{0x70, 0x11, 0x01}));
    EXPECT_EQ(start_delay_bytes(starting_in(kNow, 0xFFFFFF)),
              (std::array<Byte, 3>{0xFF, 0xFF, 0xFF}));
    // Counted in minute boundaries: the current minute starts at once.
    const auto minutes = [](CalendarDate date, const char* time,
                            platform::LocalDateTime now = kNow) {
        return std::get<std::uint32_t>(start_delay_minutes(date, time, now));
    };
    EXPECT_EQ(minutes({2026, 3, 14}, "15:09"), 0U);
    EXPECT_EQ(minutes({2026, 3, 14}, "15:10"), 1U);
    EXPECT_EQ(minutes({2026, 3, 15}, "00:05", {2026, 3, 14, 23, 50, 59}), 15U);
    // A minute the clock does not have, or beyond 24 bits, is refused as incomplete; the run's
    // tests hold the other refusals.
    ProgrammingSettings beyond = starting_in(kNow, 60);
    beyond.start_time = "23:60";
    EXPECT_EQ(refused(beyond), start_time_incomplete("23:60"));
    EXPECT_EQ(refused(starting_in(kNow, 0x1000000)).kind, ResultKind::kStartTimeIncomplete);
    // Only a date-and-time start is looked at.
    ProgrammingSettings settings = starting_in(kNow, -1);
    settings.start_mode = StartMode::kImmediate;
    EXPECT_EQ(start_delay_bytes(settings), (std::array<Byte, 3>{0, 0, 0}));
}

}  // namespace
}  // namespace frostel::programming
