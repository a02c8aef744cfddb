#include "archive/store_queries.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <cstdio>

#include "archive/audit_chain.h"
#include "archive/fingerprint.h"
#include "platform/latin1.h"
#include "platform/local_date_time.h"

namespace frostel::archive {

namespace {

using platform::latin1_text;

constexpr char16_t kNulSymbol = u'\u2400';

}  // namespace

const QString kRecordColumns = QStringLiteral(
    "id, logger_id, start_time, mission_sample_count, sample_count, interval_seconds, minimum,"
    " maximum, verdict, first_line, downloaded_at, fingerprint, later_download_of,"
    " download_count");

const QString kEventColumns = QStringLiteral(
    "sequence, utc_ms, user_id, workstation, action, object, old_value, new_value, reason,"
    " previous_hash, hash, local_time, full_name");

namespace {

std::string latin1_of(const QVariant& value) {
    return value.toString().toLatin1().toStdString();
}

// Text read as a QString or as its bytes, in UTF-8 either way.
std::string utf8_of(const QVariant& value) {
    const QByteArray bytes = value.toByteArray();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

std::optional<double> optional_real(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional<double>(value.toDouble());
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

}  // namespace

AuditEntry entry_from(const QSqlQuery& query) {
    AuditEntry entry;
    entry.chained = chained_from(query);
    entry.local_time = utf8_of(query.value(11));
    entry.full_name = utf8_of(query.value(12));
    return entry;
}

namespace {

// The events `filter` picks in the order `order` gives, binding `order_values` after the
// filter's.
QString run_listing(QSqlDatabase& db, const AuditFilter& filter, const QString& order,
                    const QVariantList& order_values,
                    const std::function<void(const AuditEntry&)>& each) {
    QStringList conditions{QStringLiteral("TRUE")};
    QVariantList values;
    if (filter.since_utc_ms) {
        conditions << QStringLiteral("utc_ms >= ?");
        values << static_cast<qlonglong>(*filter.since_utc_ms);
    }
    if (filter.until_utc_ms) {
        conditions << QStringLiteral("utc_ms < ?");
        values << static_cast<qlonglong>(*filter.until_utc_ms);
    }
    if (!filter.user_id.empty()) {
        conditions << QStringLiteral("user_id = ?");
        values << QString::fromStdString(filter.user_id);
    }
    if (!filter.object.empty()) {
        conditions << QStringLiteral("object = ?");
        values << QString::fromStdString(filter.object);
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM audit_events WHERE %2 %3")
                      .arg(kEventColumns, conditions.join(QStringLiteral(" AND ")), order));
    for (const QVariant& value : values + order_values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        return query.lastError().text();
    }
    while (query.next()) {
        each(entry_from(query));
    }
    return {};
}

}  // namespace

QString mission_text_column(const std::string& bytes) {
    return latin1_text(bytes).replace(QChar(0), QChar(kNulSymbol));
}

std::string mission_text_of(const QVariant& column) {
    return column.toString().replace(QChar(kNulSymbol), QChar(0)).toLatin1().toStdString();
}

QString record_select(const QString& more) {
    return QStringLiteral("SELECT %1, %2 FROM missions WHERE id = ?").arg(kRecordColumns, more);
}

ArchiveEntry record_from(const QSqlQuery& query) {
    ArchiveEntry record;
    record.id = query.value(0).toLongLong();
    record.logger_id = latin1_of(query.value(1));
    record.start_time = latin1_of(query.value(2));
    record.mission_sample_count = query.value(3).toInt();
    record.sample_count = query.value(4).toInt();
    record.interval_seconds = query.value(5).toInt();
    record.minimum = optional_real(query.value(6));
    record.maximum = optional_real(query.value(7));
    record.verdict = latin1_of(query.value(8));
    record.first_line = mission_text_of(query.value(9));
    record.downloaded_at = latin1_of(query.value(10));
    record.fingerprint = latin1_of(query.value(11));
    if (!query.value(12).isNull()) {
        record.later_download_of = query.value(12).toLongLong();
    }
    record.download_count = query.value(13).toInt();
    return record;
}

const QString kStoredColumns = QStringLiteral(
    "logger_type, calibration_offset_tenths, mission_text, time_zone, utc_offset_seconds,"
    " program_version, last_downloaded_at, pages, clock_offset_s, clock_source, clock_drift_s,"
    " clock_measured_offset_s, clock_zone");

std::optional<StoredMission> stored_mission_from(const QSqlQuery& query) {
    std::optional<std::vector<mission::RawPage>> pages =
        pages_from_record(query.value(21).toByteArray());
    if (!pages) {
        return std::nullopt;
    }
    StoredMission stored;
    stored.record = record_from(query);
    stored.logger_type = latin1_of(query.value(14));
    stored.calibration_offset_tenths = query.value(15).toInt();
    stored.mission_text = mission_text_of(query.value(16));
    stored.time_zone = query.value(17).toString().toStdString();
    stored.utc_offset_seconds = query.value(18).toInt();
    stored.program_version = query.value(19).toString().toStdString();
    stored.last_downloaded_at = latin1_of(query.value(20));
    stored.pages = std::move(*pages);
    stored.clock = clock_from(query, 22);
    return stored;
}

const QString kKeptColumns = QStringLiteral(
    "pages, logger_type, configuration, device_sample_count, sixteen_bit, alarm_status,"
    " calibration_offset_tenths, mission_text, time_zone, utc_offset_seconds, downloaded_utc_ms,"
    " record_digest, clock_offset_s, clock_source, clock_drift_s, clock_measured_offset_s,"
    " clock_zone, derived_by, content_key");

KeptRecord kept_record_from(const QSqlQuery& query) {
    KeptRecord kept;
    kept.record = record_from(query);
    kept.pages = query.value(14).toByteArray();
    kept.logger_type = latin1_of(query.value(15));
    kept.configuration = query.value(16).toInt();
    kept.device_sample_count = query.value(17).toInt();
    kept.sixteen_bit = query.value(18).toBool();
    kept.alarm_status = query.value(19).toInt();
    kept.calibration_offset_tenths = query.value(20).toInt();
    kept.mission_text = mission_text_of(query.value(21));
    kept.time_zone = query.value(22).toString().toStdString();
    kept.utc_offset_seconds = query.value(23).toInt();
    if (!query.value(24).isNull()) {
        kept.downloaded_utc_ms = query.value(24).toLongLong();
    }
    if (!query.value(25).isNull()) {
        kept.record_digest = latin1_of(query.value(25));
    }
    kept.clock = clock_from(query, 26);
    kept.summary_rules = query.value(31).toInt();
    kept.content_key = latin1_of(query.value(32));
    return kept;
}

QString mission_conditions(const MissionFilter& filter, const QString& like, QVariantList& values) {
    QStringList conditions;
    if (!filter.text.empty()) {
        QString pattern = QString::fromStdString(filter.text);
        pattern.replace(QStringLiteral("\\"), QStringLiteral("\\\\"))
            .replace(QStringLiteral("%"), QStringLiteral("\\%"))
            .replace(QStringLiteral("_"), QStringLiteral("\\_"));
        pattern = QStringLiteral("%") + pattern + QStringLiteral("%");
        conditions << QStringLiteral(
                          "(logger_id %1 ? ESCAPE '\\' OR mission_text %1 ? ESCAPE '\\')")
                          .arg(like);
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
    return conditions.join(QStringLiteral(" AND "));
}

const QString kSameContent =
    QStringLiteral("SELECT id FROM missions WHERE logger_id = ? AND content_key = ? ORDER BY id");
const QString kEarlierParts = QStringLiteral(
    "SELECT id FROM missions WHERE logger_id = ? AND start_time = ? AND mission_sample_count < ?"
    " ORDER BY id");

std::optional<std::int64_t> first_match(
    QSqlDatabase& db, const QString& select, const QVariantList& values, const DownloadMatch& match,
    const std::function<bool(const std::vector<mission::RawPage>&)>& accept, QString& error) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(select);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        error = query.lastError().text();
        return std::nullopt;
    }
    const std::vector<std::int64_t> ids = ids_from(query);
    QSqlQuery pages(db);
    pages.prepare(QStringLiteral("SELECT pages FROM missions WHERE id = ?"));
    for (const std::int64_t id : ids) {
        pages.addBindValue(static_cast<qlonglong>(id));
        if (!pages.exec() || !pages.next()) {
            error = pages.lastError().isValid() ? pages.lastError().text()
                                                : QStringLiteral("record %1 vanished").arg(id);
            return std::nullopt;
        }
        const std::optional<Verification> verdict = match.verdict(id);
        if (!verdict) {
            return std::nullopt;
        }
        const auto kept = pages_from_record(pages.value(0).toByteArray());
        if (kept && accept(*kept) && verifies(*verdict)) {
            return id;
        }
    }
    return 0;
}

const QString kRecordValueColumns = QStringLiteral(
    "logger_id, logger_type, configuration, start_time, mission_sample_count,"
    " device_sample_count, sample_count, interval_seconds, sixteen_bit, alarm_status,"
    " calibration_offset_tenths, mission_text, first_line, minimum, maximum, verdict,"
    " downloaded_at, time_zone, utc_offset_seconds, program_version, fingerprint, content_key,"
    " pages, later_download_of, downloaded_utc_ms, record_digest, derived_by, clock_offset_s,"
    " clock_source, clock_drift_s, clock_measured_offset_s, clock_zone");

QVariantList record_values(const mission::DownloadedMission& mission, const DownloadFacts& facts,
                           std::int64_t earlier) {
    const mission::MissionHeader& header = mission.header;
    const std::optional<mission::LoggerClock>& clock = mission.record.clock;
    const auto nullable = [](const std::optional<double>& value) {
        return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
    };
    const auto clock_value = [&](auto field) {
        return clock ? QVariant(static_cast<qlonglong>(field(*clock)))
                     : QVariant(QMetaType(QMetaType::LongLong));
    };
    const auto clock_text = [&](const std::string& text) {
        return clock ? QVariant(QString::fromStdString(text))
                     : QVariant(QMetaType(QMetaType::QString));
    };
    return {
        latin1_text(header.logger_id),
        QString(QChar(static_cast<char>(header.logger_type))),
        header.configuration,
        latin1_text(platform::format_iso(header.start_time)),
        header.mission_sample_count,
        header.device_sample_count,
        static_cast<int>(mission.samples.size()),
        header.sample_interval,
        header.sample_format == mission::SampleFormat::k16Bit ? 1 : 0,
        header.alarm_status,
        header.calibration_offset_tenths,
        mission_text_column(header.mission_text),
        mission_text_column(facts.first_line),
        nullable(facts.summary.minimum),
        nullable(facts.summary.maximum),
        QString::fromStdString(facts.summary.verdict),
        latin1_text(platform::format_iso(facts.stamp.local_time)),
        QString::fromStdString(facts.stamp.time_zone),
        facts.stamp.utc_offset_seconds,
        QString::fromStdString(facts.stamp.program_version),
        latin1_text(facts.fingerprint),
        latin1_text(facts.content_key),
        facts.pages,
        earlier != 0 ? QVariant(static_cast<qlonglong>(earlier))
                     : QVariant(QMetaType(QMetaType::LongLong)),
        static_cast<qlonglong>(facts.downloaded_utc_ms),
        latin1_text(facts.record_digest),
        facts.summary_rules,
        clock_value([](const mission::LoggerClock& c) { return c.utc_offset_s; }),
        clock_text(std::string(mission::source_name(clock))),
        clock_value([](const mission::LoggerClock& c) { return c.drift_s; }),
        clock_value([](const mission::LoggerClock& c) { return c.measured_offset_s; }),
        clock_text(clock ? clock->zone : ""),
    };
}

QString derived_again_notice(int count) {
    return QStringLiteral(
               "The minimum, maximum and verdict of %1 %2 kept by an earlier version "
               "were derived again from their unchanged pages by this version's rules.")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("record") : QStringLiteral("records"));
}

const QString kSiteSettings = QStringLiteral("SELECT name, value FROM site_settings");

SiteSettings site_settings_from(QSqlQuery& query) {
    SiteSettings settings;
    while (query.next()) {
        settings =
            with_setting(settings, query.value(0).toString().toStdString(), query.value(1).toInt())
                .value_or(settings);
    }
    return settings;
}

std::vector<std::int64_t> ids_from(QSqlQuery& query) {
    std::vector<std::int64_t> ids;
    while (query.next()) {
        ids.push_back(query.value(0).toLongLong());
    }
    return ids;
}

const QString kMissingRecords = QStringLiteral(
    "SELECT DISTINCT CAST(substr(object, 8) AS BIGINT) AS id FROM audit_events"
    " WHERE action = ? AND object LIKE 'record:%'"
    " AND CAST(substr(object, 8) AS BIGINT) NOT IN (SELECT id FROM missions) ORDER BY id");

const QString kRecordsOfMission = QStringLiteral(
    "SELECT id FROM missions WHERE logger_id = ? AND start_time = ? AND mission_sample_count = ?"
    " ORDER BY id");

namespace {
const QString kRunColumns = QStringLiteral(
    "programmed_at, time_zone, utc_offset_seconds, program_version, logger_type, settings,"
    " image_fingerprint, result");
}  // namespace

const QString kProgrammingRuns =
    QStringLiteral("SELECT %1 FROM programming_runs WHERE logger_id = ? ORDER BY id")
        .arg(kRunColumns);
const QString kProgrammingRun =
    QStringLiteral("SELECT %1, logger_id FROM programming_runs WHERE id = ?").arg(kRunColumns);

const QString kLastClockSetting = QStringLiteral(
    "SELECT time_zone, utc_offset_seconds FROM programming_runs"
    " WHERE logger_id = ? AND result = ? AND programmed_at <= ? ORDER BY id DESC LIMIT 1");

ProgrammingRecord programming_record_from(const QSqlQuery& query, const link::LoggerId& logger_id) {
    ProgrammingRecord run;
    run.stamp.local_time = parse_sql_time(latin1_of(query.value(0)));
    run.stamp.time_zone = query.value(1).toString().toStdString();
    run.stamp.utc_offset_seconds = query.value(2).toInt();
    run.stamp.program_version = query.value(3).toString().toStdString();
    run.logger_id = logger_id;
    run.logger_type = latin1_of(query.value(4));
    const QJsonObject settings = QJsonDocument::fromJson(query.value(5).toByteArray()).object();
    for (auto it = settings.begin(); it != settings.end(); ++it) {
        run.settings.emplace_back(it.key().toStdString(), latin1_of(it.value().toVariant()));
    }
    run.image_fingerprint = latin1_of(query.value(6));
    run.result = latin1_of(query.value(7));
    return run;
}

QString settings_column(const ProgrammingRecord& run) {
    QJsonObject settings;
    for (const auto& [name, value] : run.settings) {
        settings.insert(QString::fromStdString(name), latin1_text(value));
    }
    return QString::fromUtf8(QJsonDocument(settings).toJson(QJsonDocument::Compact));
}

AuditEvent programming_run(const ProgrammingRecord& run) {
    std::string value = "type=" + run.logger_type;
    for (const auto& [name, setting] : run.settings) {
        value += '\n' + name + '=' + latin1_text(setting).toStdString();
    }
    value += "\nimage=" + run.image_fingerprint + "\nresult=" + run.result;
    return {"programming-run", "logger:" + run.logger_id, {}, value, {}};
}

QString list_events(QSqlDatabase& db, const AuditFilter& filter,
                    const std::function<void(const AuditEntry&)>& each) {
    return run_listing(db, filter, QStringLiteral("ORDER BY sequence"), {}, each);
}

// By time, then sequence: each filter, alone or with dates, walks one index in this order.
QString list_newest_events(QSqlDatabase& db, const AuditFilter& filter, int offset, int limit,
                           const std::function<void(const AuditEntry&)>& each) {
    return run_listing(db, filter,
                       QStringLiteral("ORDER BY utc_ms DESC, sequence DESC LIMIT ? OFFSET ?"),
                       {limit, offset}, each);
}

QString trail_head(QSqlDatabase& db, Anchor& head) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral(
            "SELECT sequence, hash FROM audit_events ORDER BY sequence DESC LIMIT 1"))) {
        return query.lastError().text();
    }
    head = query.next() ? Anchor{query.value(0).toLongLong(), utf8_of(query.value(1))} : Anchor{};
    return {};
}

