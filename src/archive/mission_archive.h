#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "archive/audit_trail.h"
#include "archive/record_limits.h"
#include "link/clock.h"
#include "mission/download.h"

namespace frostel::archive {

inline const QString kArchiveFileName = QStringLiteral("frostel-archive.sqlite");

// The archive file in `data_folder`, or, when none is set, in the default data folder (made
// when missing).
[[nodiscard]] QString archive_path(const QString& data_folder);

// When and where something happened, kept with it.
struct Stamp {
    platform::LocalDateTime local_time;
    std::string time_zone;  // the PC's zone, e.g. "Europe/Berlin"
    int utc_offset_seconds = 0;
    std::string program_version;
};
// Now by `clock`, in the PC's time zone, by this program.
[[nodiscard]] Stamp stamp_now(const link::Clock& clock);

// One archived mission as the list shows it.
struct ArchiveEntry {
    std::int64_t id = 0;
    link::LoggerId logger_id;
    std::string start_time;  // "yyyy-mm-dd hh:mm:ss"
    int mission_sample_count = 0;
    int sample_count = 0;  // the samples the log held
    int interval_seconds = 0;
    // In degrees Celsius with the calibration offset; nothing without samples.
    std::optional<double> minimum;
    std::optional<double> maximum;
    std::string verdict;        // empty without a summary
    std::string first_line;     // of the mission text
    std::string downloaded_at;  // local, "yyyy-mm-dd hh:mm:ss"
    std::string fingerprint;
    // The first record of the same logger and start, when this one is a later download.
    std::optional<std::int64_t> later_download_of;
    int download_count = 1;
};

// Everything kept of one download.
struct StoredMission {
    ArchiveEntry record;
    std::string logger_type;
    int calibration_offset_tenths = 0;
    std::string mission_text;  // one byte per character
    std::string time_zone;
    int utc_offset_seconds = 0;
    std::string program_version;
    std::string last_downloaded_at;
    std::vector<mission::RawPage> pages;
    std::optional<mission::LoggerClock> clock;  // nothing for a record kept before clocks
    [[nodiscard]] mission::TimeZone zone() const { return {time_zone, utc_offset_seconds}; }
};

// Which missions `find` lists, newest first.
struct MissionFilter {
    std::string text;          // in the logger id or the mission text, any case; empty: all
    link::LoggerId logger_id;  // exactly this logger; empty: any
    QDate since;               // missions that started on or after this day; null: no bound
    QDate until;               // ... on or before this day
    int offset = 0;            // a slice of the list
    int limit = -1;            // -1: to the end
};

// One programming run: the logger, every setting by name, the image written and the result.
struct ProgrammingRecord {
    Stamp stamp;
    link::LoggerId logger_id;
    std::string logger_type;
    std::vector<std::pair<std::string, std::string>> settings;
    std::string image_fingerprint;
    std::string result;
};

enum class Archived {
    kNewRecord,       // a mission not seen before
    kLaterDownload,   // the same logger and start as an earlier record, with other samples
    kDownloadedAgain  // the same pages as a record: noted on it, no second record
};

enum class Verification {
    kIntact,
    // Kept before records had a digest: the pages and every column shown agree, but the
    // logger id and the download's time and zone cannot be checked.
    kIntactWithoutDigest,
    kAltered
};
[[nodiscard]] inline bool verifies(Verification v) {
    return v != Verification::kAltered;
}

// The mission archive: one SQLite file, written in write-ahead mode, each write one
// transaction, so a killed process or a second program writing it costs no record. Every
// call that fails says why in error(); nothing here throws or shows anything. What it does
// to its records it enters in the audit trail as `actor`'s, in the same transaction.
class MissionArchive {
  public:
    // kReadWrite opens the file, starting it when new; a file that is not a database, or is
    // damaged, is set aside under a new name and a new archive started (see notice()), and
    // so is one found damaged later. kReadOnly changes nothing in the file or beside it (a
    // copy on read-only media can be listed and checked): damage is only reported, and no
    // event can be recorded.
    enum class Access { kReadWrite, kReadOnly };
    explicit MissionArchive(QString path, Access access = Access::kReadWrite,
                            Actor actor = os_actor());
    ~MissionArchive();
    MissionArchive(const MissionArchive&) = delete;
    MissionArchive& operator=(const MissionArchive&) = delete;

    [[nodiscard]] bool is_open() const { return open_; }
    [[nodiscard]] const QString& path() const { return path_; }
    [[nodiscard]] bool read_only() const { return access_ == Access::kReadOnly; }
    [[nodiscard]] const Actor& actor() const { return actor_; }
    // Why the last call failed.
    [[nodiscard]] const QString& error() const { return error_; }
    // What opening did that the user should know; empty mostly.
    [[nodiscard]] const QString& notice() const { return notice_; }

