#include "cli/cli_migrate.h"

#include <QSqlDatabase>

#include "archive/mission_archive.h"
#include "archive/pg_connection.h"
#include "archive/pg_schema.h"
#include "cli/cli_commands.h"

namespace frostel::cli {

namespace {

const QString kConnection = QStringLiteral("frostel-migrate");

// Records kept by an earlier version get today's summaries, derived from their pages: on a
// server only its schema owner, who migrates, may store them. Opening the archive does it.
int derive_summaries(const std::string& location, const archive::PgAddress& address,
                     std::ostream& out, std::ostream& err) {
    const archive::MissionArchive archive(QString::fromStdString(location));
    if (!archive.is_open()) {
        err << "frostel-cli: the shared archive " << address.shown
            << " was migrated, but its summaries were not derived again: "
            << archive.error().toStdString() << '\n';
        return kExitFailed;
    }
    if (!archive.notice().isEmpty()) {
        out << archive.notice().toStdString() << '\n';
    }
    return kExitOk;
}

int migrate(const std::string& location, const archive::PgAddress& address, std::ostream& out,
            std::ostream& err) {
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
    return derive_summaries(location, address, out, err);
}

}  // namespace

int run_migrate(const std::string& address, std::ostream& out, std::ostream& err) {
    std::string why;
    const std::optional<archive::PgAddress> parsed = archive::parse_pg_uri(address, why);
    if (!parsed) {
        err << "frostel-cli: " << why << '\n';
        return kExitUsage;
    }
    const int exit_code = migrate(address, *parsed, out, err);
    QSqlDatabase::removeDatabase(kConnection);
    return exit_code;
}

}  // namespace frostel::cli
