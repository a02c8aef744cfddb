#include "sim/mission/mission_loader.h"

#include <algorithm>
#include <cmath>

namespace frostel::sim {

namespace {

constexpr std::size_t kMissionTextAddress = 0x0020;
constexpr std::size_t kMissionTextLength = 478;
constexpr std::size_t kOffsetMarkerAddress = 0x01FE;
constexpr Byte kOffsetMarker = 0x7B;
constexpr std::size_t kClockAddress = 0x0200;
constexpr std::size_t kSampleRateAddress = 0x0206;
constexpr std::size_t kLowThresholdAddress = 0x0208;
constexpr std::size_t kHighThresholdAddress = 0x0209;
constexpr std::size_t kAlarmEnableAddress = 0x0210;
constexpr std::size_t kClockControlAddress = 0x0212;
constexpr std::size_t kMissionControlAddress = 0x0213;
constexpr std::size_t kAlarmStatusAddress = 0x0214;
constexpr std::size_t kMissionStartAddress = 0x0219;
constexpr std::size_t kMissionCountAddress = 0x0220;
constexpr std::size_t kDeviceCountAddress = 0x0223;
constexpr std::size_t kConfigurationAddress = 0x0226;
constexpr std::size_t kSensorCalibrationAddress = 0x0240;
constexpr std::size_t kLogAddress = 0x1000;
constexpr std::size_t kLogBytes = 0x2000;

// Clock control: oscillator on, high-speed (seconds) sampling.
constexpr Byte kOscillatorOn = 0x01;
constexpr Byte kSecondsSampling = 0x02;
// Mission control: temperature logging, 16-bit format, rollover.
constexpr Byte kLogTemperature = 0x01;
constexpr Byte kSixteenBitFormat = 0x04;
constexpr Byte kRolloverEnabled = 0x10;
// Alarm enable and alarm status: the low and the high temperature alarm.
constexpr Byte kLowAlarm = 0x01;
constexpr Byte kHighAlarm = 0x02;
// The hour byte's 12-hour mode and PM flags.
constexpr Byte kTwelveHourMode = 0x40;
constexpr Byte kPm = 0x20;

// Degrees a raw reading of 0 stands for, by the data sheets of the three ranges.
double raw_zero(Byte configuration) {
    switch (configuration) {
        case kConfigurationH:
            return 14.0;
        case kConfigurationT:
            return -1.0;
        default:
            return -41.0;
    }
}

Byte hour_byte(int hour, bool twelve_hour_clock) {
    if (!twelve_hour_clock) {
        return to_bcd(hour);
    }
    const int twelve_hour = hour % 12 == 0 ? 12 : hour % 12;
    return static_cast<Byte>(to_bcd(twelve_hour) | kTwelveHourMode | (hour >= 12 ? kPm : 0));
}

void put_little_endian(LoggerModel& logger, std::size_t address, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        logger.memory()[address + static_cast<std::size_t>(i)] =
            static_cast<Byte>(value >> (8U * static_cast<unsigned>(i)));
    }
}

std::uint32_t get_little_endian(const LoggerModel& logger, std::size_t address, int width) {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) {
        value |= static_cast<std::uint32_t>(logger.memory()[address + static_cast<std::size_t>(i)])
                 << (8U * static_cast<unsigned>(i));
    }
    return value;
}

void write_text(LoggerModel& logger, const std::string& text) {
    auto memory = logger.memory();
    for (std::size_t i = 0; i < kMissionTextLength; ++i) {
        memory[kMissionTextAddress + i] = i < text.size() ? static_cast<Byte>(text[i]) : ' ';
    }
    std::fill_n(memory.begin() + kOffsetMarkerAddress, 2, Byte{0});
}

void write_calibration_offset(LoggerModel& logger, int tenths) {
    auto memory = logger.memory();
    memory[kOffsetMarkerAddress] = kOffsetMarker;
    memory[kOffsetMarkerAddress + 1] = static_cast<Byte>(std::clamp(tenths, -128, 127) + 128);
}

void write_start(LoggerModel& logger, const SimMission& mission) {
    const platform::LocalDateTime& t = mission.start;
    const std::array<Byte, 6> bytes{
        to_bcd(t.second), to_bcd(t.minute), hour_byte(t.hour, mission.twelve_hour_clock),
        to_bcd(t.day),    to_bcd(t.month),  to_bcd(t.year % 100)};
    std::copy(bytes.begin(), bytes.end(), logger.memory().begin() + kMissionStartAddress);
}

Byte mission_control(const SimMission& mission) {
    return static_cast<Byte>(kLogTemperature | (mission.sixteen_bit ? kSixteenBitFormat : 0) |
                             (mission.rollover ? kRolloverEnabled : 0));
}

// Logs the samples the way the logger does and returns how many it took: round the log
// with rollover, until the log is full without.
std::uint32_t write_samples(LoggerModel& logger, const SimMission& mission) {
    const std::size_t size = mission.sixteen_bit ? 2 : 1;
    const std::size_t capacity = kLogBytes / size;
    const std::size_t taken = mission.rollover ? mission.temperatures.size()
                                               : std::min(mission.temperatures.size(), capacity);
    for (std::size_t j = 0; j < taken; ++j) {
        const std::vector<Byte> bytes =
            encode_sample(mission.temperatures[j], mission.configuration, mission.sixteen_bit);
        write_log_bytes(logger, (j % capacity) * size, bytes);
    }
    return static_cast<std::uint32_t>(taken);
}

