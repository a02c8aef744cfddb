#include "app/summary_actions.h"

#include <QDate>
#include <QLabel>

#include "app/chart_view.h"
#include "app/summary_window.h"
#include "app/table_view.h"
#include "app/topmost.h"
#include "report/chart_summary.h"

namespace frostel::app {

namespace {

using mission::TemperatureUnit;

std::optional<double> converted(const std::optional<double>& v, TemperatureUnit from,
                                TemperatureUnit to) {
    return v ? std::optional<double>(mission::ConvertTemperature(*v, from, to)) : std::nullopt;
}

TemperatureUnit chart_unit(const ChartView& chart) {
    return mission::unit_or_celsius(chart.left_axis_title().toStdString());
}

}  // namespace

SummaryActions::SummaryActions(ChartView& chart, TableView& table, QLabel& verdict_line,
                               QString preferences_path, QObject* parent)
    : QObject(parent),
      chart_(chart),
      table_(table),
      verdict_line_(verdict_line),
      preferences_path_(std::move(preferences_path)),
      preferences_(read_summary_preferences(preferences_path_)) {
    connect(&chart_, &ChartView::contentChanged, this, &SummaryActions::follow_chart);
}

SummaryActions::~SummaryActions() {
    delete window_.data();
}

SummaryWindow* SummaryActions::window() const {
    return window_.data();
}

void SummaryActions::open() {
    if (window_.isNull()) {
        window_ = new SummaryWindow;
        connect(window_, &SummaryWindow::limitsEdited, this, &SummaryActions::set_limits);
        connect(window_, &SummaryWindow::deltaHEdited, this, &SummaryActions::set_delta_h);
        connect(window_, &SummaryWindow::excursionChosen, this, &SummaryActions::show_excursion);
    }
    refresh_window(insight::summarize(report::summary_input(chart_.document())));
    show_topmost(window_);
}

// A download sets no limits of its own: the ones last set for its logger, converted from the
// numbers as typed, else none (the logger's own thresholds then judge).
void SummaryActions::show_downloaded(const mission::MissionRecord& record) {
    const TemperatureUnit unit = chart_unit(chart_);
    chart_.set_mission_record(record);
    const auto remembered = preferences_.limits.find(record.logger_id);
    if (remembered == preferences_.limits.end()) {
        chart_.set_user_limits(std::nullopt, std::nullopt);
    } else {
        const RememberedLimits& r = remembered->second;
        chart_.set_user_limits(converted(r.low, r.unit, unit), converted(r.high, r.unit, unit),
                               r.set_on);
    }
    chart_.set_delta_h(preferences_.delta_h_kj_per_mol);
}

void SummaryActions::show_kept_limits(const archive::RecordLimits& kept) {
    const TemperatureUnit unit = chart_unit(chart_);
    chart_.set_user_limits(converted(kept.limits.low, TemperatureUnit::kCelsius, unit),
                           converted(kept.limits.high, TemperatureUnit::kCelsius, unit));
    chart_.set_delta_h(kept.delta_h_kj_per_mol);
}

void SummaryActions::say_limits_changed() {
    const datafile::ChartDocument& document = chart_.document();
    const TemperatureUnit unit = chart_unit(chart_);
    archive::RecordLimits now;
    now.limits.low = converted(document.low_limit, unit, TemperatureUnit::kCelsius);
    now.limits.high = converted(document.high_limit, unit, TemperatureUnit::kCelsius);
    now.limits.source =
        now.limits.any() ? insight::LimitSource::kUser : insight::LimitSource::kNone;
    now.delta_h_kj_per_mol = document.delta_h_kj_per_mol.value_or(insight::kDefaultDeltaH);
    emit limitsChanged(now);
}

void SummaryActions::follow_chart() {
    const datafile::ChartDocument& document = chart_.document();
    const insight::Limits limits = chart_.limits();
    std::vector<insight::Side> sides;
    sides.reserve(document.points.size());
    for (const mission::ChartPoint& point : document.points) {
        sides.push_back(insight::side_of(point.y, limits));
    }
    table_.tint_rows(std::move(sides));
    const insight::Summary summary = insight::summarize(report::summary_input(document));
    // The line shares the chart's header with the logger label and the title: two smaller
    // lines fit there.
    show_verdict(verdict_line_, summary, QStringLiteral("padding: 0px 3px; font-size: 8pt;"));
    verdict_line_.setVisible(!document.points.empty() || document.mission.has_value());
    if (!window_.isNull() && window_->isVisible()) {
        refresh_window(summary);
    }
}

void SummaryActions::refresh_window(const insight::Summary& summary) {
    window_->show_summary(summary, chart_.document().mission);
}

// Limits typed are this mission's, and remembered as typed for its logger.
void SummaryActions::set_limits(std::optional<double> low, std::optional<double> high) {
    chart_.set_user_limits(low, high);
    say_limits_changed();
    const std::optional<mission::MissionRecord>& record = chart_.document().mission;
    if (!record) {
        return;
    }
    if (low || high) {
        preferences_.limits[record->logger_id] = {low, high, chart_unit(chart_),
                                                  QDate::currentDate().toString(Qt::ISODate)};
    } else {
        preferences_.limits.erase(record->logger_id);
    }
    write_summary_preferences(preferences_path_, preferences_);
}

void SummaryActions::show_excursion(int first, int last) {
    chart_.zoom_to_points(first, last);
    table_.show_point(first);
}

void SummaryActions::set_fit_to_data(bool on) {
    preferences_.fit_to_data = on;
    write_summary_preferences(preferences_path_, preferences_);
}

void SummaryActions::set_delta_h(double kj_per_mol) {
    chart_.set_delta_h(kj_per_mol);
    say_limits_changed();
    preferences_.delta_h_kj_per_mol = kj_per_mol;
    write_summary_preferences(preferences_path_, preferences_);
}

}  // namespace frostel::app
