#include "summary_preferences.h"

#include <QSettings>
#include <cmath>

namespace frostel::app {

namespace {

const QString kLowKey = QStringLiteral("limits/low_celsius");
const QString kHighKey = QStringLiteral("limits/high_celsius");
const QString kDeltaHKey = QStringLiteral("mean_kinetic_temperature/delta_h_kj_per_mol");

std::optional<double> number(const QSettings& settings, const QString& key) {
    bool ok = false;
    const double value = settings.value(key).toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

void put(QSettings& settings, const QString& key, const std::optional<double>& value) {
    if (value) {
        settings.setValue(key, *value);
    } else {
        settings.remove(key);
    }
}

}  // namespace

SummaryPreferences read_summary_preferences(const QString& path) {
    const QSettings settings(path, QSettings::IniFormat);
    SummaryPreferences p{number(settings, kLowKey), number(settings, kHighKey),
                         number(settings, kDeltaHKey)};
    if (p.delta_h_kj_per_mol && !(*p.delta_h_kj_per_mol > 0)) {
        p.delta_h_kj_per_mol.reset();
    }
    return p;
}

void write_summary_preferences(const QString& path, const SummaryPreferences& preferences) {
    QSettings settings(path, QSettings::IniFormat);
    put(settings, kLowKey, preferences.low_celsius);
    put(settings, kHighKey, preferences.high_celsius);
    put(settings, kDeltaHKey, preferences.delta_h_kj_per_mol);
}

}  // namespace frostel::app
