#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "datafile/chart_document.h"
#include "insight/summary.h"
#include "mission/chart_point.h"
#include "mission/mission_record.h"
#include "mission/temperature_unit.h"

namespace frostel::app {

// What names the mission shown: the logger caption over the chart, the chart's title line,
// the mission text (one byte per character, as downloaded or read, never as since edited)
// and the calibration offset the programming window is preset to.
struct MissionIdentity {
    QString caption;
    QString title_line;
    std::string mission_text;
    int calibration_tenths = 0;
};

// Where the mission shown came from: a download (with its time and the PC's zone), a saved
// pair (with its data file's path) or an archived record; and the record that keeps it,
// by its id (0: none), for an archived record or a download the archive kept.
struct MissionOrigin {
    enum class Kind { kNone, kDownload, kSavedPair, kArchive };
    Kind kind = Kind::kNone;
    // The download as a saved chart names it; none for a pair saved before downloads were.
    std::optional<datafile::DownloadOrigin> download;
    mission::TimeZone time_zone;
    std::string path;
    std::int64_t archive_id = 0;
    // The reader's device a download or a record was read through (empty: not recorded);
    // nothing for a saved pair, which does not keep it.
    std::optional<std::string> reader_device;
};

// The limits the user set, in the unit shown, with the day they were remembered on when they
// are the ones last set for this logger.
struct UserLimits {
    std::optional<double> low;
    std::optional<double> high;
    QString set_on;
    bool operator==(const UserLimits&) const = default;
};

// The mission on screen, the one owner of its state: the chart, the table, the summary, the
// report and the exports render it. A download or a retrieval builds a new one and swaps it
// in only once it succeeded. Its points and the user's limits are kept as they came,
// each with its unit; every unit shown is converted from those same numbers by the same
// formulas, so switching back to a unit gives back its very values and limits.
class ShownMission {
  public:
    ShownMission() = default;
    ShownMission(std::vector<mission::ChartPoint> points, mission::TemperatureUnit unit,
                 std::optional<mission::MissionRecord> record, MissionIdentity identity,
                 MissionOrigin origin);

    [[nodiscard]] const std::vector<mission::ChartPoint>& points() const { return points_; }
    [[nodiscard]] mission::TemperatureUnit unit() const { return unit_; }
    [[nodiscard]] const std::optional<mission::MissionRecord>& record() const { return record_; }
    [[nodiscard]] const MissionIdentity& identity() const { return identity_; }
    [[nodiscard]] const MissionOrigin& origin() const { return origin_; }
    // Over a download's raw pages or a saved pair's two files; empty before any mission.
    [[nodiscard]] const std::string& fingerprint() const { return fingerprint_; }
    [[nodiscard]] const std::string& fingerprint_basis() const { return fingerprint_basis_; }
    void set_fingerprint(std::string fingerprint, std::string basis);
    // Kept in the archive as record `id`: limits set for it are that record's.
    void set_archived_as(std::int64_t id) { origin_.archive_id = id; }

    // The user's limits in the unit shown.
    [[nodiscard]] UserLimits user_limits() const;
    // Limits given in `unit`, kept as given.
    void set_user_limits(const UserLimits& limits, mission::TemperatureUnit unit);
    void set_user_limits(const UserLimits& limits) { set_user_limits(limits, unit_); }
    [[nodiscard]] std::optional<double> delta_h() const { return delta_h_; }
    void set_delta_h(std::optional<double> kj_per_mol) { delta_h_ = kj_per_mol; }

    // The points and the user's limits shown in `unit`, both from the numbers kept.
    void set_unit(mission::TemperatureUnit unit);

    // The mission as a saved pair's chart keeps it, over the chart's `looks`: the points in
    // the unit shown, the record, the user's limits and dH, the download.
    [[nodiscard]] datafile::ChartDocument chart_document(datafile::ChartDocument looks) const;
    // What the summary, the report and the exports judge it by, read as its saved pair is.
    [[nodiscard]] insight::SummaryInput summary_input() const;
    // The limits in force, in the unit shown: the user's, else the logger's own.
    [[nodiscard]] insight::Limits limits_in_force() const;

  private:
    // `chart_document` without the points.
    [[nodiscard]] datafile::ChartDocument described(datafile::ChartDocument looks) const;

    std::vector<mission::ChartPoint> kept_points_;
    mission::TemperatureUnit kept_unit_ = mission::TemperatureUnit::kCelsius;
    UserLimits kept_limits_;
    mission::TemperatureUnit limits_unit_ = mission::TemperatureUnit::kCelsius;
    std::vector<mission::ChartPoint> points_;
    mission::TemperatureUnit unit_ = mission::TemperatureUnit::kCelsius;
    std::optional<mission::MissionRecord> record_;
    MissionIdentity identity_;
    MissionOrigin origin_;
    std::string fingerprint_;
    std::string fingerprint_basis_;
    std::optional<double> delta_h_;
};

}  // namespace frostel::app
