#include "mission/sample_log.h"

#include <gtest/gtest.h>

#include <array>

#include "mission/register_map.h"

namespace frostel::mission {
namespace {

using link::Byte;
using Page = std::array<Byte, link::kPageSize>;

MissionHeader header(LoggerType type, SampleFormat format, int count) {
    MissionHeader h;
    h.logger_type = type;
    h.sample_format = format;
    h.mission_sample_count = count;
    h.sample_interval = 600;
    h.start_time = {2009, 11, 7, 14, 30, 0};
    return h;
}

Page filled(Byte value) {
    Page page;
    page.fill(value);
    return page;
}

double first_sample(const MissionHeader& h, const Page& page) {
    SampleDecoder decoder(h);
    decoder.add_page(kLogFirstPage, page);
    return decoder.table()[0];
}

double first_8_bit(LoggerType type, Byte raw) {
    return first_sample(header(type, SampleFormat::k8Bit, 1), filled(raw));
}

double first_16_bit(LoggerType type, Byte high, Byte low) {
    return first_sample(header(type, SampleFormat::k16Bit, 1), Page{high, low});
}

TEST(SampleScale, EightBitReadingsOfEachType) {
    EXPECT_EQ(first_8_bit(LoggerType::kL, 164), 41.0);
    EXPECT_EQ(first_8_bit(LoggerType::kL, 0), -41.0);
    EXPECT_EQ(first_8_bit(LoggerType::kT, 50), 24.0);
    EXPECT_EQ(first_8_bit(LoggerType::kT, 255), 126.5);
    // "H" reads raw / 2 + 14, and 0x54 is 56 degrees as its data sheet says.
    EXPECT_EQ(first_8_bit(LoggerType::kH, 50), 39.0);
    EXPECT_EQ(first_8_bit(LoggerType::kH, 0x54), 56.0);
}

TEST(SampleScale, SixteenBitReadingsWithoutCalibrationCorrection) {
    EXPECT_EQ(first_16_bit(LoggerType::kL, 132, 128), 25.25);
    EXPECT_EQ(first_16_bit(LoggerType::kT, 52, 0x20), 25.0625);
    EXPECT_EQ(first_16_bit(LoggerType::kH, 50, 0), 39.0);
    EXPECT_EQ(first_16_bit(LoggerType::kH, 50, 0xE0), 39.4375);
    // Read from their bytes whatever the alarm status says.
    MissionHeader alarm = header(LoggerType::kL, SampleFormat::k16Bit, 1);
    alarm.alarm_status = 0x80;
    EXPECT_EQ(first_sample(alarm, Page{132, 128}), 25.25);
}

// Type "T" (reference 1 = 90): reference 2 = 25.0 read as 25.25, reference 3 = 60.0 read as
// 59.875. Worked in double precision:
//   R2² - R1² = -7475, E1 = E2 = 0.25, E3 = -0.125
//   B = -7475 × -0.375 / ((60 - 90) × -7475 + (3600 - 8100) × 65) = 2803.125 / -68250
//     = -0.04107142857142857
//   A = B × 65 / -7475 = 0.00035714285714285714
//   C = 0.25 - A × 8100 - B × 90 = 1.0535714285714288
constexpr SensorCalibration kWorkedCalibration{{52, 0}, {52, 128}, {122, 0}, {121, 192}};

TEST(SensorCalibrationFit, WorkedSetGivesItsCoefficients) {
    const Calibration k = calibration_coefficients(kWorkedCalibration, type_scale(LoggerType::kT));
    EXPECT_NEAR(k.a, 0.00035714285714285714, 1e-15);
    EXPECT_NEAR(k.b, -0.04107142857142857, 1e-15);
    EXPECT_NEAR(k.c, 1.0535714285714288, 1e-13);
    // The fitted error is the measured one at both calibration points and at reference 1.
    EXPECT_NEAR(corrected(25.0, k), 24.75, 1e-12);
    EXPECT_NEAR(corrected(60.0, k), 60.125, 1e-12);
    EXPECT_NEAR(corrected(90.0, k), 89.75, 1e-12);
}

TEST(SensorCalibrationFit, SixteenBitSamplesOfLAndTAreCorrectedButNotH) {
    MissionHeader t = header(LoggerType::kT, SampleFormat::k16Bit, 2);
    t.sensor_calibration = kWorkedCalibration;
    SampleDecoder decoder(t);
    decoder.add_page(kLogFirstPage, Page{91, 0, 70, 64});  // 44.5 and 34.125 read
    EXPECT_NEAR(decoder.table()[0], 44.566875, 1e-12);
    EXPECT_NEAR(decoder.table()[1], 34.05709263392857, 1e-12);

    MissionHeader h = header(LoggerType::kH, SampleFormat::k16Bit, 1);
    h.sensor_calibration = kWorkedCalibration;
    EXPECT_EQ(first_sample(h, Page{50, 0}), 39.0);

    // 8-bit samples take no correction either.
    MissionHeader eight = header(LoggerType::kT, SampleFormat::k8Bit, 1);
    eight.sensor_calibration = kWorkedCalibration;
    EXPECT_EQ(first_sample(eight, filled(91)), 44.5);
}

TEST(SensorCalibrationFit, ZeroDivisorsLeaveNoCorrection) {
    for (LoggerType type : {LoggerType::kL, LoggerType::kT}) {
        for (Byte b : {Byte{0x00}, Byte{0xFF}}) {
            const SensorCalibration same{{b, b}, {b, b}, {b, b}, {b, b}};
            const Calibration k = calibration_coefficients(same, type_scale(type));
            EXPECT_EQ(k.a, 0.0);
            EXPECT_EQ(k.b, 0.0);
            EXPECT_EQ(k.c, 0.0);
        }
    }
    // Reference 2 equal to reference 1 (60 on "L"): the divisors of B and A are zero, and
    // C alone takes the error.
    const SensorCalibration at_reference1{{202, 0}, {202, 128}, {202, 0}, {202, 128}};
    const Calibration k = calibration_coefficients(at_reference1, type_scale(LoggerType::kL));
    EXPECT_EQ(k.a, 0.0);
    EXPECT_EQ(k.b, 0.0);
    EXPECT_EQ(k.c, 0.25);
}

TEST(LogWalk, PagesThroughThePageAfterTheLastSampleNeverBeyondTheLog) {
    struct Case {
        int count;
        SampleFormat format;
        int last_page;
    };
    const std::array<Case, 9> cases{{
        {0, SampleFormat::k8Bit, 129},
        {0, SampleFormat::k16Bit, 129},
        {100, SampleFormat::k8Bit, 132},
        {100, SampleFormat::k16Bit, 135},
        {8160, SampleFormat::k8Bit, 383},
        {8191, SampleFormat::k8Bit, 383},
        {8192, SampleFormat::k8Bit, 383},
        {4080, SampleFormat::k16Bit, 383},
        {4096, SampleFormat::k16Bit, 383},
    }};
    for (const Case& c : cases) {
        const LogWalk walk = plan_log_walk(c.count, c.format);
        EXPECT_EQ(walk.first_page, 128) << c.count;
        EXPECT_EQ(walk.last_page, c.last_page) << c.count;
        EXPECT_EQ(walk.sample_count, c.count);
        EXPECT_EQ(walk.oldest_position, 0);
    }
    EXPECT_EQ(plan_log_walk(100, SampleFormat::k8Bit).page_count(), 5);
    EXPECT_EQ(plan_log_walk(8192, SampleFormat::k8Bit).page_count(), 256);
    // 8159 samples end in page 382; its next page is the log's last.
    EXPECT_EQ(plan_log_walk(8159, SampleFormat::k8Bit).last_page, 383);
}

TEST(LogWalk, HundredSamplesFillWholePagesAndShowOnlyTheHundred) {
    SampleDecoder decoder(header(LoggerType::kT, SampleFormat::k8Bit, 100));
    const LogWalk& walk = decoder.walk();
    for (int page = walk.first_page; page <= walk.last_page; ++page) {
        decoder.add_page(page, filled(static_cast<Byte>(page - 100)));
    }
    EXPECT_EQ(decoder.table()[0], 13.0);    // page 128: raw 28
    EXPECT_EQ(decoder.table()[159], 15.0);  // page 132: raw 32
    EXPECT_EQ(decoder.table()[160], 0.0);   // beyond the pages read
    EXPECT_EQ(decoder.samples().size(), 100U);
    EXPECT_EQ(decoder.samples()[99].celsius, 14.5);  // page 131

    SampleDecoder sixteen(header(LoggerType::kT, SampleFormat::k16Bit, 100));
    for (int page = 128; page <= 135; ++page) {
        sixteen.add_page(page, filled(60));
    }
    EXPECT_NEAR(sixteen.table()[127], 29.0 + 60 / 512.0, 1e-12);
    EXPECT_EQ(sixteen.table()[128], 0.0);
}

TEST(SampleTimes, EachSampleIsTimedByItsNumber) {
    MissionHeader h = header(LoggerType::kT, SampleFormat::k8Bit, 40);
    h.start_time = {2009, 12, 31, 23, 50, 0};
    SampleDecoder decoder(h);
    decoder.add_page(128, filled(50));
    decoder.add_page(129, filled(52));
    const std::vector<Sample> samples = decoder.samples();
    ASSERT_EQ(samples.size(), 40U);
    EXPECT_EQ(samples[0].time_text, "2009-12-31 23:50:00");
    EXPECT_EQ(samples[1].time_text, "2010-01-01 00:00:00");
    EXPECT_EQ(samples[39].time, (link::LocalDateTime{2010, 1, 1, 6, 20, 0}));
    EXPECT_EQ(samples[39].time_text, "2010-01-01 06:20:00");
    EXPECT_EQ(samples[39].celsius, 25.0);
}

TEST(Rollover, LogIsShownOldestFirstWithTheSamplesTrueNumbers) {
    // 8202 one-byte samples: the last ten overwrote positions 0 to 9.
    MissionHeader h = header(LoggerType::kL, SampleFormat::k8Bit, 8202);
    h.sample_interval = 1;
    h.start_time = {2026, 3, 1, 0, 0, 0};
    SampleDecoder decoder(h);
    EXPECT_EQ(decoder.walk().page_count(), 256);
    EXPECT_EQ(decoder.walk().sample_count, 8192);
    EXPECT_EQ(decoder.walk().oldest_position, 10);
    EXPECT_EQ(decoder.walk().oldest_sample_number, 10);
    Page first = filled(100);
    first[9] = 120;
    first[10] = 110;
    decoder.add_page(128, first);
    decoder.add_page(383, filled(90));
    const std::vector<Sample> samples = decoder.samples();
    ASSERT_EQ(samples.size(), 8192U);
    EXPECT_EQ(samples[0].celsius, 14.0);  // raw 110, sample number 10
    EXPECT_EQ(samples[0].time_text, "2026-03-01 00:00:10");
    EXPECT_EQ(samples[8181].celsius, 4.0);  // the log's last byte, sample number 8191
    EXPECT_EQ(samples[8182].celsius, 9.0);  // position 0 again: sample number 8192
    EXPECT_EQ(samples[8182].time_text, "2026-03-01 02:16:32");
    EXPECT_EQ(samples[8191].celsius, 19.0);  // the newest, sample number 8201
    EXPECT_EQ(samples[8191].time_text, "2026-03-01 02:16:41");

    const LogWalk sixteen = plan_log_walk(4097, SampleFormat::k16Bit);
    EXPECT_EQ(sixteen.last_page, 383);
    EXPECT_EQ(sixteen.sample_count, 4096);
    EXPECT_EQ(sixteen.oldest_position, 1);
    EXPECT_EQ(sixteen.oldest_sample_number, 1);
    EXPECT_EQ(sixteen.capacity, 4096);
    EXPECT_EQ(plan_log_walk(16777215, SampleFormat::k8Bit).oldest_position, 16777215 % 8192);
}

TEST(ShownValues, ConvertInIndexOrderAndAddTheOffsetUnscaled) {
    const std::vector<Sample> samples{{25.0, {}, ""}, {-40.0, {}, ""}};
    EXPECT_EQ(shown_values(samples, TemperatureUnit::kFahrenheit, 0.5),
              (std::vector<double>{77.5, -39.5}));
    EXPECT_EQ(shown_values(samples, TemperatureUnit::kCelsius, 0.0),
              (std::vector<double>{25.0, -40.0}));
    EXPECT_TRUE(shown_values({}, TemperatureUnit::kKelvin, 1.0).empty());
}

}  // namespace
}  // namespace frostel::mission
