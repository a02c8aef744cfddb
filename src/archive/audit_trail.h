#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "archive/audit_chain.h"

namespace frostel::archive {

// Who does what: without accounts the operating-system user, written "os:NAME".
struct Actor {
    std::string user_id;
    std::string full_name;
    std::string workstation;
};
[[nodiscard]] Actor os_actor();

// What happened and to what ("record:ID", "logger:ID", "file:PATH", "setting:NAME").
struct AuditEvent {
    std::string action;
    std::string object;
    std::string old_value;
    std::string new_value;
    std::string reason;
};

// One kept event with what the chain leaves out.
struct AuditEntry {
    ChainedRow chained;
    std::string local_time;  // ISO 8601 with milliseconds and the PC's UTC offset then
    std::string full_name;
};

// Which events a listing shows; empty fields: any.
struct AuditFilter {
    std::optional<std::int64_t> since_utc_ms;
    std::string user_id;
    std::string object;
    std::optional<std::int64_t> until_utc_ms;  // events before this instant
};

// The whole trail checked: its events, its head, and where it breaks, if it does.
struct TrailCheck {
    std::int64_t events = 0;
    std::string head;
    std::optional<BrokenAt> broken;
};

// "record:ID": the object of an event about an archived record.
[[nodiscard]] std::string record_object(std::int64_t id);

// "2026-02-01T09:00:00.250Z": an event's time as listings show it.
[[nodiscard]] std::string utc_text(std::int64_t utc_ms);

// The events of what exists today, each built one way for the window and frostel-cli alike.
inline constexpr const char* kDownloadArchived = "download-archived";
// A download kept as record `id`: the record it made binds its fingerprint, digest and
// clock line (see archived_value); a download noted again on it, the fingerprint alone.
[[nodiscard]] AuditEvent download_archived(std::int64_t id, const std::string& fingerprint,
                                           const std::string& record_digest = {},
                                           const std::string& clock = {});
[[nodiscard]] AuditEvent download_not_archived(const std::string& reason);
// `kind`: "report", "CSV", "pair".
[[nodiscard]] AuditEvent file_written(const std::string& kind, const std::string& path,
                                      const std::string& fingerprint);
// `result` as the user was shown it: "INTACT", "ALTERED" ...
[[nodiscard]] AuditEvent record_verified(std::int64_t id, const std::string& result);
[[nodiscard]] AuditEvent archive_set_aside(const std::string& kept_as);
// Records kept by an earlier version whose summary was derived again by `rules`.
[[nodiscard]] AuditEvent summaries_derived_again(const std::string& archive_path, int records,
                                                 int rules);
[[nodiscard]] AuditEvent setting_changed(const std::string& name, const std::string& old_value,
                                         const std::string& new_value);

}  // namespace frostel::archive
