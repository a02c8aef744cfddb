#include "archive/sqlite_store.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>
#include <atomic>

#include "archive/archive_files.h"
#include "archive/archive_schema.h"
#include "archive/fingerprint.h"
#include "archive/sqlite_trail.h"
#include "archive/store_queries.h"
#include "platform/latin1.h"
#include "platform/local_date_time.h"

namespace frostel::archive {

namespace {

using platform::latin1_text;

const QString kDriver = QStringLiteral("QSQLITE");
// Long enough for another program's write transaction (a few milliseconds) to end.
constexpr int kBusyTimeoutMs = 5000;
constexpr int kBusyRetryMs = 5;
const QString kConnectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs);
// SQLite's codes for a file another connection holds.
const QString kBusyCode = QStringLiteral("5");
const QString kLockedCode = QStringLiteral("6");
// SQLite's codes for a damaged file and for a file that is no database at all.
const QString kCorruptCode = QStringLiteral("11");
const QString kNotADatabaseCode = QStringLiteral("26");

std::atomic<int> connection_count{0};

const QString kCopyName = QStringLiteral("older-archive.sqlite");

bool is_damage(const QSqlError& error) {
    return error.nativeErrorCode() == kCorruptCode || error.nativeErrorCode() == kNotADatabaseCode;
}

std::string sql_time(const platform::LocalDateTime& t) {
    return platform::format_iso(t);
}

// One write: BEGIN IMMEDIATE takes the write lock at once (waiting out another writer),
// so no read inside it has to be upgraded later; rolled back unless committed.
class WriteTransaction {
  public:
    explicit WriteTransaction(QSqlDatabase& db) : query_(db) {}
    ~WriteTransaction() {
        if (begun_ && !committed_) {
            query_.exec(QStringLiteral("ROLLBACK"));
        }
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    [[nodiscard]] bool begin() { return begun_ = query_.exec(QStringLiteral("BEGIN IMMEDIATE")); }
    [[nodiscard]] bool commit() { return committed_ = query_.exec(QStringLiteral("COMMIT")); }
    [[nodiscard]] QSqlError error() const { return query_.lastError(); }

  private:
    QSqlQuery query_;
    bool begun_ = false;
    bool committed_ = false;
};

QVariant nullable_real(const std::optional<double>& value) {
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
}

}  // namespace

SqliteStore::SqliteStore(QString path, StoreAccess access, Actor actor)
    : path_(std::move(path)),
      access_(access),
      actor_(std::move(actor)),
      connection_(QStringLiteral("frostel-archive-%1").arg(++connection_count)) {
    if (!QSqlDatabase::isDriverAvailable(kDriver)) {
        fail(QStringLiteral("the SQLite driver of Qt SQL is not installed"));
        return;
    }
    open_ = open_file();
    close_file();
}

SqliteStore::Lease::Lease(SqliteStore& store) : store_(store) {
    if (store_.leases_++ == 0 && store_.open_ && !store_.open_file()) {
        store_.close_file();
    }
}

SqliteStore::Lease::~Lease() {
    if (--store_.leases_ == 0) {
        store_.close_file();
    }
}

std::unique_ptr<StoreHold> SqliteStore::hold() {
    return std::make_unique<Lease>(*this);
}

SqliteStore::~SqliteStore() {
    close_file();
}

void SqliteStore::close() {
    close_file();
    open_ = false;
}

bool SqliteStore::fail(const QSqlError& error) {
    fail(error.text());
    if (is_damage(error) && open_ && access_ == StoreAccess::kReadWrite) {
        open_ = start_again();
    }
    return false;
}

bool SqliteStore::start_again() {
    close_file();
    const std::optional<QString> kept_as = set_aside_damaged_file();
    if (kept_as && !may_go_without_accounts()) {
        notice_.clear();  // no new archive was started
        return false;
    }
    return kept_as && !connect_file().has_value() &&
           write_event(archive_set_aside(kept_as->toStdString()));
}

bool SqliteStore::open_file() {
    if (!QFile::exists(path_) && !may_go_without_accounts()) {
        return false;
    }
    const std::optional<QSqlError> error = connect_file();
    if (error && is_damage(*error) && access_ == StoreAccess::kReadWrite) {
        return start_again();
    }
    if (error) {
        return false;
    }
    const QString refused = accounts_kept(db_, path_, access_ == StoreAccess::kReadWrite);
    if (!refused.isEmpty()) {
        close_file();
    }
    return refused.isEmpty() || fail(refused);
}

// An archive started anew without accounts would let anyone turn them on as administrator.
bool SqliteStore::may_go_without_accounts() {
    const QString refused = accounts_left_behind(path_);
    return refused.isEmpty() || fail(refused);
}

// Another program opening or migrating the same file at this moment makes SQLite answer
// "busy" at once in places its busy timeout does not cover: tried again until it passes.
std::optional<QSqlError> SqliteStore::connect_file() {
    QDeadlineTimer deadline(kBusyTimeoutMs);
    for (;;) {
        std::optional<QSqlError> error = connect_once();
        const bool busy = error && (error->nativeErrorCode() == kBusyCode ||
                                    error->nativeErrorCode() == kLockedCode);
        if (!busy || deadline.hasExpired()) {
            return error;
        }
        close_file();
        QThread::msleep(kBusyRetryMs);
    }
}

std::optional<QSqlError> SqliteStore::connect_once() {
    ++connections_;
    db_ = QSqlDatabase::addDatabase(kDriver, connection_);
    db_.setDatabaseName(older_copy_ ? older_copy_->filePath(kCopyName) : path_);
    db_.setConnectOptions(access_ == StoreAccess::kReadOnly
                              ? kConnectOptions + QStringLiteral(";QSQLITE_OPEN_READONLY")
                              : kConnectOptions);
    if (!db_.open()) {
        fail(db_.lastError().text());
        return db_.lastError();
    }
    QSqlQuery query(db_);
    // The version first: a file from a newer program is left exactly as it is.
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        fail(query.lastError().text());
        return query.lastError();
    }
    const int version = query.value(0).toInt();
    // A statement left open would keep the schema locked against the migration.
    query.finish();
    if (version > kSchemaVersion) {
        fail(QStringLiteral("it was written by a newer version of this program"));
        return QSqlError(error_);
    }
    if (access_ == StoreAccess::kReadOnly && version < kSchemaVersion) {
        return read_through_copy();
    }
    // Write-ahead: a writer killed mid-way leaves the file as of its last commit, and
    // readers never block the writer. FULL: a commit is on disk before it returns.
    if (access_ == StoreAccess::kReadWrite &&
        !(query.exec(QStringLiteral("PRAGMA journal_mode = WAL")) &&
          query.exec(QStringLiteral("PRAGMA synchronous = FULL")))) {
        fail(query.lastError().text());
        return query.lastError();
    }
    query.finish();
    if (std::optional<QSqlError> damage = checked_ ? std::nullopt : quick_check()) {
        return damage;
    }
    const QString migration_error = access_ == StoreAccess::kReadWrite && version < kSchemaVersion
                                        ? migrate_forward(db_)
                                        : QString();
    if (!migration_error.isEmpty()) {
        fail(migration_error);
        return QSqlError(migration_error);
    }
    checked_ = true;
    return std::nullopt;
}

