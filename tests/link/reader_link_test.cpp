#include <gtest/gtest.h>

#include <deque>

#include "support/sim_rig.h"

namespace frostel {
namespace {

using namespace std::chrono_literals;
using link::Byte;
using link::kLoggerError;

// A port whose one byte shows up only after the waiting has carried the clock past the
// byte's deadline: the byte is there when the link next looks.
class LateBytePort final : public link::SerialPort {
public:
    explicit LateBytePort(link::VirtualClock& clock) : clock_(clock) {}
    link::PortStatus open(int) override { return link::kPortOk; }
    link::PortStatus close() override { return link::kPortOk; }
    bool is_open() const override { return true; }
    link::PortStatus set_rts(bool) override { return link::kPortOk; }
    link::PortStatus discard_input() override { return link::kPortOk; }
    link::PortStatus write(std::span<const Byte>) override { return link::kPortOk; }
    std::size_t bytes_waiting() override { return arrived_ ? 1 : 0; }
    Byte take_byte() override {
        arrived_ = false;
        return 0x42;
    }
    void wait_for_byte(std::chrono::steady_clock::time_point deadline) override {
        clock_.advance_to(deadline + 30ms);
        arrived_ = true;
    }

private:
    link::VirtualClock& clock_;
    bool arrived_ = false;
};

TEST(WaitByte, AByteWaitingIsTakenEvenWhenTheDeadlineHasPassed) {
    link::VirtualClock clock;
    LateBytePort port(clock);
    link::ReaderLink reader(port, clock);
    const auto start = clock.now();
    EXPECT_EQ(reader.wait_byte(), Byte{0x42});
    EXPECT_GT(clock.now() - start, 100ms);
}

TEST(WaitByte, OnlyStrictlyMoreThanTheTimeoutEndsTheWait) {
    test::SimRig exact;
    exact.port.set_byte_time(100ms);
    link::LoggerId id;
    exact.commands.read_rom(id);
    EXPECT_NE(id, link::kNoLoggerId);

    test::SimRig late;
    late.port.set_byte_time(100ms + 1us);
    late.commands.read_rom(id);
    EXPECT_EQ(id, link::kNoLoggerId);
    EXPECT_EQ(late.link.error_number(), kLoggerError);
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
    EXPECT_EQ(rig.link.error_number(), link::kNoError);
}

TEST(OpenPort, AnInvalidNumberKeepsThePreviousPortAndStillOpensIt) {
    test::SimRig rig;
    rig.port.attach(4, rig.box);
    rig.link.open_port(4);
    EXPECT_EQ(rig.port.open_port_number(), 4);
    rig.link.open_port(0);
    EXPECT_EQ(rig.link.selected_port(), 4);
    EXPECT_EQ(rig.port.open_port_number(), 4);
    rig.link.open_port(31);
    EXPECT_EQ(rig.port.open_port_number(), 4);
}

TEST(OpenPort, AMissingPortLeavesTheLinkClosedAndCommandsTimeOut) {
    test::SimRig rig;
    rig.link.open_port(9);
    EXPECT_EQ(rig.link.error_number(), sim::SimSerialPort::kNoDevice);
    EXPECT_FALSE(rig.port.is_open());
    rig.commands.read_memory(16);
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
}

}  // namespace
}  // namespace frostel
