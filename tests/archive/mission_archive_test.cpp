// The archive on real SQLite files in a temporary folder, fed by real downloads of
// simulated missions.
#include "archive/mission_archive.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QTimeZone>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "archive/account_book.h"
#include "archive/archive_files.h"
#include "archive/fingerprint.h"
#include "archive/outbox.h"
#include "archive/record_digest.h"
#include "archive/signature_book.h"
#include "link/port_device.h"
#include "mission/register_map.h"
#include "platform/local_date_time.h"
#include "tests/support/archive_rig.h"
#include "tests/support/file_text.h"

namespace frostel::archive {
namespace {

using test::ArchiveRig;
using test::change_behind_its_back;
using test::changed_copy;

const platform::LocalDateTime kStart{2026, 1, 15, 10, 30, 0};

std::vector<std::int64_t> ids(const std::optional<std::vector<ArchiveEntry>>& records) {
    std::vector<std::int64_t> result;
    for (const ArchiveEntry& record : records.value()) {
        result.push_back(record.id);
    }
    return result;
}

// Takes the archive at `path` back to an earlier schema, a statement at a time (apart by "; ").
void take_back(const QString& path, const char* steps) {
    for (const QString& step : QString::fromLatin1(steps).split(QStringLiteral("; "))) {
        EXPECT_TRUE(change_behind_its_back(path, step)) << step.toStdString();
    }
}

// A file taken back to the fourth schema: no accounts, outbox, rules a summary was derived by,
// clock or trail's indexes.
const char* const kBackToTheFourthSchema =
    "DROP TABLE outbox; DROP TABLE archive_identity; DROP TABLE password_history; "
    "DROP TABLE people; DROP TABLE site_settings; DROP INDEX missions_by_rules; "
    "ALTER TABLE missions DROP COLUMN derived_by; ALTER TABLE missions DROP COLUMN clock_offset_s; "
    "ALTER TABLE missions DROP COLUMN clock_source; ALTER TABLE missions DROP COLUMN clock_zone; "
    "ALTER TABLE missions DROP COLUMN clock_drift_s; "
    "ALTER TABLE missions DROP COLUMN clock_measured_offset_s; "
    "DROP INDEX audit_events_by_user_time; DROP INDEX audit_events_by_object_time; "
    "PRAGMA user_version = 4";

TEST(MissionArchive, KeepsEachDownloadOnceWithThePagesItIsShownAgainFrom) {
    ArchiveRig rig;
    MissionArchive archive(rig.path());
    ASSERT_TRUE(archive.is_open()) << archive.error().toStdString();
    // A NUL byte, which no server's text column holds, comes back and verifies as it was.
    const std::string text("Cold room 4\r\nsecond\0line", 24);
    const mission::DownloadedMission first = rig.download(ArchiveRig::mission(text, kStart, 100));
    ASSERT_NE(first.header.mission_text.find('\0'), std::string::npos);

    const auto added = archive.archive(first, rig.stamp);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->first, Archived::kNewRecord);
    const std::optional<StoredMission> stored = archive.load(added->second);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->pages, first.pages);
    const ArchiveEntry& record = stored->record;
    EXPECT_EQ(record.logger_id, "4100000ABCDEF1AA");
    EXPECT_EQ(record.start_time, "2026-01-15 10:30:00");
    EXPECT_EQ(std::tie(record.mission_sample_count, record.sample_count, record.interval_seconds),
              std::tuple(100, 100, 600));
    EXPECT_EQ(std::tie(record.minimum, record.maximum), std::tuple(4.0, 8.0));
    EXPECT_EQ(record.verdict, "NO LIMITS");  // none programmed
    EXPECT_EQ(record.first_line, "Cold room 4");
    EXPECT_EQ(record.downloaded_at, "2026-02-01 09:00:00");
    EXPECT_EQ(record.fingerprint, mission_fingerprint(first.pages));
    EXPECT_EQ(std::tie(stored->time_zone, stored->utc_offset_seconds),
              std::tuple("Europe/Berlin", 3600));
    EXPECT_EQ(stored->mission_text, first.header.mission_text);
    EXPECT_EQ(stored->reader_device, "simulated reader in this program (port 1)");

    // The same mission downloaded again (the logger's clock ran on meanwhile): noted, no
    // second record.
    mission::DownloadedMission again = first;
    again.pages[15].bytes[0] ^= 0x11;
    rig.stamp.local_time.hour = 11;
    EXPECT_EQ(archive.archive(again, rig.stamp),
              std::pair(Archived::kDownloadedAgain, added->second));
    EXPECT_EQ(archive.load(added->second)->record.download_count, 2);
    // Last downloaded when the trail noted it, in the record's zone.
    std::int64_t noted_at = 0;
    AuditFilter about;
    about.object = record_object(added->second);
    ASSERT_TRUE(archive.for_each_event(
        about, [&](const AuditEntry& event) { noted_at = event.chained.row.utc_ms; }));
    EXPECT_EQ(archive.load(added->second)->last_downloaded_at,
              QDateTime::fromMSecsSinceEpoch(noted_at, QTimeZone("Europe/Berlin"))
                  .toString("yyyy-MM-dd HH:mm:ss")
                  .toStdString());

    // The same mission with more samples: a record of its own, a later download of the first.
    const mission::DownloadedMission later = rig.download(ArchiveRig::mission(text, kStart, 150));
    const auto second = archive.archive(later, rig.stamp);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->first, Archived::kLaterDownload);
    EXPECT_EQ(archive.load(second->second)->record.later_download_of, added->second);
    EXPECT_EQ(archive.verify(second->second), Verification::kIntact);
    // The same logger and start with more samples but other settings: another mission.
    const auto unrelated =
        archive.archive(rig.download(ArchiveRig::mission("Cold room 5", kStart, 200)), rig.stamp);
    EXPECT_EQ(unrelated->first, Archived::kNewRecord);

    EXPECT_EQ(ids(archive.find({})),
              (std::vector<std::int64_t>{unrelated->second, second->second, added->second}));
    EXPECT_EQ(archive.holds(record.logger_id, "2026-01-15 10:30:00", 150), true);
    EXPECT_EQ(archive.holds(record.logger_id, "2026-01-15 10:30:00", 120), false);
    EXPECT_EQ(archive.holds("4100000000000001", "2026-01-15 10:30:00", 100), false);

    ASSERT_TRUE(stored->clock);
    EXPECT_EQ(archive.verify(added->second), Verification::kIntact);

    // A second program opening the same archive sees every record.
    MissionArchive other(rig.path());
    EXPECT_EQ(other.find({})->size(), 3u);
}

