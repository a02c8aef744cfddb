#pragma once

#include <optional>
#include <string_view>

#include "mission/mission_record.h"
#include "mission/temperature_unit.h"

namespace frostel::insight {

// Where the limits of a summary came from.
enum class LimitSource { kNone, kUser, kLogger };

// A low and a high limit in the chart's unit, each optional.
struct Limits {
    std::optional<double> low;
    std::optional<double> high;
    LimitSource source = LimitSource::kNone;

    [[nodiscard]] bool any() const { return low.has_value() || high.has_value(); }
    bool operator==(const Limits&) const = default;
};

// "user", "logger" or "none".
[[nodiscard]] std::string_view source_name(LimitSource source);

// "set by the user", "the logger's alarm thresholds" or "none", for people to read.
[[nodiscard]] std::string_view source_description(LimitSource source);

// An alarm threshold byte's temperature on the logger type's 8-bit scale, in `unit`.
[[nodiscard]] double threshold_value(link::Byte byte, mission::LoggerType type,
                                     mission::TemperatureUnit unit);

// The alarm thresholds the mission had enabled, as programmed (no calibration offset), on the
// logger type's 8-bit scale and converted into `unit`; a side not enabled is empty.
[[nodiscard]] Limits logger_limits(const mission::MissionRecord& record,
                                   mission::TemperatureUnit unit);

// The user's limits when either side is set; else the logger's own enabled thresholds; else
// none.
[[nodiscard]] Limits choose_limits(const Limits& user,
                                   const std::optional<mission::MissionRecord>& record,
                                   mission::TemperatureUnit unit);

// Where a value stands: strictly below the low limit, strictly above the high one, or within
// (a value exactly at a limit is within).
enum class Side { kWithin, kBelow, kAbove };
[[nodiscard]] Side side_of(double value, const Limits& limits);

// `limits` converted from one unit to another, source kept.
[[nodiscard]] Limits converted(const Limits& limits, mission::TemperatureUnit from,
                               mission::TemperatureUnit to);

}  // namespace frostel::insight
