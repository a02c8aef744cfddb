#include "archive/mission_archive.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <tuple>

#include "archive/archive_schema.h"
#include "archive/fingerprint.h"
#include "archive/record_digest.h"
#include "insight/summary.h"
#include "mission/mission_record.h"
#include "mission/sample_log.h"
#include "platform/latin1.h"
#include "platform/local_date_time.h"
#include "platform/program_folder.h"
#include "platform/time_zone.h"

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

// The version of the rules deriving a record's minimum, maximum and verdict from its pages,
// raised whenever they change: records derived by older rules are derived anew on opening.
constexpr int kSummaryRules = 2;

// The logger's running clock: page 16, bytes 0 to 5 (0x0200 to 0x0205).
constexpr int kClockPage = 16;
constexpr int kClockBytes = 6;

const QString kRecordColumns = QStringLiteral(
    "id, logger_id, start_time, mission_sample_count, sample_count, interval_seconds, minimum,"
    " maximum, verdict, first_line, downloaded_at, fingerprint, later_download_of,"
    " download_count");

std::atomic<int> connection_count{0};

std::string text_of(const QVariant& value) {
    return value.toString().toLatin1().toStdString();
}

std::optional<double> optional_real(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional<double>(value.toDouble());
}

bool is_damage(const QSqlError& error) {
    return error.nativeErrorCode() == kCorruptCode || error.nativeErrorCode() == kNotADatabaseCode;
}

// Two downloads of one stopped mission differ only in the logger's clock.
std::string content_key(std::vector<mission::RawPage> pages) {
    for (mission::RawPage& page : pages) {
        if (page.number == kClockPage) {
            std::fill_n(page.bytes.begin(), kClockBytes, 0);
        }
    }
    return mission_fingerprint(pages);
}

std::string first_line(const std::string& text) {
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    line.erase(line.find_last_not_of(std::string(" \t\0", 3)) + 1);
    return line;
}

// How long a programming run may take from writing the clock to its record's stamp.
constexpr std::int64_t kRunLengthS = 300;

std::string sql_time(const platform::LocalDateTime& t) {
    return platform::format_iso(t);
}

// The logger's clock as a record keeps it in five columns from `first`; nothing when the
// record was kept before clocks were read.
std::optional<mission::LoggerClock> clock_from(const QSqlQuery& query, int first) {
    const std::optional<mission::ClockSource> source =
        mission::source_from_name(query.value(first + 1).toString().toStdString());
    if (query.value(first).isNull() || !source) {
        return std::nullopt;
    }
    return mission::LoggerClock{query.value(first).toInt(), *source,
                                query.value(first + 2).toLongLong(), query.value(first + 3).toInt(),
                                query.value(first + 4).toString().toStdString()};
}

platform::LocalDateTime parse_sql_time(const std::string& text) {
    platform::LocalDateTime t;
    std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                &t.second);
    return t;
}

ArchiveEntry record_from(const QSqlQuery& query) {
    ArchiveEntry record;
    record.id = query.value(0).toLongLong();
    record.logger_id = text_of(query.value(1));
    record.start_time = text_of(query.value(2));
    record.mission_sample_count = query.value(3).toInt();
    record.sample_count = query.value(4).toInt();
    record.interval_seconds = query.value(5).toInt();
    record.minimum = optional_real(query.value(6));
    record.maximum = optional_real(query.value(7));
    record.verdict = text_of(query.value(8));
    record.first_line = text_of(query.value(9));
    record.downloaded_at = text_of(query.value(10));
    record.fingerprint = text_of(query.value(11));
    if (!query.value(12).isNull()) {
        record.later_download_of = query.value(12).toLongLong();
    }
    record.download_count = query.value(13).toInt();
    return record;
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

// What the list shows of a mission's temperatures: its summary in degrees Celsius, against
// the thresholds the logger was programmed with.
insight::Summary list_summary(const mission::DownloadedMission& mission,
                              const mission::TimeZone& zone) {
    const std::vector<double> values = mission::shown_values(
        mission.samples, mission::TemperatureUnit::kCelsius, mission.header.calibration_offset);
    insight::SummaryInput input;
    input.readings.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        input.readings.push_back({platform::to_civil_seconds(mission.samples[i].time), values[i]});
    }
    input.record = mission::make_mission_record(mission.header, mission.samples, zone);
    return insight::summarize(input);
}

std::optional<double> value_of(const std::optional<insight::TimedValue>& timed) {
    return timed ? std::optional<double>(timed->value) : std::nullopt;
}

