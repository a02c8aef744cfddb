#pragma once

#include <cstdio>

#include "link/clock.h"
#include "programming/programming_settings.h"

namespace frostel::programming {

// Default settings with a date-and-time start at `start`, as typed into the window.
inline ProgrammingSettings timed_start(const link::LocalDateTime& start) {
    ProgrammingSettings settings;
    settings.start_mode = StartMode::kDateTime;
    settings.start_date = {start.year, start.month, start.day};
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", start.hour, start.minute);
    settings.start_time = text;
    return settings;
}

}  // namespace frostel::programming
