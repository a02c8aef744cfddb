#pragma once

#include <QString>

namespace frostel::platform {

inline const QString kArchiveSettingFileName = QStringLiteral("archive.ini");

// The archive a site set for this program folder: a libpq URI or an SQLite file's path;
// empty when none is set (the data folder's own archive).
[[nodiscard]] QString read_archive_setting(const QString& program_folder);
// Written whole or not at all; empty sets none. An address that carries a password is
// refused: the password belongs in PGPASSWORD or ~/.pgpass, never in a file.
[[nodiscard]] bool write_archive_setting(const QString& program_folder, const QString& location);

}  // namespace frostel::platform
