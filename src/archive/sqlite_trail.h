#pragma once

#include <QSqlDatabase>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "archive/audit_trail.h"

namespace frostel::archive {

// The trail's table in an SQLite archive; the caller holds the write transaction for
// append_event. Each returns an empty text on success, else why not.
[[nodiscard]] QString append_event(QSqlDatabase& db, const Actor& actor, const AuditEvent& event,
                                   std::int64_t utc_ms);
// Oldest first, as the chain runs.
[[nodiscard]] QString list_events(QSqlDatabase& db, const AuditFilter& filter,
                                  const std::function<void(const AuditEntry&)>& each);
// Newest first by time, a page at a time: at most `limit` events after the first `offset`.
[[nodiscard]] QString list_newest_events(QSqlDatabase& db, const AuditFilter& filter, int offset,
                                         int limit,
                                         const std::function<void(const AuditEntry&)>& each);
// Every row as kept, oldest first, in one snapshot; `issued`: the highest sequence number
// ever given out, even when its row is gone.
[[nodiscard]] QString for_each_chained_row(QSqlDatabase& db,
                                           const std::function<void(const ChainedRow&)>& each,
                                           std::int64_t& issued);
// The last row's hash, as kept (64 zeros before the first row).
[[nodiscard]] QString trail_head(QSqlDatabase& db, std::string& head);

}  // namespace frostel::archive
