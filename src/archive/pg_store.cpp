#include "archive/pg_store.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <algorithm>
#include <atomic>

#include "archive/pg_address.h"
#include "archive/pg_connection.h"
#include "archive/pg_schema.h"
#include "archive/store_queries.h"
#include "platform/latin1.h"
#include "platform/local_date_time.h"

namespace frostel::archive {

namespace {

using platform::latin1_text;
using Kind = AccountAnswer::Kind;

std::atomic<int> connection_count{0};

const QString kOsPrefix = QStringLiteral("os:");
const QString kPersonColumns = QStringLiteral(
    "id, full_name, role, failures, locked, must_change, deactivated, created_utc_ms");

// A server's text holds no NUL: one in an event's text (a mission text in a programming
// run's settings) is kept as the symbol for null, and so hashed.
QVariant server_value(const QVariant& value) {
    if (value.typeId() != QMetaType::QString) {
        return value;
    }
    return value.toString().replace(QChar(0), QChar(u'\u2400'));
}

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

QString placeholders(int count) {
    return QStringLiteral("?") + QStringLiteral(", ?").repeated(count - 1);
}

AccountAnswer failed(const QString& why) {
    return {Kind::kFailed, why.toStdString(), std::nullopt, {}};
}

AccountAnswer not_signed_in(const std::string& id) {
    return failed(QStringLiteral("%1 is not signed in to the shared archive").arg(text(id)));
}

Person person_from(const QSqlQuery& query) {
    Person person;
    person.id = query.value(0).toString().toStdString();
    person.full_name = query.value(1).toString().toStdString();
    // A role this program does not know gives no rights beyond an operator's.
    person.role = role_from_name(query.value(2).toString().toStdString()).value_or(Role::kOperator);
    person.state =
        account_state(query.value(6).toBool(), query.value(4).toBool(), query.value(5).toBool());
    person.created_utc_ms = query.value(7).toLongLong();
    return person;
}

}  // namespace

class PgStore::Acting {
  public:
    Acting(PgStore& store, QString connection)
        : store_(store), before_(std::exchange(store.acting_, std::move(connection))) {}
    ~Acting() { store_.acting_ = before_; }
    Acting(const Acting&) = delete;
    Acting& operator=(const Acting&) = delete;

  private:
    PgStore& store_;
    QString before_;
};

PgStore::PgStore(const QString& uri, StoreAccess access, Actor actor)
    : access_(access),
      actor_(std::move(actor)),
      connection_(QStringLiteral("frostel-shared-archive-%1").arg(++connection_count)) {
    open_ = connect(uri);
    if (!open_) {
        not_open_ = error_;
    }
}

PgStore::~PgStore() {
    close();
}

void PgStore::close() {
    while (!sessions_.empty()) {
        end_session(sessions_.begin()->first);
    }
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
    }
    if (open_) {
        not_open_ = QStringLiteral("the shared archive is not open");
    }
    open_ = false;
}

bool PgStore::connect(const QString& uri) {
    std::string why;
    const std::optional<PgAddress> address = parse_pg_uri(uri.toStdString(), why);
    if (!address) {
        location_ = uri;
        return fail(text(why));
    }
    location_ = text(address->shown);
    address_ = address;
    QString error;
    db_ = connect_pg(*address, connection_, error);
    if (!error.isEmpty()) {
        out_of_reach_ = !db_.isOpen() && db_.isValid();
        return fail(error);
    }
    if (const QString problem = check_pg_schema(db_); !problem.isEmpty()) {
        return fail(problem);
    }
    QSqlQuery owner(db_);
    maintains_ = owner.exec(QStringLiteral(
                     "SELECT has_function_privilege("
                     "'store_summaries_again(bigint, jsonb, text, text)', 'EXECUTE')")) &&
                 owner.next() && owner.value(0).toBool();
    // With accounts on, nobody works until a person signs in.
    if (!read_only() && QString::fromStdString(actor_.user_id).startsWith(kOsPrefix)) {
        QSqlQuery query(db_);
        query.prepare(QStringLiteral("SELECT open_os_session(?, ?, ?)"));
        query.addBindValue(text(actor_.user_id).mid(kOsPrefix.size()));
        query.addBindValue(text(actor_.full_name));
        query.addBindValue(text(actor_.workstation));
        query.exec();
    }
    return true;
}

