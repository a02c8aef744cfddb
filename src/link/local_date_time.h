#pragma once

#include <cstdint>
#include <string>

#include "clock.h"

namespace frostel::link {

// Civil seconds since 1970-01-01 00:00:00 of the same (zone-less) local calendar, so that
// adding a sample interval never crosses a daylight-saving jump twice.
[[nodiscard]] std::int64_t to_civil_seconds(const LocalDateTime& t);
[[nodiscard]] LocalDateTime from_civil_seconds(std::int64_t seconds);
[[nodiscard]] LocalDateTime add_seconds(const LocalDateTime& t, std::int64_t seconds);
[[nodiscard]] bool is_valid_date_time(const LocalDateTime& t);
// "yyyy-mm-dd hh:mm:ss"
[[nodiscard]] std::string format_iso(const LocalDateTime& t);

}  // namespace frostel::link
