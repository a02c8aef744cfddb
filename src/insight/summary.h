#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "insight/excursions.h"
#include "insight/limits.h"
#include "insight/logger_flags.h"
#include "insight/statistics.h"
#include "mission/mission_record.h"
#include "mission/sample_log.h"
#include "mission/temperature_unit.h"

namespace frostel::insight {

// What a summary is made of: the chart's points, and what else is known of the mission.
struct SummaryInput {
    std::vector<Reading> readings;  // oldest first, values in `unit`
    mission::TemperatureUnit unit = mission::TemperatureUnit::kCelsius;
    // The logger's record; missing for a mission saved without one.
    std::optional<mission::MissionRecord> record;
    Limits user_limits;  // set for this mission, in `unit`
    // The limits the user last set for this logger, in `unit`, and the day they were set.
    Limits remembered_limits;
    std::string remembered_on;
    double delta_h_kj_per_mol = kDefaultDeltaH;
};

// Everything the summary window, the report and the command-line JSON show of one mission.
struct Summary {
    mission::TemperatureUnit unit = mission::TemperatureUnit::kCelsius;
    int interval_s = 0;
    std::int64_t duration_s = 0;  // count x interval
    Statistics statistics;
    double delta_h_kj_per_mol = kDefaultDeltaH;
    Limits limits;
    std::string limits_set_on;  // the day remembered limits were set
    ExcursionReport excursions;
    VerdictKind verdict_kind = VerdictKind::kNoSamples;
    std::string verdict;
    std::optional<LoggerFlags> flags;            // with the logger's record only
    std::optional<mission::TimeZone> time_zone;  // with the logger's record only
    // The offset the logger's clock keeps; nothing when unknown (no UTC instants then).
    std::optional<mission::LoggerClock> clock;

    // A logger time's UTC instant; nothing while the clock's offset is unknown.
    [[nodiscard]] std::optional<std::int64_t> utc_of(LoggerTime time) const {
        return clock ? std::optional(time - clock->utc_offset_s) : std::nullopt;
    }
    [[nodiscard]] bool failed() const { return verdict_kind == VerdictKind::kExcursions; }
    [[nodiscard]] bool passed() const { return verdict_kind == VerdictKind::kWithinLimits; }
    // "set by the user", "the logger's alarm thresholds", ...
    [[nodiscard]] std::string limits_source() const {
        return source_description(limits.source, limits_set_on);
    }
};

[[nodiscard]] Summary summarize(const SummaryInput& input);

// The readings of a download: each sample's time with its shown value.
[[nodiscard]] std::vector<Reading> readings_of(std::span<const mission::Sample> samples,
                                               std::span<const double> values);

// The sample interval: the record's, else the step between the first two readings, else 0.
[[nodiscard]] int interval_of(const SummaryInput& input);

// "12.50", "-0.06": a temperature in a summary or a report, two decimals after a point and
// no group separators, whatever the PC's language.
[[nodiscard]] std::string temperature_text(double value);

// "UTC+01:00", "UTC+13:45", "UTC-03:30": an offset from UTC in hours and minutes.
[[nodiscard]] std::string utc_offset_text(int offset_s);

// "yyyy-mm-dd hh:mm:ss" of a logger time, and back; a text of another form is nothing.
[[nodiscard]] std::string time_text(LoggerTime time);
[[nodiscard]] std::optional<LoggerTime> parse_time_text(std::string_view text);

// The mission's settings as the logger holds them, one (name, value) row each: start,
// interval, resolution, start mode, rollover, thresholds and sample counts. The thresholds
// are in `unit`, each followed by `unit_name` ("CELSIUS" in a report, "°C" in a window).
[[nodiscard]] std::vector<std::pair<std::string, std::string>> mission_settings(
    const mission::MissionRecord& record, mission::TemperatureUnit unit,
    std::string_view unit_name);

}  // namespace frostel::insight