const QString kChainColumns = QStringLiteral(
    "sequence, utc_ms, user_id, workstation, action, object, old_value, new_value, reason,"
    " previous_hash, hash");

ChainedRow chained_from(const QSqlQuery& query) {
    ChainedRow chained;
    AuditRow& row = chained.row;
    row.sequence = query.value(0).toLongLong();
    row.utc_ms = query.value(1).toLongLong();
    row.user_id = utf8_of(query.value(2));
    row.workstation = utf8_of(query.value(3));
    row.action = utf8_of(query.value(4));
    row.object = utf8_of(query.value(5));
    row.old_value = utf8_of(query.value(6));
    row.new_value = utf8_of(query.value(7));
    row.reason = utf8_of(query.value(8));
    chained.previous_hash = utf8_of(query.value(9));
    chained.hash = utf8_of(query.value(10));
    return chained;
}

namespace {

// Record `id`'s events of `action`, each to `each` in the order `order` ("ORDER BY ...") gives.
QString for_record_events(QSqlDatabase& db, std::int64_t id, const QString& action,
                          const QString& order, const std::function<void(ChainedRow)>& each) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM audit_events WHERE object = ? AND action = ? %2")
                      .arg(kChainColumns, order));
    query.addBindValue(QString::fromStdString(record_object(id)));
    query.addBindValue(action);
    if (!query.exec()) {
        return query.lastError().text();
    }
    while (query.next()) {
        each(chained_from(query));
    }
    return {};
}

