// A page read must catch one bad byte wherever it falls in the 34-byte reply.
#include <gtest/gtest.h>

#include <chrono>

#include "line_noise.h"
#include "support/sim_rig.h"

namespace frostel::link {
namespace {

using sim::LineFault;
using namespace std::chrono_literals;

constexpr int kPage = 130;
constexpr int kReplyBytes = kPageSize + 2;

void fill_page(sim::LoggerModel& logger) {
    for (int i = 0; i < kPageSize; ++i) {
        logger.memory()[kPage * kPageSize + i] = static_cast<Byte>(0x5A ^ (i * 7));
    }
}

void expect_caught_at_every_byte(const LineFault& fault, const char* what) {
    for (int index = 0; index < kReplyBytes; ++index) {
        test::SimRig rig;
        fill_page(rig.logger);
        rig.port.set_line_noise(sim::fault_at_byte(index, fault));
        rig.commands.read_memory(kPage);
        ASSERT_EQ(rig.link.error_number(), kNoError) << what << " at byte " << index;
        const auto expected = rig.logger.memory().subspan(kPage * kPageSize, kPageSize);
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), rig.commands.page_data().begin()))
            << what << " at byte " << index << " was accepted";
        EXPECT_GE(rig.box.count('B'), 2) << what << " at byte " << index << " went unnoticed";
    }
}

TEST(FaultPosition, EveryCorruptedDroppedOrLateByteIsRetried) {
    expect_caught_at_every_byte({LineFault::Kind::kCorrupt, 0x10}, "a flipped bit");
    expect_caught_at_every_byte({LineFault::Kind::kCorrupt, 0xFF}, "an inverted byte");
    expect_caught_at_every_byte({LineFault::Kind::kDrop}, "a dropped byte");
    expect_caught_at_every_byte({LineFault::Kind::kDelay, 0, 150ms}, "a byte 150 ms late");
}

TEST(FaultPosition, ALateByteWithinItsTimeIsTaken) {
    test::SimRig rig;
    fill_page(rig.logger);
    rig.port.set_line_noise(
        sim::fault_at_byte(kReplyBytes - 1, {LineFault::Kind::kDelay, 0, 60ms}));
    rig.commands.read_memory(kPage);
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_EQ(rig.box.count('B'), 1);
}

}  // namespace
}  // namespace frostel::link
