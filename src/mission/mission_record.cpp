#include "mission/mission_record.h"

namespace frostel::mission {

MissionRecord make_mission_record(const MissionHeader& header, std::span<const Sample> samples,
                                  TimeZone time_zone) {
    MissionRecord r;
    static_cast<MissionRegisters&>(r) = header;
    for (const Sample& sample : samples) {
        r.below_range += sample.range == SensorRange::kBelow ? 1 : 0;
        r.above_range += sample.range == SensorRange::kAbove ? 1 : 0;
    }
    r.time_zone = std::move(time_zone);
    return r;
}

}  // namespace frostel::mission
