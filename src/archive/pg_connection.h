#pragma once

#include <QSqlDatabase>
#include <QString>

#include "archive/pg_address.h"

namespace frostel::archive {

// Connects to the shared archive at `address` under `connection_name`, its session in the
// PC's time zone (for the local times of events). `error` says why not, without a password.
[[nodiscard]] QSqlDatabase connect_pg(const PgAddress& address, const QString& connection_name,
                                      QString& error);

}  // namespace frostel::archive