std::optional<QSqlQuery> PgStore::run(const QString& statement, const QVariantList& values) {
    if (!open_) {
        fail(not_open_);
        return std::nullopt;
    }
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    // Qt prepares with SQL's PREPARE, which takes no BEGIN, COMMIT or SET.
    bool ran = false;
    if (values.isEmpty()) {
        ran = query.exec(statement);
    } else {
        query.prepare(statement);
        for (const QVariant& value : values) {
            query.addBindValue(server_value(value));
        }
        ran = query.exec();
    }
    if (!ran) {
        fail(query.lastError().text());
        return std::nullopt;
    }
    return query;
}

std::optional<QSqlQuery> PgStore::row_of(const QString& statement, const QVariantList& values) {
    std::optional<QSqlQuery> query = run(statement, values);
    if (query && !query->next()) {
        fail(QStringLiteral("the shared archive gave no answer to %1").arg(statement));
        return std::nullopt;
    }
    return query;
}

std::optional<QSqlQuery> PgStore::record_row(const QString& more, std::int64_t id) {
    std::optional<QSqlQuery> query = run(record_select(more), {static_cast<qlonglong>(id)});
    if (query && !query->next()) {
        fail(QStringLiteral("no record %1").arg(id));
        return std::nullopt;
    }
    return query;
}

bool PgStore::transaction(const std::function<bool()>& work, bool writes) {
    if (writes && read_only()) {
        return open_ && fail(QStringLiteral("the archive was opened only to be read"));
    }
    if (taking_upload_) {
        return work();
    }
    if (!run(QStringLiteral("BEGIN"))) {
        return false;
    }
    if (work() && run(QStringLiteral("COMMIT"))) {
        return true;
    }
    QSqlQuery(connection()).exec(QStringLiteral("ROLLBACK"));
    return false;
}

bool PgStore::read_with(const std::function<QString(QSqlDatabase&)>& work) {
    if (!open_) {
        return fail(not_open_);
    }
    QSqlDatabase db = connection();
    const QString error = work(db);
    return error.isEmpty() || fail(error);
}

QSqlDatabase PgStore::connection() const {
    if (!acting_.isEmpty()) {
        return QSqlDatabase::database(acting_, false);
    }
    auto session = sessions_.find(actor_.user_id);
    if (session == sessions_.end()) {
        session = sessions_.find(latest_session_);
    }
    return session != sessions_.end() ? QSqlDatabase::database(session->second, false) : db_;
}

AccountAnswer PgStore::as_person(const Person& by, const std::function<AccountAnswer()>& work) {
    const auto session = sessions_.find(by.id);
    if (session == sessions_.end()) {
        return not_signed_in(by.id);
    }
    const Acting acting(*this, session->second);
    return work();
}

void PgStore::end_session(const std::string& id) {
    const auto session = sessions_.find(id);
    if (session == sessions_.end()) {
        return;
    }
    QSqlDatabase::database(session->second, false).close();
    QSqlDatabase::removeDatabase(session->second);
    sessions_.erase(session);
}

