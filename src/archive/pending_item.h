#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "archive/audit_trail.h"

namespace frostel::archive {

// One item of a local archive's outbox, as the shared archive takes it.
struct PendingItem {
    std::string archive;  // the local archive's identity
    // Its event in the local trail: the sequence orders the items and, with the identity,
    // keys them; the time, person and workstation are what the shared archive keeps.
    AuditEntry event;
    // A download: the local record it was kept in, and when it was made (local civil time).
    std::optional<std::int64_t> record;
    std::string downloaded_at;
    std::optional<std::int64_t> run;  // a programming run: the local run
};

}  // namespace frostel::archive
