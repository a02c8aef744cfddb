#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "archive/account_rules.h"
#include "archive/account_trail.h"
#include "archive/audit_trail.h"
#include "archive/record_limits.h"
#include "archive/signature_rules.h"
#include "mission/download.h"

namespace frostel::archive {

// When and where something happened, kept with it.
struct Stamp {
    platform::LocalDateTime local_time;
    std::string time_zone;  // the PC's zone, e.g. "Europe/Berlin"
    int utc_offset_seconds = 0;
    std::string program_version;
};

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
    // Local, "yyyy-mm-dd hh:mm:ss"; the archive's load() gives the time its trail holds.
    std::string last_downloaded_at;
    std::vector<mission::RawPage> pages;
    std::optional<mission::LoggerClock> clock;  // nothing for a record kept before clocks
    // What its first download was read through, as its event says; the archive's load()
    // gives it, empty for a download kept before devices were recorded.
    std::string reader_device;
    [[nodiscard]] mission::TimeZone zone() const { return {time_zone, utc_offset_seconds}; }
};

// A record as kept, with every column that Verify compares with its pages.
struct KeptRecord {
    ArchiveEntry record;
    QByteArray pages;  // in the fingerprint's page form
    std::string logger_type;
    int configuration = 0;
    int device_sample_count = 0;
    bool sixteen_bit = false;
    int alarm_status = 0;
    int calibration_offset_tenths = 0;
    std::string mission_text;
    std::string time_zone;
    int utc_offset_seconds = 0;
    std::string content_key;  // see DownloadFacts
    // Both nothing for a record kept before records had a digest.
    std::optional<std::int64_t> downloaded_utc_ms;
    std::optional<std::string> record_digest;
    std::optional<mission::LoggerClock> clock;  // nothing for a record kept before clocks
    int summary_rules = 0;  // the version of the rules that derived its summary columns
    // Its first download-archived event; nothing for a record kept before the audit trail.
    std::optional<ChainedRow> archived_entry;
    // Without that event: the lowest record id any download-archived event names; nothing
    // when none does (and for a record with its event).
    std::optional<std::int64_t> first_record_in_trail;
    // Its download-archived events whose hash holds.
    int downloads_entered = 0;
    // The logger id and start of the record it names as the one it is a later download of;
    // nothing when it names none or one that is not kept.
    std::optional<std::pair<link::LoggerId, std::string>> earlier_mission;
};

