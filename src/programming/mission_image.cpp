#include "programming/mission_image.h"

#include <algorithm>

#include "platform/local_date_time.h"
#include "programming/programming_rules.h"
#include "programming/thresholds.h"

namespace frostel::programming {

namespace {

using link::Byte;
using mission::LoggerType;
namespace read_address = mission::address;

constexpr Byte kAlarmLowAndHigh = mission::kLowAlarmBit | mission::kHighAlarmBit;
constexpr Byte kClockOscillatorOn = 0x01;
// Bits 0, 6 and 7 are set in every mission the program writes.
constexpr Byte kMissionControlAlways = 0xC1;
constexpr std::int64_t kSecondsPerMinute = 60;

Byte bcd(int n) {
    return static_cast<Byte>((n / 10) * 16 + n % 10);
}

// Bytes a UTF-8 character takes by its first byte; 0 for a byte that starts none.
int utf8_length(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        return 3;
    }
    return (lead & 0xF8) == 0xF0 ? 4 : 0;
}

// Each character's code point; a byte that starts no complete character reads as "?".
std::vector<char32_t> code_points(std::string_view utf8) {
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = utf8_length(lead);
        bool complete = length > 0 && i + length <= utf8.size();
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; complete && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            complete = (next & 0xC0) == 0x80;
            point = (point << 6) | (next & 0x3F);
        }
        points.push_back(complete ? point : U'?');
        i += complete ? length : 1;
    }
    return points;
}

void put_bytes(link::MemoryImage& image, std::size_t address, const std::vector<Byte>& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        image.set(address + i, bytes[i]);
    }
}

void put_clock(link::MemoryImage& image, const platform::LocalDateTime& now) {
    put_bytes(image, write_address::kClock,
              {bcd(now.second), bcd(now.minute), bcd(now.hour), bcd(now.day), bcd(now.month),
               bcd(now.year - 2000)});
}

Byte mission_control(const ProgrammingSettings& settings) {
    Byte control = kMissionControlAlways;
    if (settings.resolution == Resolution::kSixteenth) {
        control |= mission::kSixteenBitSamplesBit;
    }
    if (settings.rollover) {
        control |= mission::kRolloverBit;
    }
    if (settings.start_mode == StartMode::kTemperature) {
        control |= mission::kStartOnAlarmBit;
    }
    return control;
}

void put_registers(link::MemoryImage& image, const ProgrammingSettings& settings, LoggerType type) {
    image.set(read_address::kSampleRate, static_cast<Byte>(settings.interval % 256));
    image.set(read_address::kSampleRate + 1, static_cast<Byte>(settings.interval / 256));
    image.set(read_address::kLowThreshold, threshold_byte(settings.low_threshold, type));
    image.set(read_address::kHighThreshold, threshold_byte(settings.high_threshold, type));
    image.set(read_address::kAlarmEnable,
              alarms_on(settings.start_mode, settings.alarms) ? kAlarmLowAndHigh : 0);
    // The clock always runs; the rate bit says whether the sample rate counts seconds.
    image.set(read_address::kClockControl, settings.unit == IntervalUnit::kSeconds
                                               ? kClockOscillatorOn | mission::kRateCountsSecondsBit
                                               : kClockOscillatorOn);
    image.set(read_address::kMissionControl, mission_control(settings));
}

void put_start_delay(link::MemoryImage& image, std::uint32_t delay) {
    put_bytes(image, read_address::kStartDelay,
              {static_cast<Byte>(delay & 0xFF), static_cast<Byte>((delay >> 8) & 0xFF),
               static_cast<Byte>(delay >> 16)});
}

}  // namespace

std::vector<Byte> mission_text_bytes(std::string_view utf8) {
    std::vector<Byte> bytes;
    for (char32_t point : code_points(utf8)) {
        if (bytes.size() == mission::kMissionTextLength) {
            break;
        }
        bytes.push_back(point <= 0xFF ? static_cast<Byte>(point) : Byte{'?'});
    }
    bytes.resize(mission::kMissionTextLength, Byte{' '});
    return bytes;
}

std::variant<std::uint32_t, ResultLine> start_delay_minutes(const CalendarDate& date,
                                                            const std::string& time_text,
                                                            const platform::LocalDateTime& now) {
    const bool typed = time_text.size() == 5 && time_text[2] == ':' &&
                       std::all_of(time_text.begin(), time_text.end(),
                                   [](char c) { return c == ':' || (c >= '0' && c <= '9'); });
    const platform::LocalDateTime start{date.year,
                                        date.month,
                                        date.day,
                                        typed ? std::stoi(time_text.substr(0, 2)) : 0,
                                        typed ? std::stoi(time_text.substr(3, 2)) : 0,
                                        0};
    if (!typed || !platform::is_valid_date_time(start)) {
        return start_time_incomplete(time_text);
    }
    // The start is a whole minute and now lies after 1970, so both divisions land on the
    // minute boundary at or before their time.
    const std::int64_t delay = platform::to_civil_seconds(start) / kSecondsPerMinute -
                               platform::to_civil_seconds(now) / kSecondsPerMinute;
    if (delay < 0) {
        return start_time_before_now();
    }
    if (delay > kLongestStartDelay) {
        return start_time_incomplete(time_text);
    }
    return static_cast<std::uint32_t>(delay);
}

std::variant<link::MemoryImage, ResultLine> build_mission_image(
    const ProgrammingSettings& settings, LoggerType type, const platform::LocalDateTime& now) {
    link::MemoryImage image(kWriteImageSize);
    std::vector<Byte> text_block = mission_text_bytes(settings.mission_text);
    text_block.push_back(mission::kOffsetMarkerValue);
    text_block.push_back(static_cast<Byte>(
        std::clamp(settings.calibration, kCalibrationMinimum, kCalibrationMaximum) +
        mission::kOffsetBias));
    put_bytes(image, read_address::kMissionText, text_block);
    put_clock(image, now);
    put_registers(image, settings, type);
    if (settings.start_mode == StartMode::kDateTime) {
        const auto delay = start_delay_minutes(settings.start_date, settings.start_time, now);
        if (const auto* refusal = std::get_if<ResultLine>(&delay)) {
            return *refusal;
        }
        put_start_delay(image, std::get<std::uint32_t>(delay));
    }
    return image;
}

}  // namespace frostel::programming