QVariant nullable(const std::optional<double>& value) {
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
}

// A run as one event on its logger: each setting, the image written and the result, a line
// each.
AuditEvent programming_run(const ProgrammingRecord& run) {
    std::string value = "type=" + run.logger_type;
    for (const auto& [name, setting] : run.settings) {
        value += '\n' + name + '=' + latin1_text(setting).toStdString();
    }
    value += "\nimage=" + run.image_fingerprint + "\nresult=" + run.result;
    return {"programming-run", "logger:" + run.logger_id, {}, value, {}};
}

std::int64_t utc_ms(const platform::LocalDateTime& local, int utc_offset_seconds) {
    return (platform::to_civil_seconds(local) - utc_offset_seconds) * 1000;
}

// What programming chose: a download with these the same and more samples is the same
// mission downloaded later.
bool same_settings(const mission::MissionHeader& a, const mission::MissionHeader& b) {
    const auto settings = [](const mission::MissionHeader& h) {
        return std::tie(h.configuration, h.sample_interval, h.sample_format, h.start_delay,
                        h.calibration_offset_tenths, h.mission_control, h.alarm_enable,
                        h.low_threshold, h.high_threshold, h.mission_text);
    };
    return settings(a) == settings(b);
}

// The kept copies of what the pages hold, each as the download decoded it: the record's
// columns must say the same.
bool copies_agree(const QSqlQuery& row, const ArchiveEntry& record,
                  const mission::DownloadedMission& mission) {
    const mission::MissionHeader& h = mission.header;
    return text_of(row.value(15)) == std::string(1, static_cast<char>(h.logger_type)) &&
           row.value(16).toInt() == h.configuration &&
           row.value(17).toInt() == h.device_sample_count &&
           row.value(18).toBool() == (h.sample_format == mission::SampleFormat::k16Bit) &&
           row.value(19).toInt() == h.alarm_status &&
           row.value(20).toInt() == h.calibration_offset_tenths &&
           text_of(row.value(21)) == h.mission_text &&
           record.start_time == sql_time(h.start_time) &&
           record.mission_sample_count == h.mission_sample_count &&
           record.sample_count == static_cast<int>(mission.samples.size()) &&
           record.interval_seconds == h.sample_interval &&
           record.first_line == first_line(h.mission_text);
}

// What the record digest says of a record whose pages and copies agree.
Verification digest_check(const QSqlQuery& query, const ArchiveEntry& record,
                          const mission::TimeZone& zone) {
    if (query.value(25).isNull() && query.value(24).isNull()) {
        return Verification::kIntactWithoutDigest;
    }
    const std::int64_t downloaded_utc_ms = query.value(24).toLongLong();
    const std::optional<platform::LocalDateTime> downloaded_at =
        platform::parse_iso(record.downloaded_at);
    const bool intact = downloaded_at &&
                        utc_ms(*downloaded_at, zone.utc_offset_s) == downloaded_utc_ms &&
                        text_of(query.value(25)) ==
                            record_digest({record.fingerprint, record.logger_id, downloaded_utc_ms,
                                           zone.name, zone.utc_offset_s});
    return intact ? Verification::kIntact : Verification::kAltered;
}

enum class Which { kFirst, kLatest };

// Record `id`'s first or latest event of `action` into `found`, left empty when it has none;
// false when the trail cannot be read.
bool find_record_event(MissionArchive& archive, std::int64_t id, const std::string& action,
                       Which which, std::optional<ChainedRow>& found) {
    AuditFilter events;
    events.object = "record:" + std::to_string(id);
    return archive.for_each_event(events, [&](const AuditEntry& entry) {
        if (entry.chained.row.action == action && (which == Which::kLatest || !found)) {
            found = entry.chained;
        }
    });
}

}  // namespace

QString archive_path(const QString& data_folder) {
    QString folder = data_folder;
    if (folder.isEmpty()) {
        // The folder the program's save dialog opens in, so frostel-cli finds the same file.
        folder = platform::default_data_folder();
        QDir().mkpath(folder);
    }
    return QDir(folder).filePath(kArchiveFileName);
}

Stamp stamp_now(const link::Clock& clock) {
    const platform::LocalDateTime local = clock.local_now();
    // Both readings come from one clock, so the offset is the one the stamp's time is in;
    // no zone in use has seconds, so a second ticking between them is rounded away.
    const std::int64_t ahead = platform::to_civil_seconds(local) - clock.utc_now();
    const auto offset = static_cast<int>((ahead + (ahead < 0 ? -30 : 30)) / 60 * 60);
    return {local, platform::pc_time_zone().name, offset, FROSTEL_VERSION};
}