// The device a download names is entered with it as one printable line, whatever the port
// said; a download that named none (kept before devices were) says so and verifies as ever.
TEST(MissionArchive, KeepsTheReaderDeviceOfEachDownloadAsOnePlainLine) {
    ArchiveRig rig;
    MissionArchive archive(rig.path());
    ASSERT_TRUE(archive.is_open()) << archive.error().toStdString();
    const struct {
        const char* name;
        std::string device;
        std::string kept;
    } cases[] = {
        {"none", "", ""},
        {"a line break and a tab", "USB 0403:6001 serial A\nB\t(/dev/ttyUSB0)",
         "USB 0403:6001 serial A?B?(/dev/ttyUSB0)"},
        {"endless", std::string(10000, 'd'), std::string(link::kDeviceTextLongest, 'd')},
    };
    std::uint32_t variant = 0;
    for (const auto& c : cases) {
        mission::DownloadedMission download =
            ArchiveRig::variant(rig.download(ArchiveRig::mission("Ward", kStart, 20)), ++variant);
        download.reader_device = c.device;
        const auto kept = archive.archive(download, rig.stamp);
        ASSERT_TRUE(kept) << c.name << ": " << archive.error().toStdString();
        const std::optional<StoredMission> stored = archive.load(kept->second);
        ASSERT_TRUE(stored) << c.name;
        EXPECT_EQ(stored->reader_device, c.kept) << c.name;
        EXPECT_EQ(archive.verify(kept->second), Verification::kIntact) << c.name;
    }
    const std::optional<TrailCheck> trail = archive.check_audit_trail();
    ASSERT_TRUE(trail);
    EXPECT_FALSE(trail->broken);
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

    // A filter's fields, each with its default, so that a case names only those it sets.
    struct Filter {
        std::string text{};
        std::string logger_id{};
        QDate since{}, until{};
        int offset = 0, limit = -1;
    };
    const struct {
        Filter filter;
        std::vector<std::int64_t> expected;
    } cases[] = {
        {{}, {c, b, a}},
        {{.text = "VACCINES"}, {b, a}},
        {{.text = "50%"}, {a}},  // the user's % is a character, not a wildcard
        {{.text = "s_b"}, {b}},
        {{.text = "000000000002"}, {b}},  // part of a logger id
        {{.logger_id = archive.load(a)->record.logger_id}, {c, a}},
        {{.since = QDate(2026, 3, 2)}, {c, b}},
        {{.until = QDate(2026, 3, 2)}, {b, a}},
        {{.since = QDate(2026, 3, 2), .until = QDate(2026, 3, 2)}, {b}},
        {{.offset = 1, .limit = 1}, {b}},
        {{.text = "vaccines", .offset = 1, .limit = 1}, {a}},
    };
    for (const auto& [f, expected] : cases) {
        EXPECT_EQ(ids(archive.find({f.text, f.logger_id, f.since, f.until, f.offset, f.limit})),
                  expected)
            << f.text << f.logger_id;
    }
    if (test::on_server()) {
        return;  // the server's schema has no earlier versions
    }

    // A file of the first schema (no filter index, no record digests, no audit trail, no
    // clocks) is brought forward; its records verify by their pages alone and say their digest
    // is missing, and their clock's offset is unknown.
    take_back(rig.path(), kBackToTheFourthSchema);
    take_back(rig.path(),
              "DROP INDEX missions_for_filter; DROP TABLE audit_events; "
              "DROP INDEX missions_by_content; "
              "CREATE UNIQUE INDEX missions_by_content ON missions(logger_id, content_key); "
              "ALTER TABLE missions DROP COLUMN record_digest; "
              "ALTER TABLE missions DROP COLUMN downloaded_utc_ms; PRAGMA user_version = 1");
    {
        // Where it may not be written, it is read as it is, and nothing is entered in it.
        MissionArchive reader(rig.path(), MissionArchive::Access::kReadOnly);
        EXPECT_TRUE(reader.read_as_it_is());
        EXPECT_EQ(ids(reader.find({"VACCINES", {}, {}, {}})), (std::vector<std::int64_t>{b, a}));
        EXPECT_EQ(reader.verify(a), Verification::kIntactWithoutDigest);
        EXPECT_FALSE(reader.record_event(setting_changed("port", "1", "2")));
    }
    MissionArchive reopened(rig.path());
    EXPECT_FALSE(reopened.read_as_it_is());
    EXPECT_EQ(ids(reopened.find({"VACCINES", {}, {}, {}})), (std::vector<std::int64_t>{b, a}));
    EXPECT_EQ(reopened.verify(a), Verification::kIntactWithoutDigest);
    EXPECT_FALSE(reopened.load(a)->clock);
    EXPECT_TRUE(reopened.record_event(setting_changed("port", "1", "2")));
}

