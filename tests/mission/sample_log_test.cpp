#include "mission/sample_log.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <tuple>

#include "mission/mission_loader.h"
#include "mission/register_map.h"

namespace frostel::mission {
namespace {

using link::Byte;
using Page = std::array<Byte, link::kPageSize>;
using enum LoggerType;
using enum SampleFormat;

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

// Each type and format reads its bytes as the simulated logger stores the reading. "H" reads
// raw / 2 + 14, and 0x54 is 56 degrees as its data sheet says.
TEST(SampleScale, EachTypeAndFormatReadsItsBytesAndTheUnitStepAddsTheOffsetUnscaled) {
    const std::tuple<LoggerType, SampleFormat, Byte, Byte, double> cases[] = {
        {kL, k8Bit, 164, 0, 41.0},      {kL, k8Bit, 0, 0, -41.0},        {kT, k8Bit, 50, 0, 24.0},
        {kT, k8Bit, 255, 0, 126.5},     {kH, k8Bit, 50, 0, 39.0},        {kH, k8Bit, 0x54, 0, 56.0},
        {kL, k16Bit, 132, 128, 25.25},  {kT, k16Bit, 52, 0x20, 25.0625}, {kH, k16Bit, 50, 0, 39.0},
        {kH, k16Bit, 50, 0xE0, 39.4375}};
    const std::map<LoggerType, Byte> configuration{
        {kL, sim::kConfigurationL}, {kT, sim::kConfigurationT}, {kH, sim::kConfigurationH}};
    for (const auto& [type, format, high, low, celsius] : cases) {
        EXPECT_EQ(first_sample(header(type, format, 1), Page{high, low}), celsius) << int{high};
        const std::vector<Byte> stored =
            format == k16Bit ? std::vector<Byte>{high, low} : std::vector<Byte>{high};
        EXPECT_EQ(sim::encode_sample(celsius, configuration.at(type), format == k16Bit), stored)
            << celsius;
    }
    // Read from their bytes whatever the alarm status says.
    MissionHeader alarm = header(kL, k16Bit, 1);
    alarm.alarm_status = 0x80;
    EXPECT_EQ(first_sample(alarm, Page{132, 128}), 25.25);

    // The offset is in degrees Celsius whatever the unit: +0.5 is 0.9 degrees Fahrenheit, and
    // a download in Fahrenheit is a download in Celsius converted, bit for bit.
    const std::vector<Sample> samples{{25.0, {}, ""}, {-40.0, {}, ""}, {2.0625, {}, ""}};
    const std::vector<double> fahrenheit = shown_values(samples, TemperatureUnit::kFahrenheit, 0.5);
    EXPECT_DOUBLE_EQ(fahrenheit[0], 77.9);
    EXPECT_DOUBLE_EQ(fahrenheit[1], -39.1);
    for (const TemperatureUnit unit :
         {TemperatureUnit::kFahrenheit, TemperatureUnit::kKelvin, TemperatureUnit::kReaumur}) {
        const std::vector<double> celsius = shown_values(samples, TemperatureUnit::kCelsius, -1.3);
        const std::vector<double> direct = shown_values(samples, unit, -1.3);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            EXPECT_EQ(direct[i], ConvertTemperature(celsius[i], TemperatureUnit::kCelsius, unit));
        }
    }
}

// Type "T" (reference 1 = 90): reference 2 = 25.0 read as 25.25, reference 3 = 60.0 read as
// 59.875. Worked in double precision:
//   R2² - R1² = -7475, E1 = E2 = 0.25, E3 = -0.125
//   B = -7475 × -0.375 / ((60 - 90) × -7475 + (3600 - 8100) × 65) = 2803.125 / -68250
//     = -0.04107142857142857
//   A = B × 65 / -7475 = 0.00035714285714285714
//   C = 0.25 - A × 8100 - B × 90 = 1.0535714285714288
constexpr SensorCalibration kWorkedCalibration{{52, 0}, {52, 128}, {122, 0}, {121, 192}};

TEST(SensorCalibrationFit, WorkedSetCoefficientsOnlyForSixteenBitLAndTZeroDivisorsNothing) {
    const Calibration k = calibration_coefficients(kWorkedCalibration, type_scale(kT));
    EXPECT_NEAR(k.a, 0.00035714285714285714, 1e-15);
    EXPECT_NEAR(k.b, -0.04107142857142857, 1e-15);
    EXPECT_NEAR(k.c, 1.0535714285714288, 1e-13);
    // The corrected 16-bit "T" samples are checked through a download in the window's tests;
    // "H" and 8-bit samples take no correction.
    MissionHeader h = header(kH, k16Bit, 1);
    h.sensor_calibration = kWorkedCalibration;
    EXPECT_EQ(first_sample(h, Page{50, 0}), 39.0);
    MissionHeader t = header(kT, k8Bit, 1);
    t.sensor_calibration = kWorkedCalibration;
    EXPECT_EQ(first_sample(t, filled(91)), 44.5);

    using Coefficients = std::tuple<double, double, double>;
    for (LoggerType type : {kL, kT}) {
        for (Byte b : {Byte{0x00}, Byte{0xFF}}) {
            const Calibration z =
                calibration_coefficients({{b, b}, {b, b}, {b, b}, {b, b}}, type_scale(type));
            EXPECT_EQ(Coefficients(z.a, z.b, z.c), Coefficients(0, 0, 0)) << int{b};
        }
    }
    // Reference 2 equal to reference 1 (60 on "L"): the divisors of B and A are zero, and
    // C alone takes the error.
    const Calibration r1 =
        calibration_coefficients({{202, 0}, {202, 128}, {202, 0}, {202, 128}}, type_scale(kL));
    EXPECT_EQ(Coefficients(r1.a, r1.b, r1.c), Coefficients(0, 0, 0.25));
}

TEST(LogWalk, PagesThroughThePageAfterTheLastSampleNeverBeyondTheLog) {
    // Count, format, last page, samples shown, position of the oldest. 8159 samples end in
    // page 382, so its next page is the log's last; above 8192 or 4096 the log rolled over.
    const std::tuple<int, SampleFormat, int, int, int> cases[] = {
        {0, k8Bit, 129, 0, 0},        {0, k16Bit, 129, 0, 0},       {100, k8Bit, 132, 100, 0},
        {100, k16Bit, 135, 100, 0},   {8159, k8Bit, 383, 8159, 0},  {8160, k8Bit, 383, 8160, 0},
        {8192, k8Bit, 383, 8192, 0},  {4080, k16Bit, 383, 4080, 0}, {4096, k16Bit, 383, 4096, 0},
        {8202, k8Bit, 383, 8192, 10}, {4097, k16Bit, 383, 4096, 1}};
    for (const auto& [count, format, last_page, shown, oldest] : cases) {
        const LogWalk walk = plan_log_walk(count, format);
        EXPECT_EQ(walk.first_page, 128) << count;
        EXPECT_EQ(walk.last_page, last_page) << count;
        EXPECT_EQ(walk.sample_count, shown) << count;
        EXPECT_EQ(walk.oldest_position, oldest) << count;
    }
}

TEST(LogWalk, PagesDecodeOneByOneAndOnlyTheMissionsSamplesAreShownAndTimed) {
    MissionHeader h = header(kT, k8Bit, 100);
    h.start_time = {2009, 12, 31, 23, 50, 0};
    SampleDecoder decoder(h);
    for (int page = decoder.walk().first_page; page <= decoder.walk().last_page; ++page) {
        decoder.add_page(page, filled(static_cast<Byte>(page - 100)));
    }
    EXPECT_EQ(decoder.table()[0], 13.0);    // page 128: raw 28
    EXPECT_EQ(decoder.table()[159], 15.0);  // page 132: raw 32
    EXPECT_EQ(decoder.table()[160], 0.0);   // beyond the pages read
    const std::vector<Sample> samples = decoder.samples();
    ASSERT_EQ(samples.size(), 100U);
    EXPECT_EQ(samples[0].time_text, "2009-12-31 23:50:00");
    EXPECT_EQ(samples[1].time_text, "2010-01-01 00:00:00");
    EXPECT_EQ(samples[99].time, (platform::LocalDateTime{2010, 1, 1, 16, 20, 0}));
    EXPECT_EQ(samples[99].time_text, "2010-01-01 16:20:00");
    EXPECT_EQ(samples[99].celsius, 14.5);  // page 131

    SampleDecoder sixteen(header(kT, k16Bit, 100));
    for (int page = 128; page <= 135; ++page) {
        sixteen.add_page(page, filled(60));
    }
    EXPECT_NEAR(sixteen.table()[127], 29.0 + 60 / 512.0, 1e-12);
    EXPECT_EQ(sixteen.table()[128], 0.0);
}

}  // namespace
}  // namespace frostel::mission
