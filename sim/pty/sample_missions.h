#pragma once

#include <optional>
#include <string_view>

#include "link/clock.h"
#include "sim/mission/mission_loader.h"

namespace frostel::sim {

inline constexpr const char* kSampleMissionNames = "cold-room, full-log";

// A ready-made mission by name, ending shortly before `now`:
// "cold-room": four days of a dairy cold room at 10-minute intervals, 16-bit samples,
//   alarms enabled at 2 and 8 degrees, with a door left open one afternoon (the demo's
//   mission);
// "full-log": a full log of 8192 8-bit samples (the benchmark's download).
[[nodiscard]] std::optional<SimMission> sample_mission(std::string_view name,
                                                       const platform::LocalDateTime& now);

}  // namespace frostel::sim