// Each change on a copy of one archive: verify sees it, the guard no longer counts the
// record, and the same mission downloaded again becomes a record of its own.
TEST(MissionArchive, VerifySeesAnyChangeToWhatARecordShowsAndTheAlteredRecordBlocksNothing) {
    ArchiveRig rig;
    const mission::DownloadedMission download =
        rig.download(ArchiveRig::mission("Route 9", kStart, 40));
    std::int64_t id = 0;
    {
        MissionArchive archive(rig.path());
        // An older record of another mission, which a later download may not claim.
        ASSERT_TRUE(archive.archive(rig.download(ArchiveRig::mission("Route 9", kStart, 10), 2),
                                    rig.stamp));
        id = archive.archive(download, rig.stamp)->second;
        EXPECT_EQ(archive.verify(id), Verification::kIntact);
        EXPECT_FALSE(archive.verify(id + 1));
    }
    // The logger id changed and the digest computed again to suit: the trail's entry differs.
    const std::string other_logger = "4100000ABCDEF1AB";
    const std::string digest_to_suit = record_digest(
        {mission_fingerprint(download.pages), other_logger, 1769932800000, "Europe/Berlin", 3600});
    const std::string suited = "UPDATE missions SET logger_id = '" + other_logger +
                               "', record_digest = '" + digest_to_suit + "'";
    const std::vector<std::string> changes{
        // One byte of a log page (the page record's 19th page starts at 18 x 34).
        "UPDATE missions SET pages = substr(pages, 1, 620) || x'EE' || substr(pages, 622)",
        "UPDATE missions SET pages = substr(pages, 1, 100)",
        "UPDATE missions SET mission_text = 'Route 8' || substr(mission_text, 8)",
        "UPDATE missions SET start_time = '2026-01-15 10:31:00'",
        "UPDATE missions SET verdict = 'WITHIN LIMITS'",
        "UPDATE missions SET maximum = 7.5",
        "UPDATE missions SET first_line = 'Route 8'",
        "UPDATE missions SET sample_count = 39",
        "UPDATE missions SET downloaded_at = '2026-02-01 08:00:00'",
        "UPDATE missions SET time_zone = 'Europe/London'",
        "UPDATE missions SET logger_id = '4100000ABCDEF1AB'",
        "UPDATE missions SET record_digest = NULL",
        "UPDATE missions SET record_digest = NULL, downloaded_utc_ms = NULL",
        "UPDATE missions SET clock_drift_s = clock_drift_s + 60",
        "UPDATE missions SET clock_source = 'programmed'",
        "UPDATE missions SET download_count = 2",
        // The key a second download of the same pages is found by.
        "UPDATE missions SET content_key = record_digest",
        "UPDATE missions SET later_download_of = (SELECT min(id) FROM missions)",
        "UPDATE missions SET later_download_of = id",
        suited,
        // The trail's entry taken from the record: it was kept after the trail began.
        "DROP TRIGGER audit_events_kept; UPDATE audit_events SET object = 'record:999' WHERE"
        " object = '" +
            record_object(id) + "'",
        // ... and the trail's entry edited to suit too.
        suited +
            "; DROP TRIGGER audit_events_kept; UPDATE audit_events SET new_value ="
            " substr(new_value, 1, 65) || '" +
            digest_to_suit + "'",
    };
    for (const std::string& change : changes) {
        MissionArchive archive(changed_copy(rig.path(), change.c_str()));
        EXPECT_EQ(archive.verify(id), Verification::kAltered) << change;
        const std::string start = "2026-01-15 10:30:00";
        EXPECT_EQ(archive.holds(download.header.logger_id, start, 40), false);
        const auto again = archive.archive(download, rig.stamp);
        ASSERT_TRUE(again) << archive.error().toStdString();
        EXPECT_NE(again->second, id);
        EXPECT_EQ(archive.holds(download.header.logger_id, start, 40), true);
    }
    // A record removed leaves the events that kept it, which name it.
    EXPECT_EQ(MissionArchive(rig.path()).missing_records(), std::vector<std::int64_t>{});
    const std::string removed = "DELETE FROM missions WHERE id = " + std::to_string(id);
    EXPECT_EQ(MissionArchive(changed_copy(rig.path(), removed.c_str())).missing_records(),
              std::vector<std::int64_t>{id});

    // Kept before the trail's entry bound the clock: the entry, the trail's last row, holds
    // the fingerprint and digest alone, and the record verifies with its clock unchecked.
    std::optional<ChainedRow> entry;
    AuditFilter filter;
    filter.object = record_object(id);
    ASSERT_TRUE(MissionArchive(rig.path()).for_each_event(filter, [&](const AuditEntry& event) {
        entry = event.chained;
    }));
    ASSERT_TRUE(entry);
    entry->row.new_value.resize(129);
    const std::string as_before =
        "DROP TRIGGER audit_events_kept; UPDATE audit_events SET new_value = substr(new_value, 1,"
        " 129), hash = '" +
        row_hash(entry->previous_hash, entry->row) +
        "' WHERE sequence = " + std::to_string(entry->row.sequence);
    MissionArchive before(changed_copy(rig.path(), as_before.c_str()));
    EXPECT_EQ(before.verify(id), Verification::kIntact);
    EXPECT_FALSE(before.check_audit_trail()->broken);
}

