// The simulated logger stores missions as a real one would: pinned bytes, so a mistake the
// decoder shares with it cannot hide.
#include <gtest/gtest.h>

#include <vector>

#include "mission/mission_loader.h"

namespace frostel {
namespace {

using link::Byte;
using sim::encode_sample;
using Bytes = std::vector<Byte>;

// Exact readings are stored as the decoder's scale table reads them back; here the others.
TEST(SimulatedLogger, SamplesAreStoredOnEachRangesOwnScaleAndResolution) {
    // 16-bit readings keep sixteenths of a degree: 20.1 is stored as 20.125.
    EXPECT_EQ(encode_sample(20.1, sim::kConfigurationT, true), (Bytes{42, 64}));
    // Out of range readings stay at the ends of the scale.
    EXPECT_EQ(encode_sample(-60.0, sim::kConfigurationL, false), Bytes{0});
    EXPECT_EQ(encode_sample(300.0, sim::kConfigurationT, true), (Bytes{255, 224}));
}

// The other registers are checked end to end by the download tests; the 12-hour clock is not.
TEST(SimulatedLogger, TwelveHourStartHoursAreStoredInTheLoggersBcd) {
    for (const auto& [hour, stored] : {std::pair<int, Byte>{0, 0x52}, {12, 0x72}, {23, 0x71}}) {
        sim::LoggerModel logger;
        sim::SimMission mission;
        mission.twelve_hour_clock = true;
        mission.start.hour = hour;
        load_mission(logger, mission);
        EXPECT_EQ(logger.memory()[0x021B], stored) << hour;
    }
}

TEST(SimulatedLogger, AFullLogStopsTheMissionAndRawBytesStopAtTheLogsEnd) {
    sim::LoggerModel logger;
    sim::SimMission mission;
    mission.temperatures.assign(8200, 20.0);
    mission.temperatures[8191] = 30.0;
    mission.temperatures[8192] = 40.0;
    load_mission(logger, mission);
    EXPECT_EQ(logger.memory()[0x2FFF], encode_sample(30.0, sim::kConfigurationT, false)[0]);
    EXPECT_EQ(logger.memory()[0x1000], encode_sample(20.0, sim::kConfigurationT, false)[0]);

    const Bytes raw{0x11, 0x22, 0x33};
    write_log_bytes(logger, 0, raw);
    write_log_bytes(logger, 0x1FFE, raw);
    EXPECT_EQ(logger.memory()[0x1002], 0x33);
    EXPECT_EQ(logger.memory()[0x2FFF], 0x22);
    EXPECT_EQ(logger.memory()[0x0220] + 256 * logger.memory()[0x0221], 8192);
}

}  // namespace
}  // namespace frostel
