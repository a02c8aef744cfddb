#include <gtest/gtest.h>

#include <string>

#include "link/local_date_time.h"
#include "programming/mission_image.h"
#include "programming/thresholds.h"
#include "timed_start.h"

namespace frostel::programming {
namespace {

using link::Byte;
using mission::LoggerType;

const link::LocalDateTime kNow{2026, 3, 14, 15, 9, 26};

link::MemoryImage built(const ProgrammingSettings& settings, LoggerType type = LoggerType::kL,
                        const link::LocalDateTime& now = kNow) {
    auto result = build_mission_image(settings, type, now);
    EXPECT_TRUE(std::holds_alternative<link::MemoryImage>(result));
    return std::get<link::MemoryImage>(std::move(result));
}

ResultLine refused(const ProgrammingSettings& settings, const link::LocalDateTime& now = kNow) {
    auto result = build_mission_image(settings, LoggerType::kL, now);
    EXPECT_TRUE(std::holds_alternative<ResultLine>(result));
    return std::get<ResultLine>(result);
}

std::array<Byte, 3> start_delay_bytes(const link::MemoryImage& image) {
    return {image.at(0x0216), image.at(0x0217), image.at(0x0218)};
}

TEST(MissionImage, DefaultsWriteTheWholeRegisterPage) {
    const link::MemoryImage image = built(ProgrammingSettings{});
    EXPECT_EQ(image.size(), 4096U);
    const std::array<Byte, 32> expected{
        0x26, 0x09, 0x15, 0x14, 0x03, 0x26,  // clock: 15:09:26 on 14 March 2026, BCD
        10,   0,                             // sample rate
        82,   252,                           // thresholds "0" and "85" on an "L" logger
        0,    0,    0,    0,    0,    0,    0, 0,
        3,  // clock runs, counting seconds
        0xC1, 0,    0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(image.page(16), expected);
}

TEST(MissionImage, OnlyPagesOneToSixteenAreFilled) {
    const link::MemoryImage image = built(ProgrammingSettings{});
    EXPECT_EQ(image.page(0), (std::array<Byte, 32>{}));
    for (std::size_t a = 0x0220; a <= image.size(); ++a) {
        ASSERT_EQ(image.at(a), 0) << a;
    }
}

TEST(MissionImage, EachMissionControlBitOnItsOwn) {
    ProgrammingSettings settings;
    settings.resolution = Resolution::kSixteenth;
    EXPECT_EQ(built(settings).at(0x0213), 0xC5);
    settings = {};
    settings.rollover = true;
    EXPECT_EQ(built(settings).at(0x0213), 0xD1);
}

TEST(MissionImage, CalibrationByteBehindItsMarker) {
    ProgrammingSettings settings;
    for (const auto& [tenths, byte] : {std::pair{-127, 1}, {0, 128}, {127, 255}}) {
        settings.calibration = tenths;
        const link::MemoryImage image = built(settings);
        EXPECT_EQ(image.at(0x01FE), 0x7B);
        EXPECT_EQ(image.at(0x01FF), byte) << tenths;
    }
}

TEST(MissionText, CutToItsFirst478CharactersOrPaddedWithBlanks) {
    ProgrammingSettings settings;
    settings.mission_text = std::string(477, 'a') + "bcdefghijklmnopqrstuvwx";
    ASSERT_EQ(settings.mission_text.size(), 500U);
    link::MemoryImage image = built(settings);
    EXPECT_EQ(image.at(0x0020), 'a');
    EXPECT_EQ(image.at(0x01FC), 'a');
    EXPECT_EQ(image.at(0x01FD), 'b');
    EXPECT_EQ(image.at(0x01FE), 0x7B);

    settings.mission_text = "";
    image = built(settings);
    for (std::size_t a = 0x0020; a <= 0x01FD; ++a) {
        ASSERT_EQ(image.at(a), ' ') << a;
    }
}

TEST(MissionText, OneByteForEachCharacterAndAQuestionMarkWhereNoByteHoldsIt) {
    const auto bytes = mission_text_bytes("K\xC3\xB8l \xE2\x82\xAC\r\n\xFF");  // "Køl €" CR LF
    const std::vector<Byte> start{'K', 0xF8, 'l', ' ', '?', '\r', '\n', '?', ' '};
    EXPECT_EQ(bytes.size(), 478U);
    EXPECT_TRUE(std::equal(start.begin(), start.end(), bytes.begin()));
}

TEST(LenientNumber, IgnoresBlanksAndStopsWhereTheNumberEnds) {
    EXPECT_EQ(lenient_number("12abc"), 12);
    EXPECT_EQ(lenient_number("abc"), 0);
    EXPECT_EQ(lenient_number(""), 0);
    EXPECT_EQ(lenient_number(" - 2 0.2\t5\n"), -20.25);
    EXPECT_EQ(lenient_number("1.5.7"), 1.5);
    EXPECT_EQ(lenient_number(".5"), 0.5);
    EXPECT_EQ(lenient_number("-"), 0);
    EXPECT_EQ(lenient_number("3\r4"), 3);
    EXPECT_EQ(lenient_number("1e3"), 1);
    EXPECT_EQ(lenient_number("7-1"), 7);
}

TEST(Thresholds, OnlyTheLowLowerBoundAndTheHighUpperBoundAreCorrected) {
    EXPECT_EQ(corrected_thresholds({"-55", "99"}, LoggerType::kL), (ThresholdTexts{"-40", "85"}));
    EXPECT_EQ(corrected_thresholds({"-5", "130"}, LoggerType::kT), (ThresholdTexts{"0", "125"}));
    EXPECT_EQ(corrected_thresholds({"10", "141"}, LoggerType::kH), (ThresholdTexts{"15", "140"}));
    EXPECT_EQ(corrected_thresholds({"90", "-50"}, LoggerType::kL), (ThresholdTexts{"90", "-50"}));
    EXPECT_EQ(corrected_thresholds({"abc", " 8 5"}, LoggerType::kT),
              (ThresholdTexts{"abc", " 8 5"}));
}

TEST(Thresholds, HalfDegreeScalesPerLoggerTypeRoundingHalvesToEven) {
    EXPECT_EQ(threshold_byte("-40", LoggerType::kL), 2);
    EXPECT_EQ(threshold_byte("85", LoggerType::kL), 252);
    EXPECT_EQ(threshold_byte("0", LoggerType::kT), 2);
    EXPECT_EQ(threshold_byte("125", LoggerType::kT), 252);
    EXPECT_EQ(threshold_byte("20.25", LoggerType::kL), 122);
    EXPECT_EQ(threshold_byte("20.75", LoggerType::kL), 124);
    EXPECT_EQ(threshold_byte("abc", LoggerType::kL), 82);
    EXPECT_EQ(threshold_byte("abc", LoggerType::kT), 2);
    // "H" loggers read samples as raw / 2 + 14.
    EXPECT_EQ(threshold_byte("15", LoggerType::kH), 2);
    EXPECT_EQ(threshold_byte("140", LoggerType::kH), 252);
}

TEST(Thresholds, BytesBeyondTheScaleAreHeldAtItsEnds) {
    EXPECT_EQ(threshold_byte("90", LoggerType::kL), 255);
    EXPECT_EQ(threshold_byte("-50", LoggerType::kL), 0);
    EXPECT_EQ(threshold_byte(std::string(400, '9'), LoggerType::kT), 255);
    EXPECT_EQ(threshold_byte("-" + std::string(400, '9'), LoggerType::kT), 0);
}

TEST(StartDelay, MinutesAheadLeastSignificantByteFirst) {
    const std::int64_t now = link::to_civil_seconds(kNow);
    EXPECT_EQ(start_delay_bytes(built(timed_start(link::from_civil_seconds(now + 90 * 60)))),
              (std::array<Byte, 3>{90, 0, 0}));
    EXPECT_EQ(start_delay_bytes(built(timed_start(link::from_civil_seconds(now + 70000LL * 60)))),
              (std::array<Byte, 3>{0x70, 0x11, 0x01}));
}

TEST(StartDelay, CountsMinuteBoundariesSoTheCurrentMinuteStartsAtOnce) {
    EXPECT_EQ(std::get<std::uint32_t>(start_delay_minutes({2026, 3, 14}, "15:09", kNow)), 0U);
    EXPECT_EQ(std::get<std::uint32_t>(start_delay_minutes({2026, 3, 14}, "15:10", kNow)), 1U);
    EXPECT_EQ(std::get<std::uint32_t>(
                  start_delay_minutes({2026, 3, 15}, "00:05", {2026, 3, 14, 23, 50, 59})),
              15U);
    EXPECT_EQ(start_delay_minutes({2026, 3, 14}, "15:08", kNow),
              (std::variant<std::uint32_t, ResultLine>{start_time_before_now()}));
}

TEST(StartDelay, IncompleteImpossibleAndTooDistantTimesAreRefusedWithTheirText) {
    ProgrammingSettings settings = timed_start({2026, 3, 14, 16, 0, 0});
    for (const std::string text : {"__:__", "12:3_", "25:70", "23:60"}) {
        settings.start_time = text;
        EXPECT_EQ(refused(settings), start_time_incomplete(text));
    }
    EXPECT_EQ(start_time_incomplete("12:3_").text, "STARTTIME ! (12:3_)");

    const std::int64_t now_minute = link::to_civil_seconds(kNow) / 60 * 60;
    const auto at_most = timed_start(link::from_civil_seconds(now_minute + 0xFFFFFFLL * 60));
    EXPECT_EQ(start_delay_bytes(built(at_most)), (std::array<Byte, 3>{0xFF, 0xFF, 0xFF}));
    const auto beyond = timed_start(link::from_civil_seconds(now_minute + 0x1000000LL * 60));
    EXPECT_EQ(refused(beyond).kind, ResultKind::kStartTimeIncomplete);
}

TEST(StartDelay, OnlyADateAndTimeStartIsLookedAt) {
    ProgrammingSettings settings = timed_start({2026, 3, 14, 16, 0, 0});
    settings.start_mode = StartMode::kImmediate;
    EXPECT_EQ(start_delay_bytes(built(settings)), (std::array<Byte, 3>{0, 0, 0}));
    settings.start_time = "__:__";
    EXPECT_EQ(start_delay_bytes(built(settings)), (std::array<Byte, 3>{0, 0, 0}));
    settings.start_mode = StartMode::kDateTime;
    settings.start_date = {2026, 3, 13};
    settings.start_time = "23:59";
    EXPECT_EQ(refused(settings), start_time_before_now());
    EXPECT_EQ(start_time_before_now().text, "STAR TIME BEFORE NOW !");
}

}  // namespace
}  // namespace frostel::programming
