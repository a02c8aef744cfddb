#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/logger_commands.h"

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

// Whether a record's fingerprint and digest are those its download-archived event entered in
// the audit trail ("fingerprint", or "fingerprint" and the digest on a line of its own): the
// chain anchors them, so a digest computed again over edited columns does not pass.
[[nodiscard]] bool agrees_with_entry(std::string_view entered, std::string_view fingerprint,
                                     std::string_view digest);

}  // namespace frostel::archive
