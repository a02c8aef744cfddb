#include "report/summary_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace frostel::report {

namespace {

using insight::LoggerTime;

QJsonValue time_value(const std::optional<LoggerTime>& time) {
    return time ? QJsonValue(QString::fromStdString(insight::time_text(*time))) : QJsonValue();
}

// "2026-03-29T01:00:00Z"; null while the logger clock's offset is unknown.
QJsonValue utc_value(const insight::Summary& s, const std::optional<LoggerTime>& time) {
    const std::optional<std::int64_t> utc = time ? s.utc_of(*time) : std::nullopt;
    return utc ? QJsonValue(QString::fromStdString(mission::utc_text(*utc))) : QJsonValue();
}

QJsonValue number(const std::optional<double>& value) {
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonValue timed(const std::optional<insight::TimedValue>& v) {
    if (!v) {
        return {};
    }
    return QJsonObject{{"value", v->value}, {"time", time_value(v->time)}};
}

QJsonObject outside(const insight::TimeOutside& t) {
    return {{"samples", t.samples}, {"seconds", static_cast<qint64>(t.seconds)}};
}

QJsonArray excursions(const insight::Summary& s) {
    QJsonArray list;
    for (const insight::Excursion& e : s.excursions.excursions) {
        list.append(QJsonObject{{"direction", e.side == insight::Side::kBelow ? "below" : "above"},
                                {"start", time_value(e.start)},
                                {"end", time_value(e.end)},
                                {"start_utc", utc_value(s, e.start)},
                                {"end_utc", utc_value(s, e.end)},
                                {"seconds", static_cast<qint64>(e.seconds)},
                                {"peak", timed(e.peak)}});
    }
    return list;
}

QJsonValue flags(const std::optional<insight::LoggerFlags>& f) {
    if (!f) {
        return {};
    }
    return QJsonObject{{"low_alarm", f->low_alarm},
                       {"high_alarm", f->high_alarm},
                       {"battery_reset", f->battery_reset},
                       {"waiting_for_alarm", f->waiting_for_alarm},
                       {"rollover", f->rollover},
                       {"overwritten", static_cast<qint64>(f->overwritten)},
                       {"device_samples", f->device_samples},
                       {"below_range", f->below_range},
                       {"above_range", f->above_range}};
}

QJsonValue time_zone(const std::optional<mission::TimeZone>& zone) {
    if (!zone) {
        return {};
    }
    return QJsonObject{{"name", QString::fromStdString(zone->name)},
                       {"utc_offset_s", zone->utc_offset_s}};
}

QJsonObject clock(const std::optional<mission::LoggerClock>& c) {
    const QJsonValue unknown;
    return {{"utc_offset_s", c ? QJsonValue(c->utc_offset_s) : unknown},
            {"source", QString::fromUtf8(mission::source_name(c))},
            {"drift_s", c ? QJsonValue(static_cast<qint64>(c->drift_s)) : unknown}};
}

}  // namespace

QByteArray summary_json(const insight::Summary& s) {
    const insight::Statistics& st = s.statistics;
    const QJsonObject limits{{"low", number(s.limits.low)},
                             {"high", number(s.limits.high)},
                             {"source", QString::fromUtf8(insight::source_name(s.limits.source))}};
    const QJsonObject root{{"unit", QString::fromUtf8(mission::unit_token(s.unit))},
                           {"count", st.count},
                           {"interval_s", s.interval_s},
                           {"first", time_value(st.first)},
                           {"last", time_value(st.last)},
                           {"first_utc", utc_value(s, st.first)},
                           {"last_utc", utc_value(s, st.last)},
                           {"clock", clock(s.clock)},
                           {"duration_s", static_cast<qint64>(s.duration_s)},
                           {"min", timed(st.minimum)},
                           {"max", timed(st.maximum)},
                           {"mean", number(st.mean)},
                           {"stddev", number(st.standard_deviation)},
                           {"mkt", number(st.mean_kinetic)},
                           {"delta_h_kj_per_mol", s.delta_h_kj_per_mol},
                           {"limits", limits},
                           {"below", outside(s.excursions.below)},
                           {"above", outside(s.excursions.above)},
                           {"excursions", excursions(s)},
                           {"verdict", QString::fromStdString(s.verdict)},
                           {"flags", flags(s.flags)},
                           {"time_zone", time_zone(s.time_zone)}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

}  // namespace frostel::report
