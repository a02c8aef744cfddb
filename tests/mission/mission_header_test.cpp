#include "mission/mission_header.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>
#include <vector>

#include "mission/register_map.h"

namespace frostel::mission {
namespace {

using link::Byte;

// Bytes stored from `address` on.
struct Run {
    std::size_t address;
    std::vector<Byte> bytes;
};

MissionHeader decode(std::initializer_list<Run> runs) {
    link::MemoryImage image = make_header_image();
    for (const Run& run : runs) {
        for (std::size_t i = 0; i < run.bytes.size(); ++i) {
            image.set(run.address + i, run.bytes[i]);
        }
    }
    return decode_mission_header(image, "41F1DEBC0A000027");
}

// Second, minute, hour, day, month, year from 0x0219, at a one-second interval.
MissionHeader with_start(std::vector<Byte> start) {
    return decode({{0x0206, {1}}, {0x0212, {0x02}}, {0x0219, std::move(start)}});
}

TEST(MissionHeader, ConfigurationByteGivesTypeAndCaptionAndTheMarkerGuardsTheOffset) {
    // An unknown byte decodes as "L" but shows the 0 to 125 text.
    const std::tuple<Byte, LoggerType, const char*> types[] = {
        {0x60, LoggerType::kT, "125 (0'C to 125'C)"},
        {0x40, LoggerType::kL, "85 (-40'C to 85'C)"},
        {0x80, LoggerType::kH, "140 (15'C to 140'C)"},
        {0x00, LoggerType::kL, "125 (0'C to 125'C)"}};
    for (const auto& [configuration, type, range] : types) {
        const MissionHeader h = decode({{0x0226, {configuration}}});
        EXPECT_EQ(h.logger_type, type);
        EXPECT_EQ(h.caption, std::string("Frostel Type: ") + range + " - ID:41F1DEBC0A000027");
    }
    // Marker, offset byte, tenths of a degree.
    const std::tuple<Byte, Byte, int> offsets[] = {
        {0x7B, 0x8A, 10}, {0x7B, 0x7B, -5}, {0x7B, 0x80, 0}, {0x7A, 0x8A, 0}};
    for (const auto& [marker, value, tenths] : offsets) {
        const MissionHeader h = decode({{0x01FE, {marker, value}}});
        EXPECT_EQ(h.calibration_offset_tenths, tenths) << int{value};
        EXPECT_DOUBLE_EQ(h.calibration_offset, tenths / 10.0) << int{value};
    }
}

TEST(MissionHeader, RateCountsSecondsOrMinutesAndMinutesDropTheStartSeconds) {
    const auto with_rate = [](Byte rate, Byte clock) {
        return decode({{0x0206, {rate, 0}},
                       {0x0212, {clock}},
                       {0x0219, {0x05, 0x30, 0x14, 0x07, 0x11, 0x09}}});
    };
    const MissionHeader seconds = with_rate(0x0A, 0x03);
    EXPECT_EQ(seconds.sample_interval, 10);
    EXPECT_EQ(seconds.start_time_text, "07-11-2009 14:30:05");
    const MissionHeader minutes = with_rate(0x0A, 0x01);
    EXPECT_EQ(minutes.sample_interval, 600);
    EXPECT_EQ(minutes.start_time_text, "07-11-2009 14:30:00");
    EXPECT_EQ(minutes.start_time, (platform::LocalDateTime{2009, 11, 7, 14, 30, 0}));
    // 60 counted in seconds is over 59 too; 59 is not.
    EXPECT_EQ(with_rate(60, 0x02).start_time_text, "07-11-2009 14:30:00");
    EXPECT_EQ(with_rate(59, 0x02).start_time_text, "07-11-2009 14:30:05");
    EXPECT_EQ(decode({{0x0206, {0xFF, 0xFF}}}).sample_interval, 65535 * 60);
}

TEST(MissionHeader, StartTimeMasksTheHourAndMonthAndKeepsTwoDigitsInItsText) {
    const auto hour = [](Byte b) { return with_start({0, 0, b, 1, 1, 0x26}).start_time.hour; };
    const auto month = [](Byte b) { return with_start({0, 0, 0, 1, b, 0x26}).start_time.month; };
    EXPECT_EQ(month(0x92), 12);  // bit 7, the century flag, ignored
    EXPECT_EQ(month(0x69), 9);   // bits 5 and 6 ignored
    EXPECT_EQ(hour(0x23), 23);
    EXPECT_EQ(hour(0x94), 14);  // bit 7 alone is not 12-hour mode
    // 12-hour mode: bit 5 is PM, 12 AM is midnight.
    EXPECT_EQ(hour(0x52), 0);
    EXPECT_EQ(hour(0x72), 12);
    EXPECT_EQ(hour(0x71), 23);
    EXPECT_EQ(with_start({0, 0, 0x52, 1, 1, 0}).start_time_text, "01-01-2000 00:00:00");

    // Minute 0x1F reads 25; year 0xA5 reads 105, whose text keeps "05".
    const MissionHeader h = with_start({0x00, 0x1F, 0x00, 0x31, 0x12, 0xA5});
    EXPECT_EQ(h.start_time_text, "31-12-2005 00:25:00");
    EXPECT_EQ(h.start_time, (platform::LocalDateTime{2005, 12, 31, 0, 25, 0}));
    // Month 0x13 and minute 0x7A (80) run over into the next year and hour.
    const MissionHeader over = with_start({0x00, 0x7A, 0x23, 0x31, 0x13, 0x09});
    EXPECT_EQ(over.start_time_text, "31-13-2009 23:80:00");
    EXPECT_EQ(over.start_time, (platform::LocalDateTime{2010, 2, 1, 0, 20, 0}));
    // A cleared logger (all zero) still gives a date-time.
    EXPECT_EQ(decode({}).start_time_text, "00-00-2000 00:00:00");
    EXPECT_EQ(decode({}).start_time, (platform::LocalDateTime{1999, 11, 30, 0, 0, 0}));
}

TEST(MissionHeader, CountsFormatAlarmCalibrationBytesAndTheWholeMissionText) {
    const std::string typed = "Cold room 3\r\n\xE9t\xE9";
    std::vector<Byte> stored(typed.begin(), typed.end());
    stored.resize(kMissionTextLength - 1, ' ');
    stored.push_back(0x00);
    stored.push_back(0x7B);  // the marker right after the text is not part of it
    const MissionHeader h = decode({{0x0020, stored},
                                    {0x0213, {0x04, 0x81}},
                                    {0x0220, {0x10, 0x27, 0x00, 0xFF, 0xFF, 0xFF}},
                                    {0x0240, {0x34, 0x01, 0, 0, 0, 0, 0x79, 0xC0}}});
    EXPECT_EQ(h.mission_sample_count, 10000);
    EXPECT_EQ(h.device_sample_count, 16777215);
    EXPECT_EQ(h.sample_format, SampleFormat::k16Bit);
    EXPECT_EQ(decode({{0x0213, {0xFB}}}).sample_format, SampleFormat::k8Bit);
    EXPECT_EQ(h.alarm_status, 0x81);
    EXPECT_EQ(h.sensor_calibration.reference2.high, 0x34);  // the first byte and the last
    EXPECT_EQ(h.sensor_calibration.reading3.low, 0xC0);
    ASSERT_EQ(h.mission_text.size(), 478U);
    EXPECT_EQ(h.mission_text.substr(0, typed.size()), typed);
    EXPECT_EQ(h.mission_text.substr(476), std::string(" \0", 2));
}

}  // namespace
}  // namespace frostel::mission
