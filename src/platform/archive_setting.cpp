#include "platform/archive_setting.h"

#include <QDir>
#include <QSettings>
#include <QUrlQuery>

namespace frostel::platform {

namespace {

const QString kSharedArchiveKey = QStringLiteral("shared_archive");

QString setting_path(const QString& program_folder) {
    return QDir(program_folder).filePath(kArchiveSettingFileName);
}

// Whether a server's URI names a password, in its user part or among its parameters.
bool carries_password(const QString& location) {
    const qsizetype scheme_end = location.indexOf(QStringLiteral("://"));
    if (scheme_end < 0) {
        return false;
    }
    const QString rest = location.mid(scheme_end + 3);
    const qsizetype query_start = rest.indexOf(QLatin1Char('?'));
    const QString authority = rest.left(rest.indexOf(QLatin1Char('/')));
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0 && authority.left(at).contains(QLatin1Char(':'))) {
        return true;
    }
    return query_start >= 0 &&
           QUrlQuery(rest.mid(query_start + 1)).hasQueryItem(QStringLiteral("password"));
}

}  // namespace

QString read_archive_setting(const QString& program_folder) {
    const QSettings settings(setting_path(program_folder), QSettings::IniFormat);
    return settings.value(kSharedArchiveKey).toString().trimmed();
}

bool write_archive_setting(const QString& program_folder, const QString& location) {
    if (carries_password(location)) {
        return false;
    }
    // QSettings writes through a file beside it renamed over the old one, and refuses to
    // write otherwise.
    QSettings settings(setting_path(program_folder), QSettings::IniFormat);
    if (location.trimmed().isEmpty()) {
        settings.remove(kSharedArchiveKey);
    } else {
        settings.setValue(kSharedArchiveKey, location.trimmed());
    }
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace frostel::platform
