#pragma once

#include <cstdio>

#include "platform/local_date_time.h"
#include "programming/programming_settings.h"

namespace frostel::programming {

// Settings with a date-and-time start `minutes` after the start of the minute `now` is in,
// typed as the window holds it.
inline ProgrammingSettings starting_in(const platform::LocalDateTime& now, std::int64_t minutes) {
    const auto start =
        platform::from_civil_seconds(platform::to_civil_seconds(now) / 60 * 60 + minutes * 60);
    ProgrammingSettings settings;
    settings.start_mode = StartMode::kDateTime;
    settings.start_date = {start.year, start.month, start.day};
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", start.hour, start.minute);
    settings.start_time = text;
    return settings;
}

}  // namespace frostel::programming
