#pragma once

#include <string>

namespace frostel::platform {

// The PC's time zone when something happened: the logger's clock has none, so this is what
// tells a reader where its times were local.
struct TimeZone {
    std::string name;  // IANA name, "Europe/Berlin"
    int utc_offset_s = 0;
    bool operator==(const TimeZone&) const = default;
};

// The PC's time zone now, with its offset from UTC now (Qt Core, in frostel_platform_qt).
[[nodiscard]] TimeZone pc_time_zone();

}  // namespace frostel::platform