// What a record's list columns say of its temperatures.
struct RecordSummary {
    std::optional<double> minimum;
    std::optional<double> maximum;
    std::string verdict;
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

// What the archive derived from a download before keeping it.
struct DownloadFacts {
    Stamp stamp;
    QByteArray pages;  // in the fingerprint's page form
    std::string fingerprint;
    // The fingerprint with the logger's running clock blanked: two downloads of one stopped
    // mission have the same.
    std::string content_key;
    std::string first_line;  // of the mission text
    std::int64_t downloaded_utc_ms = 0;
    std::string record_digest;
    std::string clock_line;  // the logger's clock, bound in the record's trail entry
    // The reader's device as one printable line (link::printable_line), for its event.
    std::string reader_device;
    RecordSummary summary;
    int summary_rules = 0;  // the version of the rules that derived it
};

// What the archive decides about the records a download may join; the store asks it, within
// the download's write, about each candidate in turn, oldest first.
struct DownloadMatch {
    // Whether a record verifies; nothing when it could not be checked.
    std::function<std::optional<Verification>(std::int64_t id)> verdict;
    // The kept pages are the download's own pages.
    std::function<bool(const std::vector<mission::RawPage>&)> same_pages;
    // The kept pages are the same mission, downloaded earlier with fewer samples.
    std::function<bool(const std::vector<mission::RawPage>&)> earlier_part;
};

struct Person {
    std::string id;
    std::string full_name;
    Role role = Role::kOperator;
    AccountState state = AccountState::kActive;
    std::int64_t created_utc_ms = 0;
};
// Who a signed-in person is in the audit trail, at `workstation`.
[[nodiscard]] Actor actor_of(const Person& person, const std::string& workstation);

// What an account change or a sign-in came to.
struct AccountAnswer {
    enum class Kind {
        kDone,
        kRefused,   // not this person's to do (or, for a sign-in, not given): audited
        kRejected,  // cannot be done as asked: `why` says so, for the person to read
        kFailed,    // the archive could not be read or written (`why`)
    };
    Kind kind = Kind::kDone;
    std::string why;
    std::optional<Person> person;   // sign_in: who signed in
    std::string one_time_password;  // add, reset: to give to the person, shown once
    [[nodiscard]] bool done() const { return kind == Kind::kDone; }
};

// A record's signatures with what decides whether each holds.
struct RecordSignatures {
    std::string record_digest;          // empty for a record kept before digests
    RecordLimits limits;                // in force
    std::string limits_in_force;        // the same, as limits_lines writes them
    std::vector<Signature> signatures;  // oldest first
    [[nodiscard]] SignatureState state_of(const Signature& signature) const {
        return signature_state(signature, signatures, record_digest, limits_in_force);
    }
    [[nodiscard]] bool holds(const Signature& signature) const {
        return state_of(signature) == SignatureState::kHolds;
    }
    [[nodiscard]] bool changed_after_signing() const {
        return archive::changed_after_signing(signatures, record_digest, limits_in_force);
    }
    // What they come to, wherever a record's signatures are summed up.
    [[nodiscard]] SigningState state() const;
    // Signatures entered on this record that name another record's digest.
    [[nodiscard]] std::vector<Signature> misplaced() const;
    // Signatures whose event was edited after it was entered.
    [[nodiscard]] std::vector<Signature> edited() const;
};

// A person's request to sign a record.
struct SigningRequest {
    std::int64_t id = 0;
    Meaning meaning = Meaning::kReviewed;
    std::string comment;
    // Why the archive refuses it already (the record does not verify); the store enters
    // the refusal instead of weighing the request.
    std::optional<std::string> refused_because;
    // The signer's password when the signing asked for it: checked in the signing's own
    // transaction, a wrong one counted and audited as at a sign-in; nothing when the
    // person's sign-in has just checked it.
    std::optional<std::string> password;
};

struct SigningAnswer {
    enum class Kind { kSigned, kRefused, kFailed };
    Kind kind = Kind::kSigned;
    std::string why;  // refused: for the person to read; failed: what went wrong
};

enum class StoreAccess { kReadWrite, kReadOnly };

// Keeps a store's connection open while it lives (see ArchiveStore::hold).
class StoreHold {
  public:
    StoreHold() = default;
    virtual ~StoreHold() = default;
    StoreHold(const StoreHold&) = delete;
    StoreHold& operator=(const StoreHold&) = delete;
};

// Where the archive's records, programming runs, audit trail, accounts and signatures are
// kept. Every write is one transaction that also appends its audit events, as the store's
// actor's or the named person's, at the store's own time; a store that checks passwords
// hashes them itself. Every call that fails says why in error(); nothing throws.
class ArchiveStore {
  public:
    ArchiveStore() = default;
    virtual ~ArchiveStore() = default;
    ArchiveStore(const ArchiveStore&) = delete;
    ArchiveStore& operator=(const ArchiveStore&) = delete;

    [[nodiscard]] virtual bool is_open() const = 0;
    // Ends the connection: every call after it fails.
    virtual void close() = 0;
    [[nodiscard]] virtual bool read_only() const = 0;
    // Where it is, as the user named it (a password is never part of it).
    [[nodiscard]] virtual const QString& location() const = 0;
    // Whom events are entered for unless a call names a person.
    [[nodiscard]] virtual const Actor& actor() const = 0;
    // From now on events are entered as `actor`'s; a person signed in through this store
    // works in their own session.
    virtual void act_as(const Actor& actor) = 0;
    // One connection for every call until the returned hold ends (the rows of a list
    // verified one by one, a command of frostel-cli), where each call would otherwise connect
    // anew; nothing to hold for a store that stays connected. It must end before the store.
    [[nodiscard]] virtual std::unique_ptr<StoreHold> hold() { return nullptr; }
    // Why the last call failed.
    [[nodiscard]] const QString& error() const { return error_; }
    // What opening did that the user should know; empty mostly.
    [[nodiscard]] const QString& notice() const { return notice_; }
    // Whether it did not open because its server could not be reached.
    [[nodiscard]] bool out_of_reach() const { return out_of_reach_; }
    // Whether it reads a file of an older version as it is, where nothing may be entered.
    [[nodiscard]] bool read_as_it_is() const { return read_as_it_is_; }
    // Notes why an operation built on the store failed; false.
    bool fail(const QString& why) {
        error_ = why;
        return false;
    }

