#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/clock.h"
#include "sim/logger_model.h"

namespace frostel::sim {

// Configuration bytes of the three ranges: "L" -40 to 85, "T" 0 to 125, "H" 15 to 140.
inline constexpr Byte kConfigurationL = 0x40;
inline constexpr Byte kConfigurationT = 0x60;
inline constexpr Byte kConfigurationH = 0x80;

// A mission as a logger would have recorded it, for loading into a simulated logger.
struct SimMission {
    Byte configuration = kConfigurationT;  // any byte; the ones above are the real ranges
    bool sixteen_bit = false;
    bool rate_in_seconds = false;  // else the rate counts minutes
    std::uint16_t sample_rate = 10;
    platform::LocalDateTime start{2026, 1, 15, 10, 30, 0};
    bool twelve_hour_clock = false;  // the start hour as the logger's 12-hour BCD
    // Without rollover a full log stops the mission; with it the newest samples overwrite
    // the oldest ones, round the log.
    bool rollover = false;
    // The samples in degrees Celsius, in the order they were taken, stored on the
    // logger's own scale and resolution.
    std::vector<double> temperatures;
    // Default: the samples the log received. Set it for raw logs or odd counts.
    std::optional<std::uint32_t> mission_sample_count;
    std::optional<std::uint32_t> device_sample_count;  // default: the mission count
    std::string mission_text;                          // bytes as stored, padded with blanks to 478
    std::optional<int> calibration_offset_tenths;      // -128 to 127; written with its marker
    std::array<Byte, 8> sensor_calibration{};          // 0x0240 to 0x0247 as stored
    Byte alarm_status = 0;
    // Alarm thresholds in degrees Celsius, stored on the type's 8-bit scale and enabled; a
    // sample beyond an enabled one sets its alarm flag, as the logger's own check does.
    std::optional<double> low_alarm;
    std::optional<double> high_alarm;
    bool running = true;
};

// Writes `mission` into the logger's text, register and log memory.
void load_mission(LoggerModel& logger, const SimMission& mission);

// The logger running the mission it was programmed with takes these samples after the
// ones it has: stored on its own scale and resolution, counted, and on the first sample
// the mission's start stamped from its clock.
void take_samples(LoggerModel& logger, std::span<const double> temperatures);

// Raw bytes into the log, from byte `offset` of it (address 0x1000 + offset).
void write_log_bytes(LoggerModel& logger, std::size_t offset, std::span<const Byte> bytes);

// A temperature as the logger stores it: one byte, or high then low byte. Readings are
// kept to the sensor's resolution (0.5 or 1/16 degree) and clipped to what fits.
[[nodiscard]] std::vector<Byte> encode_sample(double celsius, Byte configuration, bool sixteen_bit);

}  // namespace frostel::sim
