// The archive on real SQLite files in a temporary folder, fed by real downloads of
// simulated missions.
#include "archive/mission_archive.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "archive/fingerprint.h"
#include "support/archive_rig.h"

namespace frostel::archive {
namespace {

using test::ArchiveRig;

const platform::LocalDateTime kStart{2026, 1, 15, 10, 30, 0};

std::vector<std::int64_t> ids(const std::vector<MissionRecord>& records) {
    std::vector<std::int64_t> result;
    for (const MissionRecord& record : records) {
        result.push_back(record.id);
    }
    return result;
}

// Changes the archive file as another program could, behind the archive's back.
void change_behind_its_back(const QString& path, const QString& sql) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "behind");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec(sql)) << sql.toStdString();
    }
    QSqlDatabase::removeDatabase("behind");
}

TEST(MissionArchive, KeepsEachDownloadOnceWithThePagesItIsShownAgainFrom) {
    ArchiveRig rig;
    MissionArchive archive(rig.path());
    ASSERT_TRUE(archive.is_open()) << archive.error().toStdString();
    const mission::DownloadedMission first =
        rig.download(ArchiveRig::mission("Cold room 4\r\nsecond line", kStart, 100));

    const auto added = archive.archive(first, rig.stamp);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->first, Archived::kNewRecord);
    const std::optional<StoredMission> stored = archive.load(added->second);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->pages, first.pages);
    const MissionRecord& record = stored->record;
    EXPECT_EQ(record.logger_id, "4100000ABCDEF1AA");
    EXPECT_EQ(record.start_time, "2026-01-15 10:30:00");
    EXPECT_EQ(std::tie(record.mission_sample_count, record.sample_count, record.interval_seconds),
              std::tuple(100, 100, 600));
    EXPECT_EQ(record.minimum, 4.0);
    EXPECT_EQ(record.maximum, 8.0);
    EXPECT_EQ(record.verdict, "NO LIMITS");  // none programmed
    EXPECT_EQ(record.first_line, "Cold room 4");
    EXPECT_EQ(record.downloaded_at, "2026-02-01 09:00:00");
    EXPECT_EQ(record.fingerprint, mission_fingerprint(first.pages));
    EXPECT_EQ(stored->time_zone, "Europe/Berlin");
    EXPECT_EQ(stored->utc_offset_seconds, 3600);
    EXPECT_EQ(stored->mission_text, first.header.mission_text);

    // The same mission downloaded again (the logger's clock ran on meanwhile): noted, no
    // second record.
    mission::DownloadedMission again = first;
    again.pages[15].bytes[0] ^= 0x11;
    rig.stamp.local_time.hour = 11;
    EXPECT_EQ(archive.archive(again, rig.stamp),
              std::pair(Archived::kDownloadedAgain, added->second));
    EXPECT_EQ(archive.load(added->second)->record.download_count, 2);
    EXPECT_EQ(archive.load(added->second)->last_downloaded_at, "2026-02-01 11:00:00");

    // The same mission with more samples: a record of its own, a later download of the first.
    const mission::DownloadedMission later =
        rig.download(ArchiveRig::mission("Cold room 4\r\nsecond line", kStart, 150));
    const auto second = archive.archive(later, rig.stamp);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->first, Archived::kLaterDownload);
    EXPECT_EQ(archive.load(second->second)->record.later_download_of, added->second);

    EXPECT_EQ(ids(archive.find({})), (std::vector<std::int64_t>{second->second, added->second}));
    EXPECT_TRUE(archive.holds(record.logger_id, "2026-01-15 10:30:00", 150));
    EXPECT_FALSE(archive.holds(record.logger_id, "2026-01-15 10:30:00", 120));
    EXPECT_FALSE(archive.holds("4100000000000001", "2026-01-15 10:30:00", 100));

    // A second program opening the same file sees every record.
    MissionArchive other(rig.path());
    EXPECT_EQ(other.find({}).size(), 2u);
}

