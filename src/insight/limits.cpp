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

std::optional<double> converted(std::optional<double> v, TemperatureUnit from, TemperatureUnit to) {
    if (!v) {
        return std::nullopt;
    }
    return mission::ConvertTemperature(*v, from, to);
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
        case LimitSource::kLogger:
            return "logger";
        case LimitSource::kNone:
            break;
    }
    return "none";
}

std::string_view source_description(LimitSource source) {
    switch (source) {
        case LimitSource::kUser:
            return "set by the user";
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

Limits choose_limits(const Limits& user, const std::optional<mission::MissionRecord>& record,
                     TemperatureUnit unit) {
    if (user.any()) {
        return {user.low, user.high, LimitSource::kUser};
    }
    return record ? logger_limits(*record, unit) : Limits{};
}

Side side_of(double value, const Limits& limits) {
    if (limits.low && value < *limits.low) {
        return Side::kBelow;
    }
    return limits.high && value > *limits.high ? Side::kAbove : Side::kWithin;
}

Limits converted(const Limits& limits, TemperatureUnit from, TemperatureUnit to) {
    return {converted(limits.low, from, to), converted(limits.high, from, to), limits.source};
}

}  // namespace frostel::insight
