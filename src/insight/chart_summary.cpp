#include "insight/chart_summary.h"

#include <QDateTime>
#include <QTimeZone>

namespace frostel::insight {

SummaryInput summary_input(const datafile::ChartDocument& document) {
    SummaryInput input;
    input.unit = mission::unit_or_celsius(document.left.title.toStdString());
    input.readings.reserve(document.points.size());
    for (const mission::ChartPoint& point : document.points) {
        if (const auto time = parse_time_text(point.label)) {
            input.readings.push_back({*time, point.y});
        }
    }
    input.record = document.mission;
    input.user_limits = {
        document.low_limit, document.high_limit,
        document.low_limit || document.high_limit ? LimitSource::kUser : LimitSource::kNone};
    input.delta_h_kj_per_mol = document.delta_h_kj_per_mol.value_or(kDefaultDeltaH);
    return input;
}

mission::TimeZone pc_time_zone() {
    const QTimeZone zone = QTimeZone::systemTimeZone();
    return {zone.id().toStdString(), zone.offsetFromUtc(QDateTime::currentDateTime())};
}

}  // namespace frostel::insight