// A file of an older schema that may not be written (a copy on read-only media) is read
// through a copy brought forward in a temporary folder: the file itself stays as it is, and
// its records keep the summaries the older version derived.
std::optional<QSqlError> SqliteStore::read_through_copy() {
    older_copy_ = std::make_unique<QTemporaryDir>();
    const QString copy = older_copy_->filePath(kCopyName);
    QSqlQuery vacuum(db_);
    vacuum.prepare(QStringLiteral("VACUUM INTO ?"));
    vacuum.addBindValue(copy);
    const bool copied = older_copy_->isValid() && vacuum.exec();
    const QSqlError copy_error = vacuum.lastError();
    vacuum.finish();
    close_file();
    QString error = copied ? migrate_copy(copy) : copy_error.text();
    if (!error.isEmpty()) {
        older_copy_.reset();
        fail(QStringLiteral("it was written by an older version of this program and could not "
                            "be read: %1")
                 .arg(error));
        return QSqlError(error_);
    }
    read_as_it_is_ = true;
    notice_ = QStringLiteral(
        "The archive was written by an older version of this program; it is read as it is and "
        "not changed, and the minimum, maximum and verdict it lists are as that version derived "
        "them.");
    return connect_once();
}

QString SqliteStore::migrate_copy(const QString& copy) {
    const QString name = connection_ + QStringLiteral("-copy");
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, name);
        db.setDatabaseName(copy);
        error = db.open() ? migrate_forward(db) : db.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

