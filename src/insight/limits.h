#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mission/mission_record.h"
#include "mission/temperature_unit.h"

namespace frostel::insight {

// Where the limits of a summary came from: set for this mission, the ones the user last set
// for the same logger id, the logger's own alarm thresholds, or nowhere.
enum class LimitSource { kNone, kUser, kRemembered, kLogger };

// A low and a high limit in the chart's unit, each optional.
struct Limits {
    std::optional<double> low;
    std::optional<double> high;
    LimitSource source = LimitSource::kNone;

    [[nodiscard]] bool any() const { return low.has_value() || high.has_value(); }
    bool operator==(const Limits&) const = default;
};

// A value within this distance of a limit counts as on it: units converted back and forth
// may leave a limit a few bits away from the number it was typed as.
inline constexpr double kLimitTolerance = 1e-6;

// "user", "remembered", "logger" or "none".
[[nodiscard]] std::string_view source_name(LimitSource source);

// "set by the user", "last set for this logger on <set_on>", "the logger's alarm
// thresholds" or "none", for people to read.
[[nodiscard]] std::string source_description(LimitSource source, std::string_view set_on);

// A low limit above the high one cannot be judged against: such a pair is taken as not set.
[[nodiscard]] bool ordered(const std::optional<double>& low, const std::optional<double>& high);

// An alarm threshold byte's temperature on the logger type's 8-bit scale, in `unit`.
[[nodiscard]] double threshold_value(link::Byte byte, mission::LoggerType type,
                                     mission::TemperatureUnit unit);

// The alarm thresholds the mission had enabled, as programmed (no calibration offset), on the
// logger type's 8-bit scale and converted into `unit`; a side not enabled is empty.
[[nodiscard]] Limits logger_limits(const mission::MissionRecord& record,
                                   mission::TemperatureUnit unit);

// The limits set for this mission when either side is set; else those remembered for its
// logger; else the logger's own enabled thresholds; else none.
[[nodiscard]] Limits choose_limits(const Limits& mission_limits, const Limits& remembered,
                                   const std::optional<mission::MissionRecord>& record,
                                   mission::TemperatureUnit unit);

// Where a value stands: below the low limit, above the high one, or within (a value on a
// limit, within the tolerance, is within).
enum class Side { kWithin, kBelow, kAbove };
[[nodiscard]] Side side_of(double value, const Limits& limits);

}  // namespace frostel::insight