std::optional<std::pair<Archived, std::int64_t>> PgStore::archive_download(
    const mission::DownloadedMission& mission, const DownloadFacts& facts,
    const DownloadMatch& match) {
    std::optional<std::pair<Archived, std::int64_t>> kept;
    const QString logger_id = latin1_text(mission.header.logger_id);
    const auto write = [&] {
        // Two PCs downloading one logger at once: the second sees the first's record.
        if (!run(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('frostel-download'),"
                                " hashtext(?))"),
                 {logger_id})) {
            return false;
        }
        QString error;
        QSqlDatabase db = connection();
        const auto same = first_match(db, kSameContent, {logger_id, latin1_text(facts.content_key)},
                                      match, match.same_pages, error);
        if (!same) {
            return !error.isEmpty() && fail(error);
        }
        if (*same != 0) {
            kept = std::pair{Archived::kDownloadedAgain, *same};
            return run(QStringLiteral("SELECT note_download_again(?, ?, ?, ?, ?, ?, ?)"),
                       {static_cast<qlonglong>(*same), facts.pages,
                        static_cast<qlonglong>(facts.downloaded_utc_ms),
                        text(facts.stamp.time_zone), facts.stamp.utc_offset_seconds,
                        latin1_text(facts.record_digest), latin1_text(facts.reader_device)})
                .has_value();
        }
        const auto earlier =
            first_match(db, kEarlierParts,
                        {logger_id, latin1_text(platform::format_iso(mission.header.start_time)),
                         mission.header.mission_sample_count},
                        match, match.earlier_part, error);
        if (!earlier) {
            return !error.isEmpty() && fail(error);
        }
        const std::optional<QSqlQuery> row =
            row_of(QStringLiteral("SELECT archive_mission(%1)").arg(placeholders(33)),
                   record_values(mission, facts, *earlier) << latin1_text(facts.reader_device));
        if (row) {
            kept = std::pair{*earlier == 0 ? Archived::kNewRecord : Archived::kLaterDownload,
                             static_cast<std::int64_t>(row->value(0).toLongLong())};
        }
        return row.has_value();
    };
    return transaction(write, true) ? kept : std::nullopt;
}

namespace {

// The rows of `trail` after `after` (and from `item` on, whatever the server took), as
// begin_upload chains them.
QJsonArray rows_from(const std::vector<ChainedRow>& trail, std::int64_t after, std::int64_t item) {
    after = std::min(after, item - 1);
    QJsonArray rows;
    for (const ChainedRow& kept : trail) {
        const AuditRow& row = kept.row;
        if (row.sequence > after) {
            rows.append(QJsonObject{{QStringLiteral("sequence"), qint64{row.sequence}},
                                    {QStringLiteral("utc_ms"), qint64{row.utc_ms}},
                                    {QStringLiteral("user_id"), text(row.user_id)},
                                    {QStringLiteral("workstation"), text(row.workstation)},
                                    {QStringLiteral("action"), text(row.action)},
                                    {QStringLiteral("object"), text(row.object)},
                                    {QStringLiteral("old"), text(row.old_value)},
                                    {QStringLiteral("new"), text(row.new_value)},
                                    {QStringLiteral("reason"), text(row.reason)},
                                    {QStringLiteral("hash"), text(kept.hash)}});
        }
    }
    return rows;
}

}  // namespace

std::optional<bool> PgStore::take_upload(const PendingItem& item,
                                         const std::vector<ChainedRow>& trail,
                                         const std::function<bool()>& work) {
    const AuditEntry& event = item.event;
    bool taken_now = false;
    const bool written = transaction(
        [&] {
            const std::optional<QSqlQuery> resumed =
                row_of(QStringLiteral("SELECT upload_resumes_after(?)"), {text(item.archive)});
            if (!resumed) {
                return false;
            }
            const QJsonArray rows =
                rows_from(trail, resumed->value(0).toLongLong(), event.chained.row.sequence);
            const std::optional<QSqlQuery> row =
                row_of(QStringLiteral("SELECT begin_upload(?, ?, CAST(? AS jsonb), ?, ?, ?)"),
                       {text(item.archive), static_cast<qlonglong>(event.chained.row.sequence),
                        QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact)),
                        item.record ? QVariant(static_cast<qlonglong>(*item.record))
                                    : QVariant(QMetaType(QMetaType::LongLong)),
                        text(event.local_time), text(event.full_name)});
            if (!row) {
                return false;
            }
            taken_now = row->value(0).toBool();
            taking_upload_ = true;
            const bool done = !taken_now || work();
            taking_upload_ = false;
            return done;
        },
        true);
    return written ? std::optional(taken_now) : std::nullopt;
}

bool PgStore::upload_event(const AuditEvent& event) {
    return run(QStringLiteral("SELECT upload_event(?, ?, ?, ?, ?)"),
               {text(event.action), text(event.object), text(event.old_value),
                text(event.new_value), text(event.reason)})
        .has_value();
}