    // Keeps a finished download; nothing when it could not (see error()).
    [[nodiscard]] std::optional<std::pair<Archived, std::int64_t>> archive(
        const mission::DownloadedMission& mission, const Stamp& stamp);
    // Nothing when the list could not be read whole (see error()).
    [[nodiscard]] std::optional<std::vector<ArchiveEntry>> find(const MissionFilter& filter);
    [[nodiscard]] std::optional<StoredMission> load(std::int64_t id);
    // Recomputes the fingerprint and the record digest, and every column shown from the
    // kept pages (decoding and summary): "altered" when any disagrees with what was kept.
    // Nothing for an unknown id.
    [[nodiscard]] std::optional<Verification> verify(std::int64_t id);
    [[nodiscard]] bool record_programming(const ProgrammingRecord& run);
    // Whether a record that verifies keeps a mission of this logger, start and mission
    // sample count; nothing when the archive could not be searched (see error()).
    [[nodiscard]] std::optional<bool> holds(const link::LoggerId& logger_id,
                                            const std::string& start_time,
                                            int mission_sample_count);
    // The zone and offset of the PC that set the clock of this logger's mission that started
    // at `start` (the logger's civil time): the last programming run that succeeded before it.
    // Nothing when the archive holds none.
    [[nodiscard]] std::optional<mission::ClockSetting> clock_setting(
        const link::LoggerId& logger_id, const platform::LocalDateTime& start);
    // The programming runs of one logger, oldest first.
    [[nodiscard]] std::vector<ProgrammingRecord> programming_runs(const link::LoggerId& logger_id);

    // The audit trail: one event appended as the actor's, now; the events a filter picks,
    // oldest first; the whole chain checked (nothing when it could not be read).
    [[nodiscard]] bool record_event(const AuditEvent& event);
    [[nodiscard]] bool for_each_event(const AuditFilter& filter,
                                      const std::function<void(const AuditEntry&)>& each);
    // Newest first by time, a page of at most `limit` after the first `offset`.
    [[nodiscard]] bool for_newest_events(const AuditFilter& filter, int offset, int limit,
                                         const std::function<void(const AuditEntry&)>& each);
    [[nodiscard]] std::optional<TrailCheck> check_audit_trail();
    // The last event's hash as kept, unchecked: what a printed report quotes.
    [[nodiscard]] std::optional<std::string> audit_head();

    // The tables beside the records (the accounts) for the store that keeps them: `work`
    // runs in one transaction, a write kept only when it returns an empty text, else why
    // not (see error()).
    using Work = std::function<QString(QSqlDatabase&)>;
    [[nodiscard]] bool read(const Work& work);
    [[nodiscard]] bool write(const Work& work);
    // The limits and dH in force for record `id`: those of its latest limits-set event.
    // Nothing for an unknown id or a trail that cannot be read (see error()).
    [[nodiscard]] std::optional<RecordLimits> record_limits(std::int64_t id);
    enum class LimitsChange { kSet, kReasonMissing, kFailed };
    // Sets them by one limits-set event, with the ones in force before, in one transaction;
    // the ones in force again change nothing. `reason_required`: the person must say why
    // (reason_suffices).
    [[nodiscard]] LimitsChange set_limits(std::int64_t id, const RecordLimits& limits,
                                          const std::string& reason, bool reason_required);

  private:
    std::optional<std::pair<Archived, std::int64_t>> archive_once(
        const mission::DownloadedMission& mission, const Stamp& stamp);
    bool open_file();
    // Why the file could not be opened and brought to the current schema, if it could not.
    std::optional<QSqlError> connect_file();
    std::optional<QSqlError> connect_once();
    std::optional<QSqlError> quick_check();
    // Records whose summary older rules derived, derived again from their pages.
    bool derive_anew();
    void note_derived_anew(int count);
    // A record checked against its pages: `kept` says whether the pages, the digest and the
    // columns copied from the pages agree; the summary is what today's rules derive.
    struct Checked {
        Verification kept = Verification::kAltered;
        std::optional<double> minimum;
        std::optional<double> maximum;
        std::string verdict;
        bool summary_agrees = false;  // the kept minimum, maximum and verdict say the same
    };
    // Nothing for an unknown id (see error()).
    std::optional<Checked> check(std::int64_t id);
    // Verdicts last until this object or another program writes the file.
    void forget_verdicts_if_written();
    void close_file();
    // The damaged file set aside and a new archive started in its place.
    bool start_again();
    // The name the damaged file was kept under, if it could be set aside.
    std::optional<QString> set_aside_damaged_file();
    // Within the caller's write transaction.
    bool append(const AuditEvent& event);
    // In a transaction of its own.
    bool write_event(const AuditEvent& event);
    bool fail(const QString& error);
    // Notes `error`; a damaged file is set aside and a new archive started.
    bool fail(const QSqlError& error);
    // `select` run forward only with `values` bound; nothing, and the error noted, on failure.
    std::optional<QSqlQuery> selected(const QString& select, const QVariantList& values);
    // `select` (one "?" for the id) run and standing on the record's row; nothing, and the
    // error noted, when the archive is closed, the query fails or there is no such record.
    std::optional<QSqlQuery> record_row(const QString& select, std::int64_t id);
    // The ids that `select` (binding `values`) lists, in its order; nothing on an error.
    std::optional<std::vector<std::int64_t>> ids_of(const QString& select,
                                                    const QVariantList& values);
    // The first of `ids` that verifies and whose kept pages pass `accept`, 0 when none does;
    // nothing on an error (error() says why).
    std::optional<std::int64_t> first_verified(
        const std::vector<std::int64_t>& ids,
        const std::function<bool(const std::vector<mission::RawPage>&)>& accept);

    QString path_;
    Access access_;
    Actor actor_;
    QString connection_;
    QSqlDatabase db_;
    bool open_ = false;
    QString error_;
    QString notice_;
    std::unordered_map<std::int64_t, Verification> verdicts_;
    qint64 data_version_ = -1;  // SQLite's count of other connections' commits
};

}  // namespace frostel::archive