// The lowest record id any download-archived event names; nothing when none does.
QString read_first_record_in_trail(QSqlDatabase& db, std::optional<std::int64_t>& first) {
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("SELECT min(CAST(substr(object, 8) AS BIGINT)) FROM audit_events"
                       " WHERE action = ? AND object LIKE 'record:%'"));
    query.addBindValue(QString::fromLatin1(kDownloadArchived));
    if (!query.exec()) {
        return query.lastError().text();
    }
    if (query.next() && !query.value(0).isNull()) {
        first = query.value(0).toLongLong();
    }
    return {};
}

}  // namespace

QString read_limits(QSqlDatabase& db, std::int64_t id, RecordLimits& limits) {
    std::optional<ChainedRow> latest;
    if (QString error = for_record_events(db, id, QStringLiteral("limits-set"),
                                          QStringLiteral("ORDER BY sequence DESC LIMIT 1"),
                                          [&](ChainedRow row) { latest = std::move(row); });
        !error.isEmpty()) {
        return error;
    }
    if (!latest) {
        limits = {};
        return {};
    }
    if (!hash_holds(*latest)) {
        return QStringLiteral("the event %1 that set the limits of record %2 was edited")
            .arg(latest->row.sequence)
            .arg(id);
    }
    const std::optional<RecordLimits> parsed = parse_limits_value(latest->row.new_value);
    if (!parsed) {
        return QStringLiteral("the limits last set for record %1 cannot be read").arg(id);
    }
    limits = *parsed;
    return {};
}

