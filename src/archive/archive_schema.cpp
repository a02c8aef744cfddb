#include "archive/archive_schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <array>

namespace frostel::archive {

namespace {

// Step n takes a file from version n to n + 1. Steps are only ever appended.
const std::array<QStringList, kSchemaVersion> kSteps = {
    QStringList{
        // `pages` holds the raw pages as the fingerprint reads them: per page its number
        // (two bytes, low first) and its 32 bytes. `content_key` is the same hash with the
        // logger's running clock blanked: two downloads of one stopped mission differ only
        // there. The other mission columns are decoded copies for listing and searching.
        QStringLiteral("CREATE TABLE missions ("
                       " id INTEGER PRIMARY KEY,"
                       " logger_id TEXT NOT NULL,"
                       " logger_type TEXT NOT NULL,"
                       " configuration INTEGER NOT NULL,"
                       " start_time TEXT NOT NULL,"
                       " mission_sample_count INTEGER NOT NULL,"
                       " device_sample_count INTEGER NOT NULL,"
                       " sample_count INTEGER NOT NULL,"
                       " interval_seconds INTEGER NOT NULL,"
                       " sixteen_bit INTEGER NOT NULL,"
                       " alarm_status INTEGER NOT NULL,"
                       " calibration_offset_tenths INTEGER NOT NULL,"
                       " mission_text TEXT NOT NULL,"
                       " first_line TEXT NOT NULL,"
                       " minimum REAL,"
                       " maximum REAL,"
                       " verdict TEXT,"
                       " downloaded_at TEXT NOT NULL,"
                       " time_zone TEXT NOT NULL,"
                       " utc_offset_seconds INTEGER NOT NULL,"
                       " program_version TEXT NOT NULL,"
                       " fingerprint TEXT NOT NULL,"
                       " content_key TEXT NOT NULL,"
                       " pages BLOB NOT NULL,"
                       " later_download_of INTEGER REFERENCES missions(id),"
                       " download_count INTEGER NOT NULL DEFAULT 1,"
                       " last_downloaded_at TEXT NOT NULL)"),
        QStringLiteral(
            "CREATE UNIQUE INDEX missions_by_content ON missions(logger_id, content_key)"),
        QStringLiteral("CREATE INDEX missions_by_start"
                       " ON missions(logger_id, start_time, mission_sample_count)"),
        QStringLiteral("CREATE TABLE programming_runs ("
                       " id INTEGER PRIMARY KEY,"
                       " programmed_at TEXT NOT NULL,"
                       " time_zone TEXT NOT NULL,"
                       " utc_offset_seconds INTEGER NOT NULL,"
                       " program_version TEXT NOT NULL,"
                       " logger_id TEXT NOT NULL,"
                       " logger_type TEXT NOT NULL,"
                       " settings TEXT NOT NULL,"
                       " image_fingerprint TEXT NOT NULL,"
                       " result TEXT NOT NULL)"),
    },
    QStringList{
        // What a filter looks at, apart from the rows: a row carries its pages, so scanning
        // the rows themselves reads the whole file.
        QStringLiteral("CREATE INDEX missions_for_filter"
                       " ON missions(start_time, logger_id, mission_text)"),
    },
    QStringList{
        // The record digest binds what the pages do not hold: the logger id and when and
        // where the download was made. Records kept before it get none, as a digest made
        // now would vouch for whatever the columns say today.
        QStringLiteral("ALTER TABLE missions ADD COLUMN downloaded_utc_ms INTEGER"),
        QStringLiteral("ALTER TABLE missions ADD COLUMN record_digest TEXT"),
        // An altered record must never keep the same mission's real download out.
        QStringLiteral("DROP INDEX missions_by_content"),
        QStringLiteral("CREATE INDEX missions_by_content ON missions(logger_id, content_key)"),
    },
    QStringList{
        // The audit trail: each row chained to the one before by its hash, so an edit, a
        // gap or a move shows; the database itself refuses to change or remove a row.
        // AUTOINCREMENT keeps the highest number given out, so a row removed from the end
        // leaves a gap too.
        QStringLiteral("CREATE TABLE audit_events ("
                       " sequence INTEGER PRIMARY KEY AUTOINCREMENT,"
                       " utc_ms INTEGER NOT NULL,"
                       " local_time TEXT NOT NULL,"
                       " user_id TEXT NOT NULL,"
                       " full_name TEXT NOT NULL,"
                       " workstation TEXT NOT NULL,"
                       " action TEXT NOT NULL,"
                       " object TEXT NOT NULL,"
                       " old_value TEXT NOT NULL,"
                       " new_value TEXT NOT NULL,"
                       " reason TEXT NOT NULL,"
                       " previous_hash TEXT NOT NULL,"
                       " hash TEXT NOT NULL)"),
        QStringLiteral("CREATE TRIGGER audit_events_kept BEFORE UPDATE ON audit_events"
                       " BEGIN SELECT RAISE(ABORT, 'audit events cannot be changed'); END"),
        QStringLiteral("CREATE TRIGGER audit_events_not_removed BEFORE DELETE ON audit_events"
                       " BEGIN SELECT RAISE(ABORT, 'audit events cannot be removed'); END"),
        QStringLiteral("CREATE INDEX audit_events_by_time ON audit_events(utc_ms)"),
        QStringLiteral("CREATE INDEX audit_events_by_user ON audit_events(user_id)"),
        QStringLiteral("CREATE INDEX audit_events_by_object ON audit_events(object)"),
    },
    QStringList{
        // The version of the rules that derived a record's summary columns from its pages;
        // records kept before were derived by the first. Indexed, as the column lies behind
        // the pages and reading it from every row would read the whole file.
        QStringLiteral("ALTER TABLE missions ADD COLUMN derived_by INTEGER NOT NULL DEFAULT 1"),
        QStringLiteral("CREATE INDEX missions_by_rules ON missions(derived_by)"),
    },
    QStringList{
        // The logger's clock as the download found it: the offset from UTC it keeps, where
        // that came from, and its drift. Records kept before have none: their instants are
        // unknown.
        QStringLiteral("ALTER TABLE missions ADD COLUMN clock_offset_s INTEGER"),
        QStringLiteral("ALTER TABLE missions ADD COLUMN clock_source TEXT"),
        QStringLiteral("ALTER TABLE missions ADD COLUMN clock_drift_s INTEGER"),
        QStringLiteral("ALTER TABLE missions ADD COLUMN clock_measured_offset_s INTEGER"),
        QStringLiteral("ALTER TABLE missions ADD COLUMN clock_zone TEXT"),
    },
    QStringList{
        // Accounts: a person is deactivated, never removed, so every event and signature
        // keeps naming someone who exists. No person: accounts are off.
        QStringLiteral("CREATE TABLE people ("
                       " id TEXT PRIMARY KEY,"
                       " full_name TEXT NOT NULL,"
                       " role TEXT NOT NULL,"
                       " password_hash TEXT NOT NULL,"
                       " failures INTEGER NOT NULL DEFAULT 0,"
                       " locked INTEGER NOT NULL DEFAULT 0,"
                       " must_change INTEGER NOT NULL DEFAULT 0,"
                       " deactivated INTEGER NOT NULL DEFAULT 0,"
                       " created_utc_ms INTEGER NOT NULL)"),
        QStringLiteral("CREATE TRIGGER people_kept BEFORE DELETE ON people"
                       " BEGIN SELECT RAISE(ABORT, 'people are deactivated, not removed'); END"),
        // The passwords each person chose, so that an old one is not taken again; one-time
        // passwords are not among them.
        QStringLiteral("CREATE TABLE password_history ("
                       " id INTEGER PRIMARY KEY,"
                       " person TEXT NOT NULL REFERENCES people(id),"
                       " password_hash TEXT NOT NULL,"
                       " set_utc_ms INTEGER NOT NULL)"),
        QStringLiteral("CREATE INDEX password_history_by_person ON password_history(person, id)"),
        QStringLiteral(
            "CREATE TABLE site_settings (name TEXT PRIMARY KEY, value INTEGER NOT NULL)"),
    },
    QStringList{
        // The trail newest first by one person or about one record, within dates: each a
        // walk along one index, however long the trail.
        QStringLiteral("CREATE INDEX audit_events_by_user_time ON audit_events(user_id, utc_ms)"),
        QStringLiteral("CREATE INDEX audit_events_by_object_time ON audit_events(object, utc_ms)"),
    },
    QStringList{
        // The outbox for a shared archive: what was entered while it could not be reached,
        // each item by its event in the trail, whose sequence orders the uploads and, with
        // the archive's identity, keys them. A download names its record and when it was
        // made (a download noted on a record leaves no time of its own); a run names its run.
        QStringLiteral("CREATE TABLE outbox ("
                       " event INTEGER PRIMARY KEY REFERENCES audit_events(sequence),"
                       " record INTEGER REFERENCES missions(id),"
                       " downloaded_at TEXT,"
                       " run INTEGER REFERENCES programming_runs(id),"
                       " uploaded INTEGER NOT NULL DEFAULT 0)"),
        QStringLiteral("CREATE INDEX outbox_pending ON outbox(uploaded, event)"),
        QStringLiteral("CREATE INDEX outbox_by_record ON outbox(record)"),
        // Tells this archive's uploads from another's; a file started anew gets its own.
        QStringLiteral("CREATE TABLE archive_identity (id TEXT NOT NULL)"),
        QStringLiteral("INSERT INTO archive_identity VALUES (lower(hex(randomblob(16))))"),
    },
};

int file_version(QSqlDatabase& db, QString& error) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        error = query.lastError().text();
        return -1;
    }
    return query.value(0).toInt();
}

QString run_step(QSqlDatabase& db, int from) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        return query.lastError().text();
    }
    // Another program may have migrated while this one waited for the lock.
    QString error;
    const int version = file_version(db, error);
    QStringList statements;
    if (version == from) {
        statements = kSteps[static_cast<std::size_t>(from)];
        statements << QStringLiteral("PRAGMA user_version = %1").arg(from + 1);
    }
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            error = query.lastError().text();
            break;
        }
    }
    if (!error.isEmpty() || version < 0) {
        query.exec(QStringLiteral("ROLLBACK"));
        return error;
    }
    return query.exec(QStringLiteral("COMMIT")) ? QString() : query.lastError().text();
}

}  // namespace

QString migrate_forward(QSqlDatabase& db) {
    for (;;) {
        QString error;
        const int version = file_version(db, error);
        if (version < 0) {
            return error;
        }
        if (version > kSchemaVersion) {
            return QStringLiteral("it was written by a newer version of this program");
        }
        if (version == kSchemaVersion) {
            return {};
        }
        error = run_step(db, version);
        if (!error.isEmpty()) {
            return error;
        }
    }
}

}  // namespace frostel::archive
