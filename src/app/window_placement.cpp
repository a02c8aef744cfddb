#include "app/window_placement.h"

#include <QSettings>

namespace frostel::app {

namespace {

const QString kGeometryKey = QStringLiteral("main_window/geometry");

}  // namespace

QByteArray read_window_geometry(const QString& path) {
    const QSettings settings(path, QSettings::IniFormat);
    return settings.value(kGeometryKey).toByteArray();
}

bool write_window_geometry(const QString& path, const QByteArray& geometry) {
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(kGeometryKey, geometry);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace frostel::app
