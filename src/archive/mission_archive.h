#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "archive/archive_store.h"
#include "link/clock.h"

namespace frostel::archive {

inline const QString kArchiveFileName = QStringLiteral("frostel-archive.sqlite");

// The archive file in `data_folder`, or, when none is set, in the default data folder (made
// when missing).
[[nodiscard]] QString archive_path(const QString& data_folder);

// Now by `clock`, in the PC's time zone, by this program.
[[nodiscard]] Stamp stamp_now(const link::Clock& clock);

// What a record comes to beside its kept columns, as the archive's list shows it.
struct RecordStanding {
    std::string verdict;  // under the limits in force; empty without a summary
    SigningState signing;
};

// The mission archive: the records, their programming runs, the audit trail and the checks
// that are the same whatever store keeps them (Verify, the guard, the clock's setting). Every
// call that fails says why in error(); nothing here throws or shows anything. What it does
// to its records it enters in the audit trail as `actor`'s, in the same transaction.
class MissionArchive {
  public:
    // The store at `location` (see open_store): kReadWrite starts it when new; kReadOnly
    // changes nothing in it or beside it, and no event can be recorded.
    using Access = StoreAccess;
    explicit MissionArchive(QString location, Access access = Access::kReadWrite,
                            Actor actor = os_actor());
    ~MissionArchive();
    MissionArchive(const MissionArchive&) = delete;
    MissionArchive& operator=(const MissionArchive&) = delete;

    [[nodiscard]] bool is_open() const { return store_->is_open(); }
    [[nodiscard]] const QString& path() const { return store_->location(); }
    [[nodiscard]] bool read_only() const { return store_->read_only(); }
    [[nodiscard]] const Actor& actor() const { return store_->actor(); }
    // From now on what it does is entered as `actor`'s (on a shared archive, in the session
    // of a person signed in through it).
    void act_as(const Actor& actor) { store_->act_as(actor); }
    // Why the last call failed.
    [[nodiscard]] const QString& error() const { return store_->error(); }
    // What opening did that the user should know; empty mostly.
    [[nodiscard]] const QString& notice() const { return store_->notice(); }
    // Whether it did not open because the shared archive's server could not be reached.
    [[nodiscard]] bool out_of_reach() const { return store_->out_of_reach(); }
    // Whether it reads a file of an older version as it is (see ArchiveStore).
    [[nodiscard]] bool read_as_it_is() const { return store_->read_as_it_is(); }
    // When a shared archive's connection no longer answers (its server dropped it), connects
    // anew as the same actor, without the sessions of people signed in through it; whether it
    // did. Check is_open() and out_of_reach() after it.
    bool connect_again_if_dropped();
    // One connection to the store for every call until the returned hold ends (see
    // ArchiveStore::hold): for a whole list, never across a wait for the user.
    [[nodiscard]] std::unique_ptr<StoreHold> hold() { return store_->hold(); }
    // The store itself, for the accounts and the signatures kept beside the records.
    [[nodiscard]] ArchiveStore& store() { return *store_; }
    // Whether what is entered from now on is pending for the shared archive (see outbox.h),
    // each item marked in the write that enters it. False, and nothing changed, on a store
    // that is no outbox (the shared archive itself).
    [[nodiscard]] bool set_offline(bool offline);

    // Keeps a finished download; nothing when it could not (see error()).
    [[nodiscard]] std::optional<std::pair<Archived, std::int64_t>> archive(
        const mission::DownloadedMission& mission, const Stamp& stamp);
    // Nothing when the list could not be read whole (see error()).
    [[nodiscard]] std::optional<std::vector<ArchiveEntry>> find(const MissionFilter& filter);
    // Its last download is the one the trail holds (see last_download); nothing when the
    // record or its trail cannot be read (see error()).
    [[nodiscard]] std::optional<StoredMission> load(std::int64_t id);
    // Recomputes the fingerprint, the content key and the record digest, and every column
    // shown from the kept pages (decoding and summary): "altered" when any disagrees with what
    // was kept. Nothing for an unknown id.
    [[nodiscard]] std::optional<Verification> verify(std::int64_t id);
    // The records the trail says were kept (by their download-archived events) that the
    // archive no longer holds, lowest id first; nothing when either cannot be read.
    [[nodiscard]] std::optional<std::vector<std::int64_t>> missing_records();
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
    [[nodiscard]] std::optional<TrailCheck> check_audit_trail(
        const std::vector<Anchor>& anchors = {});
    // Record `id`'s events, oldest first, as a window shows them (see ShownEvent); nothing
    // for an unknown id or a trail that cannot be read (see error()).
    [[nodiscard]] std::optional<std::vector<ShownEvent>> record_history(std::int64_t id);
    // The last event's sequence and hash as kept, unchecked: what a printout quotes.
    [[nodiscard]] std::optional<Anchor> audit_head();
    // The same as "HEAD <sequence>:<hash>"; empty when it cannot be read.
    [[nodiscard]] std::string audit_head_text();

    // The limits and dH in force for record `id`: those of its latest limits-set event.
    // Nothing for an unknown id or a trail that cannot be read (see error()).
    [[nodiscard]] std::optional<RecordLimits> record_limits(std::int64_t id);
    // Listed record `record`'s verdict under the limits in force, derived as its listed one
    // is, and what its signatures come to; nothing when they cannot be read (see error()).
    [[nodiscard]] std::optional<RecordStanding> standing(const ArchiveEntry& record);
    enum class LimitsChange { kSet, kReasonMissing, kFailed };
    // Sets them by one limits-set event, with the ones in force before, in one transaction;
    // the ones in force again change nothing. `reason_required`: the person must say why
    // (reason_suffices).
    [[nodiscard]] LimitsChange set_limits(std::int64_t id, const RecordLimits& limits,
                                          const std::string& reason, bool reason_required);

  private:
    void open(Access access, Actor actor);
    bool derive_anew();
    // The record's last download as the trail holds it: the latest download noted on it
    // again, at its UTC instant in the record's zone, else its own. A record the trail holds
    // no download of was kept before the trail and keeps the time it was kept with.
    bool last_download(StoredMission& stored);
    // The full name the event that made `user_id`'s account gave, when that event's hash
    // holds; empty otherwise (no account made it); nothing when the trail cannot be read.
    std::optional<std::string> full_name_of(const std::string& user_id);
    // The record checked against its pages (see check_kept_record); nothing for an unknown id.
    std::optional<Verification> check(std::int64_t id);
    // Verdicts, and the records found missing, last until this object or another program
    // writes the archive.
    void forget_verdicts_if_written();
    // The verdict of `record` under limits of the user's, derived from its pages.
    std::optional<std::string> verdict_under(const ArchiveEntry& record,
                                             const insight::Limits& limits);

    QString location_;
    std::unique_ptr<ArchiveStore> store_;
    std::unordered_map<std::int64_t, Verification> verdicts_;
    // Each the limits it was derived under, with the verdict, for as long as verdicts_.
    std::unordered_map<std::int64_t, std::pair<insight::Limits, std::string>> judged_;
    std::optional<std::vector<std::int64_t>> missing_records_;
    std::optional<std::int64_t> change_count_;
};

}  // namespace frostel::archive
