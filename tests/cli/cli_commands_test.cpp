#include "cli_commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "support/sim_rig.h"

namespace frostel::cli {
namespace {

using sim::ReplyFault;

struct CliOnSimulator : ::testing::Test {
    test::SimRig rig;
    std::ostringstream out;
    std::ostringstream err;
    CommandContext context{rig.commands, "/dev/sim1", out, err};
};

TEST_F(CliOnSimulator, IdPrintsTheSecondReading) {
    rig.logger.set_serial(0x0000123456789AULL);
    // The first identity read gets nothing: only the second one counts.
    rig.box.add_fault({'A', -1, ReplyFault::Kind::kSilence, 0, 1});
    EXPECT_EQ(run_id(context), kExitOk);
    char check[3];
    std::snprintf(check, sizeof check, "%02X", rig.logger.rom()[7]);
    EXPECT_EQ(out.str(), std::string("4100123456789A") + check + "\n");
    EXPECT_EQ(rig.box.count('A'), 2);
    EXPECT_TRUE(err.str().empty());
}

TEST_F(CliOnSimulator, IdWithoutACompleteAnswerNamesTheDevice) {
    // Seven bytes and then silence give no identity at all.
    rig.box.add_fault({'A', -1, ReplyFault::Kind::kCut, 7, -1});
    EXPECT_EQ(run_id(context), kExitFailed);
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("/dev/sim1"), std::string::npos);
}

TEST_F(CliOnSimulator, StatusReportsBothBits) {
    rig.logger.memory()[sim::kStatusAddress] = sim::kMissionRunning;
    EXPECT_EQ(run_status(context), kExitOk);
    EXPECT_EQ(out.str(), "mission running: yes\nmemory cleared: no\n");

    out.str("");
    rig.logger.memory()[sim::kStatusAddress] = sim::kMemoryCleared | 0xF0;
    EXPECT_EQ(run_status(context), kExitOk);
    EXPECT_EQ(out.str(), "mission running: no\nmemory cleared: yes\n");
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
    EXPECT_NE(err.str().find("page 129"), std::string::npos);
    EXPECT_EQ(rig.box.count('B'), 1 + 9);
}

TEST_F(CliOnSimulator, ProgramPrintsTheResultLine) {
    rig.logger.memory()[sim::kStatusAddress] = sim::kMissionRunning;
    programming::ProgrammingSettings settings;
    settings.mission_text = "Freezer 2";
    EXPECT_EQ(run_program(context, rig.clock, 1, settings), kExitOk);
    EXPECT_EQ(out.str(), "PROGRAMMING OK\n");

    out.str("");
    rig.logger.freeze_status_bits(sim::kMissionRunning);  // it will not stop
    EXPECT_EQ(run_program(context, rig.clock, 1, settings), kExitFailed);
    EXPECT_EQ(out.str(), "PROGRAMMING ERROR !\n");
}

}  // namespace
}  // namespace frostel::cli