// Records kept by an earlier version hold the summary its rules derived; today's Verify
// would call them altered. Where the pages, the digest and the copies of the pages still
// agree, the summary follows from the pages alone and is derived again, all in one
// transaction. Any other record keeps its columns and stays altered.
std::optional<int> SqliteStore::derive_summaries_again(int rules, const Derive& derive) {
    const Lease lease(*this);
    if (!lease) {
        return std::nullopt;
    }
    const QString older = QStringLiteral("SELECT id FROM missions WHERE derived_by < ?");
    std::optional<std::vector<std::int64_t>> ids = ids_of(older, {rules});
    if (!ids || ids->empty()) {
        return ids ? std::optional<int>(0) : std::nullopt;
    }
    WriteTransaction transaction(db_);
    if (!transaction.begin()) {
        fail(transaction.error());
        return std::nullopt;
    }
    // Another program may have derived them while this one waited for the lock.
    ids = ids_of(older, {rules});
    int derived = 0;
    QSqlQuery update(db_);
    update.prepare(
        QStringLiteral("UPDATE missions SET minimum = ?, maximum = ?, verdict = ?, derived_by = ?"
                       " WHERE id = ?"));
    for (const std::int64_t id : ids.value_or(std::vector<std::int64_t>{})) {
        const std::optional<KeptRecord> kept = kept_record(id);
        if (!kept) {
            return std::nullopt;
        }
        const std::optional<RecordSummary> summary = derive(*kept);
        if (!summary) {
            continue;
        }
        for (const QVariant& value :
             {nullable_real(summary->minimum), nullable_real(summary->maximum),
              QVariant(QString::fromStdString(summary->verdict)), QVariant(rules),
              QVariant(static_cast<qlonglong>(id))}) {
            update.addBindValue(value);
        }
        if (!update.exec()) {
            fail(update.lastError());
            return std::nullopt;
        }
        ++derived;
    }
    if (derived > 0 &&
        !append(summaries_derived_again(path_.toStdString(), derived, rules), actor_)) {
        return std::nullopt;
    }
    if (!ids || !transaction.commit()) {
        if (ids) {
            fail(transaction.error());
        }
        return std::nullopt;
    }
    note_derived_again(derived);
    return derived;
}

void SqliteStore::note_derived_again(int count) {
    if (count == 0) {
        return;
    }
    const QString text = derived_again_notice(count);
    notice_ = notice_.isEmpty() ? text : notice_ + QLatin1Char(' ') + text;
}

// Damage in the middle of the file shows only where it is read: found once on opening
// rather than as records missing from a list.
std::optional<QSqlError> SqliteStore::quick_check() {
    QSqlQuery query(db_);
    if (!query.exec(QStringLiteral("PRAGMA quick_check(1)")) || !query.next()) {
        fail(query.lastError().text());
        return query.lastError();
    }
    const QString result = query.value(0).toString();
    if (result == QStringLiteral("ok")) {
        return std::nullopt;
    }
    fail(QStringLiteral("the file is damaged (%1)").arg(result));
    return QSqlError(error_, QString(), QSqlError::StatementError, kCorruptCode);
}

void SqliteStore::close_file() {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_);
}

std::optional<QString> SqliteStore::set_aside_damaged_file() {
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("'.damaged-'yyyyMMdd-hhmmss"));
    QString suffix = stamp;
    for (int n = 2; QFile::exists(path_ + suffix); ++n) {
        suffix = stamp + QStringLiteral("-%1").arg(n);
    }
    // The journal files belong to the damaged file and go with it.
    for (const QString& part : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFile::exists(path_ + part) && !QFile::rename(path_ + part, path_ + suffix + part)) {
            fail(QStringLiteral("%1 is damaged and could not be set aside")
                     .arg(QFileInfo(path_).fileName()));
            return std::nullopt;
        }
    }
    notice_ = QStringLiteral(
                  "The archive file was damaged; it was kept as %1 and a new archive "
                  "was started.")
                  .arg(QFileInfo(path_ + suffix).fileName());
    return path_ + suffix;
}

