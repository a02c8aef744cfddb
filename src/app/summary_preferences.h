#pragma once

#include <QString>
#include <map>
#include <optional>
#include <string>

#include "mission/temperature_unit.h"

namespace frostel::app {

// The summary's settings file beside SETUP.FRG, which keeps its own three lines.
inline const QString kSummaryPreferencesFileName = QStringLiteral("summary.ini");

// Limits the user set for a logger, as typed: the numbers in the unit they were typed in, so
// that no conversion error is kept, and the day ("yyyy-mm-dd") they were set.
struct RememberedLimits {
    std::optional<double> low;
    std::optional<double> high;
    mission::TemperatureUnit unit = mission::TemperatureUnit::kCelsius;
    QString set_on;
    bool operator==(const RememberedLimits&) const = default;
};

// The limits the user last set for each logger id, the dH set last, and whether the value
// axis is fitted to each mission shown.
struct SummaryPreferences {
    std::map<std::string, RememberedLimits> limits;
    std::optional<double> delta_h_kj_per_mol;
    bool fit_to_data = false;
    bool operator==(const SummaryPreferences&) const = default;
};

// Nothing set for a missing file; a logger's limits that are not finite numbers, not in a
// unit, without a date or with the low one above the high one are left out, and so is a dH
// outside the range the window accepts.
[[nodiscard]] SummaryPreferences read_summary_preferences(const QString& path);
// Whether the file was written.
[[nodiscard]] bool write_summary_preferences(const QString& path,
                                             const SummaryPreferences& preferences);

}  // namespace frostel::app
