#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/mission_archive.h"
#include "archive/pg_address.h"
#include "archive/pg_connection.h"
#include "archive/pg_schema.h"
#include "archive/sqlite_store.h"
#include "archive/sqlite_trail.h"
#include "mission/download.h"
#include "sim/mission/mission_loader.h"
#include "tests/support/sim_rig.h"

namespace frostel::test {

// Whether the archive's tests run on the test server (FROSTEL_TEST_STORE=postgresql, the
// server's superuser in FROSTEL_TEST_PG), each on a database of its own, rather than on
// SQLite files.
inline bool on_server() {
    return qgetenv("FROSTEL_TEST_STORE") == "postgresql";
}

// A connection of the test server's superuser to its `database`, open while it lives.
class ServerSession {
  public:
    explicit ServerSession(const std::string& database)
        : name_(QStringLiteral("superuser-%1").arg(++made_)) {
        std::string why;
        std::optional<archive::PgAddress> address =
            archive::parse_pg_uri(qgetenv("FROSTEL_TEST_PG").toStdString(), why);
        if (address) {
            address->database = database;
            QString error;
            db_ = archive::connect_pg(*address, name_, error);
            open_ = error.isEmpty();
        }
    }
    ~ServerSession() {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }
    ServerSession(const ServerSession&) = delete;
    ServerSession& operator=(const ServerSession&) = delete;

    // Runs `statement`; false when it fails.
    bool run(const QString& statement) {
        QSqlQuery query(db_);
        return open_ && query.exec(statement);
    }
    // The first column of the first row `statement` answers; null when it fails.
    QVariant value(const QString& statement) {
        QSqlQuery query(db_);
        return open_ && query.exec(statement) && query.next() ? query.value(0) : QVariant();
    }

  private:
    static inline int made_ = 0;
    QString name_;
    QSqlDatabase db_;
    bool open_ = false;
};

// Runs `statements` on the test server's `database` as its superuser; false when one fails.
inline bool run_on_server(const std::string& database, const QStringList& statements) {
    ServerSession session(database);
    bool done = true;
    for (const QString& statement : statements) {
        done = done && session.run(statement);
    }
    return done;
}

// Runs `sql` on the archive at `location` as another program could, behind the archive's
// back (on the server, as its superuser, a trigger named with its table as the server wants
// it); false when it does not open or the statement fails.
inline bool change_behind_its_back(const QString& location, const QString& sql) {
    std::string why;
    if (const auto address = archive::parse_pg_uri(location.toStdString(), why)) {
        static const QRegularExpression kDropTrigger(
            QStringLiteral("^DROP TRIGGER ((audit_events|people)_\\w+)$"));
        return run_on_server(
            address->database,
            {QString(sql).replace(kDropTrigger, QStringLiteral("DROP TRIGGER \\1 ON \\2"))});
    }
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "behind");
        db.setDatabaseName(location);
        done = db.open() && QSqlQuery(db).exec(sql);
    }
    QSqlDatabase::removeDatabase("behind");
    return done;
}

// A copy of the archive at `location` with `change` made behind its back (none when empty;
// statements apart by "; ", as the drivers run one at a time); on the server a database
// copied from the archive's, which nobody may be connected to, and SQLite's blob literal
// x'EE' and type BLOB written as the server's.
inline QString changed_copy(const QString& location, const char* change) {
    QString sql = QString::fromLatin1(change);
    QString copy = location + QStringLiteral(".changed");
    std::string why;
    if (const auto address = archive::parse_pg_uri(location.toStdString(), why)) {
        const QString database = QString::fromStdString(address->database);
        EXPECT_TRUE(run_on_server(
            "postgres",
            {QStringLiteral("DROP DATABASE IF EXISTS %1_changed WITH (FORCE)").arg(database),
             QStringLiteral("CREATE DATABASE %1_changed TEMPLATE %1").arg(database)}));
        copy = QString(location).replace(database + QLatin1Char('?'),
                                         database + QStringLiteral("_changed?"));
        sql.replace(QStringLiteral("x'EE'"), QStringLiteral("'\\xee'::bytea"))
            .replace(QStringLiteral(" AS BLOB)"), QStringLiteral(" AS bytea)"));
    } else {
        QFile::remove(copy);
        EXPECT_TRUE(QFile::copy(location, copy));
    }
    for (const QString& statement : sql.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        EXPECT_TRUE(change_behind_its_back(copy, statement)) << statement.toStdString();
    }
    return copy;
}

