#include "archive/pg_schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <optional>

#include "archive/pg_schema_steps.h"

namespace frostel::archive {

namespace {

// Migrators wait for one another, so a step never runs twice.
constexpr const char* kMigrationLock = "SELECT pg_advisory_xact_lock(7305808269117925461)";

// After every step: clients may read the tables, except the password hashes, and call the
// functions that run as the owner; nothing else.
const QStringList kGrants = {
    QStringLiteral(R"sql(DO $$ BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'frostel_client') THEN
    CREATE ROLE frostel_client NOLOGIN;
  END IF;
END $$)sql"),
    // A client that may create functions in the functions' own schema could slip one in
    // that they would call in place of the one meant.
    QStringLiteral(R"sql(DO $$ BEGIN
  IF has_schema_privilege('frostel_client', 'public', 'CREATE') THEN
    RAISE EXCEPTION 'clients may create objects in the schema public'
      USING HINT = 'REVOKE CREATE ON SCHEMA public FROM PUBLIC';
  END IF;
END $$)sql"),
    QStringLiteral("GRANT USAGE ON SCHEMA public TO frostel_client"),
    QStringLiteral("REVOKE ALL ON ALL TABLES IN SCHEMA public FROM PUBLIC, frostel_client"),
    QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO frostel_client"),
    QStringLiteral("REVOKE SELECT ON people, password_history FROM frostel_client"),
    QStringLiteral("GRANT SELECT (id, full_name, role, failures, locked, must_change,"
                   " deactivated, created_utc_ms) ON people TO frostel_client"),
    QStringLiteral(R"sql(DO $$ DECLARE f record; BEGIN
  FOR f IN SELECT p.oid::regprocedure AS signature, p.prosecdef AS for_clients
           FROM pg_proc p
           WHERE p.pronamespace = 'public'::regnamespace
             AND NOT EXISTS (SELECT 1 FROM pg_depend d
                             WHERE d.classid = 'pg_proc'::regclass AND d.objid = p.oid
                               AND d.deptype = 'e') LOOP
    EXECUTE format('REVOKE EXECUTE ON FUNCTION %s FROM PUBLIC', f.signature);
    IF f.for_clients THEN
      EXECUTE format('GRANT EXECUTE ON FUNCTION %s TO frostel_client', f.signature);
    ELSE
      EXECUTE format('REVOKE EXECUTE ON FUNCTION %s FROM frostel_client', f.signature);
    END IF;
  END LOOP;
END $$)sql"),
};

QString newer_schema(int version) {
    return QStringLiteral("the shared archive's schema is version %1; this program knows up to %2")
        .arg(version)
        .arg(pg_schema_version());
}

std::optional<int> server_version(QSqlQuery& query) {
    if (!query.exec(QStringLiteral("SELECT coalesce(max(version), 0) FROM schema_version")) ||
        !query.next()) {
        return std::nullopt;
    }
    return query.value(0).toInt();
}

// One step, or none when the server is at `pg_schema_version()` already (or beyond); the
// version read under the lock, as another migrator may have gone first.
// Runs `statements` in order; empty on success, else the first error.
QString run_all(QSqlQuery& query, const QStringList& statements) {
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            return query.lastError().text();
        }
    }
    return {};
}

// The statements that take the server from `version` on; none at `target`.
QString step_from(QSqlQuery& query, int version, int target) {
    if (version > pg_schema_version()) {
        return newer_schema(version);
    }
    if (version >= target) {
        return {};
    }
    return run_all(
        query,
        pg_schema_steps()[static_cast<std::size_t>(version)] + kGrants +
            QStringList{QStringLiteral("DELETE FROM schema_version"),
                        QStringLiteral("INSERT INTO schema_version VALUES (%1)").arg(version + 1)});
}

// One step, or none when the server is at `target`; the version read under the lock, as
// another migrator may have gone first. `found`: the version before.
QString run_step(QSqlDatabase& db, int target, int& found) {
    if (!db.transaction()) {
        return db.lastError().text();
    }
    QSqlQuery query(db);
    QString error = run_all(query, {QLatin1String(kMigrationLock),
                                    QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version"
                                                   " (version bigint NOT NULL)")});
    if (error.isEmpty()) {
        const std::optional<int> version = server_version(query);
        found = version.value_or(0);
        error = version ? step_from(query, found, target) : query.lastError().text();
    }
    if (!error.isEmpty()) {
        db.rollback();
        return error;
    }
    return db.commit() ? QString() : db.lastError().text();
}

}  // namespace

int pg_schema_version() {
    return static_cast<int>(pg_schema_steps().size());
}

PgMigration migrate_pg_schema(QSqlDatabase& db, int target) {
    target = std::min(target, pg_schema_version());
    PgMigration migration;
    QSqlQuery query(db);
    // The functions read when a client's connection started, which Postgres shows the owner
    // of the functions only with this role (a superuser has it anyway).
    if (!query.exec(
            QStringLiteral("SELECT pg_has_role(current_user, 'pg_read_all_stats', 'USAGE')")) ||
        !query.next()) {
        migration.error = query.lastError().text();
        return migration;
    }
    if (!query.value(0).toBool()) {
        migration.error = QStringLiteral(
            "the schema owner needs the role pg_read_all_stats"
            " (a superuser gives it: GRANT pg_read_all_stats TO owner)");
        return migration;
    }
    for (bool first = true;; first = false) {
        int found = 0;
        migration.error = run_step(db, target, found);
        if (first) {
            migration.from = found;
        }
        if (!migration.error.isEmpty() || found >= target) {
            migration.to = found;
            return migration;
        }
    }
}

QString check_pg_schema(QSqlDatabase& db) {
    QSqlQuery query(db);
    const std::optional<int> version = server_version(query);
    if (!version) {
        return QStringLiteral(
                   "the shared archive has no schema yet (frostel-cli archive migrate"
                   " makes it): %1")
            .arg(query.lastError().text());
    }
    if (*version > pg_schema_version()) {
        return newer_schema(*version);
    }
    if (*version < pg_schema_version()) {
        return QStringLiteral(
                   "the shared archive's schema is version %1; frostel-cli archive"
                   " migrate brings it to %2")
            .arg(*version)
            .arg(pg_schema_version());
    }
    return {};
}

}  // namespace frostel::archive
