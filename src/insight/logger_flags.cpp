#include "insight/logger_flags.h"

#include "mission/register_map.h"
#include "mission/sample_log.h"

namespace frostel::insight {

namespace {

bool bit(link::Byte byte, link::Byte mask) {
    return (byte & mask) != 0;
}

// "1 SAMPLE", "12 SAMPLES".
std::string samples_text(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " SAMPLE" : " SAMPLES");
}

}  // namespace

LoggerFlags logger_flags(const mission::MissionRecord& record) {
    LoggerFlags f;
    f.low_alarm = bit(record.alarm_status, mission::kLowAlarmBit);
    f.high_alarm = bit(record.alarm_status, mission::kHighAlarmBit);
    f.battery_reset = bit(record.alarm_status, mission::kBatteryResetBit);
    f.waiting_for_alarm = bit(record.general_status, mission::kWaitingForAlarmBit);
    f.rollover = bit(record.mission_control, mission::kRolloverBit);
    f.overwritten = mission::plan_log_walk(record.mission_sample_count, record.sample_format)
                        .oldest_sample_number;
    f.device_samples = record.device_sample_count;
    f.below_range = record.below_range;
    f.above_range = record.above_range;
    return f;
}

std::vector<std::string> flag_warnings(const LoggerFlags& flags) {
    std::vector<std::string> warnings;
    if (flags.battery_reset) {
        warnings.emplace_back("BATTERY RESET: CALIBRATION LOST, DISREGARD THIS DATA !");
    }
    if (flags.waiting_for_alarm) {
        warnings.emplace_back("WAITING FOR A TEMPERATURE ALARM: LOGGING NEVER BEGAN !");
    }
    if (flags.overwritten > 0) {
        warnings.push_back(samples_text(flags.overwritten) + " OVERWRITTEN BY ROLLOVER !");
    }
    if (flags.below_range > 0) {
        warnings.push_back(samples_text(flags.below_range) + " BELOW THE SENSOR'S RANGE !");
    }
    if (flags.above_range > 0) {
        warnings.push_back(samples_text(flags.above_range) + " ABOVE THE SENSOR'S RANGE !");
    }
    if (flags.low_alarm) {
        warnings.emplace_back("LOW ALARM FLAG SET BY THE LOGGER !");
    }
    if (flags.high_alarm) {
        warnings.emplace_back("HIGH ALARM FLAG SET BY THE LOGGER !");
    }
    return warnings;
}

}  // namespace frostel::insight