QString read_kept_bindings(QSqlDatabase& db, KeptRecord& kept) {
    kept.archived_entry.reset();
    kept.downloads_entered = 0;
    kept.earlier_mission.reset();
    QString error = for_record_events(db, kept.record.id, QString::fromLatin1(kDownloadArchived),
                                      QStringLiteral("ORDER BY sequence"), [&](ChainedRow row) {
                                          kept.downloads_entered += hash_holds(row) ? 1 : 0;
                                          if (!kept.archived_entry) {
                                              kept.archived_entry = std::move(row);
                                          }
                                      });
    kept.first_record_in_trail.reset();
    // Only a record without its entry needs it, and it reads the whole trail.
    if (error.isEmpty() && !kept.archived_entry) {
        error = read_first_record_in_trail(db, kept.first_record_in_trail);
    }
    if (!error.isEmpty() || !kept.record.later_download_of) {
        return error;
    }
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT logger_id, start_time FROM missions WHERE id = ?"));
    query.addBindValue(static_cast<qlonglong>(*kept.record.later_download_of));
    if (!query.exec()) {
        return query.lastError().text();
    }
    if (query.next()) {
        kept.earlier_mission = std::pair(latin1_of(query.value(0)), latin1_of(query.value(1)));
    }
    return {};
}