std::optional<std::vector<ArchiveEntry>> PgStore::find(const MissionFilter& filter) {
    QVariantList values;
    const QString conditions = mission_conditions(filter, QStringLiteral("ILIKE"), values);
    // No limit is NULL here, where SQLite takes -1.
    values << (filter.limit < 0 ? QVariant(QMetaType(QMetaType::Int)) : QVariant(filter.limit))
           << filter.offset;
    std::optional<QSqlQuery> query =
        run(QStringLiteral("SELECT %1 FROM missions %2 ORDER BY id DESC LIMIT ? OFFSET ?")
                .arg(kRecordColumns,
                     conditions.isEmpty() ? QString() : QStringLiteral("WHERE ") + conditions),
            values);
    if (!query) {
        return std::nullopt;
    }
    std::vector<ArchiveEntry> records;
    while (query->next()) {
        records.push_back(record_from(*query));
    }
    return records;
}

std::optional<StoredMission> PgStore::load(std::int64_t id) {
    const std::optional<QSqlQuery> row = record_row(kStoredColumns, id);
    std::optional<StoredMission> stored = row ? stored_mission_from(*row) : std::nullopt;
    if (row && !stored) {
        fail(QStringLiteral("record %1 holds no whole pages").arg(id));
    }
    return stored;
}

std::optional<KeptRecord> PgStore::kept_record(std::int64_t id) {
    const std::optional<QSqlQuery> row = record_row(kKeptColumns, id);
    if (!row) {
        return std::nullopt;
    }
    KeptRecord kept = kept_record_from(*row);
    const bool read = read_with([&](QSqlDatabase& db) { return read_kept_bindings(db, kept); });
    return read ? std::optional(kept) : std::nullopt;
}

std::optional<std::vector<std::int64_t>> PgStore::missing_records() {
    std::optional<QSqlQuery> query = run(kMissingRecords, {QString::fromLatin1(kDownloadArchived)});
    return query ? std::optional(ids_from(*query)) : std::nullopt;
}

std::optional<std::vector<std::int64_t>> PgStore::records_of_mission(
    const link::LoggerId& logger_id, const std::string& start_time, int mission_sample_count) {
    std::optional<QSqlQuery> query = run(
        kRecordsOfMission, {latin1_text(logger_id), latin1_text(start_time), mission_sample_count});
    return query ? std::optional(ids_from(*query)) : std::nullopt;
}

// Every write on the server appends to the trail, so the last sequence number given out
// changes with every write of anyone's.
std::optional<std::int64_t> PgStore::change_count() {
    const std::optional<QSqlQuery> row =
        row_of(QStringLiteral("SELECT last_sequence FROM audit_issued"), {});
    return row ? std::optional(row->value(0).toLongLong()) : std::nullopt;
}

// Derived here, as the rules are this program's; the server keeps them in one call with one
// event, only for records still derived by older rules (another PC may have gone first).
std::optional<int> PgStore::derive_summaries_again(int rules, const Derive& derive) {
    std::optional<QSqlQuery> older =
        run(QStringLiteral("SELECT id FROM missions WHERE derived_by < ? ORDER BY id"), {rules});
    if (!older) {
        return std::nullopt;
    }
    const std::vector<std::int64_t> ids = ids_from(*older);
    QJsonArray summaries;
    for (const std::int64_t id : ids) {
        const std::optional<KeptRecord> kept = kept_record(id);
        if (!kept) {
            return std::nullopt;
        }
        if (const std::optional<RecordSummary> summary = derive(*kept)) {
            const auto number = [](const std::optional<double>& value) {
                return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
            };
            summaries.append(QJsonObject{{QStringLiteral("id"), static_cast<qint64>(id)},
                                         {QStringLiteral("minimum"), number(summary->minimum)},
                                         {QStringLiteral("maximum"), number(summary->maximum)},
                                         {QStringLiteral("verdict"), text(summary->verdict)}});
        }
    }
    if (summaries.isEmpty()) {
        return 0;
    }
    const std::optional<QSqlQuery> row =
        row_of(QStringLiteral("SELECT store_summaries_again(?, ?, ?, ?)"),
               {rules, QString::fromUtf8(QJsonDocument(summaries).toJson(QJsonDocument::Compact)),
                text(summaries_derived_again(location_.toStdString(), 0, rules).object),
                text(actor_.workstation)});
    if (!row) {
        return std::nullopt;
    }
    const int derived = row->value(0).toInt();
    if (derived > 0) {
        notice_ = derived_again_notice(derived);
    }
    return derived;
}

