#include "archive/sqlite_trail.h"

#include "archive/store_queries.h"

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

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

// The highest sequence number ever given out, even when its row is gone.
std::optional<std::int64_t> issued_sequence(QSqlQuery& query) {
    if (!query.exec(
            QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'audit_events'"))) {
        return std::nullopt;
    }
    return query.next() ? query.value(0).toLongLong() : 0;
}

}  // namespace

QString append_event(QSqlDatabase& db, const Actor& actor, const AuditEvent& event,
                     std::int64_t utc_ms) {
    QSqlQuery query(db);
    const std::optional<std::int64_t> issued = issued_sequence(query);
    if (!issued) {
        return query.lastError().text();
    }
    Anchor head;
    if (QString error = trail_head(db, head); !error.isEmpty()) {
        return error;
    }
    const std::string& previous = head.hash;
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
