#include "link/port_scan.h"

#include <gtest/gtest.h>

#include <memory>

#include "forwarding_port.h"
#include "logger_model.h"
#include "reader_box.h"
#include "sim_serial_port.h"

namespace frostel {
namespace {

using namespace std::chrono_literals;

// Every status and check-mark change, in order, with the virtual time it came at.
struct RecordingDisplay final : link::PortScanDisplay {
    explicit RecordingDisplay(const link::Clock& clock) : clock(clock) {}
    void show_status(const std::string& text) override { events.push_back(text); }
    void check_only(std::optional<int> port) override {
        events.push_back(port ? "check " + std::to_string(*port) : "check none");
        checked_at = clock.now();
    }
    const link::Clock& clock;
    std::vector<std::string> events;
    std::chrono::steady_clock::time_point checked_at;
};

// Arms a cut reply on the reader's second identity answer, which the box's own fault list
// cannot express (it counts from the first).
class CutSecondIdentity final : public test::ForwardingPort {
  public:
    CutSecondIdentity(sim::SimSerialPort& port, sim::ReaderBox& box)
        : ForwardingPort(port), port_(port), box_(box) {}
    link::PortStatus write(std::span<const link::Byte> bytes) override {
        if (port_.open_port_number() == 3 && bytes.size() == 1 && bytes[0] == 'A' &&
            ++identity_requests_ == 2) {
            box_.add_fault(
                {.letter = 'A', .kind = sim::ReplyFault::Kind::kCut, .byte_index = 5, .times = 1});
        }
        return ForwardingPort::write(bytes);
    }

  private:
    sim::SimSerialPort& port_;
    sim::ReaderBox& box_;
    int identity_requests_ = 0;
};

// A PC with thirty possible ports, on virtual time; readers are attached per test.
struct ScanRig {
    link::VirtualClock clock;
    sim::SimSerialPort ports{clock};
    sim::LoggerModel logger;
    sim::ReaderBox box{logger};
    std::unique_ptr<link::SerialPort> wrapper;
    link::SerialPort* port = &ports;
    std::unique_ptr<link::ReaderLink> link;
    std::unique_ptr<link::LoggerCommands> commands;
    RecordingDisplay display{clock};

    void connect() {
        link = std::make_unique<link::ReaderLink>(*port, clock);
        commands = std::make_unique<link::LoggerCommands>(*link);
    }
    std::optional<int> scan() {
        if (!link) {
            connect();
        }
        return link::find_reader_port(*commands, display);
    }
};

TEST(PortScan, LoggerOnPortThreeIsFoundAfterTryingOneAndTwo) {
    ScanRig rig;
    rig.logger.set_serial(0x0000123456);
    rig.ports.attach(3, rig.box);
    const auto real_start = std::chrono::steady_clock::now();

    EXPECT_EQ(rig.scan(), 3);

    EXPECT_EQ(
        rig.display.events,
        (std::vector<std::string>{"CHECKING COMMPORT 1", "CHECKING COMMPORT 2",
                                  "CHECKING COMMPORT 3", "FIND FROSTEL ON COMMPORT 3", "check 3"}));
    EXPECT_EQ(rig.ports.open_port_number(), 3);
    EXPECT_EQ(rig.link->selected_port(), 3);
    EXPECT_EQ(rig.box.count('A'), 2);
    EXPECT_EQ(rig.clock.now() - rig.display.checked_at, 3000ms);
    EXPECT_LT(std::chrono::steady_clock::now() - real_start, 1s);
}

TEST(PortScan, OnlyTheSecondIdentityAnswerCounts) {
    ScanRig cut_first;
    cut_first.ports.attach(3, cut_first.box);
    cut_first.box.add_fault(
        {.letter = 'A', .kind = sim::ReplyFault::Kind::kCut, .byte_index = 7, .times = 1});
    EXPECT_EQ(cut_first.scan(), 3);

    ScanRig cut_second;
    cut_second.ports.attach(3, cut_second.box);
    cut_second.wrapper = std::make_unique<CutSecondIdentity>(cut_second.ports, cut_second.box);
    cut_second.port = cut_second.wrapper.get();
    EXPECT_EQ(cut_second.scan(), std::nullopt);
    EXPECT_EQ(cut_second.box.count('A'), 2);
}

TEST(PortScan, NothingFoundReopensThePortSelectedBefore) {
    ScanRig rig;
    // A reader with no logger in it answers with zeros: opened, but not found.
    rig.logger.set_rom({});
    rig.ports.attach(5, rig.box);
    rig.connect();
    rig.link->open_port(5);
    const auto start = rig.clock.now();

    EXPECT_EQ(rig.scan(), std::nullopt);

    ASSERT_EQ(rig.display.events.size(), 32u);
    EXPECT_EQ(rig.display.events[29], "CHECKING COMMPORT 30");
    EXPECT_EQ(rig.display.events[30], link::kReaderNotFoundText);
    EXPECT_EQ(rig.display.events[31], "check none");
    EXPECT_EQ(rig.link->selected_port(), 5);
    EXPECT_EQ(rig.ports.open_port_number(), 5);
    // 29 silent ports of a 100 ms pause and two timed-out identity reads, then the display.
    const auto took = rig.clock.now() - start;
    EXPECT_GT(took, 29 * 300ms + 3000ms);
    EXPECT_LT(took, 30 * 320ms + 3000ms);
}

}  // namespace
}  // namespace frostel