// Five programs keeping downloads at once, each a process of its own as on five PCs, two of
// them of the same mission: each mission is kept once, the second download noted on it, and
// the trail stays one unbroken chain. A child is this test run again with the archive and
// its logger's serial in its environment; it prints how its download was kept.
TEST(MissionArchive, WritersAtOnceKeepEachMissionOnceInOneChain) {
    const QByteArray child_serial = qgetenv("FROSTEL_WRITER_SERIAL");
    ArchiveRig rig;
    const mission::DownloadedMission download =
        rig.download(ArchiveRig::mission("Depot", kStart, 30),
                     child_serial.isEmpty() ? 1 : child_serial.toULongLong());
    if (!child_serial.isEmpty()) {
        MissionArchive archive(QString::fromUtf8(qgetenv("FROSTEL_WRITER_ARCHIVE")));
        const auto added = archive.archive(download, rig.stamp);
        std::printf("KEPT %d\n", added ? static_cast<int>(added->first) : -1);
        return;
    }
    ASSERT_TRUE(MissionArchive(rig.path()).is_open());
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const char* serial : {"1", "2", "3", "4", "4"}) {
        auto& writer = writers.emplace_back(std::make_unique<QProcess>());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("FROSTEL_WRITER_SERIAL", serial);
        environment.insert("FROSTEL_WRITER_ARCHIVE", rig.path());
        environment.insert("FROSTEL_TEST_STORE", "");  // the child's own rig on a file
        writer->setProcessEnvironment(environment);
        writer->start(QFile::decodeName(std::filesystem::read_symlink("/proc/self/exe").c_str()),
                      {"--gtest_filter=MissionArchive.WritersAtOnceKeepEachMissionOnceInOneChain"});
    }
    QStringList kept;
    for (auto& writer : writers) {
        ASSERT_TRUE(writer->waitForFinished(120000));
        kept << QRegularExpression("KEPT (-?\\d)")
                    .match(writer->readAllStandardOutput())
                    .captured(1);
    }
    const auto count = [&](Archived how) {
        return kept.count(QString::number(static_cast<int>(how)));
    };
    EXPECT_EQ(count(Archived::kNewRecord), 4);
    EXPECT_EQ(count(Archived::kDownloadedAgain), 1);
    MissionArchive archive(rig.path());
    EXPECT_EQ(archive.find({})->size(), 4u);
    const std::optional<TrailCheck> check = archive.check_audit_trail();
    ASSERT_TRUE(check);
    EXPECT_FALSE(check->broken);
    EXPECT_EQ(check->events, 5);
}

// An archive as the previous version left it: its summary columns derived by that version's
// rules (no verdict for a battery reset, the calibration offset misapplied). Opening it
// derives them again from the pages where the pages, digest and copied columns still agree;
// any other record keeps its columns and stays altered.
TEST(MissionArchive, RecordsOfThePreviousVersionVerifyWithTheSummaryTheirPagesGive) {
    ArchiveRig rig;
    sim::SimMission reset = ArchiveRig::mission("Route 9", kStart, 40);
    reset.alarm_status = mission::kBatteryResetBit;
    sim::SimMission calibrated = ArchiveRig::mission("Route 9", kStart, 40);
    calibrated.calibration_offset_tenths = 5;
    // That version read no clock.
    const auto without_clock = [](mission::DownloadedMission download) {
        download.record.clock.reset();
        return download;
    };
    std::int64_t reset_id = 0;
    std::int64_t calibrated_id = 0;
    {
        MissionArchive archive(rig.path());
        reset_id = archive.archive(without_clock(rig.download(reset)), rig.stamp)->second;
        calibrated_id =
            archive.archive(without_clock(rig.download(calibrated, 2)), rig.stamp)->second;
    }
    // A server's schema stays; its records say which rules derived them.
    take_back(rig.path(),
              test::on_server() ? "UPDATE missions SET derived_by = 1" : kBackToTheFourthSchema);
    take_back(rig.path(), "UPDATE missions SET verdict = 'WITHIN LIMITS', maximum = 8.05");
    // Untouched, the records are derived again and intact; after any change, altered.
    for (const char* change :
         {"", "UPDATE missions SET first_line = 'Route 8'",
          "UPDATE missions SET time_zone = 'Europe/London'",
          "UPDATE missions SET pages = CAST(substr(pages, 1, 620) || x'EE' || substr(pages, 622)"
          " AS BLOB)"}) {
        const QString copy = changed_copy(rig.path(), change);
        // On a server only its schema owner derives summaries again, as archive migrate does.
        const MissionArchive maintainer(test::on_server() ? test::as_owner(copy) : copy);
        MissionArchive archive(copy);
        ASSERT_TRUE(archive.is_open()) << archive.error().toStdString();
        const bool derived = *change == '\0';
        const Verification verdict = derived ? Verification::kIntact : Verification::kAltered;
        EXPECT_EQ(archive.verify(reset_id), verdict) << change;
        EXPECT_EQ(archive.verify(calibrated_id), verdict) << change;
        EXPECT_EQ(archive.load(reset_id)->record.verdict,
                  derived ? "NOT VALID: BATTERY RESET" : "WITHIN LIMITS")
            << change;
        EXPECT_EQ(archive.load(calibrated_id)->record.maximum, derived ? 8.5 : 8.05) << change;
        EXPECT_EQ(maintainer.notice().contains(QStringLiteral("derived again")), derived) << change;
        int derived_events = 0;
        EXPECT_TRUE(archive.for_each_event({}, [&](const AuditEntry& entry) {
            derived_events += entry.chained.row.action == "summaries-derived-again";
        }));
        EXPECT_EQ(derived_events, derived ? 1 : 0) << change;
        // Once derived, the columns are this version's: an edit is found as in any record,
        // even by a program that found the record intact before (a file's edit shows in it;
        // a server's clients cannot edit).
        EXPECT_TRUE(change_behind_its_back(
            copy, QStringLiteral("UPDATE missions SET verdict = 'WITHIN LIMITS'")));
        EXPECT_EQ(test::on_server() ? MissionArchive(copy).verify(calibrated_id)
                                    : archive.verify(calibrated_id),
                  Verification::kAltered)
            << change;
    }
}

