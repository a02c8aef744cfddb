#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "archive/archive_store.h"
#include "archive/pending_item.h"

namespace frostel::archive {

// The account tables within one of the store's transactions.
class AccountTables;

// The archive in one SQLite file, written in write-ahead mode, each write one transaction,
// so a killed process or a second program writing it costs no record. A file that is not a
// database, or is damaged, is set aside under a new name and a new archive started (see
// notice()), and so is one found damaged later; read only, the file and its folder are left
// exactly as they are (a copy on read-only media can be listed and checked) and no event
// can be recorded. Passwords are kept as Argon2id hashes. Each call connects, works in one
// transaction and disconnects (see Lease), so that between calls the process holds no lock on
// the archive's files for other code opening and closing them to drop.
class SqliteStore final : public ArchiveStore {
  public:
    SqliteStore(QString path, StoreAccess access, Actor actor);
    ~SqliteStore() override;
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

    [[nodiscard]] bool is_open() const override { return open_; }
    void close() override;
    [[nodiscard]] bool read_only() const override { return access_ == StoreAccess::kReadOnly; }
    [[nodiscard]] const QString& location() const override { return path_; }
    [[nodiscard]] const Actor& actor() const override { return actor_; }
    void act_as(const Actor& actor) override { actor_ = actor; }
    [[nodiscard]] std::unique_ptr<StoreHold> hold() override;

    [[nodiscard]] std::optional<std::pair<Archived, std::int64_t>> archive_download(
        const mission::DownloadedMission& mission, const DownloadFacts& facts,
        const DownloadMatch& match) override;
    [[nodiscard]] std::optional<std::vector<ArchiveEntry>> find(
        const MissionFilter& filter) override;
    [[nodiscard]] std::optional<StoredMission> load(std::int64_t id) override;
    [[nodiscard]] std::optional<KeptRecord> kept_record(std::int64_t id) override;
    [[nodiscard]] std::optional<std::vector<std::int64_t>> records_of_mission(
        const link::LoggerId& logger_id, const std::string& start_time,
        int mission_sample_count) override;
    [[nodiscard]] std::optional<std::vector<std::int64_t>> missing_records() override;
    [[nodiscard]] std::optional<std::int64_t> change_count() override;
    [[nodiscard]] std::optional<int> derive_summaries_again(int rules,
                                                            const Derive& derive) override;

    [[nodiscard]] bool record_programming(const ProgrammingRecord& run) override;
    [[nodiscard]] std::optional<mission::ClockSetting> last_clock_setting(
        const link::LoggerId& logger_id, const platform::LocalDateTime& latest) override;
    [[nodiscard]] std::vector<ProgrammingRecord> programming_runs(
        const link::LoggerId& logger_id) override;

    [[nodiscard]] bool append_event(const AuditEvent& event) override;
    [[nodiscard]] bool for_each_event(const AuditFilter& filter,
                                      const std::function<void(const AuditEntry&)>& each) override;
    [[nodiscard]] bool for_newest_events(
        const AuditFilter& filter, int offset, int limit,
        const std::function<void(const AuditEntry&)>& each) override;
    [[nodiscard]] std::optional<std::int64_t> for_each_chained_row(
        const std::function<void(const ChainedRow&)>& each) override;
    [[nodiscard]] std::optional<Anchor> chain_head() override;

    [[nodiscard]] std::optional<RecordLimits> record_limits(std::int64_t id) override;
    [[nodiscard]] bool set_limits(std::int64_t id, const RecordLimits& limits,
                                  const std::string& reason) override;

    [[nodiscard]] std::optional<RecordSignatures> record_signatures(std::int64_t id) override;
    [[nodiscard]] SigningAnswer sign(const Person& signer, const SigningRequest& request) override;

    [[nodiscard]] std::optional<bool> accounts_on() override;
    [[nodiscard]] std::optional<AccountsAsKept> accounts_as_kept() override;
    [[nodiscard]] AccountAnswer turn_on_accounts(const std::string& id,
                                                 const std::string& full_name,
                                                 const std::string& password) override;
    [[nodiscard]] AccountAnswer sign_in(const std::string& id, const std::string& password,
                                        const std::string& action) override;
    [[nodiscard]] AccountAnswer note_session(const Person& person,
                                             const std::string& action) override;
    [[nodiscard]] AccountAnswer change_password(const std::string& id, const std::string& current,
                                                const std::string& chosen) override;
    [[nodiscard]] SiteSettings site_settings() override;
    [[nodiscard]] AccountAnswer people(const Person& by, std::vector<Person>& everyone) override;
    [[nodiscard]] AccountAnswer add_person(const Person& by, const std::string& id,
                                           const std::string& full_name, Role role) override;
    [[nodiscard]] AccountAnswer reset_password(const Person& by, const std::string& id) override;
    [[nodiscard]] AccountAnswer set_role(const Person& by, const std::string& id,
                                         Role role) override;
    [[nodiscard]] AccountAnswer unlock(const Person& by, const std::string& id) override;
    [[nodiscard]] AccountAnswer deactivate(const Person& by, const std::string& id) override;
    [[nodiscard]] AccountAnswer change_setting(const Person& by, const std::string& name,
                                               int value) override;
    [[nodiscard]] AccountAnswer refuse(const Person& by, const std::string& what,
                                       const std::string& object) override;

