#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "archive/account_trail.h"
#include "archive/audit_chain.h"
#include "platform/time_zone.h"

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

// One kept event with the copies kept beside its row, which the chain does not cover: they
// travel with the event to the shared archive, and nothing shows them.
struct AuditEntry {
    ChainedRow chained;
    std::string local_time;  // ISO 8601 with milliseconds and the PC's UTC offset then
    std::string full_name;
};

// An event as a window shows it: only what the chain covers, with its local time computed
// from its UTC instant in the zone of the record it is about (which the record digest covers)
// and its user's full name as the account event that made the account gave it (empty for a
// user no such event names, as an operating-system user).
struct ShownEvent {
    ChainedRow chained;
    std::string local_time;  // as local_time_text writes it
    std::string full_name;
};

// Which events a listing shows; empty fields: any.
struct AuditFilter {
    std::optional<std::int64_t> since_utc_ms;
    std::string user_id;
    std::string object;
    std::optional<std::int64_t> until_utc_ms;  // events before this instant
};

// The whole trail checked: its events, its head, where it breaks, if it does, the anchors
// it was given that it no longer holds, and the account rows that are not as its events made
// them (where a client can read them).
struct TrailCheck {
    std::int64_t events = 0;
    std::string head;
    std::optional<BrokenAt> broken;
    std::vector<Anchor> not_held;
    std::vector<AccountMismatch> accounts;
};

// What accounts on an archive file can promise, said where they are turned on.
inline constexpr const char* kLocalArchivePromise =
    "This archive is a file that this PC's users can write. It finds accidental changes and "
    "edits that do not rewrite its chain; a rewrite by someone who can write the file is found "
    "only against a head kept elsewhere (frostel-cli audit anchor, or any report's "
    "\"HEAD <sequence>:<hash>\"). Records that this PC's users cannot rewrite belong in a shared "
    "archive on a server.";

// "record:ID": the object of an event about an archived record.
[[nodiscard]] std::string record_object(std::int64_t id);
// The record such an object names; nothing for any other object.
[[nodiscard]] std::optional<std::int64_t> record_of_object(std::string_view object);

// "2026-02-01T09:00:00.250Z": an event's time as listings show it.
[[nodiscard]] std::string utc_text(std::int64_t utc_ms);
// The offset from UTC in seconds at `utc_ms` in `zone`: by the zone's rules where this PC
// knows its name, else the fixed offset kept with it.
[[nodiscard]] int utc_offset_at(std::int64_t utc_ms, const platform::TimeZone& zone);
// "2026-02-01T10:00:00.250+01:00": an instant at this PC's offset from UTC then, or in `zone`.
[[nodiscard]] std::string local_time_text(std::int64_t utc_ms);
[[nodiscard]] std::string local_time_text(std::int64_t utc_ms, const platform::TimeZone& zone);

// The events of what exists today, each built one way for the window and frostel-cli alike.
inline constexpr const char* kDownloadArchived = "download-archived";
// A download kept as record `id`: the record it made binds its fingerprint, digest and
// clock line (see archived_value); a download noted again on it, the fingerprint alone.
// Its reason names the reader's device ("read through <device>") when the download knew it.
[[nodiscard]] AuditEvent download_archived(std::int64_t id, const std::string& fingerprint,
                                           const std::string& record_digest = {},
                                           const std::string& clock = {},
                                           const std::string& device = {});
// "read through <device>"; empty for no device.
[[nodiscard]] std::string read_through(std::string_view device);
// The device a download-archived event's reason names, also after "kept offline by ...: "
// where a shared archive took it from an outbox; empty when it names none.
[[nodiscard]] std::string device_read_through(std::string_view reason);

[[nodiscard]] AuditEvent download_not_archived(const std::string& reason);
// `kind`: "report", "CSV", "pair".
[[nodiscard]] AuditEvent file_written(const std::string& kind, const std::string& path,
                                      const std::string& fingerprint);
// `result` as the user was shown it: "INTACT", "ALTERED" ...
inline constexpr std::string_view kVerified = "verified";
[[nodiscard]] AuditEvent record_verified(std::int64_t id, const std::string& result);
[[nodiscard]] AuditEvent archive_set_aside(const std::string& kept_as);
// Records kept by an earlier version whose summary was derived again by `rules`.
[[nodiscard]] AuditEvent summaries_derived_again(const std::string& archive_path, int records,
                                                 int rules);
[[nodiscard]] AuditEvent setting_changed(const std::string& name, const std::string& old_value,
                                         const std::string& new_value);

}  // namespace frostel::archive