TEST(MissionArchive, DamagedNewerOrUnwritableFilesCostNothing) {
    if (test::on_server()) {
        GTEST_SKIP() << "about SQLite files";
    }
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
    EXPECT_EQ(test::file_text(rig.folder.filePath(kept.front()).toStdString()),
              garbage.toStdString());

    // Damaged in the middle: read-only, said and left as it is; else set aside as well.
    const QString damaged = rig.folder.filePath(QStringLiteral("damaged.sqlite"));
    rig.damaged_archive(damaged, 60);
    {
        MissionArchive reader(damaged, MissionArchive::Access::kReadOnly);
        EXPECT_FALSE(reader.is_open());
        EXPECT_TRUE(reader.error().contains(QStringLiteral("damaged")));
        MissionArchive writer(damaged);
        ASSERT_TRUE(writer.is_open()) << writer.error().toStdString();
        EXPECT_TRUE(writer.notice().contains(QStringLiteral("damaged")));
        EXPECT_TRUE(writer.find({})->empty());
    }
    const QStringList set_aside_files =
        QDir(rig.folder.path()).entryList({QStringLiteral("damaged.sqlite.damaged-*")});
    EXPECT_EQ(set_aside_files.filter(QRegularExpression(QStringLiteral("\\d$"))).size(), 1);

    // A reader writes nothing.
    {
        MissionArchive reader(rig.path(), MissionArchive::Access::kReadOnly);
        ASSERT_TRUE(reader.is_open()) << reader.error().toStdString();
        EXPECT_FALSE(reader.archive(download, rig.stamp));
        EXPECT_EQ(reader.find({})->size(), 1u);
    }

    // Written by a newer program (in a journal mode of its own): left exactly as it is.
    const QString newer = rig.folder.filePath(QStringLiteral("newer.sqlite"));
    EXPECT_TRUE(change_behind_its_back(newer, QStringLiteral("PRAGMA user_version = 99")));
    const std::string newer_bytes = test::file_text(newer.toStdString());
    ASSERT_FALSE(newer_bytes.empty());
    {
        MissionArchive archive(newer);
        EXPECT_FALSE(archive.is_open());
        EXPECT_TRUE(archive.error().contains(QStringLiteral("newer")));
        EXPECT_FALSE(archive.archive(download, rig.stamp));
    }
    EXPECT_EQ(test::file_text(newer.toStdString()), newer_bytes);
    EXPECT_FALSE(QFile::exists(newer + "-wal"));

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

// An archive with accounts set aside as damaged leaves no archive without accounts in its
// place, where anyone could turn them on and be administrator, until someone moves the file
// set aside: read from that file where it can be, else from the mark kept beside the
// archive while it had accounts. An archive that never had accounts starts again as before.
TEST(MissionArchive, NoArchiveWithoutAccountsStandsInForOneSetAsideWithThem) {
    if (test::on_server()) {
        GTEST_SKIP() << "about SQLite files";
    }
    const auto with_accounts = [](const QString& path) {
        MissionArchive archive(path);
        ASSERT_TRUE(
            AccountBook(archive).turn_on("root", "Rita Root", "first-admin-password").done());
    };
    // As a report written over it would leave it.
    const auto overwritten = [](const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("%PDF-1.4\n").repeated(500));
    };
    const struct {
        const char* name;
        std::function<void(const QString& path)> arrange;
        bool refused;
    } cases[] = {
        {"accounts, overwritten",
         [&](const QString& path) {
             with_accounts(path);
             overwritten(path);
         },
         true},
        {"accounts, damaged where the records are",
         [&](const QString& path) {
             with_accounts(path);
             ArchiveRig().damaged_archive(path, 60);
         },
         true},
        // As an earlier version left it: a new archive without accounts beside the file.
        {"accounts, set aside before",
         [&](const QString& path) {
             with_accounts(path + ".old");
             ASSERT_TRUE(QFile::rename(path + ".old", path + ".damaged-20250101-120000"));
             ASSERT_TRUE(MissionArchive(path + ".new").is_open());
             ASSERT_TRUE(QFile::rename(path + ".new", path));
         },
         true},
        {"no accounts, overwritten",
         [&](const QString& path) {
             ASSERT_TRUE(MissionArchive(path).is_open());
             overwritten(path);
         },
         false},
        {"no accounts, damaged where the records are",
         [&](const QString& path) { ArchiveRig().damaged_archive(path, 60); }, false},
    };
    for (const auto& c : cases) {
        QTemporaryDir folder;
        const QString path = folder.filePath(kArchiveFileName);
        c.arrange(path);
        const auto set_aside = [&folder] {
            return QDir(folder.path())
                .entryList({kArchiveFileName + QStringLiteral(".damaged-*")}, QDir::Files);
        };
        for (const auto access :
             {MissionArchive::Access::kReadWrite, MissionArchive::Access::kReadOnly,
              MissionArchive::Access::kReadWrite}) {
            MissionArchive archive(path, access);
            if (!c.refused) {
                EXPECT_TRUE(archive.is_open()) << c.name << ": " << archive.error().toStdString();
                continue;
            }
            EXPECT_FALSE(archive.is_open()) << c.name;
            EXPECT_TRUE(archive.error().contains(folder.filePath(set_aside().value(0)) +
                                                 QStringLiteral(" was set aside as damaged and "
                                                                "had accounts")))
                << c.name << ": " << archive.error().toStdString();
            EXPECT_FALSE(AccountBook(archive).turn_on("eve", "Eve", "eves-own-password").done());
        }
        EXPECT_EQ(set_aside().filter(QRegularExpression(QStringLiteral("\\d$"))).size(), 1)
            << c.name;
        // Moved away by an administrator: a new archive starts, without accounts.
        for (const QString& name : set_aside()) {
            ASSERT_TRUE(QFile::rename(folder.filePath(name), folder.filePath("moved-" + name)));
        }
        MissionArchive archive(path);
        EXPECT_TRUE(archive.is_open()) << c.name << ": " << archive.error().toStdString();
        EXPECT_EQ(AccountBook(archive).accounts_on(), false) << c.name;
    }
}