    // Records. `archive_download` keeps a download as a new record, a later download of an
    // earlier record, or a note on the record that holds the same pages (see DownloadMatch),
    // with its download-archived event.
    [[nodiscard]] virtual std::optional<std::pair<Archived, std::int64_t>> archive_download(
        const mission::DownloadedMission& mission, const DownloadFacts& facts,
        const DownloadMatch& match) = 0;
    // Nothing when the list could not be read whole.
    [[nodiscard]] virtual std::optional<std::vector<ArchiveEntry>> find(
        const MissionFilter& filter) = 0;
    // Nothing for an unknown id or a record without whole pages.
    [[nodiscard]] virtual std::optional<StoredMission> load(std::int64_t id) = 0;
    [[nodiscard]] virtual std::optional<KeptRecord> kept_record(std::int64_t id) = 0;
    // The records of this logger, start and mission sample count, oldest first.
    [[nodiscard]] virtual std::optional<std::vector<std::int64_t>> records_of_mission(
        const link::LoggerId& logger_id, const std::string& start_time,
        int mission_sample_count) = 0;
    // The records download-archived events name that the store no longer holds, lowest first.
    [[nodiscard]] virtual std::optional<std::vector<std::int64_t>> missing_records() = 0;
    // A number that changes whenever anyone else writes the archive; nothing when the
    // store cannot tell, so that nothing read may be kept.
    [[nodiscard]] virtual std::optional<std::int64_t> change_count() = 0;
    // The records whose summary rules older than `rules` derived, each given to `derive` and
    // its summary replaced by what that returns (nothing: left as it is), with one event, in
    // one write; how many were derived again.
    using Derive = std::function<std::optional<RecordSummary>(const KeptRecord&)>;
    [[nodiscard]] virtual std::optional<int> derive_summaries_again(int rules,
                                                                    const Derive& derive) = 0;
    // Whether this store may derive summaries again: not where it is only read, nor on a
    // server, where that is maintenance for the schema's owner.
    [[nodiscard]] virtual bool derives_summaries() const { return !read_only(); }

    // Programming runs, with their programming-run event.
    [[nodiscard]] virtual bool record_programming(const ProgrammingRecord& run) = 0;
    // The zone and offset of the last run of this logger that succeeded and was stamped at
    // or before `latest` (civil time); nothing when there is none or on an error.
    [[nodiscard]] virtual std::optional<mission::ClockSetting> last_clock_setting(
        const link::LoggerId& logger_id, const platform::LocalDateTime& latest) = 0;
    // Oldest first; empty on an error.
    [[nodiscard]] virtual std::vector<ProgrammingRecord> programming_runs(
        const link::LoggerId& logger_id) = 0;

    // The audit trail: one event as the actor's; the events a filter picks, oldest first, or
    // newest first by time a page at a time; every row as kept, oldest first, in one
    // snapshot, returning the highest sequence number ever given out; the last row's
    // sequence and hash as kept (0 and 64 zeros before the first row).
    [[nodiscard]] virtual bool append_event(const AuditEvent& event) = 0;
    [[nodiscard]] virtual bool for_each_event(
        const AuditFilter& filter, const std::function<void(const AuditEntry&)>& each) = 0;
    [[nodiscard]] virtual bool for_newest_events(
        const AuditFilter& filter, int offset, int limit,
        const std::function<void(const AuditEntry&)>& each) = 0;
    [[nodiscard]] virtual std::optional<std::int64_t> for_each_chained_row(
        const std::function<void(const ChainedRow&)>& each) = 0;
    [[nodiscard]] virtual std::optional<Anchor> chain_head() = 0;

