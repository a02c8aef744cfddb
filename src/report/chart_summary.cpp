#include "report/chart_summary.h"

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

}  // namespace

insight::SummaryInput summary_input(const datafile::ChartDocument& document) {
    insight::SummaryInput input = described_input(document);
    input.readings.reserve(document.points.size());
    for (const mission::ChartPoint& point : document.points) {
        if (const auto time = insight::parse_time_text(point.label)) {
            input.readings.push_back({*time, point.y});
        }
    }
    return input;
}

insight::Limits chart_limits(const datafile::ChartDocument& document) {
    const insight::SummaryInput input = described_input(document);
    return insight::choose_limits(input.user_limits, input.remembered_limits, input.record,
                                  input.unit);
}

}  // namespace frostel::report