std::optional<std::pair<Archived, std::int64_t>> SqliteStore::archive_download(
    const mission::DownloadedMission& mission, const DownloadFacts& facts,
    const DownloadMatch& match) {
    const Lease lease(*this);
    if (!lease) {
        return std::nullopt;
    }
    const QString notice = notice_;
    auto kept = archive_once(mission, facts, match);
    // The file was found damaged and set aside: the download goes into the new archive.
    if (!kept && open_ && notice_ != notice) {
        kept = archive_once(mission, facts, match);
    }
    return kept;
}

std::optional<std::pair<Archived, std::int64_t>> SqliteStore::archive_once(
    const mission::DownloadedMission& mission, const DownloadFacts& facts,
    const DownloadMatch& match) {
    if (!open_) {
        return std::nullopt;
    }
    const mission::MissionHeader& header = mission.header;
    const Stamp& stamp = facts.stamp;
    const QString now = latin1_text(sql_time(stamp.local_time));
    const QString logger_id = latin1_text(header.logger_id);

    WriteTransaction transaction(db_);
    if (!transaction.begin()) {
        fail(transaction.error());
        return std::nullopt;
    }
    // The same pages again: noted on their record, unless that record was altered since.
    QString error;
    const auto same = first_match(db_, kSameContent, {logger_id, latin1_text(facts.content_key)},
                                  match, match.same_pages, error);
    if (!same) {
        error.isEmpty() || fail(error);
        return std::nullopt;
    }
    QSqlQuery query(db_);
    if (*same != 0) {
        if (!append(download_archived(*same, facts.fingerprint, {}, {}, facts.reader_device),
                    actor_, {*same, now, std::nullopt})) {
            return std::nullopt;
        }
        query.prepare(
            QStringLiteral("UPDATE missions SET download_count = download_count + 1,"
                           " last_downloaded_at = ? WHERE id = ?"));
        query.addBindValue(now);
        query.addBindValue(static_cast<qlonglong>(*same));
        if (!query.exec() || !transaction.commit()) {
            fail(query.lastError().isValid() ? query.lastError() : transaction.error());
            return std::nullopt;
        }
        return std::pair{Archived::kDownloadedAgain, *same};
    }

    // A later download: the same logger, start and settings, with fewer samples before.
    const auto earlier = first_match(
        db_, kEarlierParts,
        {logger_id, latin1_text(sql_time(header.start_time)), header.mission_sample_count}, match,
        match.earlier_part, error);
    if (!earlier) {
        error.isEmpty() || fail(error);
        return std::nullopt;
    }
    query.prepare(QStringLiteral("INSERT INTO missions (%1, last_downloaded_at) VALUES (?%2)")
                      .arg(kRecordValueColumns, QStringLiteral(", ?").repeated(32)));
    const QVariantList values = record_values(mission, facts, *earlier) << now;
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        fail(query.lastError());
        return std::nullopt;
    }
    const std::int64_t id = query.lastInsertId().toLongLong();
    if (!append(download_archived(id, facts.fingerprint, facts.record_digest, facts.clock_line,
                                  facts.reader_device),
                actor_, {id, now, std::nullopt})) {
        return std::nullopt;
    }
    if (!transaction.commit()) {
        fail(transaction.error());
        return std::nullopt;
    }
    return std::pair{*earlier == 0 ? Archived::kNewRecord : Archived::kLaterDownload, id};
}

std::optional<std::vector<std::int64_t>> SqliteStore::ids_of(const QString& select,
                                                             const QVariantList& values) {
    std::optional<QSqlQuery> query = selected(select, values);
    return query ? std::optional(ids_from(*query)) : std::nullopt;
}

