#include "archive/pg_connection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
#include <QVariant>

namespace frostel::archive {

QSqlDatabase connect_pg(const PgAddress& address, const QString& connection_name, QString& error) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_name);
    if (!db.isValid()) {
        error = QStringLiteral("Qt's PostgreSQL driver is missing (libqt6sql6-psql)");
        return db;
    }
    configure_pg_connection(db, address);
    if (!db.open()) {
        // libpq's own words name the host and the user, never the password.
        error = QStringLiteral("cannot reach the shared archive %1: %2")
                    .arg(QString::fromStdString(address.shown),
                         db.lastError().databaseText().trimmed());
        return db;
    }
    // A zone the server does not know keeps the server's; UTC times are the same either way.
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT set_config('TimeZone', ?, false)"));
    query.addBindValue(QString::fromUtf8(QTimeZone::systemTimeZoneId()));
    query.exec();
    // The server's notices ("... already exists, skipping") are no news to the person.
    query.exec(QStringLiteral("SET client_min_messages = warning"));
    return db;
}

}  // namespace frostel::archive
