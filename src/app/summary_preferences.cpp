#include "app/summary_preferences.h"

#include <QDate>
#include <QSettings>
#include <cmath>

#include "insight/limits.h"
#include "insight/statistics.h"

namespace frostel::app {

namespace {

const QString kLimitsGroup = QStringLiteral("limits_by_logger");
const QString kLowKey = QStringLiteral("low");
const QString kHighKey = QStringLiteral("high");
const QString kUnitKey = QStringLiteral("unit");
const QString kSetOnKey = QStringLiteral("set_on");
const QString kDeltaHKey = QStringLiteral("mean_kinetic_temperature/delta_h_kj_per_mol");
const QString kFitToDataKey = QStringLiteral("chart/fit_to_data");

std::optional<double> number(const QSettings& settings, const QString& key, bool& valid) {
    if (!settings.contains(key)) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = settings.value(key).toDouble(&ok);
    valid = valid && ok && std::isfinite(value);
    return value;
}

void put(QSettings& settings, const QString& key, const std::optional<double>& value) {
    if (value) {
        settings.setValue(key, *value);
    }
}

// The limits of the logger group open in `settings`, when whole and ordered.
std::optional<RememberedLimits> read_limits(const QSettings& settings) {
    bool valid = true;
    RememberedLimits limits{number(settings, kLowKey, valid), number(settings, kHighKey, valid),
                            mission::TemperatureUnit::kCelsius,
                            settings.value(kSetOnKey).toString()};
    const auto unit = mission::unit_from_token(settings.value(kUnitKey).toString().toStdString());
    if (!valid || !unit || !QDate::fromString(limits.set_on, Qt::ISODate).isValid() ||
        !(limits.low || limits.high) || !insight::ordered(limits.low, limits.high)) {
        return std::nullopt;
    }
    limits.unit = *unit;
    return limits;
}

}  // namespace

SummaryPreferences read_summary_preferences(const QString& path) {
    QSettings settings(path, QSettings::IniFormat);
    SummaryPreferences p;
    bool valid = true;
    p.delta_h_kj_per_mol = number(settings, kDeltaHKey, valid);
    if (!valid || (p.delta_h_kj_per_mol && !insight::delta_h_in_range(*p.delta_h_kj_per_mol))) {
        p.delta_h_kj_per_mol.reset();
    }
    p.fit_to_data = settings.value(kFitToDataKey, false).toBool();
    settings.beginGroup(kLimitsGroup);
    for (const QString& logger_id : settings.childGroups()) {
        settings.beginGroup(logger_id);
        if (const std::optional<RememberedLimits> limits = read_limits(settings)) {
            p.limits[logger_id.toStdString()] = *limits;
        }
        settings.endGroup();
    }
    settings.endGroup();
    return p;
}

bool write_summary_preferences(const QString& path, const SummaryPreferences& preferences) {
    QSettings settings(path, QSettings::IniFormat);
    settings.remove(kDeltaHKey);
    put(settings, kDeltaHKey, preferences.delta_h_kj_per_mol);
    settings.setValue(kFitToDataKey, preferences.fit_to_data);
    settings.remove(kLimitsGroup);
    settings.beginGroup(kLimitsGroup);
    for (const auto& [logger_id, limits] : preferences.limits) {
        settings.beginGroup(QString::fromStdString(logger_id));
        put(settings, kLowKey, limits.low);
        put(settings, kHighKey, limits.high);
        settings.setValue(kUnitKey, QString::fromLatin1(mission::unit_token(limits.unit)));
        settings.setValue(kSetOnKey, limits.set_on);
        settings.endGroup();
    }
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace frostel::app
