#include "mission/logger_clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace frostel::mission {

namespace {
// Zones are whole quarter hours from UTC; what is left of a reading is the clock's drift.
constexpr std::int64_t kOffsetStepS = std::int64_t{15} * 60;
// No zone is further from UTC: a clock beyond it is drift, however far.
constexpr std::int64_t kLargestZoneOffsetS = std::int64_t{14} * 3600;

std::int64_t nearest_step(std::int64_t seconds) {
    const std::int64_t half = kOffsetStepS / 2;
    const std::int64_t shifted = seconds >= 0 ? seconds + half : seconds - half;
    return shifted / kOffsetStepS * kOffsetStepS;
}
}  // namespace

LoggerClock measure_clock(const platform::LocalDateTime& logger_clock, std::int64_t utc_now) {
    const std::int64_t ahead_of_utc = platform::to_civil_seconds(logger_clock) - utc_now;
    const auto offset = static_cast<int>(
        std::clamp(nearest_step(ahead_of_utc), -kLargestZoneOffsetS, kLargestZoneOffsetS));
    return {offset, ClockSource::kMeasured, ahead_of_utc - offset, offset, {}};
}

LoggerClock programmed_clock(const LoggerClock& measured, const ClockSetting& setting) {
    const std::int64_t ahead_of_utc = measured.measured_offset_s + measured.drift_s;
    return {setting.utc_offset_s, ClockSource::kProgrammed, ahead_of_utc - setting.utc_offset_s,
            measured.measured_offset_s, setting.zone};
}

std::string_view source_name(const std::optional<LoggerClock>& clock) {
    if (!clock) {
        return "unknown";
    }
    return clock->source == ClockSource::kProgrammed ? "programmed" : "measured";
}

std::optional<ClockSource> source_from_name(std::string_view name) {
    if (name == "programmed") {
        return ClockSource::kProgrammed;
    }
    if (name == "measured") {
        return ClockSource::kMeasured;
    }
    return std::nullopt;
}

std::int64_t utc_instant(const platform::LocalDateTime& civil, int utc_offset_s) {
    return platform::to_civil_seconds(civil) - utc_offset_s;
}

std::string utc_text(std::int64_t utc_seconds) {
    const platform::LocalDateTime t = platform::from_civil_seconds(utc_seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::optional<std::string> drift_warning(const LoggerClock& clock) {
    if (std::llabs(clock.drift_s) <= kTolerableDriftS) {
        return std::nullopt;
    }
    const long long minutes = (std::llabs(clock.drift_s) + 30) / 60;
    return "LOGGER CLOCK " + std::to_string(minutes) + " MIN OFF !";
}

std::vector<std::string> clock_warnings(const std::optional<LoggerClock>& clock) {
    std::vector<std::string> warnings;
    if (!clock) {
        return warnings;
    }
    if (auto drift = drift_warning(*clock)) {
        warnings.push_back(std::move(*drift));
    }
    if (clock->offset_differs()) {
        warnings.emplace_back(kClockOffsetDiffersText);
    }
    return warnings;
}

}  // namespace frostel::mission
