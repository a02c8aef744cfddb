#include <gtest/gtest.h>

#include <vector>

#include "mission/mission_header.h"
#include "mission/mission_loader.h"
#include "mission/register_map.h"
#include "mission/sample_log.h"
#include "support/sim_rig.h"

namespace frostel {
namespace {

using link::Byte;
using sim::encode_sample;

TEST(SimulatedLoggerEncoding, SamplesAreStoredOnEachRangesOwnScale) {
    EXPECT_EQ(encode_sample(41.0, sim::kConfigurationL, false), std::vector<Byte>{164});
    EXPECT_EQ(encode_sample(24.0, sim::kConfigurationT, false), std::vector<Byte>{50});
    EXPECT_EQ(encode_sample(56.0, sim::kConfigurationH, false), std::vector<Byte>{0x54});
    EXPECT_EQ(encode_sample(25.25, sim::kConfigurationL, true), (std::vector<Byte>{132, 128}));
    EXPECT_EQ(encode_sample(39.0, sim::kConfigurationH, true), (std::vector<Byte>{50, 0}));
    // 16-bit readings keep sixteenths of a degree: 20.1 is stored as 20.125.
    EXPECT_EQ(encode_sample(20.1, sim::kConfigurationT, true), (std::vector<Byte>{42, 64}));
    // Out of range readings stay at the ends of the scale.
    EXPECT_EQ(encode_sample(-60.0, sim::kConfigurationL, false), std::vector<Byte>{0});
    EXPECT_EQ(encode_sample(300.0, sim::kConfigurationT, false), std::vector<Byte>{255});
    EXPECT_EQ(encode_sample(300.0, sim::kConfigurationT, true), (std::vector<Byte>{255, 224}));
}

TEST(SimulatedLoggerEncoding, RegistersTakeTheMissionsBytes) {
    sim::LoggerModel logger;
    sim::SimMission mission;
    mission.start = {2009, 11, 7, 14, 30, 5};
    mission.rate_in_seconds = true;
    mission.sample_rate = 0x010A;
    mission.mission_sample_count = 10000;
    mission.calibration_offset_tenths = -5;
    mission.mission_text = "Lab";
    load_mission(logger, mission);
    const auto memory = logger.memory();
    EXPECT_EQ(std::vector<Byte>(memory.begin() + 0x0219, memory.begin() + 0x021F),
              (std::vector<Byte>{0x05, 0x30, 0x14, 0x07, 0x11, 0x09}));
    EXPECT_EQ(std::vector<Byte>(memory.begin() + 0x0220, memory.begin() + 0x0226),
              (std::vector<Byte>{0x10, 0x27, 0x00, 0x10, 0x27, 0x00}));
    EXPECT_EQ(memory[0x0206], 0x0A);
    EXPECT_EQ(memory[0x0207], 0x01);
    EXPECT_EQ(memory[0x0212] & 0x02, 0x02);
    EXPECT_EQ(memory[0x0226], 0x60);
    EXPECT_EQ(memory[0x0020], 'L');
    EXPECT_EQ(memory[0x01FD], ' ');
    EXPECT_EQ(memory[0x01FE], 0x7B);
    EXPECT_EQ(memory[0x01FF], 0x7B);
    EXPECT_EQ(logger.status() & sim::kMissionRunning, sim::kMissionRunning);

    const auto hour_byte = [](int hour) {
        sim::LoggerModel twelve;
        sim::SimMission m;
        m.twelve_hour_clock = true;
        m.start.hour = hour;
        load_mission(twelve, m);
        return twelve.memory()[0x021B];
    };
    EXPECT_EQ(hour_byte(0), 0x52);
    EXPECT_EQ(hour_byte(12), 0x72);
    EXPECT_EQ(hour_byte(23), 0x71);
    EXPECT_EQ(hour_byte(9), 0x49);
}

TEST(SimulatedLoggerEncoding, WithoutRolloverAFullLogStopsTheMission) {
    sim::LoggerModel logger;
    sim::SimMission mission;
    mission.temperatures.assign(8200, 20.0);
    mission.temperatures[8191] = 30.0;
    mission.temperatures[8192] = 40.0;
    load_mission(logger, mission);
    EXPECT_EQ(logger.memory()[0x0220] + 256 * logger.memory()[0x0221], 8192);
    EXPECT_EQ(logger.memory()[0x2FFF], encode_sample(30.0, sim::kConfigurationT, false)[0]);
    EXPECT_EQ(logger.memory()[0x1000], encode_sample(20.0, sim::kConfigurationT, false)[0]);
}

TEST(SimulatedLoggerEncoding, RawLogBytesStartAtTheLogAndStopAtItsEnd) {
    sim::LoggerModel logger;
    sim::SimMission mission;
    mission.mission_sample_count = 3;
    load_mission(logger, mission);
    const std::vector<Byte> bytes{0x11, 0x22, 0x33};
    write_log_bytes(logger, 0, bytes);
    write_log_bytes(logger, 0x1FFE, bytes);
    EXPECT_EQ(logger.memory()[0x1000], 0x11);
    EXPECT_EQ(logger.memory()[0x1002], 0x33);
    EXPECT_EQ(logger.memory()[0x2FFF], 0x22);
    EXPECT_EQ(logger.memory()[0x0220], 3);
}

// What a download does, in its order: identity, pages 1 to 18, the header, the log page by
// page.
struct Downloaded {
    mission::MissionHeader header;
    std::vector<mission::Sample> samples;
    int page_reads = 0;
};

Downloaded download(test::SimRig& rig) {
    link::LoggerId id;
    rig.commands.read_rom(id);
    link::MemoryImage image = mission::make_header_image();
    for (int page = mission::kHeaderFirstPage; page <= mission::kHeaderLastPage; ++page) {
        EXPECT_TRUE(rig.commands.read_page_into(page, image));
    }
    Downloaded result;
    result.header = mission::decode_mission_header(image, id);
    mission::SampleDecoder decoder(result.header);
    for (int page = decoder.walk().first_page; page <= decoder.walk().last_page; ++page) {
        rig.commands.read_memory(page);
        EXPECT_EQ(rig.link.error_number(), link::kNoError);
        decoder.add_page(page, rig.commands.page_data());
    }
    result.samples = decoder.samples();
    result.page_reads = rig.box.count('B');
    return result;
}

TEST(SimulatedDownload, SixteenBitMissionReadsBackThroughTheReader) {
    test::SimRig rig;
    sim::SimMission mission;
    mission.configuration = sim::kConfigurationL;
    mission.sixteen_bit = true;
    mission.rate_in_seconds = true;
    mission.sample_rate = 30;
    mission.start = {2026, 2, 28, 23, 59, 45};
    mission.temperatures = {-40.0, -12.5, 0.0, 21.0625, 25.25, 84.9375};
    mission.calibration_offset_tenths = 12;
    mission.alarm_status = 0x80;
    mission.mission_text = "Freezer 2";
    load_mission(rig.logger, mission);

    const Downloaded d = download(rig);
    EXPECT_EQ(d.page_reads, 18 + 2);
    EXPECT_EQ(d.header.logger_type, mission::LoggerType::kL);
    EXPECT_EQ(d.header.start_time_text, "28-02-2026 23:59:45");
    EXPECT_EQ(d.header.sample_interval, 30);
    EXPECT_EQ(d.header.calibration_offset, 1.2);
    EXPECT_EQ(d.header.mission_text.substr(0, 10), "Freezer 2 ");
    EXPECT_EQ(d.header.caption.substr(38), d.header.logger_id);
    ASSERT_EQ(d.samples.size(), mission.temperatures.size());
    for (std::size_t i = 0; i < d.samples.size(); ++i) {
        EXPECT_EQ(d.samples[i].celsius, mission.temperatures[i]) << i;
    }
    EXPECT_EQ(d.samples[1].time_text, "2026-03-01 00:00:15");
    EXPECT_DOUBLE_EQ(mission::shown_values(d.samples, mission::TemperatureUnit::kFahrenheit,
                                           d.header.calibration_offset)[4],
                     77.45 + 1.2);
}

TEST(SimulatedDownload, RolloverMissionReadsTheWholeLogOldestFirst) {
    test::SimRig rig;
    sim::SimMission mission;
    mission.configuration = sim::kConfigurationH;
    mission.rollover = true;
    mission.sample_rate = 1;  // minutes
    mission.start = {2026, 1, 1, 0, 0, 0};
    for (int j = 0; j < 8192 + 300; ++j) {
        mission.temperatures.push_back(15.0 + (j % 250) * 0.5);
    }
    load_mission(rig.logger, mission);

    const Downloaded d = download(rig);
    EXPECT_EQ(d.header.mission_sample_count, 8492);
    EXPECT_EQ(d.page_reads, 18 + 256);
    ASSERT_EQ(d.samples.size(), 8192U);
    for (std::size_t j = 0; j < d.samples.size(); ++j) {
        ASSERT_EQ(d.samples[j].celsius, mission.temperatures[300 + j]) << j;
    }
    EXPECT_EQ(d.samples.front().time_text, "2026-01-01 05:00:00");
    EXPECT_EQ(d.samples.back().time_text, "2026-01-06 21:31:00");
}

}  // namespace
}  // namespace frostel
