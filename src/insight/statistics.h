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

// (dH / R) / -ln(mean of exp(-dH / (R T))), each T in kelvin, the result back in `unit`.
// Empty without readings, for a dH that is not positive, or for a value at or below 0 K.
[[nodiscard]] std::optional<double> mean_kinetic_temperature(std::span<const Reading> readings,
                                                             mission::TemperatureUnit unit,
                                                             double delta_h_kj_per_mol);

}  // namespace frostel::insight
