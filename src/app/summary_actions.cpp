#include "app/summary_actions.h"

#include <QDate>
#include <QLabel>
#include <QPushButton>

#include "app/chart_view.h"
#include "app/shown_mission.h"
#include "app/sign_dialog.h"
#include "app/signatures_box.h"
#include "app/summary_window.h"
#include "app/table_view.h"
#include "app/topmost.h"
#include "archive/signature_book.h"
#include "dossier/archived_record.h"

namespace frostel::app {

SummaryActions::SummaryActions(ShownMission& shown, ChartView& chart, TableView& table,
                               QLabel& verdict_line, QString preferences_path, QObject* parent)
    : QObject(parent),
      shown_(shown),
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

// Said over the summary when it is open, else over the main window.
void SummaryActions::keep_preferences() {
    if (!write_summary_preferences(preferences_path_, preferences_)) {
        QWidget* over =
            window_.isNull() || !window_->isVisible() ? chart_.window() : window_.data();
        show_not_saved(over, "summary_preferences_not_saved", tr("Mission Summary"),
                       preferences_path_);
    }
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
        connect(&window_->signatures().sign_button(), &QPushButton::clicked, this,
                &SummaryActions::sign_shown);
    }
    refresh_window(insight::summarize(shown_.summary_input()));
    show_in_role(window_, WindowRole::kOrdinary);
}

void SummaryActions::take_remembered(ShownMission& mission) const {
    const auto remembered = mission.record() ? preferences_.limits.find(mission.record()->logger_id)
                                             : preferences_.limits.end();
    if (remembered != preferences_.limits.end()) {
        const RememberedLimits& r = remembered->second;
        mission.set_user_limits({r.low, r.high, r.set_on}, r.unit);
    }
    mission.set_delta_h(preferences_.delta_h_kj_per_mol);
}

void SummaryActions::take_kept(ShownMission& mission, const archive::RecordLimits& kept) {
    mission.set_user_limits({kept.limits.low, kept.limits.high, QString()},
                            mission::TemperatureUnit::kCelsius);
    mission.set_delta_h(kept.delta_h_kj_per_mol);
}

archive::RecordLimits SummaryActions::in_celsius(const UserLimits& limits,
                                                 std::optional<double> delta_h) const {
    const auto celsius = [this](const std::optional<double>& value) {
        return value ? std::optional(mission::ConvertTemperature(
                           *value, shown_.unit(), mission::TemperatureUnit::kCelsius))
                     : std::nullopt;
    };
    archive::RecordLimits now;
    now.limits.low = celsius(limits.low);
    now.limits.high = celsius(limits.high);
    now.limits.source =
        now.limits.any() ? insight::LimitSource::kUser : insight::LimitSource::kNone;
    now.delta_h_kj_per_mol = delta_h.value_or(insight::kDefaultDeltaH);
    return now;
}

bool SummaryActions::keeper_takes(const UserLimits& limits, std::optional<double> delta_h) {
    if (asking_) {
        return false;
    }
    if (!keeper_) {
        return true;
    }
    asking_ = true;
    const bool taken = keeper_(in_celsius(limits, delta_h));
    asking_ = false;
    if (!taken && !window_.isNull()) {
        refresh_window(insight::summarize(shown_.summary_input()));
    }
    return taken;
}

void SummaryActions::follow_chart() {
    // The table's rows are the chart's points.
    const insight::Limits& limits = chart_.limits();
    std::vector<insight::Side> sides;
    sides.reserve(chart_.points().size());
    for (const mission::ChartPoint& point : chart_.points()) {
        sides.push_back(insight::side_of(point.y, limits));
    }
    table_.tint_rows(std::move(sides));
    const insight::Summary summary = insight::summarize(shown_.summary_input());
    // The line shares the chart's header with the logger label and the title: two smaller
    // lines fit there.
    show_verdict(verdict_line_, summary, QStringLiteral("padding: 0px 3px; font-size: 8pt;"));
    verdict_line_.setVisible(!shown_.points().empty() || shown_.record().has_value());
    if (!window_.isNull() && window_->isVisible()) {
        refresh_window(summary);
    }
}

void SummaryActions::refresh_window(const insight::Summary& summary) {
    window_->show_summary(summary, shown_.record());
    show_signatures();
}

// The mission shown is an archived record when the model knows its id. Without accounts
// nobody signs, so an unsigned record shows the summary as it always was.
void SummaryActions::show_signatures() {
    SignaturesBox& box = window_->signatures();
    const std::int64_t id = shown_.origin().archive_id;
    const std::optional<archive::RecordSignatures> record =
        id > 0 && signing_.archive ? archive::SignatureBook(signing_.archive()).of_record(id)
                                   : std::nullopt;
    const std::optional<archive::Person> person =
        signing_.person ? signing_.person() : std::nullopt;
    if (!record || (!person && record->signatures.empty())) {
        box.hide();
        return;
    }
    box.show_signatures(dossier::signature_lines(*record), record->changed_after_signing());
    offer_signing(box.sign_button(), person);
    box.show();
}

void SummaryActions::sign_shown() {
    const std::optional<archive::Person> person =
        signing_.person ? signing_.person() : std::nullopt;
    if (!person || window_.isNull()) {
        return;
    }
    SignDialog dialog(signing_.archive(), *person, shown_.origin().archive_id, window_);
    if (dialog.exec() == QDialog::Accepted) {
        show_signatures();
    }
}

// Limits typed are this mission's, and remembered as typed for its logger.
void SummaryActions::set_limits(std::optional<double> low, std::optional<double> high) {
    const UserLimits typed{low, high, QString()};
    if (!keeper_takes(typed, shown_.delta_h())) {
        return;
    }
    shown_.set_user_limits(typed);
    chart_.set_limits(shown_.limits_in_force());
    // A limit beyond the value axis widens it, as the mission's first showing would.
    if (preferences_.fit_to_data) {
        chart_.fit_to_data();
    }
    const std::optional<mission::MissionRecord>& record = shown_.record();
    if (!record) {
        return;
    }
    if (low || high) {
        preferences_.limits[record->logger_id] = {low, high, shown_.unit(),
                                                  QDate::currentDate().toString(Qt::ISODate)};
    } else {
        preferences_.limits.erase(record->logger_id);
    }
    keep_preferences();
}

void SummaryActions::show_excursion(int first, int last) {
    chart_.zoom_to_points(first, last);
    table_.show_point(first);
}

void SummaryActions::set_fit_to_data(bool on) {
    preferences_.fit_to_data = on;
    keep_preferences();
}

void SummaryActions::set_delta_h(double kj_per_mol) {
    if (!keeper_takes(shown_.user_limits(), kj_per_mol)) {
        return;
    }
    shown_.set_delta_h(kj_per_mol);
    follow_chart();
    preferences_.delta_h_kj_per_mol = kj_per_mol;
    keep_preferences();
}

}  // namespace frostel::app
