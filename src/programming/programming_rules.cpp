#include "programming/programming_rules.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace frostel::programming {

namespace {
constexpr int kSamplesAtSixteenth = 4096;
constexpr int kSamplesAtHalf = 8192;
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kSecondsPerHour = 3600;
constexpr std::int64_t kSecondsPerMinute = 60;
}  // namespace

IntervalDisplay interval_display(int interval, IntervalUnit unit, Resolution resolution) {
    const bool seconds = unit == IntervalUnit::kSeconds;
    const std::int64_t unit_factor = seconds ? 1 : kSecondsPerMinute;
    const std::int64_t samples =
        resolution == Resolution::kSixteenth ? kSamplesAtSixteenth : kSamplesAtHalf;
    const std::int64_t total = interval * samples * unit_factor;
    const std::int64_t days = total / kSecondsPerDay;
    const std::int64_t hours = (total % kSecondsPerDay) / kSecondsPerHour;
    const std::int64_t minutes = (total % kSecondsPerHour) / kSecondsPerMinute;
    return {std::to_string(interval) + (seconds ? " seconds" : " minutes"),
            " " + std::to_string(days) + " Days - " + std::to_string(hours) + " Hours - " +
                std::to_string(minutes) + " Minutes"};
}

UnitRule unit_rule(IntervalUnit unit) {
    if (unit == IntervalUnit::kSeconds) {
        return {{10, 59}, false, false, false};
    }
    return {{1, 240}, true, true, true};
}

void apply_unit_rule(ProgrammingSettings& settings, IntervalUnit unit) {
    const UnitRule rule = unit_rule(unit);
    settings.unit = unit;
    settings.interval =
        std::clamp(settings.interval, rule.interval_range.minimum, rule.interval_range.maximum);
    if (!rule.sixteenth_enabled) {
        settings.resolution = Resolution::kHalf;
    }
    if (!rule.temperature_start_enabled) {
        settings.start_mode = StartMode::kImmediate;
    }
    if (!rule.rollover_enabled) {
        settings.rollover = false;
    }
}

StartModeEnabling start_mode_enabling(StartMode mode, bool alarms) {
    return {alarms_on(mode, alarms), mode == StartMode::kDateTime, mode != StartMode::kTemperature};
}

bool alarms_on(StartMode mode, bool alarms) {
    return alarms || mode == StartMode::kTemperature;
}

std::string calibration_text(int tenths, const std::string& decimal_separator) {
    const int magnitude = std::abs(tenths);
    std::string text = (tenths < 0 ? "-" : "") + std::to_string(magnitude / 10);
    if (magnitude % 10 != 0) {
        text += decimal_separator + std::to_string(magnitude % 10);
    }
    return text;
}

}  // namespace frostel::programming
