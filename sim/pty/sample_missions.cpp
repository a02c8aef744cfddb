#include "sim/pty/sample_missions.h"

#include <cmath>
#include <numbers>

#include "platform/local_date_time.h"

namespace frostel::sim {

namespace {

constexpr int kColdRoomSamples = 4 * 24 * 6;  // four days, every ten minutes
constexpr int kMinutesPerSample = 10;

// The compressor cycles the room between about 3 and 4.5 degrees, inside its 2 to 8 degree
// alarm band; on day 2 at 14:00 the door stands open for 40 minutes and the room takes two
// hours to recover.
double cold_room_temperature(int i) {
    const double minutes = i * kMinutesPerSample;
    const double cycle = 0.7 * std::sin(2 * std::numbers::pi * minutes / 95.0);
    const double daily = 0.3 * std::sin(2 * std::numbers::pi * (minutes - 360.0) / 1440.0);
    double t = 3.8 + cycle + daily;
    const double door_open = (24 + 14) * 60.0;
    if (minutes >= door_open && minutes < door_open + 40) {
        t += 0.14 * (minutes - door_open) + 3.0;
    } else if (minutes >= door_open + 40) {
        t += 8.6 * std::exp(-(minutes - door_open - 40) / 35.0);
    }
    return t;
}

SimMission cold_room(const platform::LocalDateTime& now) {
    SimMission mission;
    mission.configuration = kConfigurationL;
    mission.sixteen_bit = true;
    mission.sample_rate = kMinutesPerSample;
    mission.start = platform::add_seconds(
        now, -static_cast<std::int64_t>(kColdRoomSamples) * kMinutesPerSample * 60 - 3600);
    mission.start.second = 0;
    mission.mission_text = "Cold room 3 - dairy. Weekly check, door alarm test on day 2.";
    mission.calibration_offset_tenths = 2;
    mission.low_alarm = 2.0;
    mission.high_alarm = 8.0;
    for (int i = 0; i < kColdRoomSamples; ++i) {
        mission.temperatures.push_back(cold_room_temperature(i));
    }
    return mission;
}

SimMission full_log(const platform::LocalDateTime& now) {
    SimMission mission;
    mission.configuration = kConfigurationT;
    mission.sample_rate = 1;
    mission.start = platform::add_seconds(now, -8192LL * 60);
    mission.mission_text = "Incubator B, full log";
    for (int i = 0; i < 8192; ++i) {
        mission.temperatures.push_back(37.0 + (i % 9 - 4) * 0.5);
    }
    return mission;
}

}  // namespace

std::optional<SimMission> sample_mission(std::string_view name,
                                         const platform::LocalDateTime& now) {
    if (name == "cold-room") {
        return cold_room(now);
    }
    if (name == "full-log") {
        return full_log(now);
    }
    return std::nullopt;
}

}  // namespace frostel::sim
