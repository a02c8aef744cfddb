#pragma once

#include <string>

#include "programming/programming_settings.h"

namespace frostel::programming {

struct IntervalDisplay {
    std::string interval;          // "10 seconds"
    std::string max_logging_time;  // " 0 Days - 22 Hours - 45 Minutes", leading blank included
};

// The interval with its unit and how long the log lasts at that interval and resolution.
[[nodiscard]] IntervalDisplay interval_display(int interval, IntervalUnit unit,
                                               Resolution resolution);

struct IntervalRange {
    int minimum = 0;
    int maximum = 0;
};

// What choosing a unit allows. Seconds force half-degree samples, an immediate start and
// no rollover; minutes allow everything and force nothing.
struct UnitRule {
    IntervalRange interval_range;
    bool sixteenth_enabled = false;
    bool temperature_start_enabled = false;
    bool rollover_enabled = false;
};

[[nodiscard]] UnitRule unit_rule(IntervalUnit unit);

// Switches `settings` to `unit` as the window does: the interval moved into the new range,
// and in seconds the choices that need minutes reset.
void apply_unit_rule(ProgrammingSettings& settings, IntervalUnit unit);

// Which group a start mode enables: the thresholds, or the date and time; and whether the
// "Alarms" choice is open (a temperature start has its alarms on anyway).
struct StartModeEnabling {
    bool thresholds = false;
    bool date_time = false;
    bool alarms_choice = false;
    bool operator==(const StartModeEnabling&) const = default;
};

[[nodiscard]] StartModeEnabling start_mode_enabling(StartMode mode, bool alarms);

// Whether the new mission flags samples beyond its thresholds.
[[nodiscard]] bool alarms_on(StartMode mode, bool alarms);

// Tenths of a degree as degrees in the shortest decimal form: 0, 1.5, -12.7.
[[nodiscard]] std::string calibration_text(int tenths, const std::string& decimal_separator);

}  // namespace frostel::programming
