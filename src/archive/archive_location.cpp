#include "archive/archive_location.h"

#include <QDir>
#include <QObject>

#include "archive/mission_archive.h"
#include "archive/pg_address.h"
#include "platform/archive_setting.h"

namespace frostel::archive {

namespace {

bool is_shared(const QString& location) {
    return looks_like_pg_uri(location.toStdString());
}

}  // namespace

QString archive_location_problem(const QString& location) {
    if (location.isEmpty()) {
        return {};
    }
    if (is_shared(location)) {
        std::string why;
        const std::optional<PgAddress> address = parse_pg_uri(location.toStdString(), why);
        if (!address) {
            return QString::fromStdString(why);
        }
        if (!address->secrets.empty()) {
            return QObject::tr(
                "The address carries a password: leave it out, and give it in "
                "PGPASSWORD or ~/.pgpass.");
        }
    }
    const MissionArchive archive(location, MissionArchive::Access::kReadOnly);
    if (archive.is_open()) {
        return {};
    }
    // A server's error names its address already.
    return is_shared(location)
               ? archive.error().simplified()
               : QObject::tr("%1 cannot be used: %2").arg(archive.path(), archive.error());
}

std::string shown_location(const QString& location) {
    std::string why;
    if (const auto address = parse_pg_uri(location.toStdString(), why)) {
        return address->shown;
    }
    return is_shared(location) ? why : location.toStdString();
}

ArchiveChange set_archive_location(const QString& program_folder, const QString& location) {
    const QString before = platform::read_archive_setting(program_folder);
    if (location == before) {
        return {};
    }
    if (QString problem = archive_location_problem(location); !problem.isEmpty()) {
        return {problem, std::nullopt};
    }
    if (!platform::write_archive_setting(program_folder, location)) {
        return {QObject::tr("%1 could not be written.")
                    .arg(QDir(program_folder).filePath(platform::kArchiveSettingFileName)),
                std::nullopt};
    }
    return {{},
            setting_changed("shared archive", shown_location(before), shown_location(location))};
}

}  // namespace frostel::archive
