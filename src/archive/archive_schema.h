#pragma once

#include <QSqlDatabase>
#include <QString>

namespace frostel::archive {

// The schema version this program writes; a file's version is its `user_version`.
inline constexpr int kSchemaVersion = 9;

// Brings `db` forward from its version to kSchemaVersion, each step one transaction. An
// empty text on success, else why not (a file from a newer program is left untouched).
[[nodiscard]] QString migrate_forward(QSqlDatabase& db);

}  // namespace frostel::archive
