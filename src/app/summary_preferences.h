#pragma once

#include <QString>
#include <optional>

namespace frostel::app {

// The summary's settings file beside SETUP.FRG, which keeps its own three lines.
inline const QString kSummaryPreferencesFileName = QStringLiteral("summary.ini");

// The limits and dH the user set last; limits in degrees Celsius, so that a unit switch
// between runs does not change them.
struct SummaryPreferences {
    std::optional<double> low_celsius;
    std::optional<double> high_celsius;
    std::optional<double> delta_h_kj_per_mol;
    bool operator==(const SummaryPreferences&) const = default;
};

// Nothing set for a missing file or a value that is not a finite number (dH also positive).
[[nodiscard]] SummaryPreferences read_summary_preferences(const QString& path);
void write_summary_preferences(const QString& path, const SummaryPreferences& preferences);

}  // namespace frostel::app