    // A record's limits: those of its latest limits-set event; nothing for an unknown id.
    [[nodiscard]] virtual std::optional<RecordLimits> record_limits(std::int64_t id) = 0;
    // Sets them by one limits-set event naming the ones in force before; the ones in force
    // again change nothing.
    [[nodiscard]] virtual bool set_limits(std::int64_t id, const RecordLimits& limits,
                                          const std::string& reason) = 0;

    // Signatures: a record's, nothing for an unknown one; a person signs, or is refused by
    // the signing rules or a wrong password, as one event.
    [[nodiscard]] virtual std::optional<RecordSignatures> record_signatures(std::int64_t id) = 0;
    [[nodiscard]] virtual SigningAnswer sign(const Person& signer,
                                             const SigningRequest& request) = 0;

    // Accounts: whether there are any (nothing when that cannot be read); turning them on
    // with the first administrator; a sign-in (checked, counted, locking, audited as `action`,
    // "sign-in" or "session-resumed"; a refusal says nothing of why); a session's event
    // ("sign-out", "session-locked"); a person's own password change; the site's settings.
    [[nodiscard]] virtual std::optional<bool> accounts_on() = 0;
    // The account rows as kept, to hold against their events; nothing, and no error, where
    // only a server's functions write them and a client cannot read the password hashes.
    [[nodiscard]] virtual std::optional<AccountsAsKept> accounts_as_kept() { return std::nullopt; }
    [[nodiscard]] virtual AccountAnswer turn_on_accounts(const std::string& id,
                                                         const std::string& full_name,
                                                         const std::string& password) = 0;
    [[nodiscard]] virtual AccountAnswer sign_in(const std::string& id, const std::string& password,
                                                const std::string& action) = 0;
    [[nodiscard]] virtual AccountAnswer note_session(const Person& person,
                                                     const std::string& action) = 0;
    [[nodiscard]] virtual AccountAnswer change_password(const std::string& id,
                                                        const std::string& current,
                                                        const std::string& chosen) = 0;
    // The defaults when they cannot be read.
    [[nodiscard]] virtual SiteSettings site_settings() = 0;

    // Administrators' work, `by` checked as the store holds them now: anyone else is
    // refused, and the refusal audited. add and reset hand back a one-time password.
    [[nodiscard]] virtual AccountAnswer people(const Person& by, std::vector<Person>& everyone) = 0;
    [[nodiscard]] virtual AccountAnswer add_person(const Person& by, const std::string& id,
                                                   const std::string& full_name, Role role) = 0;
    [[nodiscard]] virtual AccountAnswer reset_password(const Person& by, const std::string& id) = 0;
    [[nodiscard]] virtual AccountAnswer set_role(const Person& by, const std::string& id,
                                                 Role role) = 0;
    [[nodiscard]] virtual AccountAnswer unlock(const Person& by, const std::string& id) = 0;
    [[nodiscard]] virtual AccountAnswer deactivate(const Person& by, const std::string& id) = 0;
    [[nodiscard]] virtual AccountAnswer change_setting(const Person& by, const std::string& name,
                                                       int value) = 0;
    // `by` may not do `what` ("program", "users add"): the refusal entered as theirs.
    [[nodiscard]] virtual AccountAnswer refuse(const Person& by, const std::string& what,
                                               const std::string& object) = 0;

  protected:
    QString error_;
    QString notice_;
    bool out_of_reach_ = false;
    bool read_as_it_is_ = false;
};

// The store at `location`: a shared archive's libpq connection URI (postgresql://...), or an
// SQLite archive file's path (made when missing, unless read only). Check is_open() and
// error().
[[nodiscard]] std::unique_ptr<ArchiveStore> open_store(const QString& location, StoreAccess access,
                                                       Actor actor);

}  // namespace frostel::archive
