#pragma once

#include <optional>
#include <span>
#include <string>

#include "link/clock.h"
#include "link/logger_commands.h"
#include "mission/logger_clock.h"
#include "mission/logger_type.h"
#include "mission/mission_header.h"
#include "mission/sample_log.h"
#include "platform/time_zone.h"

namespace frostel::mission {

// The PC's time zone when a mission was downloaded.
using TimeZone = platform::TimeZone;

// What a saved mission keeps beyond its chart points: the logger's register fields a summary
// reads, the samples at the sensor's range limits and the time zone of the download.
struct MissionRecord : MissionRegisters {
    int below_range = 0;
    int above_range = 0;
    TimeZone time_zone;
    // Nothing for a mission kept before clocks were read: its UTC instants are unknown.
    std::optional<LoggerClock> clock;

    [[nodiscard]] LoggerType logger_type() const {
        return logger_type_from_configuration(configuration);
    }
    bool operator==(const MissionRecord&) const = default;
};

// The record of a download: its header, the count of samples at each end of the sensor's
// range, and the PC's time zone.
[[nodiscard]] MissionRecord make_mission_record(const MissionHeader& header,
                                                std::span<const Sample> samples,
                                                TimeZone time_zone);

}  // namespace frostel::mission