std::optional<std::vector<ArchiveEntry>> SqliteStore::find(const MissionFilter& filter) {
    const Lease lease(*this);
    if (!lease) {
        return std::nullopt;
    }
    QVariantList values;
    // SQLite's LIKE ignores the case of ASCII letters.
    const QString conditions = mission_conditions(filter, QStringLiteral("LIKE"), values);
    values << filter.limit << filter.offset;
    // The ids are chosen from the filter's index alone, as a scan of the rows would read
    // every row's pages; only the rows shown are read.
    const QString sql =
        conditions.isEmpty()
            ? QStringLiteral("SELECT %1 FROM missions ORDER BY id DESC LIMIT ? OFFSET ?")
                  .arg(kRecordColumns)
            : QStringLiteral(
                  "SELECT %1 FROM missions WHERE id IN (SELECT id FROM missions"
                  " INDEXED BY missions_for_filter WHERE %2 ORDER BY id DESC LIMIT ? OFFSET ?) "
                  "ORDER BY id DESC")
                  .arg(kRecordColumns, conditions);

    std::optional<QSqlQuery> query = selected(sql, values);
    if (!query) {
        return std::nullopt;
    }
    std::vector<ArchiveEntry> records;
    while (query->next()) {
        records.push_back(record_from(*query));
    }
    // A row that cannot be read ends the walk early: the list would be short, not whole.
    if (query->lastError().isValid()) {
        fail(query->lastError());
        return std::nullopt;
    }
    return records;
}

std::optional<QSqlQuery> SqliteStore::selected(const QString& select, const QVariantList& values) {
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    query.prepare(select);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        fail(query.lastError());
        return std::nullopt;
    }
    return query;
}

std::optional<QSqlQuery> SqliteStore::record_row(const QString& select, std::int64_t id) {
    if (!open_) {
        return std::nullopt;
    }
    std::optional<QSqlQuery> query = selected(select, {static_cast<qlonglong>(id)});
    if (!query) {
        return std::nullopt;
    }
    if (!query->next()) {
        fail(QStringLiteral("no record %1").arg(id));
        return std::nullopt;
    }
    return query;
}

std::optional<QSqlQuery> SqliteStore::record_columns(const QString& more, std::int64_t id) {
    return record_row(record_select(more), id);
}

std::optional<StoredMission> SqliteStore::load(std::int64_t id) {
    const Lease lease(*this);
    if (!lease) {
        return std::nullopt;
    }
    const std::optional<QSqlQuery> row = record_columns(kStoredColumns, id);
    if (!row) {
        return std::nullopt;
    }
    std::optional<StoredMission> stored = stored_mission_from(*row);
    if (!stored) {
        fail(QStringLiteral("record %1 holds no whole pages").arg(id));
    }
    return stored;
}

std::optional<KeptRecord> SqliteStore::kept_record(std::int64_t id) {
    const Lease lease(*this);
    if (!lease) {
        return std::nullopt;
    }
    const std::optional<QSqlQuery> row = record_columns(kKeptColumns, id);
    if (!row) {
        return std::nullopt;
    }
    KeptRecord kept = kept_record_from(*row);
    const QString error = read_kept_bindings(db_, kept);
    return error.isEmpty() || fail(error) ? std::optional(kept) : std::nullopt;
}

std::optional<std::vector<std::int64_t>> SqliteStore::missing_records() {
    const Lease lease(*this);
    if (!lease) {
        return std::nullopt;
    }
    return ids_of(kMissingRecords, {QString::fromLatin1(kDownloadArchived)});
}

std::optional<std::vector<std::int64_t>> SqliteStore::records_of_mission(
    const link::LoggerId& logger_id, const std::string& start_time, int mission_sample_count) {
    const Lease lease(*this);
    if (!lease) {
        return std::nullopt;
    }
    return ids_of(kRecordsOfMission,
                  {latin1_text(logger_id), latin1_text(start_time), mission_sample_count});
}

// SQLite's count of other connections' commits, which only a held connection can tell (each
// connection counts its own), told apart from the count of an earlier connection (a damaged
// file set aside and a new one started). Outside a hold nothing read may be kept.
std::optional<std::int64_t> SqliteStore::change_count() {
    if (leases_ == 0 || !db_.isOpen()) {
        return std::nullopt;
    }
    QSqlQuery query(db_);
    if (!query.exec(QStringLiteral("PRAGMA data_version")) || !query.next()) {
        return std::nullopt;
    }
    return (static_cast<std::int64_t>(connections_) << 32) + query.value(0).toLongLong();
}