TEST(MissionArchive, FindsByTextLoggerAndStartDayNewestFirst) {
    ArchiveRig rig;
    MissionArchive archive(rig.path());
    const auto keep = [&](const std::string& text, platform::LocalDateTime start,
                          std::uint64_t serial) {
        return archive
            .archive(rig.download(ArchiveRig::mission(text, start, 20), serial), rig.stamp)
            ->second;
    };
    const std::int64_t a = keep("Vaccines 50%", {2026, 3, 1, 8, 0, 0}, 1);
    const std::int64_t b = keep("vaccines_b", {2026, 3, 2, 23, 0, 0}, 2);
    const std::int64_t c = keep("Milk", {2026, 3, 3, 0, 0, 0}, 1);

    const auto with_text = [](std::string text) {
        MissionFilter filter;
        filter.text = std::move(text);
        return filter;
    };
    const auto starting = [](QDate since, QDate until) {
        MissionFilter filter;
        filter.since = since;
        filter.until = until;
        return filter;
    };
    MissionFilter slice;
    slice.offset = 1;
    slice.limit = 1;
    MissionFilter vaccines_slice = with_text("vaccines");
    vaccines_slice.offset = 1;
    vaccines_slice.limit = 1;
    const struct {
        MissionFilter filter;
        std::vector<std::int64_t> expected;
    } cases[] = {
        {{}, {c, b, a}},
        {with_text("VACCINES"), {b, a}},
        {with_text("50%"), {a}},  // the user's % is a character, not a wildcard
        {with_text("s_b"), {b}},
        {with_text("000000000002"), {b}},  // part of a logger id
        {starting(QDate(2026, 3, 2), QDate()), {c, b}},
        {starting(QDate(), QDate(2026, 3, 2)), {b, a}},
        {starting(QDate(2026, 3, 2), QDate(2026, 3, 2)), {b}},
        {slice, {b}},
        {vaccines_slice, {a}},
    };
    for (const auto& [filter, expected] : cases) {
        EXPECT_EQ(ids(archive.find(filter)), expected) << filter.text;
    }
    const std::string first_logger = archive.load(a)->record.logger_id;
    MissionFilter by_logger;
    by_logger.logger_id = first_logger;
    EXPECT_EQ(ids(archive.find(by_logger)), (std::vector<std::int64_t>{c, a}));

    // A file of the first schema, without the filter's index and the audit trail, is brought
    // forward.
    change_behind_its_back(rig.path(), QStringLiteral("DROP INDEX missions_for_filter"));
    change_behind_its_back(rig.path(), QStringLiteral("DROP TABLE audit_events"));
    change_behind_its_back(rig.path(), QStringLiteral("PRAGMA user_version = 1"));
    MissionArchive reopened(rig.path());
    EXPECT_EQ(ids(reopened.find(with_text("VACCINES"))), (std::vector<std::int64_t>{b, a}));
    EXPECT_TRUE(reopened.record_event(setting_changed("port", "1", "2")));
}

TEST(MissionArchive, VerifySeesAnyChangeToThePagesOrTheirListedCopies) {
    ArchiveRig rig;
    std::int64_t id = 0;
    {
        MissionArchive archive(rig.path());
        id = archive.archive(rig.download(ArchiveRig::mission("Route 9", kStart, 40)), rig.stamp)
                 ->second;
        EXPECT_EQ(archive.verify(id), Verification::kIntact);
        EXPECT_FALSE(archive.verify(id + 1));
    }
    const QString changes[] = {
        // One byte of a log page (the page record's 19th page starts at 18 x 34).
        QStringLiteral("UPDATE missions SET pages = substr(pages, 1, 620)"
                       " || x'EE' || substr(pages, 622)"),
        QStringLiteral("UPDATE missions SET mission_text = 'Route 8' || substr(mission_text, 8)"),
        QStringLiteral("UPDATE missions SET start_time = '2026-01-15 10:31:00'"),
        QStringLiteral("UPDATE missions SET pages = substr(pages, 1, 100)"),
    };
    for (const QString& change : changes) {
        change_behind_its_back(rig.path(), change);
        MissionArchive archive(rig.path());
        EXPECT_EQ(archive.verify(id), Verification::kAltered) << change.toStdString();
    }
}