// Whatever name an output goes by, it is known as the archive's when writing it would write
// one of the archive's files: through a link, a link to its folder, a hard link, or a journal
// file that is not there yet.
TEST(MissionArchive, AnOutputIsTheArchivesByTheFileItWrites) {
    QTemporaryDir folder;
    const QString archive = folder.filePath(kArchiveFileName);
    ASSERT_TRUE(MissionArchive(archive).is_open());
    const auto at = [&folder](const char* name) { return folder.filePath(QString(name)); };
    ASSERT_TRUE(QDir(folder.path()).mkdir("reports"));
    ASSERT_TRUE(QFile::link(archive, at("reports/report.pdf")));
    ASSERT_TRUE(QFile::link(archive + "-journal", at("reports/later.csv")));
    ASSERT_TRUE(QFile::link(folder.path(), at("reports/data")));
    std::filesystem::create_hard_link(archive.toStdString(), at("copy.pdf").toStdString());
    const struct {
        QString output;
        bool archives;
    } cases[] = {
        {archive, true},
        {archive + "-wal", true},
        {archive + "-shm", true},
        {archive + "-journal", true},
        {at("reports/../frostel-archive.sqlite"), true},
        {at("reports/report.pdf"), true},
        {at("reports/later.csv"), true},
        {at("reports/data/frostel-archive.sqlite-wal"), true},
        {at("copy.pdf"), true},
        {archive + ".frd", false},
        {archive + "-walk", false},
        {at("reports/frostel-archive.sqlite"), false},
        {at("reports/week.pdf"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(is_archive_file(c.output, archive), c.archives) << c.output.toStdString();
    }
    // Named through a link itself, the archive is still its file.
    EXPECT_TRUE(is_archive_file(archive, at("reports/report.pdf")));
    EXPECT_FALSE(is_archive_file(archive, "postgresql://pc@/archive?host=/tmp"));
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

// What the process has open of the archive at `path`: its connections and its files' descriptors.
std::vector<std::string> held_of(const QString& path) {
    std::vector<std::string> held;
    for (const QString& name : QSqlDatabase::connectionNames()) {
        if (name.startsWith(QStringLiteral("frostel-archive"))) {
            held.push_back("connection " + name.toStdString());
        }
    }
    const std::string file = std::filesystem::canonical(path.toStdString()).string();
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code gone;  // the listing's own descriptor is closed by now
        const std::string target = std::filesystem::read_symlink(fd.path(), gone).string();
        if (target.starts_with(file)) {
            held.push_back("descriptor of " + target);
        }
    }
    return held;
}

// Between any two calls the process holds no connection to the archive, and so no lock on its
// files that other code of the process opening and closing them could drop unseen; a hold
// keeps one connection for several calls until it ends.
TEST(MissionArchive, HoldsNoConnectionBetweenCalls) {
    if (test::on_server()) {
        GTEST_SKIP() << "about SQLite files";
    }
    ArchiveRig rig;
    const mission::DownloadedMission download =
        rig.download(ArchiveRig::mission("Between calls", kStart, 10));
    MissionArchive archive(rig.path());
    ASSERT_TRUE(archive.is_open()) << archive.error().toStdString();
    EXPECT_EQ(held_of(rig.path()), std::vector<std::string>{}) << "opened";
    AccountBook accounts(archive);
    SignatureBook signatures(archive);
    const ProgrammingRecord run{
        rig.stamp,       "4100000ABCDEF1AA", "T", {{"interval", "10"}}, std::string(64, 'a'),
        "PROGRAMMING OK"};
    const std::string start = platform::format_iso(download.header.start_time);
    const RecordLimits limits{{2.0, 8.0, insight::LimitSource::kUser}, 83.144};
    const std::string password = "first-admin-password";
    Person admin;
    const std::vector<std::pair<std::string, std::function<bool()>>> calls{
        {"archive", [&] { return archive.archive(download, rig.stamp).has_value(); }},
        {"find", [&] { return archive.find({}).has_value(); }},
        {"load", [&] { return archive.load(1).has_value(); }},
        {"verify", [&] { return archive.verify(1) == Verification::kIntact; }},
        {"missing records", [&] { return archive.missing_records().has_value(); }},
        {"holds",
         [&] {
             return archive.holds(download.header.logger_id, start,
                                  download.header.mission_sample_count) == true;
         }},
        {"record a run", [&] { return archive.record_programming(run); }},
        {"clock setting",
         [&] { return archive.clock_setting(run.logger_id, rig.stamp.local_time).has_value(); }},
        {"runs", [&] { return archive.programming_runs(run.logger_id).size() == 1; }},
        {"record an event", [&] { return archive.record_event(record_verified(1, "INTACT")); }},
        {"events", [&] { return archive.for_each_event({}, [](const AuditEntry&) {}); }},
        {"newest events",
         [&] { return archive.for_newest_events({}, 0, 5, [](const AuditEntry&) {}); }},
        {"check the trail", [&] { return archive.check_audit_trail().has_value(); }},
        {"trail head", [&] { return archive.audit_head().has_value(); }},
        {"limits", [&] { return archive.record_limits(1).has_value(); }},
        {"set limits",
         [&] {
             return archive.set_limits(1, limits, "", false) == MissionArchive::LimitsChange::kSet;
         }},
        {"pending", [&] { return pending_count(archive) == 0; }},
        {"accounts on", [&] { return accounts.accounts_on() == false; }},
        {"turn on",
         [&] {
             const AccountAnswer on = accounts.turn_on("root", "Rita Root", password);
             admin = on.person.value_or(admin);
             return on.done();
         }},
        {"sign in", [&] { return accounts.sign_in("root", password, "signed-in").done(); }},
        {"settings", [&] { return accounts.site_settings().failures_before_lock > 0; }},
        {"people",
         [&] {
             std::vector<Person> everyone;
             return accounts.people(admin, everyone).done() && everyone.size() == 1;
         }},
        {"add a person",
         [&] { return accounts.add(admin, "rolf", "Rolf Reviewer", Role::kReviewer).done(); }},
        {"signatures", [&] { return signatures.of_record(1).has_value(); }},
        {"sign",
         [&] {
             return signatures.sign(admin, 1, Meaning::kReviewed, "", password).kind !=
                    SigningAnswer::Kind::kFailed;
         }},
        {"a hold ended",
         [&] {
             const std::unique_ptr<StoreHold> held = archive.hold();
             return archive.find({}).has_value() && archive.verify(1).has_value() &&
                    !held_of(rig.path()).empty();
         }},
    };
    for (const auto& [name, call] : calls) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(call()) << archive.error().toStdString();
        EXPECT_EQ(held_of(rig.path()), std::vector<std::string>{});
    }
}

// Damage that a later call finds, with no connection kept since the file was checked on
// opening, still sets the file aside and starts a new archive, and leaves nothing open.
TEST(MissionArchive, DamageFoundByALaterCallSetsTheFileAside) {
    if (test::on_server()) {
        GTEST_SKIP() << "about SQLite files";
    }
    ArchiveRig rig;
    MissionArchive archive(rig.path());
    ASSERT_TRUE(archive.is_open()) << archive.error().toStdString();
    rig.damaged_archive(rig.path(), 60);
    for (std::int64_t id = 1; id <= 60 && archive.notice().isEmpty(); ++id) {
        (void)archive.verify(id);
    }
    EXPECT_TRUE(archive.notice().contains(QStringLiteral("damaged")))
        << archive.error().toStdString();
    EXPECT_EQ(archive.find({}).value_or(std::vector<ArchiveEntry>(1)).size(), 0u);
    // One file set aside, whatever journal files went with it.
    EXPECT_EQ(QDir(rig.folder.path())
                  .entryList({QStringLiteral("*.damaged-*")})
                  .filter(QRegularExpression(QStringLiteral("\\d$")))
                  .size(),
              1);
    EXPECT_EQ(held_of(rig.path()), std::vector<std::string>{});
}

// The store a location names, through the interface the archive is built on: a path is an
// SQLite file, made only by a store that may write it; an address is a server's.
TEST(ArchiveStore, ALocationOpensItsStoreAndAFileIsMadeOnlyByAWriter) {
    ArchiveRig rig;
    if (!test::on_server()) {
        EXPECT_FALSE(open_store(rig.path(), StoreAccess::kReadOnly, os_actor())->is_open());
        EXPECT_FALSE(QFile::exists(rig.path()));
    }

    const std::unique_ptr<ArchiveStore> store =
        open_store(rig.path(), StoreAccess::kReadWrite, {"os:tester", "Tess Tester", "bench-pc"});
    ASSERT_TRUE(store->is_open()) << store->error().toStdString();
    EXPECT_EQ(store->location(), rig.path());
    ASSERT_TRUE(store->append_event(setting_changed("port", "1", "2")));
    // A server's address opens the shared archive, or says within its 2 s why it cannot.
    const QString nowhere =
        QStringLiteral("postgresql://pc@/archive?host=%1").arg(rig.folder.path());
    const std::unique_ptr<ArchiveStore> unreachable =
        open_store(nowhere, StoreAccess::kReadWrite, os_actor());
    EXPECT_TRUE(accounts_are_on(nowhere)) << "its accounts are kept while it cannot be reached";
    EXPECT_FALSE(unreachable->is_open());
    EXPECT_TRUE(unreachable->error().startsWith(QStringLiteral("cannot reach the shared archive")))
        << unreachable->error().toStdString();
    std::vector<ChainedRow> rows;
    EXPECT_EQ(store->for_each_chained_row([&](const ChainedRow& row) { rows.push_back(row); }),
              std::optional<std::int64_t>(1));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::tuple(rows[0].row.user_id, rows[0].row.workstation, rows[0].row.action),
              std::tuple(test::as_entered("os:tester"), "bench-pc", "setting-changed"));
    EXPECT_EQ(store->chain_head(), (Anchor{1, rows[0].hash}));
}