Byte threshold_byte(double celsius, Byte configuration) {
    return static_cast<Byte>(
        std::clamp(std::lround((celsius - raw_zero(configuration)) * 2.0), 0L, 255L));
}

// The enabled thresholds, and the alarm flags of the samples beyond them.
void write_alarms(LoggerModel& logger, const SimMission& mission) {
    auto memory = logger.memory();
    const auto& t = mission.temperatures;
    Byte enable = 0;
    Byte flags = mission.alarm_status;
    if (mission.low_alarm) {
        memory[kLowThresholdAddress] = threshold_byte(*mission.low_alarm, mission.configuration);
        enable |= kLowAlarm;
        const bool crossed =
            std::any_of(t.begin(), t.end(), [&](double c) { return c < *mission.low_alarm; });
        flags |= crossed ? kLowAlarm : 0;
    }
    if (mission.high_alarm) {
        memory[kHighThresholdAddress] = threshold_byte(*mission.high_alarm, mission.configuration);
        enable |= kHighAlarm;
        const bool crossed =
            std::any_of(t.begin(), t.end(), [&](double c) { return c > *mission.high_alarm; });
        flags |= crossed ? kHighAlarm : 0;
    }
    memory[kAlarmEnableAddress] = enable;
    memory[kAlarmStatusAddress] = flags;
}

void set_running(LoggerModel& logger, bool running) {
    Byte& status = logger.memory()[kStatusAddress];
    status = running ? static_cast<Byte>((status | kMissionRunning) & ~kMemoryCleared)
                     : static_cast<Byte>(status & ~kMissionRunning);
}

}  // namespace

std::vector<Byte> encode_sample(double celsius, Byte configuration, bool sixteen_bit) {
    const double above_zero = celsius - raw_zero(configuration);
    if (!sixteen_bit) {
        const long raw = std::lround(above_zero * 2.0);
        return {static_cast<Byte>(std::clamp(raw, 0L, 255L))};
    }
    // Eleven significant bits: sixteenths of a degree, the low five bits of the pair zero.
    const long sixteenths = std::clamp(std::lround(above_zero * 16.0), 0L, 2047L);
    const long raw = sixteenths * 32;
    return {static_cast<Byte>(raw / 256), static_cast<Byte>(raw % 256)};
}

void write_log_bytes(LoggerModel& logger, std::size_t offset, std::span<const Byte> bytes) {
    auto memory = logger.memory();
    for (std::size_t i = 0; i < bytes.size() && offset + i < kLogBytes; ++i) {
        memory[kLogAddress + offset + i] = bytes[i];
    }
}

void take_samples(LoggerModel& logger, std::span<const double> temperatures) {
    auto memory = logger.memory();
    const Byte configuration = memory[kConfigurationAddress];
    const bool sixteen_bit = (memory[kMissionControlAddress] & kSixteenBitFormat) != 0;
    const bool rollover = (memory[kMissionControlAddress] & kRolloverEnabled) != 0;
    const std::size_t size = sixteen_bit ? 2 : 1;
    const std::uint32_t first = get_little_endian(logger, kMissionCountAddress, 3);
    if (first == 0) {
        std::copy_n(memory.begin() + kClockAddress, 6, memory.begin() + kMissionStartAddress);
    }
    std::uint32_t count = first;
    for (double celsius : temperatures) {
        // Without rollover a full log ends the logging.
        if (!rollover && count * size >= kLogBytes) {
            break;
        }
        write_log_bytes(logger, (count * size) % kLogBytes,
                        encode_sample(celsius, configuration, sixteen_bit));
        ++count;
    }
    put_little_endian(logger, kMissionCountAddress, count, 3);
    // The device counts every sample of its life, over all missions.
    put_little_endian(logger, kDeviceCountAddress,
                      get_little_endian(logger, kDeviceCountAddress, 3) + (count - first), 3);
}

void load_mission(LoggerModel& logger, const SimMission& mission) {
    auto memory = logger.memory();
    write_text(logger, mission.mission_text);
    if (mission.calibration_offset_tenths) {
        write_calibration_offset(logger, *mission.calibration_offset_tenths);
    }
    put_little_endian(logger, kSampleRateAddress, mission.sample_rate, 2);
    memory[kClockControlAddress] =
        static_cast<Byte>(kOscillatorOn | (mission.rate_in_seconds ? kSecondsSampling : 0));
    memory[kMissionControlAddress] = mission_control(mission);
    write_alarms(logger, mission);
    write_start(logger, mission);
    const std::uint32_t logged = write_samples(logger, mission);
    const std::uint32_t count = mission.mission_sample_count.value_or(logged);
    put_little_endian(logger, kMissionCountAddress, count, 3);
    put_little_endian(logger, kDeviceCountAddress, mission.device_sample_count.value_or(count), 3);
    memory[kConfigurationAddress] = mission.configuration;
    std::copy(mission.sensor_calibration.begin(), mission.sensor_calibration.end(),
              memory.begin() + kSensorCalibrationAddress);
    set_running(logger, mission.running);
}

}  // namespace frostel::sim
