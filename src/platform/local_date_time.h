#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace frostel::platform {

// A calendar date and time of day on the PC's local clock.
struct LocalDateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    auto operator<=>(const LocalDateTime&) const = default;
};

// The PC's local date and time now, to the second.
[[nodiscard]] LocalDateTime local_now();

// Civil seconds since 1970-01-01 00:00:00 of the same (zone-less) local calendar, so that
// adding a sample interval never crosses a daylight-saving jump twice.
[[nodiscard]] std::int64_t to_civil_seconds(const LocalDateTime& t);
[[nodiscard]] LocalDateTime from_civil_seconds(std::int64_t seconds);
[[nodiscard]] LocalDateTime add_seconds(const LocalDateTime& t, std::int64_t seconds);
[[nodiscard]] bool is_valid_date_time(const LocalDateTime& t);
// "yyyy-mm-dd hh:mm:ss"
[[nodiscard]] std::string format_iso(const LocalDateTime& t);
// That form read back; nothing for any other text or an impossible date or time.
[[nodiscard]] std::optional<LocalDateTime> parse_iso(std::string_view text);

}  // namespace frostel::platform