bool SqliteStore::record_programming(const ProgrammingRecord& run) {
    const Lease lease(*this);
    if (!lease) {
        return false;
    }
    WriteTransaction transaction(db_);
    if (!transaction.begin()) {
        return fail(transaction.error());
    }
    QSqlQuery query(db_);
    query.prepare(QStringLiteral(
        "INSERT INTO programming_runs (programmed_at, time_zone, utc_offset_seconds,"
        " program_version, logger_id, logger_type, settings, image_fingerprint, result)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(latin1_text(sql_time(run.stamp.local_time)));
    query.addBindValue(QString::fromStdString(run.stamp.time_zone));
    query.addBindValue(run.stamp.utc_offset_seconds);
    query.addBindValue(QString::fromStdString(run.stamp.program_version));
    query.addBindValue(latin1_text(run.logger_id));
    query.addBindValue(latin1_text(run.logger_type));
    query.addBindValue(settings_column(run));
    query.addBindValue(latin1_text(run.image_fingerprint));
    query.addBindValue(latin1_text(run.result));
    if (!query.exec()) {
        return fail(query.lastError());
    }
    return append(programming_run(run), actor_,
                  {std::nullopt, {}, query.lastInsertId().toLongLong()}) &&
           (transaction.commit() || fail(transaction.error()));
}

std::optional<mission::ClockSetting> SqliteStore::last_clock_setting(
    const link::LoggerId& logger_id, const platform::LocalDateTime& latest) {
    const Lease lease(*this);
    if (!lease) {
        return std::nullopt;
    }
    std::optional<QSqlQuery> query = selected(
        kLastClockSetting,
        {latin1_text(logger_id), QStringLiteral("PROGRAMMING OK"), latin1_text(sql_time(latest))});
    if (!query || !query->next()) {
        return std::nullopt;
    }
    return mission::ClockSetting{query->value(0).toString().toStdString(), query->value(1).toInt()};
}

std::vector<ProgrammingRecord> SqliteStore::programming_runs(const link::LoggerId& logger_id) {
    const Lease lease(*this);
    std::vector<ProgrammingRecord> runs;
    std::optional<QSqlQuery> query =
        lease ? selected(kProgrammingRuns, {latin1_text(logger_id)}) : std::nullopt;
    while (query && query->next()) {
        runs.push_back(programming_record_from(*query, logger_id));
    }
    return runs;
}

bool SqliteStore::append(const AuditEvent& event, const Actor& actor, const Outgoing& kept) {
    const QString error =
        archive::append_event(db_, actor, event, QDateTime::currentMSecsSinceEpoch());
    return (error.isEmpty() || fail(error)) && (!offline_ || mark_pending(event, kept));
}

bool SqliteStore::append_event(const AuditEvent& event) {
    const Lease lease(*this);
    return lease && write_event(event);
}

bool SqliteStore::write_event(const AuditEvent& event) {
    WriteTransaction transaction(db_);
    if (!transaction.begin()) {
        return fail(transaction.error().text());
    }
    return append(event, actor_) && (transaction.commit() || fail(transaction.error().text()));
}

bool SqliteStore::for_each_event(const AuditFilter& filter,
                                 const std::function<void(const AuditEntry&)>& each) {
    const Lease lease(*this);
    if (!lease) {
        return false;
    }
    const QString error = list_events(db_, filter, each);
    return error.isEmpty() || fail(error);
}

bool SqliteStore::for_newest_events(const AuditFilter& filter, int offset, int limit,
                                    const std::function<void(const AuditEntry&)>& each) {
    const Lease lease(*this);
    if (!lease) {
        return false;
    }
    const QString error = list_newest_events(db_, filter, offset, limit, each);
    return error.isEmpty() || fail(error);
}

std::optional<Anchor> SqliteStore::chain_head() {
    const Lease lease(*this);
    if (!lease) {
        return std::nullopt;
    }
    Anchor head;
    const QString error = trail_head(db_, head);
    if (!error.isEmpty()) {
        fail(error);
        return std::nullopt;
    }
    return head;
}

bool SqliteStore::read(const Work& work) {
    const Lease lease(*this);
    if (!lease) {
        return false;
    }
    QSqlQuery query(db_);
    if (!query.exec(QStringLiteral("BEGIN"))) {
        return fail(query.lastError());
    }
    const QString error = work(db_);
    query.exec(QStringLiteral("COMMIT"));
    return error.isEmpty() || fail(error);
}

bool SqliteStore::write(const Work& work) {
    if (!open_ || read_only()) {
        return open_ && fail(QStringLiteral("the archive was opened only to be read"));
    }
    const Lease lease(*this);
    if (!lease) {
        return false;
    }
    WriteTransaction transaction(db_);
    if (!transaction.begin()) {
        return fail(transaction.error());
    }
    const QString error = work(db_);
    if (!error.isEmpty()) {
        return fail(error);
    }
    return transaction.commit() || fail(transaction.error());
}

std::optional<RecordLimits> SqliteStore::record_limits(std::int64_t id) {
    const Lease lease(*this);
    if (!lease || !record_row(QStringLiteral("SELECT id FROM missions WHERE id = ?"), id)) {
        return std::nullopt;
    }
    RecordLimits limits;
    const QString error = read_limits(db_, id, limits);
    return error.isEmpty() || fail(error) ? std::optional(limits) : std::nullopt;
}

bool SqliteStore::set_limits(std::int64_t id, const RecordLimits& limits,
                             const std::string& reason) {
    const Lease lease(*this);
    if (!lease) {
        return false;
    }
    WriteTransaction transaction(db_);
    if (!transaction.begin()) {
        return fail(transaction.error().text());
    }
    const std::optional<RecordLimits> before = record_limits(id);
    if (before == limits) {
        return true;
    }
    return before && append(limits_set(id, *before, limits, reason), actor_) &&
           (transaction.commit() || fail(transaction.error().text()));
}

std::optional<std::int64_t> SqliteStore::for_each_chained_row(
    const std::function<void(const ChainedRow&)>& each) {
    const Lease lease(*this);
    if (!lease) {
        return std::nullopt;
    }
    std::int64_t issued = 0;
    const QString error = archive::for_each_chained_row(db_, each, issued);
    if (!error.isEmpty()) {
        fail(error);
        return std::nullopt;
    }
    return issued;
}

std::optional<RecordSignatures> SqliteStore::record_signatures(std::int64_t id) {
    RecordSignatures record;
    bool found = false;
    if (!read([&](QSqlDatabase& db) { return read_signatures(db, id, record, found); })) {
        return std::nullopt;
    }
    return found ? std::optional(record) : std::nullopt;
}

SigningAnswer SqliteStore::sign(const Person& signer, const SigningRequest& request) {
    SigningAnswer answer;
    const Actor actor = actor_of(signer, actor_.workstation);
    const bool written = write([&](QSqlDatabase& db) {
        RecordSignatures record;
        bool found = false;
        if (QString error = read_signatures(db, request.id, record, found); !error.isEmpty()) {
            return error;
        }
        // The password first: a wrong one learns nothing of the record.
        std::optional<std::string> why;
        if (request.password) {
            bool accepted = false;
            if (QString error = check_password(db, signer.id, *request.password, accepted);
                !error.isEmpty()) {
                return error;
            }
            why = accepted ? std::nullopt : std::optional<std::string>("wrong password");
        }
        if (!why) {
            why = request.refused_because
                      ? request.refused_because
                      : signing_refusal(signer.id, signer.full_name, signer.role, request.meaning,
                                        record.signatures, record.record_digest,
                                        record.limits_in_force);
        }
        const std::int64_t now = QDateTime::currentMSecsSinceEpoch();
        if (why) {
            answer = {SigningAnswer::Kind::kRefused, *why};
            return archive::append_event(db, actor,
                                         signing_refused(request.id, request.meaning, *why), now);
        }
        const SignedTerms terms{record.record_digest, request.meaning, record.limits_in_force,
                                signer.full_name};
        return archive::append_event(
            db, actor,
            {kSigned, record_object(request.id), {}, signed_value(terms), request.comment}, now);
    });
    return written ? answer : SigningAnswer{SigningAnswer::Kind::kFailed, error_.toStdString()};
}

}  // namespace frostel::archive
