#include "app/shown_mission.h"

#include "platform/latin1.h"
#include "report/chart_summary.h"

namespace frostel::app {

namespace {

using mission::TemperatureUnit;

std::optional<double> converted(const std::optional<double>& value, TemperatureUnit from,
                                TemperatureUnit to) {
    if (!value || from == to) {
        return value;
    }
    return mission::ConvertTemperature(*value, from, to);
}

}  // namespace

ShownMission::ShownMission(std::vector<mission::ChartPoint> points, TemperatureUnit unit,
                           std::optional<mission::MissionRecord> record, MissionIdentity identity,
                           MissionOrigin origin)
    : kept_points_(std::move(points)),
      kept_unit_(unit),
      limits_unit_(unit),
      points_(kept_points_),
      unit_(unit),
      record_(std::move(record)),
      identity_(std::move(identity)),
      origin_(std::move(origin)) {}

void ShownMission::set_fingerprint(std::string fingerprint, std::string basis) {
    fingerprint_ = std::move(fingerprint);
    fingerprint_basis_ = std::move(basis);
}

UserLimits ShownMission::user_limits() const {
    return {converted(kept_limits_.low, limits_unit_, unit_),
            converted(kept_limits_.high, limits_unit_, unit_), kept_limits_.set_on};
}

void ShownMission::set_user_limits(const UserLimits& limits, TemperatureUnit unit) {
    kept_limits_ = limits;
    limits_unit_ = unit;
}

void ShownMission::set_unit(TemperatureUnit unit) {
    unit_ = unit;
    for (std::size_t i = 0; i < points_.size(); ++i) {
        points_[i].y = *converted(kept_points_[i].y, kept_unit_, unit);
    }
}

datafile::ChartDocument ShownMission::chart_document(datafile::ChartDocument looks) const {
    looks = described(std::move(looks));
    looks.points = points_;
    return looks;
}

datafile::ChartDocument ShownMission::described(datafile::ChartDocument looks) const {
    looks.left.title = platform::latin1_text(mission::unit_token(unit_));
    looks.mission = record_;
    const UserLimits limits = user_limits();
    looks.low_limit = limits.low;
    looks.high_limit = limits.high;
    looks.limits_set_on = limits.low || limits.high ? limits.set_on : QString();
    looks.delta_h_kj_per_mol = delta_h_;
    looks.download = origin_.download;
    return looks;
}

insight::SummaryInput ShownMission::summary_input() const {
    insight::SummaryInput input = report::summary_input(described({}));
    input.readings = report::chart_readings(points_);
    return input;
}

insight::Limits ShownMission::limits_in_force() const {
    return report::chart_limits(described({}));
}

}  // namespace frostel::app
