#include "insight/limits.h"

#include "mission/register_map.h"

namespace frostel::insight {

namespace {

using mission::TemperatureUnit;

std::optional<double> threshold(bool enabled, link::Byte byte, mission::LoggerType type,
                                TemperatureUnit unit) {
    if (!enabled) {
        return std::nullopt;
    }
    return threshold_value(byte, type, unit);
}

}  // namespace

double threshold_value(link::Byte byte, mission::LoggerType type, TemperatureUnit unit) {
    const double celsius = byte / 2.0 + mission::type_scale(type).raw_zero;
    return mission::ConvertTemperature(celsius, TemperatureUnit::kCelsius, unit);
}

std::string_view source_name(LimitSource source) {
    switch (source) {
        case LimitSource::kUser:
            return "user";
        case LimitSource::kRemembered:
            return "remembered";
        case LimitSource::kLogger:
            return "logger";
        case LimitSource::kNone:
            break;
    }
    return "none";
}

std::string source_description(LimitSource source, std::string_view set_on) {
    switch (source) {
        case LimitSource::kUser:
            return "set by the user";
        case LimitSource::kRemembered:
            return "last set for this logger on " + std::string(set_on);
        case LimitSource::kLogger:
            return "the logger's alarm thresholds";
        case LimitSource::kNone:
            break;
    }
    return "none";
}

Limits logger_limits(const mission::MissionRecord& record, TemperatureUnit unit) {
    const mission::LoggerType type = record.logger_type();
    Limits limits;
    limits.low = threshold((record.alarm_enable & mission::kLowAlarmBit) != 0, record.low_threshold,
                           type, unit);
    limits.high = threshold((record.alarm_enable & mission::kHighAlarmBit) != 0,
                            record.high_threshold, type, unit);
    limits.source = limits.any() ? LimitSource::kLogger : LimitSource::kNone;
    return limits;
}

bool ordered(const std::optional<double>& low, const std::optional<double>& high) {
    return !low || !high || *low <= *high;
}

Limits choose_limits(const Limits& mission_limits, const Limits& remembered,
                     const std::optional<mission::MissionRecord>& record, TemperatureUnit unit) {
    if (mission_limits.any()) {
        return {mission_limits.low, mission_limits.high, LimitSource::kUser};
    }
    if (remembered.any()) {
        return {remembered.low, remembered.high, LimitSource::kRemembered};
    }
    return record ? logger_limits(*record, unit) : Limits{};
}

Side side_of(double value, const Limits& limits) {
    if (limits.low && value < *limits.low - kLimitTolerance) {
        return Side::kBelow;
    }
    return limits.high && value > *limits.high + kLimitTolerance ? Side::kAbove : Side::kWithin;
}

}  // namespace frostel::insight