// A nurse's PC whose own archive is the outbox of the test server's shared archive.
class Outbox : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::on_server()) {
            GTEST_SKIP() << "uploads go to the test server";
        }
    }

    ArchiveRig rig;
    const QString local_path = rig.folder.filePath(kArchiveFileName);
    MissionArchive local{
        local_path, MissionArchive::Access::kReadWrite, {"os:nurse", "Ward Nurse", "ward-pc"}};
};

// A PC that cannot reach the shared archive keeps its work as pending and uploads it once:
// the download joins the shared archive as any download does, and every event keeps the
// PC's time and person, marked as kept offline.
TEST_F(Outbox, WorkKeptOfflineIsUploadedOnceInOrder) {
    const auto keep = [&](const mission::DownloadedMission& download) {
        return local.archive(download, rig.stamp).value().second;
    };
    // Kept before going offline: the record and what is done to it stay on this PC.
    const std::int64_t earlier = keep(rig.download(ArchiveRig::mission("Ward 1", kStart, 20)));
    ASSERT_TRUE(local.set_offline(true));
    ASSERT_TRUE(local.record_event(record_verified(earlier, "INTACT")));
    EXPECT_EQ(pending_count(local), 0);

    const mission::DownloadedMission shared_mission =
        rig.download(ArchiveRig::mission("Ward 3", kStart, 30), 2);
    const std::int64_t offline = keep(shared_mission);
    ASSERT_TRUE(local.record_event(record_verified(offline, "INTACT")));
    ASSERT_TRUE(local.record_event(file_written("CSV", "/tmp/ward3.csv", std::string(64, 'b'))));
    ProgrammingRecord run{
        rig.stamp,       "4100000ABCDEF1AA", "T", {{"interval", "10"}}, std::string(64, 'a'),
        "PROGRAMMING OK"};
    ASSERT_TRUE(local.record_programming(run));
    // The same mission downloaded on another PC a minute later, while this one was offline.
    {
        MissionArchive other_pc(rig.path(), MissionArchive::Access::kReadWrite,
                                {"os:porter", "Porter", "depot-pc"});
        Stamp later = rig.stamp;
        ++later.local_time.minute;
        ASSERT_TRUE(other_pc.archive(shared_mission, later)) << other_pc.error().toStdString();
    }
    const mission::DownloadedMission only_here =
        rig.download(ArchiveRig::mission("Ward 4", kStart, 25), 3);
    keep(only_here);
    EXPECT_EQ(pending_count(local), 5);

    const QString nowhere =
        QStringLiteral("postgresql://pc@/archive?host=%1").arg(rig.folder.path());
    MissionArchive unreachable(nowhere);
    EXPECT_FALSE(upload_pending(local, unreachable));
    EXPECT_TRUE(unreachable.error().startsWith(QStringLiteral("cannot reach the shared archive")));

    MissionArchive shared(rig.path());
    const auto upload = [&] {
        const std::optional<SyncCount> count = upload_pending(local, shared);
        EXPECT_TRUE(count) << shared.error().toStdString();
        return count ? std::pair(count->uploaded, count->pending) : std::pair(-1, -1);
    };
    EXPECT_EQ(upload(), std::pair(5, 0));
    EXPECT_EQ(upload(), std::pair(0, 0));
    // A run killed after the server took everything and before the marks: nothing twice.
    ASSERT_TRUE(
        change_behind_its_back(local_path, QStringLiteral("UPDATE outbox SET uploaded = 0")));
    EXPECT_EQ(pending_count(local), 5);
    EXPECT_EQ(upload(), std::pair(0, 0));

    // One record of the mission both PCs downloaded, both downloads noted; one of its own.
    const std::vector<ArchiveEntry> records = shared.find({}).value();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].download_count, 2);
    EXPECT_EQ(records[0].first_line, "Ward 4");
    for (const ArchiveEntry& record : records) {
        EXPECT_EQ(shared.verify(record.id), Verification::kIntact);
    }
    // Uploaded with the device its event on this PC names.
    const std::optional<StoredMission> ward_4 = shared.load(records[0].id);
    ASSERT_TRUE(ward_4);
    EXPECT_EQ(ward_4->reader_device, only_here.reader_device);
    EXPECT_FALSE(only_here.reader_device.empty());
    EXPECT_EQ(shared.programming_runs(run.logger_id).size(), 1u);
    // The PC's times of the events after the two that stay on it; a download's is the time
    // its record digest binds.
    const std::int64_t downloaded_ms =
        QDateTime(
            QDate(rig.stamp.local_time.year, rig.stamp.local_time.month, rig.stamp.local_time.day),
            QTime(rig.stamp.local_time.hour, rig.stamp.local_time.minute,
                  rig.stamp.local_time.second),
            QTimeZone(rig.stamp.utc_offset_seconds))
            .toMSecsSinceEpoch();
    std::vector<std::int64_t> local_times;
    ASSERT_TRUE(local.for_each_event({}, [&](const AuditEntry& entry) {
        const AuditRow& row = entry.chained.row;
        if (row.sequence > 2) {
            local_times.push_back(row.action == kDownloadArchived ? downloaded_ms : row.utc_ms);
        }
    }));
    std::vector<std::string> uploaded;
    std::vector<std::int64_t> uploaded_times;
    ASSERT_TRUE(shared.for_each_event({}, [&](const AuditEntry& entry) {
        const AuditRow& row = entry.chained.row;
        if (!row.user_id.starts_with("os:porter")) {
            // Who did it offline, where and when, then when the server received it.
            uploaded.push_back(row.action + ' ' + row.object + ' ' + row.user_id + ' ' +
                               row.workstation + ' ' +
                               row.reason.substr(0, row.reason.find(" at ")));
            uploaded_times.push_back(row.utc_ms);
        }
    }));
    EXPECT_EQ(uploaded_times, local_times);
    // The server has only the PC's word for who that was.
    const std::string kept_by =
        ' ' + test::as_entered("os:nurse") + " ward-pc kept offline by os:nurse on ward-pc";
    const std::string second = std::to_string(records[1].id);
    EXPECT_EQ(uploaded, (std::vector<std::string>{
                            "download-archived record:" + second + kept_by,
                            "verified record:" + second + kept_by,
                            "file-written file:/tmp/ward3.csv" + kept_by,
                            "programming-run logger:4100000ABCDEF1AA" + kept_by,
                            "download-archived record:" + std::to_string(records[0].id) + kept_by,
                        }));
    const std::optional<TrailCheck> trail = shared.check_audit_trail();
    ASSERT_TRUE(trail);
    EXPECT_FALSE(trail->broken);
    EXPECT_EQ(trail->events, 6);
}

