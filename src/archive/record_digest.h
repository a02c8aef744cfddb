#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/logger_commands.h"
#include "mission/logger_clock.h"

namespace frostel::archive {

// What the record digest binds beside the pages: the logger and when and where the download
// was made, none of which the pages hold.
struct DigestedFields {
    std::string fingerprint;   // of the pages
    link::LoggerId logger_id;  // 16 upper-case hexadecimal digits
    std::int64_t downloaded_utc_ms = 0;
    std::string time_zone;  // the download PC's zone name
    int utc_offset_seconds = 0;
};

// The record digest: 64 lower-case hexadecimal digits of SHA-256 over the UTF-8 text of
// the fields above in that order, joined by line feeds (the time and the offset in decimal).
[[nodiscard]] std::string record_digest(const DigestedFields& fields);

// The logger's clock as a record keeps it, in one line: its source ("programmed",
// "measured"), offset, drift and measured offset in decimal seconds, and the zone that set it
// (empty for a measured clock), joined by single spaces; empty for a record without a clock.
// The pages cannot tell it, as the clock was read at another moment than the stamp.
[[nodiscard]] std::string clock_line(const std::optional<mission::LoggerClock>& clock);

// What the download-archived event that made a record entered in the audit trail: the
// fingerprint, the digest and the clock line, each on a line of its own. The chain anchors
// them, so a digest computed again over edited columns does not pass.
[[nodiscard]] std::string archived_value(std::string_view fingerprint, std::string_view digest,
                                         std::string_view clock);
// Whether an event entered the fingerprint, digest and clock line of the record it is about:
// an event entered before the clock was bound holds the first two alone and leaves the clock
// unchecked; one of the fingerprint alone (a download noted again) checks only that.
[[nodiscard]] bool agrees_with_entry(std::string_view entered, std::string_view fingerprint,
                                     std::string_view digest, std::string_view clock);
// Whether the event made its record: a download noted again enters the fingerprint alone.
[[nodiscard]] bool made_the_record(std::string_view entered);

}  // namespace frostel::archive