// A new database on the test server, brought to the current schema, reached by a client
// login; empty when it cannot be made.
inline QString new_server_archive() {
    static int made = 0;
    const QString database =
        QStringLiteral("archive_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    std::string why;
    std::optional<archive::PgAddress> server =
        archive::parse_pg_uri(qgetenv("FROSTEL_TEST_PG").toStdString(), why);
    if (!server ||
        !run_on_server(server->database, {QStringLiteral("CREATE DATABASE %1").arg(database)})) {
        return {};
    }
    server->database = database.toStdString();
    bool migrated = false;
    {
        QString error;
        QSqlDatabase db = archive::connect_pg(*server, QStringLiteral("migrator"), error);
        migrated = error.isEmpty() && archive::migrate_pg_schema(db).error.isEmpty() &&
                   QSqlQuery(db).exec(QStringLiteral(R"sql(DO $$ BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'archive_test_pc') THEN
    CREATE ROLE archive_test_pc LOGIN IN ROLE frostel_client;
  END IF;
END $$)sql"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("migrator"));
    if (!migrated) {
        return {};
    }
    return QStringLiteral("postgresql://archive_test_pc@/%1?host=%2")
        .arg(database, QString::fromStdString(server->host));
}

// An operating-system user as the archive enters them: on a server, as its client login
// claims them.
inline std::string as_entered(const std::string& os_user_id) {
    return on_server() ? os_user_id + " (claimed by archive_test_pc)" : os_user_id;
}

// The same database on the test server as its superuser, who owns the schema.
inline QString as_owner(const QString& location) {
    std::string why;
    const std::optional<archive::PgAddress> server =
        archive::parse_pg_uri(qgetenv("FROSTEL_TEST_PG").toStdString(), why);
    return QString(location).replace(QStringLiteral("archive_test_pc@"),
                                     QString::fromStdString(server->user) + QLatin1Char('@'));
}

// Who each item waiting in the archive file at `file` for the shared archive is: "user id,
// full name", as the upload hands them to the server.
inline std::vector<std::string> pending_people(const QString& file) {
    archive::MissionArchive local(file);
    archive::SqliteStore* outbox = archive::outbox_of(local.store());
    const auto items = outbox != nullptr ? outbox->pending_items() : std::nullopt;
    if (!items) {
        return {"<unread: " + local.error().toStdString() + ">"};
    }
    std::vector<std::string> people;
    for (const archive::PendingItem& item : *items) {
        people.push_back(item.event.chained.row.user_id + ", " + item.event.full_name);
    }
    return people;
}

// A new archive's location: a file in `folder`, or a database on the test server.
inline QString new_archive_location(const QTemporaryDir& folder) {
    return on_server() ? new_server_archive() : folder.filePath(archive::kArchiveFileName);
}

// One byte of a log page in every record changed.
inline const QString kLogByteChanged = QStringLiteral(
    "UPDATE missions SET pages = CAST(substr(pages, 1, 700) || x'00' || substr(pages, 702) AS "
    "BLOB)");

// Real downloads of simulated missions, and a new archive: a file in a temporary folder, or
// a database on the test server.
struct ArchiveRig {
    QTemporaryDir folder;
    SimRig sim;
    archive::Stamp stamp{{2026, 2, 1, 9, 0, 0}, "Europe/Berlin", 3600, "test"};
    QString location = new_archive_location(folder);

    [[nodiscard]] QString path() const { return location; }

    // The mission loaded into the logger with serial `serial`, then downloaded.
    mission::DownloadedMission download(const sim::SimMission& mission,
                                        std::uint64_t serial = 0x0ABCDEF1) {
        sim.logger.set_serial(serial);
        sim::load_mission(sim.logger, mission);
        mission::HeadlessDownloadView view;
        return *mission::download_mission({sim.commands, sim.clock, 1, folder.path().toStdString()},
                                          view);
    }

    // `base` with the first four bytes of its mission text set to `n`: a mission of its own.
    static mission::DownloadedMission variant(mission::DownloadedMission base, std::uint32_t n) {
        for (int i = 0; i < 4; ++i) {
            base.pages.front().bytes[static_cast<std::size_t>(i)] =
                static_cast<link::Byte>(n >> (8 * i));
        }
        base.header = *mission::decode_recorded_header(base.header.logger_id, base.pages);
        return base;
    }

    // An archive at `path` of `records` missions, then damaged in the middle of the file, as
    // a failing disk would: the start of the file still reads as a database.
    void damaged_archive(const QString& path, std::uint32_t records) {
        {
            const mission::DownloadedMission base =
                download(mission("Damaged", {2026, 4, 1, 6, 0, 0}, 500));
            archive::MissionArchive archive(path);
            for (std::uint32_t n = 0; n < records; ++n) {
                (void)archive.archive(variant(base, n), stamp);
            }
        }
        QFile file(path);
        if (file.open(QIODevice::ReadWrite) && file.seek(file.size() / 2 / 4096 * 4096)) {
            file.write(QByteArray(16 * 4096, '\x5a'));
        }
    }

    // A mission of `samples` 8-bit readings from `start`, its text `text`.
    static sim::SimMission mission(const std::string& text, platform::LocalDateTime start,
                                   int samples) {
        sim::SimMission m;
        m.mission_text = text;
        m.start = start;
        for (int i = 0; i < samples; ++i) {
            m.temperatures.push_back(4.0 + (i % 9) * 0.5);
        }
        return m;
    }
};

}  // namespace frostel::test
