#include "cli_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "cli_download.h"
#include "line_noise.h"
#include "mission/mission_loader.h"
#include "support/sim_rig.h"

namespace frostel::cli {
namespace {

using sim::ReplyFault;

struct CliOnSimulator : ::testing::Test {
    test::SimRig rig;
    std::ostringstream out;
    std::ostringstream err;
    CommandContext context{rig.commands, out, err};
};

TEST_F(CliOnSimulator, IdPrintsTheSecondReadingOrNamesTheDevice) {
    rig.logger.set_rom({0x41, 0x9A, 0x78, 0x56, 0x34, 0x12, 0x00, 0xC3});
    // The first identity read gets nothing: only the second one counts.
    rig.box.add_fault({'A', -1, ReplyFault::Kind::kSilence, 0, 1});
    EXPECT_EQ(run_id(context), kExitOk);
    EXPECT_EQ(out.str(), "4100123456789AC3\n");
    EXPECT_EQ(rig.box.count('A'), 2);
    EXPECT_TRUE(err.str().empty());

    // Seven bytes and then silence give no identity at all.
    out.str("");
    rig.box.add_fault({'A', -1, ReplyFault::Kind::kCut, 7, -1});
    EXPECT_EQ(run_id(context), kExitFailed);
    EXPECT_TRUE(out.str().empty());
    EXPECT_EQ(err.str(),
              "frostel-cli: no complete logger identity: port 1 (simulated reader): "
              "no answer from the reader; is a logger in it?\n");
}

TEST_F(CliOnSimulator, StatusReportsBothBitsOrFails) {
    // Running "yes" and both "no" are seen over the pseudo-terminal.
    rig.logger.memory()[sim::kStatusAddress] = sim::kMemoryCleared | 0xF0;
    EXPECT_EQ(run_status(context), kExitOk);
    EXPECT_EQ(out.str(), "mission running: no\nmemory cleared: yes\n");

    out.str("");
    rig.box.add_fault({'B', -1, ReplyFault::Kind::kSilence, 0, -1});
    EXPECT_EQ(run_status(context), kExitFailed);
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("no answer from the reader"), std::string::npos) << err.str();
}

TEST_F(CliOnSimulator, ReadPagePrintsEachPageAndStopsAtAFailure) {
    for (int i = 0; i < 32; ++i) {
        rig.logger.memory()[128 * 32 + i] = static_cast<link::Byte>(0xE0 + i);
    }
    rig.box.add_fault({'B', 129, ReplyFault::Kind::kCorrupt, 3, -1});
    EXPECT_EQ(run_read_pages(context, {128, 129, 130}), kExitFailed);
    EXPECT_EQ(out.str(),
              "0128: E0 E1 E2 E3 E4 E5 E6 E7 E8 E9 EA EB EC ED EE EF F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 "
              "FA FB FC FD FE FF\n");
    EXPECT_NE(err.str().find("(simulated reader): page 129 failed its check 9 times"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(rig.box.count('B'), 1 + 9);
}

TEST_F(CliOnSimulator, AFailedProgrammingRunPrintsItsErrorLine) {
    // Success, exit 0 and "PROGRAMMING OK", is seen over the pseudo-terminal.
    rig.logger.memory()[sim::kStatusAddress] = sim::kMissionRunning;
    rig.logger.freeze_status_bits(sim::kMissionRunning);  // it will not stop
    EXPECT_EQ(run_program(context, rig.clock, 1, {}), kExitFailed);
    EXPECT_EQ(out.str(), "PROGRAMMING ERROR !\n");
    EXPECT_NE(err.str().find("status never changed after the stop command (G)"), std::string::npos)
        << err.str();
}

TEST_F(CliOnSimulator, AProgrammingRunSaysWhatItCorrectedAndARangeThatReversesThePairIsRefused) {
    programming::ProgrammingSettings settings;  // an "L" logger: -40 to 85
    settings.low_threshold = "-55";
    EXPECT_EQ(run_program(context, rig.clock, 1, settings), kExitOk);
    EXPECT_EQ(out.str(), "PROGRAMMING OK\n");
    EXPECT_EQ(err.str(),
              "frostel-cli: the low threshold -55 is below the logger's range; corrected to -40\n");

    out.str("");
    err.str("");
    settings.low_threshold = "90";
    settings.high_threshold = "95";
    EXPECT_EQ(run_program(context, rig.clock, 1, settings), kExitUsage);
    EXPECT_EQ(out.str(), "LOW ABOVE HIGH !\n");
    EXPECT_EQ(err.str(),
              "frostel-cli: the high threshold 95 is above the logger's range; corrected to 85\n");
    EXPECT_EQ(rig.box.count('H'), 1);  // the first run's clear only
}

TEST_F(CliOnSimulator, ADownloadThatClearedTheMissionSaysSoAndKeepsEverySample) {
    sim::SimMission mission;
    mission.temperatures.assign(7000, 5.0);
    sim::load_mission(rig.logger, mission);
    rig.port.set_command_noise(sim::lost_read_letter(328));
    EXPECT_EQ(run_download(context, {rig.clock, 1, "/nonexistent"}), kExitOk);
    EXPECT_NE(err.str().find("\nTHE LOGGER'S MISSION WAS CLEARED DURING THE DOWNLOAD !\n"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(std::ranges::count(out.str(), '\n'), 1 + 7000);
}

}  // namespace
}  // namespace frostel::cli
