#include "mission/mission_header.h"

#include <cstdio>

#include "mission/register_map.h"
#include "platform/local_date_time.h"

namespace frostel::mission {

namespace {

using link::Byte;
using link::MemoryImage;

constexpr Byte kTwelveHourBit = 0x40;
constexpr Byte kPmBit = 0x20;
constexpr int kLongestSecondsInterval = 59;

int little_endian(const MemoryImage& image, std::size_t address, int width) {
    int value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = value * 256 + image.at(address + static_cast<std::size_t>(i));
    }
    return value;
}

// All four high bits count: a nibble above 9 gives a digit above 9 (0x1F reads 25).
int bcd(Byte b) {
    return (b / 16) * 10 + (b & 15);
}

int bcd_month(Byte b) {
    return ((b & 16) / 16) * 10 + (b & 15);
}

// 24-hour bytes use bits 4 and 5 for the tens. In 12-hour mode (bit 6) bit 5 is PM and
// the tens are bit 4 only: 12 AM is hour 0, 12 PM hour 12.
int bcd_hour(Byte b) {
    if ((b & kTwelveHourBit) == 0) {
        return ((b / 16) & 3) * 10 + (b & 15);
    }
    const int twelve_hour = ((b / 16) & 1) * 10 + (b & 15);
    return twelve_hour % 12 + ((b & kPmBit) != 0 ? 12 : 0);
}

// The last two decimal digits: 7 gives 07, 105 gives 05.
int two_digits(int value) {
    return value % 100;
}

struct StartFields {
    int day, month, year, hour, minute, second;
};

// Six BCD bytes from `first`: second, minute, hour, day, month, year.
StartFields time_fields(const MemoryImage& image, std::size_t first) {
    return {two_digits(bcd(image.at(first + 3))), two_digits(bcd_month(image.at(first + 4))),
            two_digits(bcd(image.at(first + 5))), two_digits(bcd_hour(image.at(first + 2))),
            two_digits(bcd(image.at(first + 1))), two_digits(bcd(image.at(first)))};
}

StartFields start_fields(const MemoryImage& image, int sample_interval) {
    StartFields f = time_fields(image, address::kStartSecond);
    // Minute-based missions start on the minute; the clock's seconds are not part of it.
    if (sample_interval > kLongestSecondsInterval) {
        f.second = 0;
    }
    return f;
}

std::string start_text(const StartFields& f) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d-%02d-20%02d %02d:%02d:%02d", f.day, f.month, f.year,
                  f.hour, f.minute, f.second);
    return text;
}

// A field beyond its range (a BCD digit above 9) carries into the next one, so the start
// is always a real date-time: month 13 is January of the next year, minute 65 is 5 past.
platform::LocalDateTime start_date_time(const StartFields& f) {
    const int months = (2000 + f.year) * 12 + f.month - 1;
    const platform::LocalDateTime first_of_month{months / 12, months % 12 + 1, 1, 0, 0, 0};
    const std::int64_t seconds = platform::to_civil_seconds(first_of_month) +
                                 (f.day - 1) * 86400LL + f.hour * 3600LL + f.minute * 60LL +
                                 f.second;
    return platform::from_civil_seconds(seconds);
}

RawReading raw_reading(const MemoryImage& image, std::size_t address) {
    return {image.at(address), image.at(address + 1)};
}

SensorCalibration sensor_calibration(const MemoryImage& image) {
    const std::size_t a = address::kSensorCalibration;
    return {raw_reading(image, a), raw_reading(image, a + 2), raw_reading(image, a + 4),
            raw_reading(image, a + 6)};
}

int sample_interval(const MemoryImage& image) {
    const int rate = little_endian(image, address::kSampleRate, 2);
    return (image.at(address::kClockControl) & kRateCountsSecondsBit) != 0 ? rate : rate * 60;
}

int calibration_offset_tenths(const MemoryImage& image) {
    if (image.at(address::kOffsetMarker) != kOffsetMarkerValue) {
        return 0;
    }
    return image.at(address::kCalibrationOffset) - kOffsetBias;
}

}  // namespace

link::MemoryImage make_header_image() {
    return MemoryImage(kHeaderImageSize);
}

MissionHeader decode_mission_header(const MemoryImage& image, const link::LoggerId& logger_id) {
    MissionHeader h;
    h.logger_id = logger_id;
    h.configuration = image.at(address::kConfiguration);
    h.logger_type = logger_type_from_configuration(h.configuration);
    h.caption = std::string(type_caption(h.configuration)) + logger_id;
    h.mission_text.reserve(kMissionTextLength);
    for (std::size_t i = 0; i < kMissionTextLength; ++i) {
        h.mission_text.push_back(static_cast<char>(image.at(address::kMissionText + i)));
    }
    h.calibration_offset_tenths = calibration_offset_tenths(image);
    h.calibration_offset = h.calibration_offset_tenths / 10.0;
    h.sample_interval = sample_interval(image);
    h.sample_format = (image.at(address::kMissionControl) & kSixteenBitSamplesBit) != 0
                          ? SampleFormat::k16Bit
                          : SampleFormat::k8Bit;
    h.alarm_status = image.at(address::kAlarmStatus);
    h.general_status = image.at(address::kGeneralStatus);
    h.mission_control = image.at(address::kMissionControl);
    h.alarm_enable = image.at(address::kAlarmEnable);
    h.low_threshold = image.at(address::kLowThreshold);
    h.high_threshold = image.at(address::kHighThreshold);
    h.start_delay = little_endian(image, address::kStartDelay, 3);
    const StartFields start = start_fields(image, h.sample_interval);
    h.start_time_text = start_text(start);
    h.start_time = start_date_time(start);
    h.clock_reading = start_date_time(time_fields(image, address::kClock));
    h.mission_sample_count = little_endian(image, address::kMissionSampleCount, 3);
    h.device_sample_count = little_endian(image, address::kDeviceSampleCount, 3);
    h.sensor_calibration = sensor_calibration(image);
    return h;
}

}  // namespace frostel::mission