// Someone at the PC moves a pending event to another time and workstation and gives it the
// hash of its new fields, as the documented formula makes it: nothing is uploaded.
TEST_F(Outbox, APendingEventRehashedOnThePcIsNotUploaded) {
    ASSERT_TRUE(local.set_offline(true));
    ASSERT_TRUE(local.record_event(file_written("CSV", "/tmp/a.csv", std::string(64, 'a'))));
    ASSERT_TRUE(local.record_event(file_written("CSV", "/tmp/b.csv", std::string(64, 'b'))));
    std::vector<ChainedRow> rows;
    ASSERT_TRUE(
        local.store().for_each_chained_row([&](const ChainedRow& row) { rows.push_back(row); }));
    ChainedRow& edited = rows.at(rows.size() - 2);
    edited.row.utc_ms -= 86400000;
    edited.row.workstation = "qa-pc";
    ASSERT_TRUE(
        change_behind_its_back(local_path, QStringLiteral("DROP TRIGGER audit_events_kept")));
    ASSERT_TRUE(change_behind_its_back(
        local_path, QStringLiteral("UPDATE audit_events SET utc_ms = %1, workstation = 'qa-pc',"
                                   " hash = '%2' WHERE sequence = %3")
                        .arg(edited.row.utc_ms)
                        .arg(QString::fromStdString(row_hash(edited.previous_hash, edited.row)))
                        .arg(edited.row.sequence)));

    MissionArchive shared(rig.path());
    EXPECT_FALSE(upload_pending(local, shared));
    EXPECT_TRUE(
        shared.error().contains(QStringLiteral("broken at event %1").arg(edited.row.sequence + 1)))
        << shared.error().toStdString();
    EXPECT_EQ(pending_count(local), 2);
    bool any = false;
    ASSERT_TRUE(shared.for_each_event({}, [&](const AuditEntry&) { any = true; }));
    EXPECT_FALSE(any);
}

}  // namespace
}  // namespace frostel::archive
