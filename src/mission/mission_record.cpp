#include "mission/mission_record.h"

namespace frostel::mission {

MissionRecord make_mission_record(const MissionHeader& header, std::span<const Sample> samples,
                                  TimeZone time_zone) {
    MissionRecord r;
    r.logger_id = header.logger_id;
    r.configuration = header.configuration;
    r.start_time = header.start_time;
    r.sample_interval = header.sample_interval;
    r.sample_format = header.sample_format;
    r.start_delay = header.start_delay;
    r.mission_sample_count = header.mission_sample_count;
    r.device_sample_count = header.device_sample_count;
    r.calibration_offset_tenths = header.calibration_offset_tenths;
    r.alarm_status = header.alarm_status;
    r.general_status = header.general_status;
    r.mission_control = header.mission_control;
    r.alarm_enable = header.alarm_enable;
    r.low_threshold = header.low_threshold;
    r.high_threshold = header.high_threshold;
    for (const Sample& sample : samples) {
        r.below_range += sample.range == SensorRange::kBelow ? 1 : 0;
        r.above_range += sample.range == SensorRange::kAbove ? 1 : 0;
    }
    r.time_zone = std::move(time_zone);
    return r;
}

}  // namespace frostel::mission
