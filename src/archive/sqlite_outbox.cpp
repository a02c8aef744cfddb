// The SQLite archive as a shared archive's outbox.
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include "archive/sqlite_store.h"
#include "archive/store_queries.h"

namespace frostel::archive {

namespace {

// The events a shared archive takes from an outbox besides downloads and runs (its
// upload_event function names the same); the others are this PC's own (its file set aside,
// its summaries derived again) or need the server (accounts, signatures).
const QStringList kTakenEvents = {
    QStringLiteral("download-not-archived"),
    QStringLiteral("file-written"),
    QStringLiteral("verified"),
    QStringLiteral("setting-changed"),
    QStringLiteral("limits-set"),
};

const QString kRecordPrefix = QStringLiteral("record:");

QVariant nullable_id(const std::optional<std::int64_t>& id) {
    return id ? QVariant(static_cast<qlonglong>(*id)) : QVariant(QMetaType(QMetaType::LongLong));
}

}  // namespace

SqliteStore* outbox_of(ArchiveStore& store) {
    auto* outbox = dynamic_cast<SqliteStore*>(&store);
    if (outbox == nullptr) {
        store.fail(QStringLiteral("the shared archive is no outbox"));
    }
    return outbox;
}

bool SqliteStore::mark_pending(const AuditEvent& event, const Outgoing& kept) {
    if (!kept.record && !kept.run && !kTakenEvents.contains(QString::fromStdString(event.action))) {
        return true;
    }
    const QString object = QString::fromStdString(event.object);
    QSqlQuery query(db_);
    // An event about a record kept before going offline stays with that record on this PC.
    if (!kept.record && object.startsWith(kRecordPrefix)) {
        query.prepare(QStringLiteral("SELECT 1 FROM outbox WHERE record = ?"));
        query.addBindValue(object.mid(kRecordPrefix.size()).toLongLong());
        if (!query.exec()) {
            return fail(query.lastError());
        }
        if (!query.next()) {
            return true;
        }
    }
    query.prepare(
        QStringLiteral("INSERT INTO outbox (event, record, downloaded_at, run)"
                       " VALUES ((SELECT max(sequence) FROM audit_events), ?, ?, ?)"));
    query.addBindValue(nullable_id(kept.record));
    query.addBindValue(kept.record ? QVariant(kept.downloaded_at)
                                   : QVariant(QMetaType(QMetaType::QString)));
    query.addBindValue(nullable_id(kept.run));
    return query.exec() || fail(query.lastError());
}

std::optional<std::vector<PendingItem>> SqliteStore::pending_items() {
    std::vector<PendingItem> items;
    const bool read_all = read([&](QSqlDatabase& db) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT id FROM archive_identity")) || !query.next()) {
            return QStringLiteral("the archive has no identity: %1").arg(query.lastError().text());
        }
        const std::string archive = query.value(0).toString().toStdString();
        if (!query.exec(QStringLiteral("SELECT %1, record, downloaded_at, run FROM outbox"
                                       " JOIN audit_events ON sequence = event"
                                       " WHERE uploaded = 0 ORDER BY event")
                            .arg(kEventColumns))) {
            return query.lastError().text();
        }
        while (query.next()) {
            PendingItem item{archive, entry_from(query), std::nullopt,
                             query.value(14).toString().toStdString(), std::nullopt};
            if (!query.value(13).isNull()) {
                item.record = query.value(13).toLongLong();
            }
            if (!query.value(15).isNull()) {
                item.run = query.value(15).toLongLong();
            }
            items.push_back(std::move(item));
        }
        return QString();
    });
    return read_all ? std::optional(std::move(items)) : std::nullopt;
}

std::optional<ProgrammingRecord> SqliteStore::kept_run(std::int64_t id) {
    const Lease lease(*this);
    std::optional<QSqlQuery> query =
        lease ? selected(kProgrammingRun, {static_cast<qlonglong>(id)}) : std::nullopt;
    if (!query) {
        return std::nullopt;
    }
    if (!query->next()) {
        fail(QStringLiteral("no programming run %1").arg(id));
        return std::nullopt;
    }
    return programming_record_from(*query, query->value(8).toString().toLatin1().toStdString());
}

bool SqliteStore::mark_uploaded(std::int64_t sequence) {
    return write([&](QSqlDatabase& db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("UPDATE outbox SET uploaded = 1 WHERE event = ?"));
        query.addBindValue(static_cast<qlonglong>(sequence));
        return query.exec() ? QString() : query.lastError().text();
    });
}

std::optional<int> SqliteStore::pending_count() {
    const Lease lease(*this);
    std::optional<QSqlQuery> query =
        lease ? selected(QStringLiteral("SELECT count(*) FROM outbox WHERE uploaded = 0"), {})
              : std::nullopt;
    if (!query || !query->next()) {
        return std::nullopt;
    }
    return query->value(0).toInt();
}

}  // namespace frostel::archive
