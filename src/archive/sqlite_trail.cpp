#include "archive/sqlite_trail.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace frostel::archive {

namespace {

const QString kColumns = QStringLiteral(
    "sequence, utc_ms, user_id, workstation, action, object, old_value, new_value, reason,"
    " previous_hash, hash, local_time, full_name");
// Only what the chain covers, as the UTF-8 bytes SQLite keeps, so that checking a long
// chain converts nothing.
const QString kChainBytes = QStringLiteral(
    "sequence, utc_ms, CAST(user_id AS BLOB), CAST(workstation AS BLOB), CAST(action AS BLOB),"
    " CAST(object AS BLOB), CAST(old_value AS BLOB), CAST(new_value AS BLOB),"
    " CAST(reason AS BLOB), CAST(previous_hash AS BLOB), CAST(hash AS BLOB)");

// Text read as a QString or as its bytes, in UTF-8 either way.
std::string text_of(const QVariant& value) {
    const QByteArray bytes = value.toByteArray();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

// "2026-02-01T10:00:00.250+01:00": the PC's time then, with its offset from UTC.
std::string local_time_text(std::int64_t utc_ms) {
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(utc_ms);
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return QStringLiteral("%1%2%3:%4")
        .arg(local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")))
        .arg(offset < 0 ? '-' : '+')
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'))
        .toStdString();
}

ChainedRow chained_from(const QSqlQuery& query) {
    ChainedRow chained;
    AuditRow& row = chained.row;
    row.sequence = query.value(0).toLongLong();
    row.utc_ms = query.value(1).toLongLong();
    row.user_id = text_of(query.value(2));
    row.workstation = text_of(query.value(3));
    row.action = text_of(query.value(4));
    row.object = text_of(query.value(5));
    row.old_value = text_of(query.value(6));
    row.new_value = text_of(query.value(7));
    row.reason = text_of(query.value(8));
    chained.previous_hash = text_of(query.value(9));
    chained.hash = text_of(query.value(10));
    return chained;
}

AuditEntry entry_from(const QSqlQuery& query) {
    AuditEntry entry;
    entry.chained = chained_from(query);
    entry.local_time = text_of(query.value(11));
    entry.full_name = text_of(query.value(12));
    return entry;
}

// The highest sequence number ever given out, even when its row is gone.
std::optional<std::int64_t> issued_sequence(QSqlQuery& query) {
    if (!query.exec(
            QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'audit_events'"))) {
        return std::nullopt;
    }
    return query.next() ? query.value(0).toLongLong() : 0;
}

// The events `filter` picks in the order `order` gives, binding `order_values` after the
// filter's.
QString run_listing(QSqlDatabase& db, const AuditFilter& filter, const QString& order,
                    const QVariantList& order_values,
                    const std::function<void(const AuditEntry&)>& each) {
    QStringList conditions{QStringLiteral("1")};
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
        values << text(filter.user_id);
    }
    if (!filter.object.empty()) {
        conditions << QStringLiteral("object = ?");
        values << text(filter.object);
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM audit_events WHERE %2 %3")
                      .arg(kColumns, conditions.join(QStringLiteral(" AND ")), order));
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

QString append_event(QSqlDatabase& db, const Actor& actor, const AuditEvent& event,
                     std::int64_t utc_ms) {
    QSqlQuery query(db);
    const std::optional<std::int64_t> issued = issued_sequence(query);
    if (!issued) {
        return query.lastError().text();
    }
    std::string previous;
    if (QString error = trail_head(db, previous); !error.isEmpty()) {
        return error;
    }
    // Hashed as it will be read back: bytes that are no UTF-8 are kept as U+FFFD.
    const auto kept = [](const std::string& field) { return text(field).toStdString(); };
    const AuditRow row{*issued + 1,           utc_ms,
                       kept(actor.user_id),   kept(actor.workstation),
                       kept(event.action),    kept(event.object),
                       kept(event.old_value), kept(event.new_value),
                       kept(event.reason)};
    query.prepare(QStringLiteral("INSERT INTO audit_events (%1)"
                                 " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                      .arg(kColumns));
    for (const QVariant& value : {
             QVariant(static_cast<qlonglong>(row.sequence)),
             QVariant(static_cast<qlonglong>(row.utc_ms)),
             QVariant(text(row.user_id)),
             QVariant(text(row.workstation)),
             QVariant(text(row.action)),
             QVariant(text(row.object)),
             QVariant(text(row.old_value)),
             QVariant(text(row.new_value)),
             QVariant(text(row.reason)),
             QVariant(text(previous)),
             QVariant(text(row_hash(previous, row))),
             QVariant(text(local_time_text(utc_ms))),
             QVariant(text(actor.full_name)),
         }) {
        query.addBindValue(value);
    }
    return query.exec() ? QString() : query.lastError().text();
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

QString trail_head(QSqlDatabase& db, std::string& head) {
    QSqlQuery query(db);
    if (!query.exec(
            QStringLiteral("SELECT hash FROM audit_events ORDER BY sequence DESC LIMIT 1"))) {
        return query.lastError().text();
    }
    head = query.next() ? text_of(query.value(0)) : kChainStart;
    return {};
}

QString for_each_chained_row(QSqlDatabase& db, const std::function<void(const ChainedRow&)>& each,
                             std::int64_t& issued) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // One snapshot: an event appended meanwhile by another program is neither half seen
    // nor taken for a gap.
    if (!query.exec(QStringLiteral("BEGIN"))) {
        return query.lastError().text();
    }
    std::optional<std::int64_t> highest = issued_sequence(query);
    if (highest &&
        query.exec(
            QStringLiteral("SELECT %1 FROM audit_events ORDER BY sequence").arg(kChainBytes))) {
        while (query.next()) {
            each(chained_from(query));
        }
    } else {
        highest.reset();
    }
    QString error = highest ? QString() : query.lastError().text();
    query.exec(QStringLiteral("COMMIT"));
    issued = highest.value_or(0);
    return error;
}

}  // namespace frostel::archive
