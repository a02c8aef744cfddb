#pragma once

#include <QSqlDatabase>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "archive/audit_trail.h"

namespace frostel::archive {

// What only an SQLite archive does with the trail's table (store_queries reads it); the
// caller holds the write transaction for append_event. Each returns an empty text on
// success, else why not.
[[nodiscard]] QString append_event(QSqlDatabase& db, const Actor& actor, const AuditEvent& event,
                                   std::int64_t utc_ms);
// Every row as kept, oldest first, in one snapshot; `issued`: the highest sequence number
// ever given out, even when its row is gone.
[[nodiscard]] QString for_each_chained_row(QSqlDatabase& db,
                                           const std::function<void(const ChainedRow&)>& each,
                                           std::int64_t& issued);
}  // namespace frostel::archive
