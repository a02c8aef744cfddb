// The link's byte timing and its handling of port failures.
#include <gtest/gtest.h>

#include "support/sim_rig.h"

namespace frostel {
namespace {

using namespace std::chrono_literals;
using link::kLoggerError;
using link::kNoError;
using Timing = std::pair<std::chrono::nanoseconds, bool>;  // byte time, read succeeds

TEST(ByteTiming, OnlyStrictlyMoreThanATenthEndsTheWaitAndCrcBytesShareTheLastDataBytes) {
    // The simulated port's wait returns just past its deadline, as a real one may: a byte
    // that came in that instant is waiting and must be taken.
    for (const auto& [byte_time, ok] :
         {Timing{100ms, true}, {100ms + 1ns, true}, {100ms + 1us, false}}) {
        test::SimRig rig;
        rig.port.set_byte_time(byte_time);
        link::LoggerId id;
        rig.commands.read_rom(id);
        EXPECT_EQ(id != link::kNoLoggerId, ok) << byte_time.count();
        EXPECT_EQ(rig.link.error_number(), ok ? kNoError : kLoggerError);
    }
    // Reply bytes 30 ms apart put both check bytes 90 ms after the last data byte's wait
    // began; 35 ms apart puts the second at 105 ms, though every byte alone is in time.
    for (const auto& [byte_time, ok] : {Timing{30ms, true}, {35ms, false}}) {
        test::SimRig rig;
        rig.port.set_byte_time(byte_time);
        rig.commands.read_memory(2);
        EXPECT_EQ(rig.link.error_number(), ok ? kNoError : kLoggerError) << byte_time.count();
        EXPECT_EQ(rig.box.count('B'), ok ? 1 : 9);
    }
}

TEST(PortFailures, AreSkippedWithTheirCodeAndTheOperationGoesOn) {
    // A pseudo-terminal refuses RTS: the identity still arrives; the code stays behind.
    test::SimRig rig;
    rig.port.fail_rts(7);
    link::LoggerId id;
    rig.commands.read_rom(id);
    EXPECT_NE(id, link::kNoLoggerId);
    EXPECT_EQ(rig.link.error_number(), 7);
    // read_memory reports its own success over the port's complaint.
    rig.commands.read_memory(16);
    EXPECT_EQ(rig.link.error_number(), kNoError);
}

TEST(OpenPort, AnInvalidNumberKeepsThePortAndAMissingOneTimesOutInOneByteWait) {
    test::SimRig rig;
    rig.port.attach(4, rig.box);
    rig.link.open_port(4);
    for (const int invalid : {0, 31}) {
        rig.link.open_port(invalid);
        EXPECT_EQ(rig.link.selected_port(), 4);
        EXPECT_EQ(rig.port.open_port_number(), 4);
    }
    rig.link.open_port(9);
    EXPECT_EQ(rig.link.error_number(), sim::SimSerialPort::kNoDevice);
    EXPECT_FALSE(rig.port.is_open());
    const auto start = rig.clock.now();
    link::LoggerId id;
    rig.commands.read_rom(id);
    EXPECT_EQ(id, link::kNoLoggerId);
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
    const auto took = rig.clock.now() - start;
    EXPECT_GT(took, 100ms);
    EXPECT_LT(took, 110ms);
    rig.commands.read_memory(16);
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
}

}  // namespace
}  // namespace frostel
