#include <gtest/gtest.h>

#include "support/sim_rig.h"

namespace frostel {
namespace {

using link::kLoggerError;
using link::kNoError;
using sim::ReplyFault;

TEST(ReadRom, IdentityListsFamilySerialMostSignificantFirstThenCheckByte) {
    test::SimRig rig;
    link::LoggerId id;
    rig.logger.set_rom({0x41, 0x23, 0x45, 0x67, 0x89, 0xAB, 0x00, 0x5C});
    rig.commands.read_rom(id);
    EXPECT_EQ(id, "4100AB896745235C");
    EXPECT_EQ(rig.link.error_number(), kNoError);

    rig.logger.set_rom({0x41, 0x0A, 0, 0, 0, 0, 0, 0x0A});
    rig.commands.read_rom(id);
    EXPECT_EQ(id, "4100000000000A0A");
}

TEST(ReadRom, SevenBytesThenSilenceGiveNoPartialIdentity) {
    test::SimRig rig;
    rig.box.add_fault({.letter = 'A', .kind = ReplyFault::Kind::kCut, .byte_index = 7});
    link::LoggerId id = "stale";
    rig.commands.read_rom(id);
    EXPECT_EQ(id, link::kNoLoggerId);
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
}

TEST(ReadRom, ExtraBytesAreFlushedByTheNextCommand) {
    test::SimRig rig;
    rig.commands.read_rom(*std::make_unique<link::LoggerId>());
    // A reply left half-taken, then stray bytes: the next command must not see them.
    rig.port.inject_stray_bytes({0xDE, 0xAD, 0xBE, 0xEF});
    link::LoggerId id;
    rig.commands.read_rom(id);
    link::LoggerId expected;
    test::SimRig clean;
    clean.commands.read_rom(expected);
    EXPECT_EQ(id, expected);
    EXPECT_NE(id, link::kNoLoggerId);
}

TEST(ReadRom, ClosedPortTimesOutAfterOneByteWait) {
    test::SimRig rig;
    rig.port.detach(1);
    rig.link.open_port(1);  // the close succeeds, the open fails
    EXPECT_GT(rig.link.error_number(), 0);
    const auto start = rig.clock.now();
    link::LoggerId id;
    rig.commands.read_rom(id);
    EXPECT_EQ(id, link::kNoLoggerId);
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
    const auto took = rig.clock.now() - start;
    EXPECT_GT(took, std::chrono::milliseconds(100));
    EXPECT_LT(took, std::chrono::milliseconds(110));
}

}  // namespace
}  // namespace frostel