bool PgStore::record_programming(const ProgrammingRecord& run_kept) {
    if (read_only()) {
        return fail(QStringLiteral("the archive was opened only to be read"));
    }
    return run(QStringLiteral("SELECT record_programming_run(%1)").arg(placeholders(10)),
               {latin1_text(platform::format_iso(run_kept.stamp.local_time)),
                text(run_kept.stamp.time_zone), run_kept.stamp.utc_offset_seconds,
                text(run_kept.stamp.program_version), latin1_text(run_kept.logger_id),
                latin1_text(run_kept.logger_type), settings_column(run_kept),
                latin1_text(run_kept.image_fingerprint), latin1_text(run_kept.result),
                text(programming_run(run_kept).new_value)})
        .has_value();
}

std::optional<mission::ClockSetting> PgStore::last_clock_setting(
    const link::LoggerId& logger_id, const platform::LocalDateTime& latest) {
    std::optional<QSqlQuery> query =
        run(kLastClockSetting, {latin1_text(logger_id), QStringLiteral("PROGRAMMING OK"),
                                latin1_text(platform::format_iso(latest))});
    if (!query || !query->next()) {
        return std::nullopt;
    }
    return mission::ClockSetting{query->value(0).toString().toStdString(), query->value(1).toInt()};
}

std::vector<ProgrammingRecord> PgStore::programming_runs(const link::LoggerId& logger_id) {
    std::vector<ProgrammingRecord> runs;
    std::optional<QSqlQuery> query = run(kProgrammingRuns, {latin1_text(logger_id)});
    while (query && query->next()) {
        runs.push_back(programming_record_from(*query, logger_id));
    }
    return runs;
}

bool PgStore::append_event(const AuditEvent& event) {
    if (read_only()) {
        return fail(QStringLiteral("the archive was opened only to be read"));
    }
    // The server enters its own verification, with the program's beside it where they differ.
    if (const std::optional<std::int64_t> record = record_of_object(event.object);
        record && event.action == kVerified) {
        return run(QStringLiteral("SELECT record_verified(?, ?)"),
                   {static_cast<qlonglong>(*record), text(event.new_value)})
            .has_value();
    }
    return run(QStringLiteral("SELECT append_event(?, ?, ?, ?, ?)"),
               {text(event.action), text(event.object), text(event.old_value),
                text(event.new_value), text(event.reason)})
        .has_value();
}

bool PgStore::for_each_event(const AuditFilter& filter,
                             const std::function<void(const AuditEntry&)>& each) {
    return read_with([&](QSqlDatabase& db) { return list_events(db, filter, each); });
}

bool PgStore::for_newest_events(const AuditFilter& filter, int offset, int limit,
                                const std::function<void(const AuditEntry&)>& each) {
    return read_with(
        [&](QSqlDatabase& db) { return list_newest_events(db, filter, offset, limit, each); });
}

