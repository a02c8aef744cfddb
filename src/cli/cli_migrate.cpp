#include "cli/cli_migrate.h"

#include <QSqlDatabase>

#include "archive/pg_connection.h"
#include "archive/pg_schema.h"
#include "cli/cli_commands.h"

namespace frostel::cli {

namespace {

const QString kConnection = QStringLiteral("frostel-migrate");

int migrate(const archive::PgAddress& address, std::ostream& out, std::ostream& err) {
    QString error;
    QSqlDatabase db = archive::connect_pg(address, kConnection, error);
    if (!error.isEmpty()) {
        err << "frostel-cli: " << error.toStdString() << '\n';
        return kExitFailed;
    }
    const archive::PgMigration migration = archive::migrate_pg_schema(db);
    db.close();
    if (!migration.error.isEmpty()) {
        err << "frostel-cli: the shared archive " << address.shown
            << " was not migrated: " << migration.error.toStdString() << '\n';
        return kExitFailed;
    }
    if (migration.from == migration.to) {
        out << "UP TO DATE AT " << migration.to << '\n';
    } else {
        out << "MIGRATED FROM " << migration.from << " TO " << migration.to << '\n';
    }
    return kExitOk;
}

}  // namespace

int run_migrate(const std::string& address, std::ostream& out, std::ostream& err) {
    std::string why;
    const std::optional<archive::PgAddress> parsed = archive::parse_pg_uri(address, why);
    if (!parsed) {
        err << "frostel-cli: " << why << '\n';
        return kExitUsage;
    }
    const int exit_code = migrate(*parsed, out, err);
    QSqlDatabase::removeDatabase(kConnection);
    return exit_code;
}

}  // namespace frostel::cli
