#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "mission/temperature_unit.h"

namespace frostel::insight {

// Seconds on the logger's own clock (civil seconds since 1970-01-01, no time zone).
using LoggerTime = std::int64_t;

// One sample as the chart shows it: its time and its value in the chart's unit.
struct Reading {
    LoggerTime time = 0;
    double value = 0.0;
};

struct TimedValue {
    double value = 0.0;
    LoggerTime time = 0;  // the first occurrence
    bool operator==(const TimedValue&) const = default;
};

// The activation energy most guidance uses for mean kinetic temperature, kJ/mol.
inline constexpr double kDefaultDeltaH = 83.144;
// The activation energies a user may choose, kJ/mol, inclusive; anything else typed or read
// from a file is refused.
inline constexpr double kMinDeltaH = 10.0;
inline constexpr double kMaxDeltaH = 500.0;
[[nodiscard]] bool delta_h_in_range(double kj_per_mol);
// The molar gas constant, J/(mol K).
inline constexpr double kGasConstant = 8.314462618;

struct Statistics {
    int count = 0;
    std::optional<LoggerTime> first;
    std::optional<LoggerTime> last;
    std::optional<TimedValue> minimum;
    std::optional<TimedValue> maximum;
    std::optional<double> mean;
    std::optional<double> standard_deviation;  // sample (n - 1); none below two samples
    std::optional<double> mean_kinetic;        // in the readings' unit
};

// The figures of `readings` (oldest first, values in `unit`); every figure that needs a
// sample is empty without one.
[[nodiscard]] Statistics statistics(std::span<const Reading> readings,
                                    mission::TemperatureUnit unit, double delta_h_kj_per_mol);

// (dH / R) / -ln(mean of exp(-dH / (R T))), each T in kelvin, the result back in `unit`;
// always between the coldest and the warmest reading.
// Empty without readings, for a dH that is not positive, or for a value at or below 0 K.
[[nodiscard]] std::optional<double> mean_kinetic_temperature(std::span<const Reading> readings,
                                                             mission::TemperatureUnit unit,
                                                             double delta_h_kj_per_mol);

}  // namespace frostel::insight