std::optional<std::int64_t> PgStore::for_each_chained_row(
    const std::function<void(const ChainedRow&)>& each) {
    std::int64_t issued = 0;
    // One snapshot: an event appended meanwhile by another PC is neither half seen nor
    // taken for a gap.
    const bool read = transaction(
        [&] {
            if (!run(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"))) {
                return false;
            }
            const std::optional<QSqlQuery> last =
                row_of(QStringLiteral("SELECT last_sequence FROM audit_issued"), {});
            std::optional<QSqlQuery> rows =
                last ? run(QStringLiteral("SELECT %1 FROM audit_events ORDER BY sequence")
                               .arg(kChainColumns))
                     : std::nullopt;
            if (!rows) {
                return false;
            }
            issued = last->value(0).toLongLong();
            while (rows->next()) {
                each(chained_from(*rows));
            }
            return true;
        },
        false);
    return read ? std::optional(issued) : std::nullopt;
}

std::optional<Anchor> PgStore::chain_head() {
    Anchor head;
    if (!read_with([&](QSqlDatabase& db) { return trail_head(db, head); })) {
        return std::nullopt;
    }
    return head;
}

std::optional<RecordLimits> PgStore::record_limits(std::int64_t id) {
    if (!record_row(QStringLiteral("id"), id)) {
        return std::nullopt;
    }
    RecordLimits limits;
    if (!read_with([&](QSqlDatabase& db) { return read_limits(db, id, limits); })) {
        return std::nullopt;
    }
    return limits;
}

bool PgStore::set_limits(std::int64_t id, const RecordLimits& limits, const std::string& reason) {
    return transaction(
        [&] {
            const std::optional<RecordLimits> before = record_limits(id);
            if (!before || *before == limits) {
                return before.has_value();
            }
            const AuditEvent event = limits_set(id, *before, limits, reason);
            return run(QStringLiteral("SELECT set_limits(?, ?, ?, ?)"),
                       {static_cast<qlonglong>(id), text(event.old_value), text(event.new_value),
                        text(event.reason)})
                .has_value();
        },
        true);
}

std::optional<RecordSignatures> PgStore::record_signatures(std::int64_t id) {
    RecordSignatures record;
    bool found = false;
    const bool read = transaction(
        [&] {
            return read_with(
                [&](QSqlDatabase& db) { return read_signatures(db, id, record, found); });
        },
        false);
    return read && found ? std::optional(record) : std::nullopt;
}

// The signing rules are weighed here as on every store, before the password; a signature
// they allow goes to the server with the password, which weighs the same rules again over the
// limits in force as it reads them, as for a client that calls it directly.
SigningAnswer PgStore::sign(const Person& signer, const SigningRequest& request) {
    const auto session = sessions_.find(signer.id);
    if (session == sessions_.end()) {
        return {SigningAnswer::Kind::kFailed, not_signed_in(signer.id).why};
    }
    const Acting acting(*this, session->second);
    SigningAnswer answer;
    const bool written = transaction(
        [&] {
            RecordSignatures record;
            bool found = false;
            if (!read_with([&](QSqlDatabase& db) {
                    return read_signatures(db, request.id, record, found);
                })) {
                return false;
            }
            if (!found) {
                return fail(QStringLiteral("no record %1").arg(request.id));
            }
            const std::optional<std::string> why =
                request.refused_because
                    ? request.refused_because
                    : signing_refusal(signer.id, signer.full_name, signer.role, request.meaning,
                                      record.signatures, record.record_digest,
                                      record.limits_in_force);
            if (why) {
                answer = {SigningAnswer::Kind::kRefused, *why};
                return run(QStringLiteral("SELECT refuse_signing(?, ?, ?)"),
                           {static_cast<qlonglong>(request.id),
                            text(std::string(meaning_name(request.meaning))), text(*why)})
                    .has_value();
            }
            if (!request.password) {
                return fail(
                    QStringLiteral("the shared archive takes a signature only with the"
                                   " signer's password"));
            }
            // The server checks the password, counting a wrong one, and the rules again.
            const SignedTerms terms{record.record_digest, request.meaning, record.limits_in_force,
                                    signer.full_name};
            const std::optional<QSqlQuery> row =
                row_of(QStringLiteral("SELECT outcome, why FROM sign_record(?, ?, ?, ?, ?)"),
                       {static_cast<qlonglong>(request.id),
                        text(std::string(meaning_name(request.meaning))), text(signed_value(terms)),
                        text(request.comment), text(*request.password)});
            if (row) {
                answer = row->value(0).toString() == QStringLiteral("done")
                             ? SigningAnswer{}
                             : SigningAnswer{SigningAnswer::Kind::kRefused,
                                             row->value(1).toString().toStdString()};
            }
            return row.has_value();
        },
        true);
    return written ? answer : SigningAnswer{SigningAnswer::Kind::kFailed, error_.toStdString()};
}

std::optional<bool> PgStore::accounts_on() {
    const std::optional<QSqlQuery> row =
        row_of(QStringLiteral("SELECT EXISTS (SELECT 1 FROM people)"), {});
    return row ? std::optional(row->value(0).toBool()) : std::nullopt;
}

AccountAnswer PgStore::answer_of(const QString& call, const QVariantList& values) {
    if (read_only()) {
        return failed(QStringLiteral("the archive was opened only to be read"));
    }
    const std::optional<QSqlQuery> row = row_of(call, values);
    if (!row) {
        return failed(error_);
    }
    const QString outcome = row->value(0).toString();
    AccountAnswer answer;
    answer.why = row->value(1).toString().toStdString();
    answer.kind = outcome == QStringLiteral("done")      ? Kind::kDone
                  : outcome == QStringLiteral("refused") ? Kind::kRefused
                                                         : Kind::kRejected;
    return answer;
}

AccountAnswer PgStore::as_signed_in(const Person& by, const QString& call,
                                    const QVariantList& values) {
    return as_person(by, [&] { return answer_of(call, values); });
}

std::optional<Person> PgStore::person(const std::string& id) {
    const std::optional<QSqlQuery> row = row_of(
        QStringLiteral("SELECT %1 FROM people WHERE id = ?").arg(kPersonColumns), {text(id)});
    return row ? std::optional(person_from(*row)) : std::nullopt;
}

AccountAnswer PgStore::change_person(const Person& by, const QString& call,
                                     const QVariantList& values, const std::string& id) {
    AccountAnswer answer = as_signed_in(by, call, values);
    if (answer.done()) {
        answer.person = person(id);
    }
    return answer;
}

// The first administrator is signed in on this connection, so that accounts can be set up.
AccountAnswer PgStore::turn_on_accounts(const std::string& id, const std::string& full_name,
                                        const std::string& password) {
    // Whoever turns accounts on becomes their administrator: the schema owner's act.
    if (!maintains_) {
        return {Kind::kRejected,
                "accounts on a shared archive are turned on by its schema owner: run "
                "frostel-cli users init with the owner's login",
                std::nullopt,
                {}};
    }
    const AccountAnswer answer =
        answer_of(QStringLiteral("SELECT outcome, why FROM init_accounts(?, ?, ?, ?)"),
                  {text(id), text(full_name), text(password), text(actor_.workstation)});
    return answer.done() ? sign_in(id, password, "sign-in") : answer;
}

// On a connection of its own, kept while the person is signed in: the server's session is
// the connection's. The person back at a locked window resumes that session.
AccountAnswer PgStore::sign_in(const std::string& id, const std::string& password,
                               const std::string& action) {
    if (action == "session-resumed") {
        AccountAnswer answer = as_person({id, {}, Role::kOperator, AccountState::kActive, 0}, [&] {
            return answer_of(QStringLiteral("SELECT outcome, why FROM resume_session(?)"),
                             {text(password)});
        });
        if (answer.done()) {
            answer.person = person(id);
        }
        return answer;
    }
    if (!address_ || !open_) {
        return failed(error_);
    }
    const QString name = QStringLiteral("%1-session-%2").arg(connection_).arg(++sessions_made_);
    QString error;
    (void)connect_pg(*address_, name, error);
    AccountAnswer answer = failed(error);
    if (error.isEmpty()) {
        const Acting acting(*this, name);
        answer = answer_of(QStringLiteral("SELECT outcome, why FROM sign_in(?, ?, ?)"),
                           {text(id), text(password), text(actor_.workstation)});
    }
    if (!answer.done()) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
        return answer;
    }
    end_session(id);
    sessions_[id] = name;
    latest_session_ = id;
    answer.person = person(id);
    return answer;
}

