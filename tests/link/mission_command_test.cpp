#include <gtest/gtest.h>

#include "support/sim_rig.h"

namespace frostel {
namespace {

using link::kLoggerError;
using link::kNoError;

// Letters and page reads in the order the reader saw them, e.g. "G B16 G B16".
std::string trace(const sim::ReaderBox& box) {
    std::string text;
    for (const sim::CommandRecord& c : box.commands()) {
        text += text.empty() ? "" : " ";
        text += c.letter;
        if (c.page >= 0) {
            text += std::to_string(c.page);
        }
    }
    return text;
}

TEST(MissionCommands, StopOnAnIdleLoggerSendsTheLetterOnceAndSucceeds) {
    test::SimRig rig;
    rig.commands.stop_mission();
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_EQ(trace(rig.box), "G B16");
}

TEST(MissionCommands, StopGivesUpAfterFourAttemptsWhenTheMissionKeepsRunning) {
    test::SimRig rig;
    rig.logger.memory()[sim::kStatusAddress] = sim::kMissionRunning;
    rig.logger.freeze_status_bits(sim::kMissionRunning);
    rig.commands.stop_mission();
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
    EXPECT_EQ(trace(rig.box), "G B16 G B16 G B16 G B16");
}

TEST(MissionCommands, StartAndClearGiveUpAfterTwoAttempts) {
    test::SimRig rig;
    rig.logger.freeze_status_bits(sim::kMissionRunning | sim::kMemoryCleared);
    rig.commands.clear_memory();
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
    rig.commands.start_mission();
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
    EXPECT_EQ(trace(rig.box), "H B16 H B16 F B16 F B16");
}

TEST(MissionCommands, ClearSucceedsOnTheClearedBitAloneAndStartOnTheRunningBit) {
    test::SimRig rig;
    rig.commands.clear_memory();
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_NE(rig.logger.status() & sim::kMemoryCleared, 0);
    rig.commands.start_mission();
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_NE(rig.logger.status() & sim::kMissionRunning, 0);
    EXPECT_EQ(trace(rig.box), "H B16 F B16");
}

TEST(MissionCommands, AFailedStatusReadCountsAsOneFailedAttempt) {
    test::SimRig rig;
    // The first status read fails all nine times; the second attempt then succeeds.
    rig.box.add_fault({.letter = 'B', .kind = sim::ReplyFault::Kind::kSilence, .times = 9});
    rig.commands.stop_mission();
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_EQ(rig.box.count('G'), 2);
    EXPECT_EQ(rig.box.count('B'), 10);
}

}  // namespace
}  // namespace frostel
