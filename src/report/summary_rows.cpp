#include "report/summary_rows.h"

#include "platform/latin1.h"
#include "report/chart_summary.h"

namespace frostel::report {

namespace {

using platform::latin1_text;

QString duration_text(std::int64_t seconds) {
    return QString::fromStdString(insight::duration_text(seconds));
}

QString unit_text(mission::TemperatureUnit unit) {
    return latin1_text(mission::unit_token(unit));
}

QString limits_text(const insight::Summary& summary) {
    const insight::Limits& limits = summary.limits;
    if (!limits.any()) {
        return QStringLiteral(
            "No limits: none set by the user, no alarm threshold enabled in "
            "the logger");
    }
    const auto side = [](const std::optional<double>& value) {
        return value ? number_text(*value) : QStringLiteral("none");
    };
    return QStringLiteral("Low %1, high %2 %3 (%4)")
        .arg(side(limits.low), side(limits.high), unit_text(summary.unit),
             latin1_text(summary.limits_source()));
}

std::vector<Field> settings_of(const insight::Summary& summary,
                               const std::optional<mission::MissionRecord>& record) {
    if (!record) {
        return {{QStringLiteral("Settings"), QStringLiteral("not kept with this mission")}};
    }
    std::vector<Field> fields;
    for (const auto& [label, value] :
         insight::mission_settings(*record, summary.unit, mission::unit_token(summary.unit))) {
        fields.push_back({latin1_text(label), latin1_text(value)});
    }
    const mission::TimeZone& zone = record->time_zone;
    fields.push_back({QStringLiteral("Times local to"),
                      latin1_text(zone.name) + " (" +
                          latin1_text(insight::utc_offset_text(zone.utc_offset_s)) + ")"});
    for (const auto& [label, text] : clock_lines(summary)) {
        fields.push_back({QString::fromStdString(label), QString::fromStdString(text)});
    }
    return fields;
}

// Values go without their unit: the title names it once.
QString timed_text(const std::optional<insight::TimedValue>& timed) {
    return timed ? number_text(timed->value) + QStringLiteral(" at ") + time_text(timed->time)
                 : QStringLiteral("-");
}

QString optional_text(const std::optional<double>& value) {
    return value ? number_text(*value) : QStringLiteral("-");
}

QString outside_text(const insight::TimeOutside& outside) {
    return QStringLiteral("%1 samples, %2")
        .arg(outside.samples)
        .arg(duration_text(outside.seconds));
}

std::vector<Field> statistics_of(const insight::Summary& s) {
    const insight::Statistics& st = s.statistics;
    const auto when = [](const std::optional<insight::LoggerTime>& t) {
        return t ? time_text(*t) : QStringLiteral("-");
    };
    // Said once, here: the excursions' lengths below are counted the same way.
    std::vector<Field> fields{
        {QStringLiteral("Samples"), QString::number(st.count)},
        {QStringLiteral("First sample"), when(st.first)},
        {QStringLiteral("Last sample"), when(st.last)},
        {QStringLiteral("Duration"),
         duration_text(s.duration_s) + QStringLiteral(" (each sample counts for one interval)")},
        {QStringLiteral("Minimum"), timed_text(st.minimum)},
        {QStringLiteral("Maximum"), timed_text(st.maximum)},
        {QStringLiteral("Mean"), optional_text(st.mean)},
        {QStringLiteral("Standard deviation"), optional_text(st.standard_deviation)},
        {QStringLiteral("Mean kinetic temperature"),
         optional_text(st.mean_kinetic) +
             QStringLiteral(" (dH %1 kJ/mol)").arg(s.delta_h_kj_per_mol, 0, 'g', 6)},
    };
    // Time beyond a limit means nothing where there is no such limit.
    if (s.limits.low) {
        fields.push_back({QStringLiteral("Below the low limit"), outside_text(s.excursions.below)});
    }
    if (s.limits.high) {
        fields.push_back(
            {QStringLiteral("Above the high limit"), outside_text(s.excursions.above)});
    }
    return fields;
}

QStringList warnings_of(const insight::Summary& s) {
    QStringList warnings;
    for (const std::string& warning : mission::clock_warnings(s.clock)) {
        warnings.append(latin1_text(warning));
    }
    if (!s.flags) {
        warnings.append(QStringLiteral("The logger's flags were not kept with this mission."));
        return warnings;
    }
    for (const std::string& warning : insight::flag_warnings(*s.flags)) {
        warnings.append(latin1_text(warning));
    }
    return warnings;
}

}  // namespace

QString time_text(insight::LoggerTime time) {
    return QString::fromStdString(insight::time_text(time));
}

QString number_text(double value) {
    return latin1_text(insight::temperature_text(value));
}

Table excursion_table(const insight::ExcursionReport& report, mission::TemperatureUnit unit) {
    Table table{{QStringLiteral("Direction"), QStringLiteral("Start"), QStringLiteral("End"),
                 QStringLiteral("Duration"), QStringLiteral("Peak (%1)").arg(unit_text(unit))},
                {}};
    for (const insight::Excursion& e : report.excursions) {
        table.rows.push_back(
            {e.side == insight::Side::kBelow ? QStringLiteral("Below") : QStringLiteral("Above"),
             time_text(e.start), time_text(e.end), duration_text(e.seconds), timed_text(e.peak)});
    }
    return table;
}

SummaryRows summary_rows(const insight::Summary& summary,
                         const std::optional<mission::MissionRecord>& record) {
    return {limits_text(summary),
            settings_of(summary, record),
            QStringLiteral("Statistics (%1)").arg(unit_text(summary.unit)),
            statistics_of(summary),
            excursion_table(summary.excursions, summary.unit),
            warnings_of(summary)};
}

}  // namespace frostel::report
