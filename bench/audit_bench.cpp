// The audit trail at scale: an archive holding 1,000,000 events (twenty people, ten thousand
// records), generated once into a folder of its own so that later runs reuse it. Prints how
// long listing one record's events, appending one event and verifying the whole chain take.
//
//     audit_bench [FOLDER]      (default: ./frostel-audit-bench)
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "archive/audit_trail.h"
#include "archive/mission_archive.h"
#include "archive/sqlite_trail.h"
#include "bench/median_time.h"

namespace {

using namespace frostel;
using bench::Clock;

constexpr std::int64_t kEvents = 1000000;
constexpr int kRecords = 10000;
constexpr int kPeople = 20;
// 2026-01-01, one event every ten seconds after it.
constexpr std::int64_t kFirstUtcMs = 1767225600000;
// As many events as the Audit Trail window reads at once.
constexpr int kAuditPage = 200;

using bench::median_ms;
using bench::milliseconds;

archive::Actor person(std::int64_t n) {
    const std::string id = std::to_string(n % kPeople);
    return {"os:person" + id, "Person " + id, "pc-" + std::to_string(n % 7)};
}

// Event n: about record n % kRecords, of every kind the window and frostel-cli write.
archive::AuditEvent event_number(std::int64_t n) {
    const std::int64_t record = n % kRecords + 1;
    switch (n % 4) {
        case 0:
            return archive::download_archived(record, std::string(64, 'a' + n % 6), {});
        case 1:
            return archive::file_written("report", "/data/cold room/" + std::to_string(n) + ".pdf",
                                         std::string(64, 'b'));
        case 2:
            return archive::record_verified(record, "INTACT");
        default:
            return archive::setting_changed("port", "1", std::to_string(n % 30 + 1));
    }
}

// Appended through the archive's own append, but in large transactions without waiting
// for the disk: generating, not measuring.
bool fill(const QString& path) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fill");
    db.setDatabaseName(path);
    QSqlQuery query(db);
    if (!db.open() || !query.exec(QStringLiteral("PRAGMA synchronous = OFF")) ||
        !query.exec(QStringLiteral("SELECT count(*) FROM audit_events")) || !query.next()) {
        return false;
    }
    const std::int64_t kept = query.value(0).toLongLong();
    if (kept < kEvents) {
        std::printf("generating %lld events ...\n", static_cast<long long>(kEvents - kept));
    }
    const auto start = Clock::now();
    for (std::int64_t n = kept; n < kEvents;) {
        query.exec(QStringLiteral("BEGIN IMMEDIATE"));
        for (const std::int64_t end = std::min(n + 10000, kEvents); n < end; ++n) {
            const QString error =
                archive::append_event(db, person(n), event_number(n), kFirstUtcMs + n * 10000);
            if (!error.isEmpty()) {
                std::printf("append failed: %s\n", qPrintable(error));
                return false;
            }
        }
        query.exec(QStringLiteral("COMMIT"));
    }
    if (kept < kEvents) {
        std::printf("generated in %.1f s\n", milliseconds(Clock::now() - start) / 1000);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QString folder = QDir(argc > 1 ? argv[1] : "frostel-audit-bench").absolutePath();
    QDir().mkpath(folder);
    const QString path = archive::archive_path(folder);
    archive::MissionArchive archive(path, archive::MissionArchive::Access::kReadWrite, person(0));
    if (!archive.is_open() || !fill(path)) {
        std::printf("cannot use %s: %s\n", qPrintable(path), qPrintable(archive.error()));
        return 1;
    }
    QSqlDatabase::removeDatabase("fill");

    int listed = 0;
    const double list = median_ms([&](int i) {
        listed = 0;
        archive::AuditFilter one_record;
        one_record.object = "record:" + std::to_string(4711 + i);
        (void)archive.for_each_event(one_record, [&](const archive::AuditEntry&) { ++listed; });
    });
    // The Audit Trail window's first page: one person's newest events up to a day.
    int paged = 0;
    const double page = median_ms([&](int i) {
        paged = 0;
        archive::AuditFilter person_until;
        person_until.user_id = person(i).user_id;
        person_until.until_utc_ms = kFirstUtcMs + 86400000;
        (void)archive.for_newest_events(person_until, 0, kAuditPage,
                                        [&](const archive::AuditEntry&) { ++paged; });
    });
    const double append =
        median_ms([&](int i) { (void)archive.record_event(event_number(kEvents + i)); });
    // The processor time beside the time passed: on a shared machine the first says more.
    const std::clock_t processor_start = std::clock();
    const auto start = Clock::now();
    const std::optional<archive::TrailCheck> check = archive.check_audit_trail();
    const double verify = milliseconds(Clock::now() - start);
    const double verify_processor =
        1000.0 * static_cast<double>(std::clock() - processor_start) / CLOCKS_PER_SEC;

    const qint64 bytes = QFileInfo(path).size() + QFileInfo(path + "-wal").size();
    std::printf("audit trail: %lld events, %.1f MB (%s)\n",
                static_cast<long long>(check ? check->events : 0), bytes / 1e6, qPrintable(path));
    std::printf("list one record's events:  %8.1f ms  (target 100 ms; %d events)\n", list, listed);
    std::printf("newest page of one person: %8.1f ms  (%d events up to a day)\n", page, paged);
    std::printf("append an event:           %8.1f ms  (target 5 ms)\n", append);
    std::printf("verify the whole chain:    %8.1f ms  (target 10000 ms; %.1f ms processor; %s)\n",
                verify, verify_processor,
                !check          ? "unreadable"
                : check->broken ? "BROKEN"
                                : "INTACT");
    return 0;
}