    // The outbox for a shared archive (see outbox.h): whether what is entered from now on is
    // pending; the pending items, oldest first; one run as kept; an item taken by the shared
    // archive; how many wait.
    void set_offline(bool offline) { offline_ = offline; }
    [[nodiscard]] std::optional<std::vector<PendingItem>> pending_items();
    [[nodiscard]] std::optional<ProgrammingRecord> kept_run(std::int64_t id);
    [[nodiscard]] bool mark_uploaded(std::int64_t sequence);
    [[nodiscard]] std::optional<int> pending_count();

  private:
    // The connection for one call, taken before anything reads or writes the file: the
    // outermost lease connects and disconnects when it ends; a lease within it (a call made by
    // another, a hold) shares its connection. False when the file could not be opened.
    class Lease final : public StoreHold {
      public:
        explicit Lease(SqliteStore& store);
        ~Lease() override;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        explicit operator bool() const { return store_.open_ && store_.db_.isOpen(); }

      private:
        SqliteStore& store_;
    };

    using ArchiveStore::fail;
    // Notes `error`; a damaged file is set aside and a new archive started.
    bool fail(const QSqlError& error);

    // `work` in one transaction, a write kept only when it returns an empty text, else why
    // not (see error()).
    using Work = std::function<QString(QSqlDatabase&)>;
    [[nodiscard]] bool read(const Work& work);
    [[nodiscard]] bool write(const Work& work);
    // An account change or sign-in run as one write; a failed write answers kFailed.
    using AccountWork = std::function<AccountAnswer(AccountTables&)>;
    AccountAnswer write_accounts(const AccountWork& work);

    std::optional<std::pair<Archived, std::int64_t>> archive_once(
        const mission::DownloadedMission& mission, const DownloadFacts& facts,
        const DownloadMatch& match);
    bool open_file();
    // Why the file could not be opened and brought to the current schema, if it could not.
    std::optional<QSqlError> connect_file();
    std::optional<QSqlError> connect_once();
    std::optional<QSqlError> quick_check();
    std::optional<QSqlError> read_through_copy();
    // Why the copy could not be brought to the current schema; empty when it was.
    [[nodiscard]] QString migrate_copy(const QString& copy);
    void note_derived_again(int count);
    void close_file();
    // The damaged file set aside and a new archive started in its place.
    bool start_again();
    // The name the damaged file was kept under, if it could be set aside.
    std::optional<QString> set_aside_damaged_file();
    // False, with why, when a file set aside beside this one had accounts (a new archive
    // starts without them).
    bool may_go_without_accounts();
    // What an event's write kept beside it, for the outbox.
    struct Outgoing {
        std::optional<std::int64_t> record;
        QString downloaded_at;
        std::optional<std::int64_t> run;
    };
    // Within the caller's write transaction, as `actor`'s; pending while offline.
    bool append(const AuditEvent& event, const Actor& actor, const Outgoing& kept = {});
    // The event just appended marked pending when the shared archive takes it.
    bool mark_pending(const AuditEvent& event, const Outgoing& kept);
    // In a transaction of its own.
    bool write_event(const AuditEvent& event);
    // `select` run forward only with `values` bound; nothing, and the error noted, on failure.
    std::optional<QSqlQuery> selected(const QString& select, const QVariantList& values);
    // `select` (one "?" for the id) run and standing on the record's row; nothing, and the
    // error noted, when the archive is closed, the query fails or there is no such record.
    std::optional<QSqlQuery> record_row(const QString& select, std::int64_t id);
    // The record's list columns followed by `more`, as record_row.
    std::optional<QSqlQuery> record_columns(const QString& more, std::int64_t id);
    // The ids that `select` (binding `values`) lists, in its order; nothing on an error.
    std::optional<std::vector<std::int64_t>> ids_of(const QString& select,
                                                    const QVariantList& values);
    // Whether `password` is person `id`'s, within the caller's write transaction: a wrong
    // one is counted and audited as at a sign-in. An empty text, else why it failed.
    QString check_password(QSqlDatabase& db, const std::string& id, const std::string& password,
                           bool& accepted);

    QString path_;
    StoreAccess access_;
    Actor actor_;
    QString connection_;
    QSqlDatabase db_;
    int connections_ = 0;  // made so far: each is another count of changes
    int leases_ = 0;
    bool checked_ = false;  // the file passed the quick check on this store's first connection
    bool open_ = false;
    bool offline_ = false;
    // The copy an older file is read through, when it is one that may not be written.
    std::unique_ptr<QTemporaryDir> older_copy_;
};

// `store` as an outbox; null, with store.error() saying so, when it is none (a server's).
[[nodiscard]] SqliteStore* outbox_of(ArchiveStore& store);

}  // namespace frostel::archive
