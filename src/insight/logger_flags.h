#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mission/mission_record.h"

namespace frostel::insight {

// What the logger itself says about the mission.
struct LoggerFlags {
    bool low_alarm = false;
    bool high_alarm = false;
    // Reset by a battery failure: the factory calibration is gone, the data is not to be trusted.
    bool battery_reset = false;
    // The mission waited for a temperature alarm and never began logging.
    bool waiting_for_alarm = false;
    bool rollover = false;
    std::int64_t overwritten = 0;  // samples the log no longer holds
    int device_samples = 0;
    int below_range = 0;  // samples at the sensor's lowest reading
    int above_range = 0;  // samples at its highest
    bool operator==(const LoggerFlags&) const = default;
};

[[nodiscard]] LoggerFlags logger_flags(const mission::MissionRecord& record);

// The flags that call for attention, each as one line for the user, the strongest first.
[[nodiscard]] std::vector<std::string> flag_warnings(const LoggerFlags& flags);

}  // namespace frostel::insight