MissionArchive::MissionArchive(QString path, Access access, Actor actor)
    : path_(std::move(path)),
      access_(access),
      actor_(std::move(actor)),
      connection_(QStringLiteral("frostel-archive-%1").arg(++connection_count)) {
    if (!QSqlDatabase::isDriverAvailable(kDriver)) {
        error_ = QStringLiteral("the SQLite driver of Qt SQL is not installed");
        return;
    }
    open_ = open_file();
    // Until its records follow today's summary rules, Verify would call them altered.
    if (open_ && access_ == Access::kReadWrite && !derive_anew()) {
        open_ = false;
    }
}

MissionArchive::~MissionArchive() {
    close_file();
}

bool MissionArchive::fail(const QString& error) {
    error_ = error;
    return false;
}

bool MissionArchive::fail(const QSqlError& error) {
    fail(error.text());
    if (is_damage(error) && open_ && access_ == Access::kReadWrite) {
        open_ = start_again();
    }
    return false;
}

bool MissionArchive::start_again() {
    close_file();
    const std::optional<QString> kept_as = set_aside_damaged_file();
    return kept_as && !connect_file().has_value() &&
           write_event(archive_set_aside(kept_as->toStdString()));
}

bool MissionArchive::open_file() {
    const std::optional<QSqlError> error = connect_file();
    if (error && is_damage(*error) && access_ == Access::kReadWrite) {
        return start_again();
    }
    return !error.has_value();
}

