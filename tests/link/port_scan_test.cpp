// The search for the reader over ports 1 to 30, on the simulated PC; a reader found on port 3
// is the main window's test.
#include "link/port_scan.h"

#include <gtest/gtest.h>

#include "tests/support/sim_rig.h"

namespace frostel {
namespace {

using namespace std::chrono_literals;

// Every status and check-mark change, in order; the virtual time of the last check mark.
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

// The reader on `reader_port`, the link left on port `selected` before the search.
struct ScanRig : test::SimRig {
    RecordingDisplay display{clock};
    explicit ScanRig(int reader_port, int selected = 1) {
        port.detach(1);
        port.attach(reader_port, box);
        link.open_port(selected);
    }
    std::optional<int> scan() { return link::find_reader_port(commands, display); }
};

// The identity reply is eight bytes: a byte lost from the first reply changes nothing, from
// the second it loses the reader.
TEST(PortScan, OnlyTheSecondIdentityAnswerCounts) {
    for (const auto& [lost_byte, found] : {std::pair<int, std::optional<int>>{7, 1}, {13, {}}}) {
        ScanRig rig(1);
        rig.port.set_line_noise(sim::fault_at_byte(lost_byte, {sim::LineFault::Kind::kDrop}));
        EXPECT_EQ(rig.scan(), found) << lost_byte;
        EXPECT_EQ(rig.box.count('A'), 2);
    }
}

TEST(PortScan, NothingFoundReopensThePortSelectedBefore) {
    ScanRig rig(5, 5);
    // A reader with no logger in it answers with zeros: opened, but not found.
    rig.logger.set_rom({});
    const auto start = rig.clock.now();

    EXPECT_EQ(rig.scan(), std::nullopt);
    ASSERT_EQ(rig.display.events.size(), 32u);
    EXPECT_EQ(rig.display.events[29], "CHECKING COMMPORT 30");
    EXPECT_EQ(rig.display.events[30], link::kReaderNotFoundText);
    EXPECT_EQ(rig.display.events[31], "check none");
    EXPECT_EQ(rig.link.selected_port(), 5);
    EXPECT_EQ(rig.port.open_port_number(), 5);
    // 29 silent ports of a 100 ms pause and two timed-out identity reads, then the display.
    const auto took = rig.clock.now() - start;
    EXPECT_GT(took, 29 * 300ms + 3000ms);
    EXPECT_LT(took, 30 * 320ms + 3000ms);
    EXPECT_EQ(rig.clock.now() - rig.display.checked_at, 3000ms);
}

}  // namespace
}  // namespace frostel
