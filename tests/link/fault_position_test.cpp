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

// A page read of kPage with `fault` on reply byte `index`; the rig keeps the outcome.
void read_with_fault(test::SimRig& rig, int index, const LineFault& fault) {
    for (int i = 0; i < kPageSize; ++i) {
        rig.logger.memory()[kPage * kPageSize + i] = static_cast<Byte>(0x5A ^ (i * 7));
    }
    rig.port.set_line_noise(sim::fault_at_byte(index, fault));
    rig.commands.read_memory(kPage);
}

TEST(FaultPosition, EveryCorruptedDroppedOrLateByteIsRetried) {
    const std::initializer_list<std::pair<LineFault, const char*>> faults{
        {{LineFault::Kind::kCorrupt, 0x10}, "a flipped bit"},
        {{LineFault::Kind::kCorrupt, 0xFF}, "an inverted byte"},
        {{LineFault::Kind::kDrop}, "a dropped byte"},
        {{LineFault::Kind::kDelay, 0, 150ms}, "a byte 150 ms late"}};
    for (const auto& [fault, what] : faults) {
        for (int index = 0; index < kReplyBytes; ++index) {
            test::SimRig rig;
            read_with_fault(rig, index, fault);
            ASSERT_EQ(rig.link.error_number(), kNoError) << what << " at byte " << index;
            const auto expected = rig.logger.memory().subspan(kPage * kPageSize, kPageSize);
            ASSERT_TRUE(
                std::equal(expected.begin(), expected.end(), rig.commands.page_data().begin()))
                << what << " at byte " << index << " was accepted";
            EXPECT_GE(rig.box.count('B'), 2) << what << " at byte " << index << " went unnoticed";
        }
    }
}

TEST(FaultPosition, ALateByteWithinItsTimeIsTaken) {
    test::SimRig rig;
    read_with_fault(rig, kReplyBytes - 1, {LineFault::Kind::kDelay, 0, 60ms});
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_EQ(rig.box.count('B'), 1);
}

}  // namespace
}  // namespace frostel::link