// The server enters a session's events for the person signed in on its connection.
AccountAnswer PgStore::note_session(const Person& person, const std::string& action) {
    const QString call = action == "sign-out"         ? QStringLiteral("SELECT sign_out()")
                         : action == "session-locked" ? QStringLiteral("SELECT lock_session()")
                                                      : QString();
    if (call.isEmpty()) {
        return failed(
            QStringLiteral("the shared archive enters no session event %1").arg(text(action)));
    }
    AccountAnswer answer =
        as_person(person, [&] { return run(call) ? AccountAnswer{} : failed(error_); });
    if (answer.done() && action == "sign-out") {
        end_session(person.id);
    }
    return answer;
}

// On the person's session when they are signed in, so that it may work again.
AccountAnswer PgStore::change_password(const std::string& id, const std::string& current,
                                       const std::string& chosen) {
    const auto session = sessions_.find(id);
    const Acting acting(*this, session != sessions_.end() ? session->second : QString());
    return answer_of(QStringLiteral("SELECT outcome, why FROM change_password(?, ?, ?, ?)"),
                     {text(id), text(current), text(chosen), text(actor_.workstation)});
}

SiteSettings PgStore::site_settings() {
    std::optional<QSqlQuery> query = run(kSiteSettings);
    return query ? site_settings_from(*query) : SiteSettings{};
}