// Another program opening or migrating the same file at this moment makes SQLite answer
// "busy" at once in places its busy timeout does not cover: tried again until it passes.
std::optional<QSqlError> MissionArchive::connect_file() {
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

std::optional<QSqlError> MissionArchive::connect_once() {
    db_ = QSqlDatabase::addDatabase(kDriver, connection_);
    db_.setDatabaseName(path_);
    db_.setConnectOptions(access_ == Access::kReadOnly
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
    if (access_ == Access::kReadOnly && version < kSchemaVersion) {
        fail(
            QStringLiteral("it was written by an older version of this program; open it once "
                           "where it can be written to bring it forward"));
        return QSqlError(error_);
    }
    // Write-ahead: a writer killed mid-way leaves the file as of its last commit, and
    // readers never block the writer. FULL: a commit is on disk before it returns.
    if (access_ == Access::kReadWrite &&
        !(query.exec(QStringLiteral("PRAGMA journal_mode = WAL")) &&
          query.exec(QStringLiteral("PRAGMA synchronous = FULL")))) {
        fail(query.lastError().text());
        return query.lastError();
    }
    query.finish();
    if (std::optional<QSqlError> damage = quick_check()) {
        return damage;
    }
    const QString migration_error =
        access_ == Access::kReadWrite ? migrate_forward(db_) : QString();
    if (!migration_error.isEmpty()) {
        fail(migration_error);
        return QSqlError(migration_error);
    }
    return std::nullopt;
}

// Records kept by an earlier version hold the summary its rules derived; today's Verify
// would call them altered. Where the pages, the digest and the copies of the pages still
// agree, the summary follows from the pages alone and is derived again, all in one
// transaction. Any other record keeps its columns and stays altered.
bool MissionArchive::derive_anew() {
    const QString older = QStringLiteral("SELECT id FROM missions WHERE derived_by < ?");
    std::optional<std::vector<std::int64_t>> ids = ids_of(older, {kSummaryRules});
    if (!ids || ids->empty()) {
        return ids.has_value();
    }
    WriteTransaction transaction(db_);
    if (!transaction.begin()) {
        return fail(transaction.error());
    }
    // Another program may have derived them while this one waited for the lock.
    ids = ids_of(older, {kSummaryRules});
    int derived = 0;
    QSqlQuery update(db_);
    update.prepare(
        QStringLiteral("UPDATE missions SET minimum = ?, maximum = ?, verdict = ?, derived_by = ?"
                       " WHERE id = ?"));
    for (const std::int64_t id : ids.value_or(std::vector<std::int64_t>{})) {
        const std::optional<Checked> checked = check(id);
        if (!checked) {
            return false;
        }
        if (!verifies(checked->kept)) {
            continue;
        }
        for (const QVariant& value :
             {nullable(checked->minimum), nullable(checked->maximum),
              QVariant(QString::fromStdString(checked->verdict)), QVariant(kSummaryRules),
              QVariant(static_cast<qlonglong>(id))}) {
            update.addBindValue(value);
        }
        if (!update.exec()) {
            return fail(update.lastError());
        }
        ++derived;
    }
    if (derived > 0 &&
        !append(summaries_derived_again(path_.toStdString(), derived, kSummaryRules))) {
        return false;
    }
    if (!ids || !transaction.commit()) {
        return ids && fail(transaction.error());
    }
    verdicts_.clear();
    note_derived_anew(derived);
    return true;
}

void MissionArchive::note_derived_anew(int count) {
    if (count == 0) {
        return;
    }
    const QString text =
        QStringLiteral(
            "The minimum, maximum and verdict of %1 %2 kept by an earlier version "
            "were derived again from their unchanged pages by this version's rules.")
            .arg(count)
            .arg(count == 1 ? QStringLiteral("record") : QStringLiteral("records"));
    notice_ = notice_.isEmpty() ? text : notice_ + QLatin1Char(' ') + text;
}

// Damage in the middle of the file shows only where it is read: found once on opening
// rather than as records missing from a list.
std::optional<QSqlError> MissionArchive::quick_check() {
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

void MissionArchive::close_file() {
    verdicts_.clear();
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_);
}

std::optional<QString> MissionArchive::set_aside_damaged_file() {
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

std::optional<std::pair<Archived, std::int64_t>> MissionArchive::archive(
    const mission::DownloadedMission& mission, const Stamp& stamp) {
    const QString notice = notice_;
    auto kept = archive_once(mission, stamp);
    verdicts_.clear();
    // The file was found damaged and set aside: the download goes into the new archive.
    if (!kept && open_ && notice_ != notice) {
        kept = archive_once(mission, stamp);
    }
    return kept;
}

std::optional<std::pair<Archived, std::int64_t>> MissionArchive::archive_once(
    const mission::DownloadedMission& mission, const Stamp& stamp) {
    if (!open_) {
        return std::nullopt;
    }
    const mission::MissionHeader& header = mission.header;
    const QByteArray record = page_record(mission.pages);
    const std::string key = content_key(mission.pages);
    const std::string fingerprint = record_fingerprint(record);
    const QString now = latin1_text(sql_time(stamp.local_time));
    const QString logger_id = latin1_text(header.logger_id);

    WriteTransaction transaction(db_);
    if (!transaction.begin()) {
        fail(transaction.error());
        return std::nullopt;
    }
    // The same pages again: noted on their record, unless that record was altered since.
    const auto same_candidates =
        ids_of(QStringLiteral(
                   "SELECT id FROM missions WHERE logger_id = ? AND content_key = ? ORDER BY id"),
               {logger_id, latin1_text(key)});
    const auto same =
        same_candidates ? first_verified(*same_candidates,
                                         [&](const auto& kept) { return content_key(kept) == key; })
                        : std::nullopt;
    if (!same) {
        return std::nullopt;
    }
    QSqlQuery query(db_);
    if (*same != 0) {
        if (!append(download_archived(*same, fingerprint, {}))) {
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
    const QString start = latin1_text(sql_time(header.start_time));
    const auto earlier_candidates =
        ids_of(QStringLiteral("SELECT id FROM missions WHERE logger_id = ? AND start_time = ?"
                              " AND mission_sample_count < ? ORDER BY id"),
               {logger_id, start, header.mission_sample_count});
    const auto earlier =
        earlier_candidates
            ? first_verified(*earlier_candidates,
                             [&](const auto& kept) {
                                 const auto kept_header =
                                     mission::decode_recorded_header(header.logger_id, kept);
                                 return kept_header && same_settings(*kept_header, header);
                             })
            : std::nullopt;
    if (!earlier) {
        return std::nullopt;
    }

    const insight::Summary summary =
        list_summary(mission, {stamp.time_zone, stamp.utc_offset_seconds});
    const std::int64_t downloaded_utc_ms = utc_ms(stamp.local_time, stamp.utc_offset_seconds);
    const std::string digest = record_digest({fingerprint, header.logger_id, downloaded_utc_ms,
                                              stamp.time_zone, stamp.utc_offset_seconds});
    query.prepare(QStringLiteral(
        "INSERT INTO missions (logger_id, logger_type, configuration, start_time,"
        " mission_sample_count, device_sample_count, sample_count, interval_seconds,"
        " sixteen_bit, alarm_status, calibration_offset_tenths, mission_text, first_line,"
        " minimum, maximum, verdict, downloaded_at, time_zone, utc_offset_seconds, program_version,"
        " fingerprint, content_key, pages, later_download_of, last_downloaded_at,"
        " downloaded_utc_ms, record_digest, derived_by, clock_offset_s, clock_source,"
        " clock_drift_s, clock_measured_offset_s, clock_zone)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?, ?, ?, ?, ?)"));
    const std::optional<mission::LoggerClock>& clock = mission.record.clock;
    const auto clock_value = [&](auto field) {
        return clock ? QVariant(field(*clock)) : QVariant(QMetaType(QMetaType::LongLong));
    };
    for (const QVariant& value : {
             QVariant(logger_id),
             QVariant(QString(QChar(static_cast<char>(header.logger_type)))),
             QVariant(header.configuration),
             QVariant(start),
             QVariant(header.mission_sample_count),
             QVariant(header.device_sample_count),
             QVariant(static_cast<int>(mission.samples.size())),
             QVariant(header.sample_interval),
             QVariant(header.sample_format == mission::SampleFormat::k16Bit),
             QVariant(header.alarm_status),
             QVariant(header.calibration_offset_tenths),
             QVariant(latin1_text(header.mission_text)),
             QVariant(latin1_text(first_line(header.mission_text))),
             nullable(value_of(summary.statistics.minimum)),
             nullable(value_of(summary.statistics.maximum)),
             QVariant(QString::fromStdString(summary.verdict)),
             QVariant(now),
             QVariant(QString::fromStdString(stamp.time_zone)),
             QVariant(stamp.utc_offset_seconds),
             QVariant(QString::fromStdString(stamp.program_version)),
             QVariant(latin1_text(fingerprint)),
             QVariant(latin1_text(key)),
             QVariant(record),
             *earlier != 0 ? QVariant(static_cast<qlonglong>(*earlier))
                           : QVariant(QMetaType(QMetaType::LongLong)),
             QVariant(now),
             QVariant(static_cast<qlonglong>(downloaded_utc_ms)),
             QVariant(latin1_text(digest)),
             QVariant(kSummaryRules),
             clock_value([](const auto& c) { return c.utc_offset_s; }),
             clock ? QVariant(QString::fromUtf8(mission::source_name(clock)))
                   : QVariant(QMetaType(QMetaType::QString)),
             clock_value([](const auto& c) { return static_cast<qlonglong>(c.drift_s); }),
             clock_value([](const auto& c) { return c.measured_offset_s; }),
             clock ? QVariant(QString::fromStdString(clock->zone))
                   : QVariant(QMetaType(QMetaType::QString)),
         }) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        fail(query.lastError());
        return std::nullopt;
    }
    const std::int64_t id = query.lastInsertId().toLongLong();
    if (!append(download_archived(id, fingerprint, digest))) {
        return std::nullopt;
    }
    if (!transaction.commit()) {
        fail(transaction.error());
        return std::nullopt;
    }
    return std::pair{*earlier == 0 ? Archived::kNewRecord : Archived::kLaterDownload, id};
}

std::optional<std::vector<std::int64_t>> MissionArchive::ids_of(const QString& select,
                                                                const QVariantList& values) {
    std::optional<QSqlQuery> query = selected(select, values);
    if (!query) {
        return std::nullopt;
    }
    std::vector<std::int64_t> ids;
    while (query->next()) {
        ids.push_back(query->value(0).toLongLong());
    }
    return ids;
}

std::optional<std::int64_t> MissionArchive::first_verified(
    const std::vector<std::int64_t>& ids,
    const std::function<bool(const std::vector<mission::RawPage>&)>& accept) {
    for (const std::int64_t id : ids) {
        const std::optional<QSqlQuery> row =
            record_row(QStringLiteral("SELECT pages FROM missions WHERE id = ?"), id);
        const std::optional<Verification> verdict = row ? verify(id) : std::nullopt;
        if (!verdict) {
            return std::nullopt;
        }
        const auto kept = pages_from_record(row->value(0).toByteArray());
        if (kept && accept(*kept) && verifies(*verdict)) {
            return id;
        }
    }
    return 0;
}

std::optional<std::vector<ArchiveEntry>> MissionArchive::find(const MissionFilter& filter) {
    if (!open_) {
        return std::nullopt;
    }
    QStringList conditions;
    QVariantList values;
    if (!filter.text.empty()) {
        QString pattern = QString::fromStdString(filter.text);
        pattern.replace(QStringLiteral("\\"), QStringLiteral("\\\\"))
            .replace(QStringLiteral("%"), QStringLiteral("\\%"))
            .replace(QStringLiteral("_"), QStringLiteral("\\_"));
        pattern = QStringLiteral("%") + pattern + QStringLiteral("%");
        conditions << QStringLiteral(
            "(logger_id LIKE ? ESCAPE '\\' OR mission_text LIKE ? ESCAPE '\\')");
        values << pattern << pattern;
    }
    if (!filter.logger_id.empty()) {
        conditions << QStringLiteral("logger_id = ?");
        values << latin1_text(filter.logger_id);
    }
    if (filter.since.isValid()) {
        conditions << QStringLiteral("start_time >= ?");
        values << filter.since.toString(Qt::ISODate);
    }
    if (filter.until.isValid()) {
        conditions << QStringLiteral("start_time < ?");
        values << filter.until.addDays(1).toString(Qt::ISODate);
    }
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
                  .arg(kRecordColumns, conditions.join(QStringLiteral(" AND ")));

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

std::optional<QSqlQuery> MissionArchive::selected(const QString& select,
                                                  const QVariantList& values) {
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

std::optional<QSqlQuery> MissionArchive::record_row(const QString& select, std::int64_t id) {
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

std::optional<StoredMission> MissionArchive::load(std::int64_t id) {
    std::optional<QSqlQuery> row =
        record_row(QStringLiteral("SELECT %1, logger_type, calibration_offset_tenths,"
                                  " mission_text, time_zone, utc_offset_seconds,"
                                  " program_version, last_downloaded_at, pages,"
                                  " clock_offset_s, clock_source, clock_drift_s,"
                                  " clock_measured_offset_s, clock_zone"
                                  " FROM missions WHERE id = ?")
                       .arg(kRecordColumns),
                   id);
    if (!row) {
        return std::nullopt;
    }
    const QSqlQuery& query = *row;
    std::optional<std::vector<mission::RawPage>> pages =
        pages_from_record(query.value(21).toByteArray());
    if (!pages) {
        fail(QStringLiteral("record %1 holds no whole pages").arg(id));
        return std::nullopt;
    }
    StoredMission stored;
    stored.record = record_from(query);
    stored.logger_type = text_of(query.value(14));
    stored.calibration_offset_tenths = query.value(15).toInt();
    stored.mission_text = text_of(query.value(16));
    stored.time_zone = query.value(17).toString().toStdString();
    stored.utc_offset_seconds = query.value(18).toInt();
    stored.program_version = query.value(19).toString().toStdString();
    stored.last_downloaded_at = text_of(query.value(20));
    stored.pages = std::move(*pages);
    stored.clock = clock_from(query, 22);
    return stored;
}

std::optional<MissionArchive::Checked> MissionArchive::check(std::int64_t id) {
    const std::optional<QSqlQuery> row = record_row(
        QStringLiteral("SELECT %1, pages, logger_type, configuration, device_sample_count,"
                       " sixteen_bit, alarm_status, calibration_offset_tenths, mission_text,"
                       " time_zone, utc_offset_seconds, downloaded_utc_ms, record_digest"
                       " FROM missions WHERE id = ?")
            .arg(kRecordColumns),
        id);
    if (!row) {
        return std::nullopt;
    }
    const QSqlQuery& query = *row;
    const ArchiveEntry record = record_from(query);
    const QByteArray pages = query.value(14).toByteArray();
    const std::optional<std::vector<mission::RawPage>> kept = pages_from_record(pages);
    Checked checked;
    if (!kept || record_fingerprint(pages) != record.fingerprint) {
        return checked;
    }
    const mission::TimeZone zone{query.value(22).toString().toStdString(), query.value(23).toInt()};
    const std::optional<mission::DownloadedMission> shown = mission::decode_recorded_mission(
        record.logger_id, *kept, zone, std::nullopt, mission::TemperatureUnit::kCelsius);
    if (!shown || !copies_agree(query, record, *shown)) {
        return checked;
    }
    const insight::Summary summary = list_summary(*shown, zone);
    checked.minimum = value_of(summary.statistics.minimum);
    checked.maximum = value_of(summary.statistics.maximum);
    checked.verdict = summary.verdict;
    checked.summary_agrees = record.minimum == checked.minimum &&
                             record.maximum == checked.maximum &&
                             text_of(query.value(8)) == checked.verdict;
    checked.kept = digest_check(query, record, zone);
    // None for a record kept before the trail.
    std::optional<ChainedRow> entry;
    if (!find_record_event(*this, id, "download-archived", Which::kFirst, entry)) {
        return std::nullopt;
    }
    if (entry && !(hash_holds(*entry) && agrees_with_entry(entry->row.new_value, record.fingerprint,
                                                           text_of(query.value(25))))) {
        checked.kept = Verification::kAltered;
    }
    return checked;
}

std::optional<Verification> MissionArchive::verify(std::int64_t id) {
    forget_verdicts_if_written();
    if (const auto known = verdicts_.find(id); known != verdicts_.end()) {
        return known->second;
    }
    const std::optional<Checked> checked = check(id);
    if (!checked) {
        return std::nullopt;
    }
    return verdicts_[id] = checked->summary_agrees ? checked->kept : Verification::kAltered;
}

void MissionArchive::forget_verdicts_if_written() {
    QSqlQuery query(db_);
    const qint64 version = query.exec(QStringLiteral("PRAGMA data_version")) && query.next()
                               ? query.value(0).toLongLong()
                               : -1;
    if (version != data_version_ || version < 0) {
        verdicts_.clear();
        data_version_ = version;
    }
}

bool MissionArchive::record_programming(const ProgrammingRecord& run) {
    if (!open_) {
        return false;
    }
    QJsonObject settings;
    for (const auto& [name, value] : run.settings) {
        settings.insert(QString::fromStdString(name), latin1_text(value));
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
    query.addBindValue(QString::fromUtf8(QJsonDocument(settings).toJson(QJsonDocument::Compact)));
    query.addBindValue(latin1_text(run.image_fingerprint));
    query.addBindValue(latin1_text(run.result));
    if (!query.exec()) {
        return fail(query.lastError());
    }
    return append(programming_run(run)) && (transaction.commit() || fail(transaction.error()));
}

std::optional<bool> MissionArchive::holds(const link::LoggerId& logger_id,
                                          const std::string& start_time, int mission_sample_count) {
    if (!open_) {
        return std::nullopt;
    }
    const auto candidates =
        ids_of(QStringLiteral("SELECT id FROM missions WHERE logger_id = ?"
                              " AND start_time = ? AND mission_sample_count = ?"
                              " ORDER BY id"),
               {latin1_text(logger_id), latin1_text(start_time), mission_sample_count});
    const auto kept =
        candidates ? first_verified(*candidates, [](const auto&) { return true; }) : std::nullopt;
    if (!kept) {
        return std::nullopt;
    }
    return *kept != 0;
}

std::optional<mission::ClockSetting> MissionArchive::clock_setting(
    const link::LoggerId& logger_id, const platform::LocalDateTime& start) {
    if (!open_) {
        return std::nullopt;
    }
    QSqlQuery query(db_);
    query.prepare(QStringLiteral(
        "SELECT time_zone, utc_offset_seconds FROM programming_runs"
        " WHERE logger_id = ? AND result = ? AND programmed_at <= ? ORDER BY id DESC LIMIT 1"));
    query.addBindValue(latin1_text(logger_id));
    query.addBindValue(QStringLiteral("PROGRAMMING OK"));
    // The run is stamped when it ends, a little after it set the clock; an immediate
    // mission may start within that.
    query.addBindValue(latin1_text(sql_time(platform::add_seconds(start, kRunLengthS))));
    if (!query.exec()) {
        fail(query.lastError());
        return std::nullopt;
    }
    if (!query.next()) {
        return std::nullopt;
    }
    return mission::ClockSetting{query.value(0).toString().toStdString(), query.value(1).toInt()};
}

std::vector<ProgrammingRecord> MissionArchive::programming_runs(const link::LoggerId& logger_id) {
    std::vector<ProgrammingRecord> runs;
    if (!open_) {
        return runs;
    }
    QSqlQuery query(db_);
    query.prepare(QStringLiteral(
        "SELECT programmed_at, time_zone, utc_offset_seconds, program_version, logger_type,"
        " settings, image_fingerprint, result FROM programming_runs WHERE logger_id = ?"
        " ORDER BY id"));
    query.addBindValue(latin1_text(logger_id));
    if (!query.exec()) {
        fail(query.lastError());
        return runs;
    }
    while (query.next()) {
        ProgrammingRecord run;
        run.stamp.local_time = parse_sql_time(text_of(query.value(0)));
        run.stamp.time_zone = query.value(1).toString().toStdString();
        run.stamp.utc_offset_seconds = query.value(2).toInt();
        run.stamp.program_version = query.value(3).toString().toStdString();
        run.logger_id = logger_id;
        run.logger_type = text_of(query.value(4));
        const QJsonObject settings = QJsonDocument::fromJson(query.value(5).toByteArray()).object();
        for (auto it = settings.begin(); it != settings.end(); ++it) {
            run.settings.emplace_back(it.key().toStdString(), text_of(it.value().toVariant()));
        }
        run.image_fingerprint = text_of(query.value(6));
        run.result = text_of(query.value(7));
        runs.push_back(std::move(run));
    }
    return runs;
}

bool MissionArchive::append(const AuditEvent& event) {
    const QString error = append_event(db_, actor_, event, QDateTime::currentMSecsSinceEpoch());
    return error.isEmpty() || fail(error);
}

bool MissionArchive::record_event(const AuditEvent& event) {
    if (!open_) {
        return false;
    }
    return write_event(event);
}

bool MissionArchive::write_event(const AuditEvent& event) {
    WriteTransaction transaction(db_);
    if (!transaction.begin()) {
        return fail(transaction.error().text());
    }
    return append(event) && (transaction.commit() || fail(transaction.error().text()));
}

bool MissionArchive::for_each_event(const AuditFilter& filter,
                                    const std::function<void(const AuditEntry&)>& each) {
    if (!open_) {
        return false;
    }
    const QString error = list_events(db_, filter, each);
    return error.isEmpty() || fail(error);
}

bool MissionArchive::for_newest_events(const AuditFilter& filter, int offset, int limit,
                                       const std::function<void(const AuditEntry&)>& each) {
    if (!open_) {
        return false;
    }
    const QString error = list_newest_events(db_, filter, offset, limit, each);
    return error.isEmpty() || fail(error);
}

std::optional<std::string> MissionArchive::audit_head() {
    if (!open_) {
        return std::nullopt;
    }
    std::string head;
    const QString error = trail_head(db_, head);
    if (!error.isEmpty()) {
        fail(error);
        return std::nullopt;
    }
    return head;
}

bool MissionArchive::read(const Work& work) {
    if (!open_) {
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

bool MissionArchive::write(const Work& work) {
    if (!open_ || read_only()) {
        return open_ && fail(QStringLiteral("the archive was opened only to be read"));
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

std::optional<RecordLimits> MissionArchive::record_limits(std::int64_t id) {
    if (!record_row(QStringLiteral("SELECT id FROM missions WHERE id = ?"), id)) {
        return std::nullopt;
    }
    std::optional<ChainedRow> latest;
    if (!find_record_event(*this, id, "limits-set", Which::kLatest, latest)) {
        return std::nullopt;
    }
    if (!latest) {
        return RecordLimits{};
    }
    if (!hash_holds(*latest)) {
        fail(QStringLiteral("the event %1 that set the limits of record %2 was edited")
                 .arg(latest->row.sequence)
                 .arg(id));
        return std::nullopt;
    }
    const std::optional<RecordLimits> limits = parse_limits_value(latest->row.new_value);
    if (!limits) {
        fail(QStringLiteral("the limits last set for record %1 cannot be read").arg(id));
    }
    return limits;
}

MissionArchive::LimitsChange MissionArchive::set_limits(std::int64_t id, const RecordLimits& limits,
                                                        const std::string& reason,
                                                        bool reason_required) {
    if (!reason_suffices(reason, reason_required)) {
        fail(QStringLiteral("a reason is required"));
        return LimitsChange::kReasonMissing;
    }
    if (!open_) {
        return LimitsChange::kFailed;
    }
    WriteTransaction transaction(db_);
    if (!transaction.begin()) {
        fail(transaction.error().text());
        return LimitsChange::kFailed;
    }
    const std::optional<RecordLimits> before = record_limits(id);
    if (before == limits) {
        return LimitsChange::kSet;
    }
    const bool set = before && append(limits_set(id, *before, limits, reason)) &&
                     (transaction.commit() || fail(transaction.error().text()));
    return set ? LimitsChange::kSet : LimitsChange::kFailed;
}

std::optional<TrailCheck> MissionArchive::check_audit_trail() {
    if (!open_) {
        return std::nullopt;
    }
    TrailCheck check;
    const QString error = check_trail(db_, check);
    if (!error.isEmpty()) {
        fail(error);
        return std::nullopt;
    }
    return check;
}

}  // namespace frostel::archive
