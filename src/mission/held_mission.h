#pragma once

#include "link/logger_commands.h"
#include "platform/local_date_time.h"

namespace frostel::mission {

// A mission a logger holds, as pages 16 and 17 give it: what programming would overwrite.
struct HeldMission {
    link::LoggerId logger_id;
    platform::LocalDateTime start;
    int sample_count = 0;  // the mission sample count
};

}  // namespace frostel::mission
