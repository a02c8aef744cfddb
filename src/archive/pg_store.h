#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>
#include <map>
#include <vector>

#include "archive/archive_store.h"
#include "archive/pending_item.h"
#include "archive/pg_address.h"

namespace frostel::archive {

// The shared archive on a PostgreSQL server. It reads the tables with plain SELECTs and
// writes only through the server's functions, which take the person from the session this
// connection holds and the time from the server's clock: without accounts the
// operating-system user's session is opened on connecting; with accounts, each person signed
// in through this store works on a connection and session of their own, and a call made for
// anyone else is refused here as the server would.
class PgStore final : public ArchiveStore {
  public:
    // `uri`: a libpq connection URI; reached within 2 s or not at all.
    PgStore(const QString& uri, StoreAccess access, Actor actor);
    ~PgStore() override;
    PgStore(const PgStore&) = delete;
    PgStore& operator=(const PgStore&) = delete;

    [[nodiscard]] bool is_open() const override { return open_; }
    void close() override;
    [[nodiscard]] bool read_only() const override { return access_ == StoreAccess::kReadOnly; }
    [[nodiscard]] bool derives_summaries() const override { return !read_only() && maintains_; }
    [[nodiscard]] const QString& location() const override { return location_; }
    [[nodiscard]] const Actor& actor() const override { return actor_; }
    void act_as(const Actor& actor) override { actor_ = actor; }

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

    // A PC's pending `item` taken as `work` (calls of this store) does it, in one transaction
    // that first takes the item's key: its event keeps the PC's time and is marked as kept
    // offline. `trail`: the PC's whole trail, oldest first, of which the server chains the
    // rows from the last item it took to the head. False, with nothing done, when the key was taken
    // before; nothing on a failure.
    [[nodiscard]] std::optional<bool> take_upload(const PendingItem& item,
                                                  const std::vector<ChainedRow>& trail,
                                                  const std::function<bool()>& work);
    // Within take_upload, an event that no other call writes; a record it names is the PC's.
    [[nodiscard]] bool upload_event(const AuditEvent& event);

  private:
    bool connect(const QString& uri);
    // Where calls go: the session of the person being served, else the actor's, else the
    // latest sign-in's (the server takes the person from the session, not from the actor),
    // else the store's own connection.
    [[nodiscard]] QSqlDatabase connection() const;
    // Calls made within its life go to `id`'s session.
    class Acting;
    // `work` within `by`'s session; refused when `by` has none here.
    AccountAnswer as_person(const Person& by, const std::function<AccountAnswer()>& work);
    void end_session(const std::string& id);
    // `statement` run forward only with `values` bound; nothing, and the error noted, on
    // failure.
    std::optional<QSqlQuery> run(const QString& statement, const QVariantList& values = {});
    // A statement that gives one row, standing on it; nothing when it fails or gives none.
    std::optional<QSqlQuery> row_of(const QString& statement, const QVariantList& values);
    // The record's list columns and `more`, standing on its row; nothing, and the error
    // noted, for an unknown id.
    std::optional<QSqlQuery> record_row(const QString& more, std::int64_t id);
    // `work` in one transaction, kept when it returns true; a write needs a store that may.
    bool transaction(const std::function<bool()>& work, bool writes);
    // Reads through a function over the connection, as the shared SELECTs want it.
    bool read_with(const std::function<QString(QSqlDatabase&)>& work);
    // A server function that answers (outcome, why), as an account answer.
    AccountAnswer answer_of(const QString& call, const QVariantList& values);
    // An administrator's change: `by` must be the person signed in on this connection.
    AccountAnswer as_signed_in(const Person& by, const QString& call, const QVariantList& values);
    // ... and the person `id` as the change left them.
    AccountAnswer change_person(const Person& by, const QString& call, const QVariantList& values,
                                const std::string& id);
    std::optional<Person> person(const std::string& id);

    QString location_;
    StoreAccess access_;
    Actor actor_;
    QString connection_;
    QSqlDatabase db_;
    bool open_ = false;
    // Why calls fail while it is not open: what connecting met, or that it was closed.
    QString not_open_;
    std::optional<PgAddress> address_;
    std::map<std::string, QString> sessions_;  // person id to connection name
    QString acting_;                           // the connection serving a person now
    std::string latest_session_;
    int sessions_made_ = 0;
    bool taking_upload_ = false;  // calls join the upload's transaction
    bool maintains_ = false;      // the login is the schema owner's, who derives summaries
};

}  // namespace frostel::archive
