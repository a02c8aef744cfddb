#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_store.h"

// The SELECTs that read the archive's tables the same way on either store, and the rows they
// give turned into the store's types. The tables have the same columns on both.
namespace frostel::archive {

// A mission text (one byte per character) as a column keeps it: a NUL byte, which no
// server's text column takes, as U+2400 SYMBOL FOR NULL, which no such text holds otherwise.
[[nodiscard]] QString mission_text_column(const std::string& bytes);
// ... and back; also what an SQLite archive keeps, which holds the NUL itself.
[[nodiscard]] std::string mission_text_of(const QVariant& column);

// A list entry's columns, and those followed by `more`, of the record whose id is bound.
extern const QString kRecordColumns;
[[nodiscard]] QString record_select(const QString& more);
[[nodiscard]] ArchiveEntry record_from(const QSqlQuery& query);
// What load() and kept_record() read, after the list entry's columns.
extern const QString kStoredColumns;
extern const QString kKeptColumns;
// Nothing when the kept pages are not whole.
[[nodiscard]] std::optional<StoredMission> stored_mission_from(const QSqlQuery& query);
[[nodiscard]] KeptRecord kept_record_from(const QSqlQuery& query);

// The conditions a filter puts on the list ("" for all) with their values; `like`: the
// store's operator that compares without regard to case.
[[nodiscard]] QString mission_conditions(const MissionFilter& filter, const QString& like,
                                         QVariantList& values);

// The records a download may be the same pages as, or a later download of; binding the
// logger id and the content key, or the logger id, the start and the mission sample count.
extern const QString kSameContent;
extern const QString kEarlierParts;
// The first record `select` lists (binding `values`) that verifies and whose kept pages pass
// `accept`; 0 when none does; nothing on an error, which `error` names unless the match's
// verdict failed (the store noted why).
[[nodiscard]] std::optional<std::int64_t> first_match(
    QSqlDatabase& db, const QString& select, const QVariantList& values, const DownloadMatch& match,
    const std::function<bool(const std::vector<mission::RawPage>&)>& accept, QString& error);
// A new record's columns in the order the server's archive function takes them (all but
// last_downloaded_at, which starts as downloaded_at); `earlier`: 0 for a new mission.
[[nodiscard]] QVariantList record_values(const mission::DownloadedMission& mission,
                                         const DownloadFacts& facts, std::int64_t earlier);
extern const QString kRecordValueColumns;

// What opening tells the user of `count` records whose summaries were derived again.
[[nodiscard]] QString derived_again_notice(int count);

// The site's settings as kept; one kept with a value it cannot take keeps its default.
extern const QString kSiteSettings;
[[nodiscard]] SiteSettings site_settings_from(QSqlQuery& query);

// The first column of every row `query` has still to give, as ids.
[[nodiscard]] std::vector<std::int64_t> ids_from(QSqlQuery& query);

// The records of one logger, start and mission sample count.
extern const QString kRecordsOfMission;
// Takes the download-archived action.
extern const QString kMissingRecords;
// The programming runs of one logger, oldest first; one run by its id, its logger id after the
// columns programming_record_from reads; the last one that succeeded by a time.
extern const QString kProgrammingRuns;
extern const QString kProgrammingRun;
extern const QString kLastClockSetting;
[[nodiscard]] ProgrammingRecord programming_record_from(const QSqlQuery& query,
                                                        const link::LoggerId& logger_id);
// A run's settings as kept, and the run as one event on its logger.
[[nodiscard]] QString settings_column(const ProgrammingRecord& run);
[[nodiscard]] AuditEvent programming_run(const ProgrammingRecord& run);

// An event's columns, and the event read back from them.
extern const QString kEventColumns;
[[nodiscard]] AuditEntry entry_from(const QSqlQuery& query);
// The trail, read alike from either store; each returns an empty text on success, else why
// not. Oldest first, as the chain runs.
[[nodiscard]] QString list_events(QSqlDatabase& db, const AuditFilter& filter,
                                  const std::function<void(const AuditEntry&)>& each);
// Newest first by time, a page at a time: at most `limit` events after the first `offset`.
[[nodiscard]] QString list_newest_events(QSqlDatabase& db, const AuditFilter& filter, int offset,
                                         int limit,
                                         const std::function<void(const AuditEntry&)>& each);
// The last row's sequence and hash, as kept (0 and 64 zeros before the first row).
[[nodiscard]] QString trail_head(QSqlDatabase& db, Anchor& head);
// The columns the chain covers, in the row's order, and a row of them read back.
extern const QString kChainColumns;
[[nodiscard]] ChainedRow chained_from(const QSqlQuery& query);
// A signature's record: its digest, the limits in force and its signatures, in the caller's
// transaction; `found` false for an unknown record.
[[nodiscard]] QString read_signatures(QSqlDatabase& db, std::int64_t id, RecordSignatures& record,
                                      bool& found);
// The limits in force for a record known to exist, from its latest limits-set event; an
// event whose own hash does not hold sets none.
[[nodiscard]] QString read_limits(QSqlDatabase& db, std::int64_t id, RecordLimits& limits);
// What binds a kept record beside its columns: its download-archived events (the first
// anchors its fingerprint, digest and clock) and the record it names as an earlier download.
[[nodiscard]] QString read_kept_bindings(QSqlDatabase& db, KeptRecord& kept);

}  // namespace frostel::archive