TEST(MissionArchive, DamagedNewerOrUnwritableFilesCostNothing) {
    ArchiveRig rig;
    const mission::DownloadedMission download =
        rig.download(ArchiveRig::mission("Route 9", kStart, 10));

    // Not a database: set aside whole under a new name, a new archive started.
    const QByteArray garbage(5000, 'x');
    {
        QFile file(rig.path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    std::vector<std::string> events;
    {
        MissionArchive archive(rig.path());
        ASSERT_TRUE(archive.is_open()) << archive.error().toStdString();
        EXPECT_TRUE(archive.notice().contains(QStringLiteral("damaged")));
        EXPECT_TRUE(archive.archive(download, rig.stamp));
        EXPECT_TRUE(archive.for_each_event({}, [&](const AuditEntry& entry) {
            events.push_back(entry.chained.row.action + ' ' + entry.chained.row.object);
        }));
    }
    const QStringList kept =
        QDir(rig.folder.path()).entryList({QStringLiteral("*.damaged-*")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    // The new archive's trail begins with the setting aside.
    EXPECT_EQ(events, (std::vector<std::string>{"archive-set-aside file:" +
                                                    rig.folder.filePath(kept.front()).toStdString(),
                                                "download-archived record:1"}));
    QFile set_aside(rig.folder.filePath(kept.front()));
    ASSERT_TRUE(set_aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(set_aside.readAll(), garbage);

    // Written by a newer program: left alone, nothing written.
    change_behind_its_back(rig.path(), QStringLiteral("PRAGMA user_version = 99"));
    {
        MissionArchive archive(rig.path());
        EXPECT_FALSE(archive.is_open());
        EXPECT_TRUE(archive.error().contains(QStringLiteral("newer")));
        EXPECT_FALSE(archive.archive(download, rig.stamp));
    }

    // A folder that cannot be written: no archive, and it says why.
    const QString locked_folder = rig.folder.filePath(QStringLiteral("locked"));
    QDir().mkpath(locked_folder);
    QFile::setPermissions(locked_folder, QFile::ReadOwner | QFile::ExeOwner);
    MissionArchive archive(archive_path(locked_folder));
    if (::geteuid() != 0) {  // root writes anywhere
        EXPECT_FALSE(archive.is_open());
        EXPECT_FALSE(archive.error().isEmpty());
    }
    QFile::setPermissions(locked_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(MissionArchive, RecordsProgrammingRunsAsTheLoggersHistory) {
    ArchiveRig rig;
    MissionArchive archive(rig.path());
    ProgrammingRecord run{rig.stamp,
                          "4100000ABCDEF1AA",
                          "T",
                          {{"interval", "10"}, {"text", "Caf\xe9"}},
                          std::string(64, 'a'),
                          "PROGRAMMING OK"};
    ASSERT_TRUE(archive.record_programming(run));
    run.result = "PROGRAMMING ERROR !";
    ASSERT_TRUE(archive.record_programming(run));
    const std::vector<ProgrammingRecord> runs = archive.programming_runs("4100000ABCDEF1AA");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].settings, (std::vector<std::pair<std::string, std::string>>{
                                    {"interval", "10"}, {"text", "Caf\xe9"}}));
    EXPECT_EQ(
        std::tuple(runs[0].result, runs[1].result, runs[1].logger_type, runs[1].stamp.local_time),
        std::tuple("PROGRAMMING OK", "PROGRAMMING ERROR !", "T", rig.stamp.local_time));
    EXPECT_TRUE(archive.programming_runs("4100000000000001").empty());
}

}  // namespace
}  // namespace frostel::archive