QString read_signatures(QSqlDatabase& db, std::int64_t id, RecordSignatures& record, bool& found) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "SELECT record_digest, time_zone, utc_offset_seconds FROM missions WHERE id = ?"));
    query.addBindValue(static_cast<qlonglong>(id));
    if (!query.exec()) {
        return query.lastError().text();
    }
    found = query.next();
    if (!found) {
        return {};
    }
    record.record_digest = query.value(0).toString().toStdString();
    // Signed times are shown in the record's zone, which its digest covers.
    const platform::TimeZone zone{query.value(1).toString().toStdString(), query.value(2).toInt()};
    RecordLimits in_force;
    if (QString error = read_limits(db, id, in_force); !error.isEmpty()) {
        return error;
    }
    record.limits = in_force;
    record.limits_in_force = limits_lines(in_force.limits, in_force.delta_h_kj_per_mol);
    AuditFilter filter;
    filter.object = record_object(id);
    return list_events(db, filter, [&](const AuditEntry& entry) {
        const AuditRow& row = entry.chained.row;
        const std::optional<SignedTerms> terms =
            row.action == kSigned ? parse_signed_value(row.new_value) : std::nullopt;
        if (terms) {
            record.signatures.push_back({row.sequence, row.utc_ms,
                                         local_time_text(row.utc_ms, zone), row.user_id, *terms,
                                         row.reason, hash_holds(entry.chained)});
        }
    });
}

}  // namespace frostel::archive
