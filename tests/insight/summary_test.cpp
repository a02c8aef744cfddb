#include "insight/summary.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <tuple>
#include <vector>

#include "mission/mission_header.h"
#include "mission/register_map.h"
#include "mission/sample_log.h"

namespace frostel::insight {
namespace {

using mission::TemperatureUnit;

constexpr LoggerTime kStart = 1'700'000'000;
constexpr int kMinute = 60;

// Readings a minute apart from kStart.
std::vector<Reading> minutes(const std::vector<double>& values) {
    std::vector<Reading> readings;
    for (double v : values) {
        readings.push_back({kStart + static_cast<LoggerTime>(readings.size()) * kMinute, v});
    }
    return readings;
}

// Runs of `count` equal readings, a minute apart.
std::vector<Reading> repeated(const std::vector<std::pair<int, double>>& runs) {
    std::vector<double> values;
    for (const auto& [count, value] : runs) {
        values.insert(values.end(), static_cast<std::size_t>(count), value);
    }
    return minutes(values);
}

// A record as a download makes it from register bytes at their addresses.
mission::MissionRecord record_from(
    std::initializer_list<std::pair<std::size_t, link::Byte>> bytes) {
    link::MemoryImage image = mission::make_header_image();
    for (const auto& [address, value] : bytes) {
        image.set(address, value);
    }
    return mission::make_mission_record(mission::decode_mission_header(image, "41000000ABCDEF12"),
                                        {}, {"Europe/Berlin", 3600});
}

TEST(Statistics, MeanKineticTemperatureInEveryUnitExtremesAtFirstOccurrenceAndSpread) {
    const std::tuple<std::vector<Reading>, double, double> cases[] = {
        {repeated({{138, 5.0}, {6, 13.0}}), 5.540222, 5.333333},
        {minutes({20, 25, 30, 22, 18}), 23.988959, 23.0},
        {repeated({{10, 25.0}}), 25.0, 25.0}};
    for (const auto& [readings, mkt, mean] : cases) {
        const Statistics s = statistics(readings, TemperatureUnit::kCelsius, kDefaultDeltaH);
        EXPECT_NEAR(*s.mean_kinetic, mkt, 5e-7);
        EXPECT_NEAR(*s.mean, mean, 5e-7);
        // The same mission in Fahrenheit gives the same temperature in Fahrenheit.
        std::vector<Reading> fahrenheit = readings;
        for (Reading& r : fahrenheit) {
            r.value = r.value * 1.8 + 32;
        }
        EXPECT_NEAR(
            *mean_kinetic_temperature(fahrenheit, TemperatureUnit::kFahrenheit, kDefaultDeltaH),
            mkt * 1.8 + 32, 1e-6);
    }
    // Never beyond the readings, however cold, wide or steep: the warmest is the reference.
    for (const double delta_h : {kMinDeltaH, kDefaultDeltaH, kMaxDeltaH, 1e6}) {
        for (const auto& readings : {minutes({-80, 120}), minutes({-272, 20}), minutes({130})}) {
            const double mkt =
                *mean_kinetic_temperature(readings, TemperatureUnit::kCelsius, delta_h);
            EXPECT_GE(mkt, readings.front().value) << delta_h;
            EXPECT_LE(mkt, readings.back().value) << delta_h;
        }
    }
    EXPECT_TRUE(delta_h_in_range(10) && delta_h_in_range(500));
    EXPECT_FALSE(delta_h_in_range(9.99) || delta_h_in_range(500.01));
    EXPECT_FALSE(mean_kinetic_temperature(minutes({5}), TemperatureUnit::kCelsius, 0.0));
    EXPECT_FALSE(mean_kinetic_temperature(minutes({5, -300}), TemperatureUnit::kCelsius, 83.144));

    // Extremes at their first occurrence; one sample has no spread.
    const Statistics s = statistics(minutes({4, 9, 2, 9, 2}), TemperatureUnit::kCelsius, 83.144);
    EXPECT_EQ(std::tie(s.count, *s.first, *s.last), std::tuple(5, kStart, kStart + 4 * kMinute));
    EXPECT_EQ(*s.minimum, (TimedValue{2, kStart + 2 * kMinute}));
    EXPECT_EQ(*s.maximum, (TimedValue{9, kStart + kMinute}));
    EXPECT_NEAR(*s.standard_deviation, 3.5637059, 1e-7);  // sqrt(50.8 / 4): n - 1

    const Statistics one = statistics(minutes({7}), TemperatureUnit::kCelsius, 83.144);
    EXPECT_EQ(*one.minimum, *one.maximum);
    EXPECT_DOUBLE_EQ(*one.mean_kinetic, 7.0);
    EXPECT_FALSE(one.standard_deviation);
}

TEST(Excursions, RunsAtTheEdgesSingleSamplesAndTouchedLimits) {
    const Limits cold_room{2.0, 8.0, LimitSource::kUser};
    struct Case {
        std::vector<Reading> readings;
        Limits limits;
        std::vector<std::tuple<Side, int, int, double>> runs;  // side, first index, samples, peak
        const char* verdict;
    };
    const Case cases[] = {
        // At the first and at the last sample, one of a single sample.
        {minutes({9, 10, 5, 5, 1}),
         cold_room,
         {{Side::kAbove, 0, 2, 10}, {Side::kBelow, 4, 1, 1}},
         "2 EXCURSIONS, 0 h 3 min OUT OF LIMITS"},
        // On a limit is within, to a millionth of a degree; farther is out.
        {minutes({2, 8, 5}), cold_room, {}, "WITHIN LIMITS"},
        {minutes({2, 8}),
         Limits{2.0000000000000009, 7.9999999, LimitSource::kUser},
         {},
         "WITHIN LIMITS"},
        {minutes({1.999998, 5}),
         cold_room,
         {{Side::kBelow, 0, 1, 1.999998}},
         "1 EXCURSION, 0 h 1 min OUT OF LIMITS"},
        // Straight from above to below: two runs; the peak is the first farthest value.
        {minutes({12, 12, 0.5, 3}),
         cold_room,
         {{Side::kAbove, 0, 2, 12}, {Side::kBelow, 2, 1, 0.5}},
         "2 EXCURSIONS, 0 h 3 min OUT OF LIMITS"},
        {minutes({-5, 100}), Limits{}, {}, "NO LIMITS"},
        {minutes({-5, 100}),
         Limits{std::nullopt, 50.0, LimitSource::kUser},
         {{Side::kAbove, 1, 1, 100}},
         "1 EXCURSION, 0 h 1 min OUT OF LIMITS"},
    };
    for (const Case& c : cases) {
        const ExcursionReport report = find_excursions(c.readings, c.limits, kMinute);
        ASSERT_EQ(report.excursions.size(), c.runs.size()) << c.verdict;
        for (std::size_t i = 0; i < c.runs.size(); ++i) {
            const auto& [side, first, samples, peak] = c.runs[i];
            const Excursion& e = report.excursions[i];
            EXPECT_EQ(std::tuple(e.side, e.first_index, e.samples, e.start, e.end, e.seconds,
                                 e.peak.value),
                      std::tuple(side, first, samples, c.readings[first].time,
                                 c.readings[first + samples - 1].time, samples * kMinute, peak))
                << c.verdict;
        }
        EXPECT_EQ(
            verdict_text(verdict_kind(static_cast<int>(c.readings.size()), false, c.limits, report),
                         report),
            c.verdict);
    }
    // Totals by side; the hours and whole minutes of the verdict come from their sum.
    const ExcursionReport long_run =
        find_excursions(repeated({{50, 9}, {10, 5}, {21, 1}}), cold_room, kMinute);
    EXPECT_EQ(long_run.above, (TimeOutside{50, 3000}));
    EXPECT_EQ(long_run.below, (TimeOutside{21, 1260}));
    EXPECT_EQ(long_run.longest()->samples, 50);
    EXPECT_EQ(verdict_text(VerdictKind::kExcursions, long_run),
              "2 EXCURSIONS, 1 h 11 min OUT OF LIMITS");
    EXPECT_EQ(
        verdict_text(VerdictKind::kExcursions, find_excursions(repeated({{1, 9}}), cold_room, 119)),
        "1 EXCURSION, 0 h 1 min OUT OF LIMITS");
}

TEST(Limits, LoggerThresholdsByTypeAndTheUserFirst) {
    using mission::address::kAlarmEnable;
    using mission::address::kConfiguration;
    using mission::address::kHighThreshold;
    using mission::address::kLowThreshold;
    // Configuration, low byte, high byte, enable bits, expected low and high in Celsius.
    const std::tuple<link::Byte, link::Byte, link::Byte, link::Byte, std::optional<double>,
                     std::optional<double>>
        cases[] = {{0x40, 86, 98, 0x03, 2.0, 8.0},     // "L": raw / 2 - 41
                   {0x60, 6, 18, 0x03, 2.0, 8.0},      // "T": raw / 2 - 1
                   {0x80, 52, 100, 0x03, 40.0, 64.0},  // "H": raw / 2 + 14
                   {0x60, 6, 18, 0x01, 2.0, std::nullopt},
                   {0x60, 6, 18, 0x02, std::nullopt, 8.0},
                   {0x60, 6, 18, 0x00, std::nullopt, std::nullopt}};
    for (const auto& [configuration, low, high, enable, expected_low, expected_high] : cases) {
        const mission::MissionRecord record = record_from({{kConfiguration, configuration},
                                                           {kLowThreshold, low},
                                                           {kHighThreshold, high},
                                                           {kAlarmEnable, enable}});
        const Limits limits = logger_limits(record, TemperatureUnit::kCelsius);
        EXPECT_EQ(limits.low, expected_low) << int{configuration} << " " << int{enable};
        EXPECT_EQ(limits.high, expected_high) << int{configuration} << " " << int{enable};
        EXPECT_EQ(limits.source, enable != 0 ? LimitSource::kLogger : LimitSource::kNone);
    }
    // Thresholds follow the unit; the calibration offset is not added.
    const mission::MissionRecord record = record_from({{kConfiguration, 0x60},
                                                       {kLowThreshold, 6},
                                                       {kHighThreshold, 18},
                                                       {kAlarmEnable, 0x03},
                                                       {0x01FE, 0x7B},
                                                       {0x01FF, 0x90}});
    EXPECT_EQ(choose_limits({}, {}, record, TemperatureUnit::kFahrenheit),
              (Limits{35.6, 46.4, LimitSource::kLogger}));
    // Limits set for the mission first, either side, the other side staying empty; then those
    // remembered for the logger; then the logger's own.
    const Limits remembered{1.0, 9.0, LimitSource::kUser};
    EXPECT_EQ(choose_limits({std::nullopt, 6.0, LimitSource::kUser}, remembered, record,
                            TemperatureUnit::kCelsius),
              (Limits{std::nullopt, 6.0, LimitSource::kUser}));
    EXPECT_EQ(choose_limits({}, remembered, record, TemperatureUnit::kCelsius),
              (Limits{1.0, 9.0, LimitSource::kRemembered}));
    EXPECT_EQ(choose_limits({}, {}, std::nullopt, TemperatureUnit::kCelsius), Limits{});
    EXPECT_EQ(source_description(LimitSource::kRemembered, "2026-12-08"),
              "last set for this logger on 2026-12-08");
}

TEST(LoggerFlags, StatusBitsRolloverAndSamplesAtTheSensorsRangeLimits) {
    using namespace mission::address;
    const mission::MissionRecord quiet = record_from({{kConfiguration, 0x60}});
    EXPECT_EQ(logger_flags(quiet), LoggerFlags{});
    EXPECT_TRUE(flag_warnings(logger_flags(quiet)).empty());

    // 10000 one-byte samples in an 8192-byte log: the oldest 1808 are gone.
    const mission::MissionRecord flagged = record_from({{kAlarmStatus, 0x83},
                                                        {kGeneralStatus, 0x10},
                                                        {kMissionControl, 0x10},
                                                        {kMissionSampleCount, 0x10},
                                                        {kMissionSampleCount + 1, 0x27},
                                                        {kDeviceSampleCount, 0x2A}});
    const LoggerFlags f = logger_flags(flagged);
    EXPECT_TRUE(f.low_alarm && f.high_alarm && f.battery_reset && f.waiting_for_alarm &&
                f.rollover);
    EXPECT_EQ(f.overwritten, 1808);
    EXPECT_EQ(f.device_samples, 42);
    const std::vector<std::string> warnings = flag_warnings(f);
    ASSERT_EQ(warnings.size(), 5u);
    EXPECT_EQ(warnings[2], "1808 SAMPLES OVERWRITTEN BY ROLLOVER !");

    // The ends of the stored scale: 8-bit 0x00 and 0xFF, 16-bit 0x0000 and 0xFFE0.
    for (const bool sixteen : {false, true}) {
        mission::MissionHeader header;
        header.logger_type = mission::LoggerType::kT;
        header.sample_format =
            sixteen ? mission::SampleFormat::k16Bit : mission::SampleFormat::k8Bit;
        header.mission_sample_count = sixteen ? 4 : 5;
        mission::SampleDecoder decoder(header);
        std::array<link::Byte, link::kPageSize> page{};
        const std::vector<link::Byte> bytes =
            sixteen ? std::vector<link::Byte>{0x00, 0x00, 0xFF, 0xE0, 0xFF, 0xE1, 0x00, 0x01}
                    : std::vector<link::Byte>{0x00, 0xFF, 0xFF, 0x01, 0xFE};
        std::copy(bytes.begin(), bytes.end(), page.begin());
        decoder.add_page(mission::kLogFirstPage, page);
        const mission::MissionRecord r =
            mission::make_mission_record(header, decoder.samples(), {});
        EXPECT_EQ(logger_flags(r).below_range, 1) << sixteen;
        EXPECT_EQ(logger_flags(r).above_range, sixteen ? 1 : 2) << sixteen;
    }
    EXPECT_EQ(flag_warnings({.below_range = 1})[0], "1 SAMPLE BELOW THE SENSOR'S RANGE !");
}

// A verdict only where there is something to judge: no samples, then a battery reset, then no
// limits judge nothing.
TEST(Summary, WholeMissionsFromTheirRecordsAndWhatTheirVerdictsJudge) {
    using namespace mission::address;
    const mission::MissionRecord thresholds = record_from({{kConfiguration, 0x60},
                                                           {kSampleRate, 1},
                                                           {kLowThreshold, 6},
                                                           {kHighThreshold, 18},
                                                           {kAlarmEnable, 0x03}});
    mission::MissionRecord reset = thresholds;
    reset.alarm_status = mission::kBatteryResetBit;
    const std::tuple<std::vector<Reading>, std::optional<mission::MissionRecord>, VerdictKind,
                     const char*>
        cases[] = {{{}, reset, VerdictKind::kNoSamples, "NO SAMPLES"},
                   {minutes({5}), reset, VerdictKind::kBatteryReset, "NOT VALID: BATTERY RESET"},
                   {minutes({5}), std::nullopt, VerdictKind::kNoLimits, "NO LIMITS"},
                   {minutes({5}), thresholds, VerdictKind::kWithinLimits, "WITHIN LIMITS"},
                   {repeated({{3, 5.0}, {2, 9.5}, {3, 5.0}}), thresholds, VerdictKind::kExcursions,
                    "1 EXCURSION, 0 h 2 min OUT OF LIMITS"}};
    Summary s;
    for (const auto& [readings, record, kind, text] : cases) {
        SummaryInput input;
        input.readings = readings;
        input.record = record;
        s = summarize(input);
        EXPECT_EQ(s.verdict, text);
        EXPECT_EQ(s.verdict_kind, kind) << text;
        EXPECT_EQ(verdict_kind_of(s.verdict), kind) << text;
        EXPECT_EQ(s.duration_s, record ? static_cast<std::int64_t>(readings.size()) * 60 : 0)
            << text;
    }
    // The last mission's limits and zone are its logger's.
    EXPECT_EQ(s.limits, (Limits{2.0, 8.0, LimitSource::kLogger}));
    EXPECT_EQ(s.time_zone->name, "Europe/Berlin");
}

// The logger's own -18 threshold ("L": raw 46) beside a mission downloaded in Fahrenheit: a
// sample on it stays within in every unit. Limits typed by the user go through the summary
// window's own chain of units.
TEST(Summary, ASampleOnTheLoggersThresholdStaysWithinInEveryUnit) {
    using namespace mission::address;
    const mission::MissionRecord freezer =
        record_from({{kConfiguration, 0x40}, {kLowThreshold, 46}, {kAlarmEnable, 0x01}});
    for (const TemperatureUnit unit : {TemperatureUnit::kReaumur, TemperatureUnit::kCelsius,
                                       TemperatureUnit::kFahrenheit, TemperatureUnit::kKelvin}) {
        const auto in_unit = [unit](double celsius) {
            return mission::ConvertTemperature(
                mission::ConvertTemperature(celsius, TemperatureUnit::kCelsius,
                                            TemperatureUnit::kFahrenheit),
                TemperatureUnit::kFahrenheit, unit);
        };
        SummaryInput input;
        input.readings = repeated({{1, in_unit(-18.0)}, {1, in_unit(-10.0)}});
        input.unit = unit;
        input.record = freezer;
        EXPECT_EQ(summarize(input).verdict, "WITHIN LIMITS") << static_cast<int>(unit);
    }
}

TEST(Summary, TextsOfTimesOffsetsAndTemperaturesAndRefusedTimes) {
    EXPECT_EQ(time_text(*parse_time_text("2026-02-28 23:59:07")), "2026-02-28 23:59:07");
    EXPECT_EQ(utc_offset_text(49500), "UTC+13:45");
    EXPECT_EQ(utc_offset_text(-12600), "UTC-03:30");
    EXPECT_EQ(temperature_text(1234.5), "1234.50");
    EXPECT_EQ(temperature_text(-0.0625), "-0.06");
    for (const char* bad : {"2026-02-30 10:00:00", "2026-02-28 23:59", "2026/02/28 23:59:07",
                            "2026-02-28 2a:59:07", ""}) {
        EXPECT_FALSE(parse_time_text(bad)) << bad;
    }
    // Intervals in the form of durations.
    for (const auto& [seconds, text] : {std::pair{30, "30 s"},
                                        {90, "1 min 30 s"},
                                        {600, "10 min"},
                                        {3600, "1 h 0 min"},
                                        {5400, "1 h 30 min"}}) {
        EXPECT_EQ(interval_text(seconds), text) << seconds;
    }
}

}  // namespace
}  // namespace frostel::insight
