#pragma once

#include <QSqlDatabase>
#include <QString>

namespace frostel::archive {

// The shared archive's schema version this program knows.
[[nodiscard]] int pg_schema_version();

struct PgMigration {
    int from = 0;
    int to = 0;
    QString error;  // empty on success
};

// Brings the server's schema forward to `target` (at most pg_schema_version()), each step one
// transaction, as the schema's owner (`db` connected as that role). A newer schema is left
// untouched.
[[nodiscard]] PgMigration migrate_pg_schema(QSqlDatabase& db, int target = pg_schema_version());

// Empty when this program can use the server's schema as it is; else why not.
[[nodiscard]] QString check_pg_schema(QSqlDatabase& db);

}  // namespace frostel::archive
