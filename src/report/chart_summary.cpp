#include "report/chart_summary.h"

#include <QDateTime>
#include <QTimeZone>

#include "platform/local_date_time.h"

namespace frostel::report {

namespace {

// Everything but the points.
insight::SummaryInput described_input(const datafile::ChartDocument& document) {
    insight::SummaryInput input;
    input.unit = mission::unit_or_celsius(document.left.title.toStdString());
    input.record = document.mission;
    if (insight::ordered(document.low_limit, document.high_limit)) {
        const insight::Limits stored{document.low_limit, document.high_limit,
                                     document.low_limit || document.high_limit
                                         ? insight::LimitSource::kUser
                                         : insight::LimitSource::kNone};
        if (document.limits_set_on.isEmpty()) {
            input.user_limits = stored;
        } else {
            input.remembered_limits = stored;
            input.remembered_on = document.limits_set_on.toStdString();
        }
    }
    const std::optional<double> delta_h = document.delta_h_kj_per_mol;
    input.delta_h_kj_per_mol =
        delta_h && insight::delta_h_in_range(*delta_h) ? *delta_h : insight::kDefaultDeltaH;
    return input;
}

std::string clock_line(const mission::LoggerClock& clock) {
    const std::string offset = "Logger clock " + insight::utc_offset_text(clock.utc_offset_s);
    if (clock.source == mission::ClockSource::kMeasured) {
        return offset + " (measured at the download)";
    }
    return offset + " (set at programming" + (clock.zone.empty() ? "" : ", " + clock.zone) + ")";
}

std::string drift_line(std::int64_t drift_s) {
    const std::int64_t magnitude = drift_s < 0 ? -drift_s : drift_s;
    const std::string amount = magnitude >= 60 ? std::to_string(magnitude / 60) + " min " +
                                                     std::to_string(magnitude % 60) + " s"
                                               : std::to_string(magnitude) + " s";
    return "Logger clock " + amount + (drift_s < 0 ? " behind" : " ahead") + " at the download";
}

// Where the logger's civil times were local: the zone of the PC that set its clock, else the
// one that downloaded it.
std::string zone_of(const insight::Summary& s) {
    if (!s.clock->zone.empty()) {
        return s.clock->zone;
    }
    return s.time_zone ? s.time_zone->name : std::string();
}

// "local time changed to UTC+02:00 on 2026-03-29 03:00; ..." for each change of the zone's
// offset between two instants. Instants, not civil fields, are looked up: they are never
// ambiguous.
std::vector<std::string> offset_change_lines(const std::string& zone_name, std::int64_t from_utc,
                                             std::int64_t to_utc) {
    const QTimeZone zone(QByteArray::fromStdString(zone_name));
    std::vector<std::string> lines;
    if (zone_name.empty() || !zone.isValid() || to_utc <= from_utc) {
        return lines;
    }
    const auto at = [](std::int64_t utc) { return QDateTime::fromSecsSinceEpoch(utc, Qt::UTC); };
    for (const QTimeZone::OffsetData& change : zone.transitions(at(from_utc + 1), at(to_utc))) {
        const int offset = change.offsetFromUtc;
        const std::int64_t utc = change.atUtc.toSecsSinceEpoch();
        const std::string local = platform::format_iso(platform::from_civil_seconds(utc + offset));
        lines.push_back("local time changed to " + insight::utc_offset_text(offset) + " on " +
                        local.substr(0, 16) + "; times here are the logger's clock");
    }
    return lines;
}

}  // namespace

insight::SummaryInput summary_input(const datafile::ChartDocument& document) {
    insight::SummaryInput input = described_input(document);
    input.readings = chart_readings(document.points);
    return input;
}

std::vector<insight::Reading> chart_readings(std::span<const mission::ChartPoint> points) {
    std::vector<insight::Reading> readings;
    readings.reserve(points.size());
    for (const mission::ChartPoint& point : points) {
        if (const auto time = insight::parse_time_text(point.label)) {
            readings.push_back({*time, point.y});
        }
    }
    return readings;
}

insight::Limits chart_limits(const datafile::ChartDocument& document) {
    const insight::SummaryInput input = described_input(document);
    return insight::choose_limits(input.user_limits, input.remembered_limits, input.record,
                                  input.unit);
}

std::vector<ClockLine> clock_lines(const insight::Summary& s) {
    if (!s.clock) {
        return {{"Clock", "Logger clock offset unknown: no UTC times for this mission"}};
    }
    std::vector<ClockLine> lines{{"Clock", clock_line(*s.clock)},
                                 {"Clock drift", drift_line(s.clock->drift_s)}};
    const insight::Statistics& st = s.statistics;
    if (st.first && st.last) {
        for (std::string& line :
             offset_change_lines(zone_of(s), *s.utc_of(*st.first), *s.utc_of(*st.last))) {
            lines.push_back({"Local time", std::move(line)});
        }
    }
    return lines;
}

}  // namespace frostel::report