AccountAnswer PgStore::people(const Person& by, std::vector<Person>& everyone) {
    return as_person(by, [&] {
        const std::optional<Person> now = person(by.id);
        if (!now) {
            return failed(error_);
        }
        if (now->state != AccountState::kActive || !has_right(now->role, Right::kChangeAccounts)) {
            return refuse(by, "users list", {});
        }
        std::optional<QSqlQuery> query =
            run(QStringLiteral("SELECT %1 FROM people ORDER BY created_utc_ms, id")
                    .arg(kPersonColumns));
        if (!query) {
            return failed(error_);
        }
        everyone.clear();
        while (query->next()) {
            everyone.push_back(person_from(*query));
        }
        return AccountAnswer{};
    });
}

AccountAnswer PgStore::add_person(const Person& by, const std::string& id,
                                  const std::string& full_name, Role role) {
    const std::string password = one_time_password(site_settings());
    AccountAnswer answer = change_person(
        by, QStringLiteral("SELECT outcome, why FROM add_person(?, ?, ?, ?)"),
        {text(id), text(full_name), text(std::string(role_name(role))), text(password)}, id);
    if (answer.done()) {
        answer.one_time_password = password;
    }
    return answer;
}

AccountAnswer PgStore::reset_password(const Person& by, const std::string& id) {
    const std::string password = one_time_password(site_settings());
    AccountAnswer answer =
        change_person(by, QStringLiteral("SELECT outcome, why FROM reset_password(?, ?)"),
                      {text(id), text(password)}, id);
    if (answer.done()) {
        answer.one_time_password = password;
    }
    return answer;
}

AccountAnswer PgStore::set_role(const Person& by, const std::string& id, Role role) {
    return change_person(by, QStringLiteral("SELECT outcome, why FROM set_role(?, ?)"),
                         {text(id), text(std::string(role_name(role)))}, id);
}

AccountAnswer PgStore::unlock(const Person& by, const std::string& id) {
    return change_person(by, QStringLiteral("SELECT outcome, why FROM unlock_person(?)"),
                         {text(id)}, id);
}

AccountAnswer PgStore::deactivate(const Person& by, const std::string& id) {
    return change_person(by, QStringLiteral("SELECT outcome, why FROM deactivate_person(?)"),
                         {text(id)}, id);
}

AccountAnswer PgStore::change_setting(const Person& by, const std::string& name, int value) {
    return as_signed_in(by, QStringLiteral("SELECT outcome, why FROM change_site_setting(?, ?)"),
                        {text(name), value});
}

AccountAnswer PgStore::refuse(const Person& by, const std::string& what,
                              const std::string& object) {
    return as_person(by, [&] {
        return run(QStringLiteral("SELECT refuse_access(?, ?)"), {text(what), text(object)})
                   ? AccountAnswer{Kind::kRefused, {}, std::nullopt, {}}
                   : failed(error_);
    });
}

}  // namespace frostel::archive
