#include "link/port_scan.h"

#include <gtest/gtest.h>

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

// Cuts the reply to the n-th identity request after some bytes; the box's own fault list
// cannot aim at a later request (it counts from the first).
struct CuttingPort final : test::ForwardingPort {
    CuttingPort(sim::SimSerialPort& port, sim::ReaderBox& box) : ForwardingPort(port), box(box) {}
    link::PortStatus write(std::span<const link::Byte> bytes) override {
        if (bytes.size() == 1 && bytes[0] == 'A' && ++identity_requests == cut_request) {
            box.add_fault({.letter = 'A',
                           .kind = sim::ReplyFault::Kind::kCut,
                           .byte_index = cut_after,
                           .times = 1});
        }
        return ForwardingPort::write(bytes);
    }
    sim::ReaderBox& box;
    int identity_requests = 0, cut_request = 0, cut_after = 0;
};

// A PC with thirty possible ports, on virtual time.
struct ScanRig {
    link::VirtualClock clock;
    sim::SimSerialPort ports{clock};
    sim::LoggerModel logger;
    sim::ReaderBox box{logger};
    CuttingPort port{ports, box};
    link::ReaderLink link{port, clock};
    link::LoggerCommands commands{link};
    RecordingDisplay display{clock};

    std::optional<int> scan() { return link::find_reader_port(commands, display); }
};

TEST(PortScan, LoggerOnPortThreeIsFoundAfterTryingOneAndTwo) {
    ScanRig rig;
    rig.ports.attach(3, rig.box);
    const auto real_start = std::chrono::steady_clock::now();

    EXPECT_EQ(rig.scan(), 3);
    EXPECT_EQ(
        rig.display.events,
        (std::vector<std::string>{"CHECKING COMMPORT 1", "CHECKING COMMPORT 2",
                                  "CHECKING COMMPORT 3", "FIND FROSTEL ON COMMPORT 3", "check 3"}));
    EXPECT_EQ(rig.ports.open_port_number(), 3);
    EXPECT_EQ(rig.link.selected_port(), 3);
    EXPECT_EQ(rig.box.count('A'), 2);
    EXPECT_EQ(rig.clock.now() - rig.display.checked_at, 3000ms);
    EXPECT_LT(std::chrono::steady_clock::now() - real_start, 1s);
}

TEST(PortScan, OnlyTheSecondIdentityAnswerCounts) {
    const struct {
        int cut_request, cut_after;
        std::optional<int> found;
    } cases[] = {{1, 7, 1}, {2, 5, std::nullopt}};
    for (const auto& c : cases) {
        ScanRig rig;
        rig.ports.attach(1, rig.box);
        rig.port.cut_request = c.cut_request;
        rig.port.cut_after = c.cut_after;
        EXPECT_EQ(rig.scan(), c.found) << c.cut_request;
        EXPECT_EQ(rig.box.count('A'), 2);
    }
}

TEST(PortScan, NothingFoundReopensThePortSelectedBefore) {
    ScanRig rig;
    // A reader with no logger in it answers with zeros: opened, but not found.
    rig.logger.set_rom({});
    rig.ports.attach(5, rig.box);
    rig.link.open_port(5);
    const auto start = rig.clock.now();

    EXPECT_EQ(rig.scan(), std::nullopt);
    ASSERT_EQ(rig.display.events.size(), 32u);
    EXPECT_EQ(rig.display.events[29], "CHECKING COMMPORT 30");
    EXPECT_EQ(rig.display.events[30], link::kReaderNotFoundText);
    EXPECT_EQ(rig.display.events[31], "check none");
    EXPECT_EQ(rig.link.selected_port(), 5);
    EXPECT_EQ(rig.ports.open_port_number(), 5);
    // 29 silent ports of a 100 ms pause and two timed-out identity reads, then the display.
    const auto took = rig.clock.now() - start;
    EXPECT_GT(took, 29 * 300ms + 3000ms);
    EXPECT_LT(took, 30 * 320ms + 3000ms);
}

}  // namespace
}  // namespace frostel
