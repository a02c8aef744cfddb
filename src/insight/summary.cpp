#include "insight/summary.h"

#include <cstdio>
#include <cstdlib>

#include "mission/register_map.h"
#include "platform/fixed_text.h"
#include "platform/local_date_time.h"

namespace frostel::insight {

namespace {

using mission::TemperatureUnit;

std::string threshold_text(const mission::MissionRecord& record, bool enabled, link::Byte byte,
                           TemperatureUnit unit, std::string_view unit_name) {
    return temperature_text(threshold_value(byte, record.logger_type(), unit)) + ' ' +
           std::string(unit_name) + (enabled ? "" : " (alarm off)");
}

std::string offset_text(int tenths) {
    return (tenths < 0 ? "" : "+") + platform::fixed_text(tenths / 10.0, 1);
}

std::string start_mode_text(const mission::MissionRecord& record) {
    if ((record.mission_control & mission::kStartOnAlarmBit) != 0) {
        return "On a temperature alarm";
    }
    return record.start_delay > 0 ? "After " + std::to_string(record.start_delay) + " min"
                                  : "Immediately";
}

}  // namespace

int interval_of(const SummaryInput& input) {
    if (input.record) {
        return input.record->sample_interval;
    }
    if (input.readings.size() < 2) {
        return 0;
    }
    return static_cast<int>(input.readings[1].time - input.readings[0].time);
}

Summary summarize(const SummaryInput& input) {
    Summary s;
    s.unit = input.unit;
    s.interval_s = interval_of(input);
    s.statistics = statistics(input.readings, input.unit, input.delta_h_kj_per_mol);
    s.duration_s = static_cast<std::int64_t>(s.statistics.count) * s.interval_s;
    s.delta_h_kj_per_mol = input.delta_h_kj_per_mol;
    s.limits = choose_limits(input.user_limits, input.remembered_limits, input.record, input.unit);
    if (s.limits.source == LimitSource::kRemembered) {
        s.limits_set_on = input.remembered_on;
    }
    s.excursions = find_excursions(input.readings, s.limits, s.interval_s);
    if (input.record) {
        s.flags = logger_flags(*input.record);
        s.time_zone = input.record->time_zone;
        s.clock = input.record->clock;
    }
    s.verdict_kind =
        verdict_kind(s.statistics.count, s.flags && s.flags->battery_reset, s.limits, s.excursions);
    s.verdict = verdict_text(s.verdict_kind, s.excursions);
    return s;
}

std::vector<Reading> readings_of(std::span<const mission::Sample> samples,
                                 std::span<const double> values) {
    std::vector<Reading> readings;
    readings.reserve(samples.size());
    for (std::size_t i = 0; i < samples.size() && i < values.size(); ++i) {
        readings.push_back({platform::to_civil_seconds(samples[i].time), values[i]});
    }
    return readings;
}

std::string temperature_text(double value) {
    return platform::fixed_text(value, 2);
}

std::string utc_offset_text(int offset_s) {
    const int minutes = std::abs(offset_s) / 60;
    char text[16];
    std::snprintf(text, sizeof text, "UTC%c%02d:%02d", offset_s < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    return text;
}

std::string time_text(LoggerTime time) {
    return platform::format_iso(platform::from_civil_seconds(time));
}

std::optional<LoggerTime> parse_time_text(std::string_view text) {
    const std::optional<platform::LocalDateTime> t = platform::parse_iso(text);
    return t ? std::optional(platform::to_civil_seconds(*t)) : std::nullopt;
}

std::vector<std::pair<std::string, std::string>> mission_settings(const mission::MissionRecord& r,
                                                                  TemperatureUnit unit,
                                                                  std::string_view unit_name) {
    const bool sixteen_bit = r.sample_format == mission::SampleFormat::k16Bit;
    return {
        {"Logger",
         r.logger_id + " (type " + std::string(1, static_cast<char>(r.logger_type())) + ")"},
        {"Start", platform::format_iso(r.start_time)},
        {"Interval", interval_text(r.sample_interval)},
        {"Resolution", sixteen_bit ? "16-bit (1/16 degree)" : "8-bit (1/2 degree)"},
        {"Start mode", start_mode_text(r)},
        {"Rollover", (r.mission_control & mission::kRolloverBit) != 0 ? "On" : "Off"},
        {"Low threshold", threshold_text(r, (r.alarm_enable & mission::kLowAlarmBit) != 0,
                                         r.low_threshold, unit, unit_name)},
        {"High threshold", threshold_text(r, (r.alarm_enable & mission::kHighAlarmBit) != 0,
                                          r.high_threshold, unit, unit_name)},
        {"Calibration offset", offset_text(r.calibration_offset_tenths)},
        {"Mission samples", std::to_string(r.mission_sample_count)},
        {"Device samples", std::to_string(r.device_sample_count)},
    };
}

}  // namespace frostel::insight
