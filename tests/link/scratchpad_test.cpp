#include <gtest/gtest.h>

#include <array>
#include <numeric>

#include "support/sim_rig.h"

namespace frostel {
namespace {

using link::Byte;
using link::kLoggerError;
using link::kNoError;
using sim::ReplyFault;

std::array<Byte, 32> counting_page(Byte first) {
    std::array<Byte, 32> page{};
    std::iota(page.begin(), page.end(), first);
    return page;
}

TEST(Scratchpad, WriteSendsPageNumberAndDataThenSettlesWithoutReading) {
    test::SimRig rig;
    const auto data = counting_page(0x40);
    const auto start = rig.clock.now();
    rig.commands.write_scratchpad(3, data);
    EXPECT_GE(rig.clock.now() - start, std::chrono::milliseconds(200));
    std::vector<Byte> expected{'C', 0x03, 0x00};
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(rig.wire.sent(), expected);
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_EQ(rig.logger.scratchpad().data, data);
}

TEST(Scratchpad, ShortPageSendsOnlyTheBytesItHas) {
    test::SimRig rig;
    const std::array<Byte, 5> data{1, 2, 3, 4, 5};
    rig.commands.write_scratchpad(1, data);
    EXPECT_EQ(rig.wire.sent().size(), 3U + data.size());
}

TEST(Scratchpad, WriteReadBackAndCopyStoreThePage) {
    test::SimRig rig;
    const auto data = counting_page(0x10);
    rig.commands.write_scratchpad(2, data);
    link::ScratchpadReadback readback;
    rig.commands.read_scratchpad(readback);
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_EQ(readback.target_low, 0x40);
    EXPECT_EQ(readback.target_high, 0x00);
    EXPECT_EQ(readback.data, data);
    rig.commands.copy_scratchpad(readback);
    const auto memory = rig.logger.memory();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), memory.begin() + 0x40));
}

TEST(Scratchpad, ReadBackCutAfterItsThreeHeaderBytesLeavesZeroData) {
    test::SimRig rig;
    rig.commands.write_scratchpad(2, counting_page(1));
    rig.box.add_fault({.letter = 'D', .kind = ReplyFault::Kind::kCut, .byte_index = 3});
    link::ScratchpadReadback readback;
    readback.data.fill(0x77);
    rig.commands.read_scratchpad(readback);
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
    EXPECT_EQ(readback.target_low, 0x40);
    EXPECT_TRUE(readback.ending_status.has_value());
    EXPECT_EQ(readback.data, (std::array<Byte, 32>{}));
}

TEST(Scratchpad, ReadBackThatFailsEarlyKeepsTheOldValues) {
    test::SimRig rig;
    rig.box.add_fault({.letter = 'D', .kind = ReplyFault::Kind::kCut, .byte_index = 1});
    link::ScratchpadReadback readback;
    readback.target_high = 0x99;
    readback.data.fill(0x77);
    rig.commands.read_scratchpad(readback);
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
    EXPECT_EQ(readback.target_high, 0x99);
    EXPECT_EQ(readback.data[0], 0x77);
}

TEST(Scratchpad, CopyHandsBackTheReadBackBytesUnchanged) {
    test::SimRig rig;
    rig.commands.write_scratchpad(2, counting_page(1));
    // The target address comes back garbled: the copy must pass it on as read, and the
    // logger then refuses to copy.
    rig.box.add_fault({.letter = 'D', .kind = ReplyFault::Kind::kCorrupt, .byte_index = 0});
    link::ScratchpadReadback readback;
    rig.commands.read_scratchpad(readback);
    rig.wire.clear();
    rig.commands.copy_scratchpad(readback);
    const std::vector<Byte> expected{'E', 0x41, 0x00, *readback.ending_status};
    EXPECT_EQ(rig.wire.sent(), expected);
    EXPECT_EQ(rig.logger.copies(), 0);
}

}  // namespace
}  // namespace frostel
