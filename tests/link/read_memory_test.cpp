#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "link/crc16.h"
#include "support/sim_rig.h"

namespace frostel {
namespace {

using link::Byte;
using link::kLoggerError;
using link::kNoError;
using sim::ReplyFault;

TEST(PageCheck, MatchesTheStandardCheckValueAndTheLoggersStartValue) {
    constexpr std::string_view kCheck = "123456789";
    const std::span<const Byte> digits(reinterpret_cast<const Byte*>(kCheck.data()), kCheck.size());
    EXPECT_EQ(link::page_check_value(digits), 0x44C2);

    // For the 35 bytes of a page reply, starting at 0x9DDC equals inverting the CRC from 0.
    std::array<Byte, 35> message{0x69, 0x00, 0x02};
    for (std::size_t i = 3; i < message.size(); ++i) {
        message[i] = static_cast<Byte>(i * 37);
    }
    EXPECT_EQ(link::crc16(message, 0x9DDC), link::page_check_value(message));
}

TEST(ReadMemory, ZeroPageWithItsCheckIsAcceptedAtTheFirstAttempt) {
    test::SimRig rig;
    rig.commands.read_memory(5);
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_EQ(rig.box.count('B'), 1);
    const auto data = rig.commands.page_data();
    EXPECT_TRUE(std::all_of(data.begin(), data.end(), [](Byte b) { return b == 0; }));
}

TEST(ReadMemory, PageNumberTravelsLowByteFirstAndPageLandsInAddressOrder) {
    test::SimRig rig;
    auto memory = rig.logger.memory();
    for (std::size_t i = 0; i < 32; ++i) {
        memory[0x0200 + i] = static_cast<Byte>(0xA0 + i);
        memory[0x1000 + i] = static_cast<Byte>(i);
    }
    rig.commands.read_memory(16);
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_EQ(rig.commands.page_buffer()[21], 0xA0 + 0x15);  // the byte at 0x0215
    rig.commands.read_memory(128);
    EXPECT_EQ(rig.commands.page_buffer()[31], 31);
    // "B" then the page number, low byte first, for pages 16 and 128.
    const std::vector<Byte> sent = rig.wire.sent();
    const std::vector<Byte> expected{'B', 0x10, 0x00, 'B', 0x80, 0x00};
    EXPECT_EQ(sent, expected);
}

TEST(ReadMemory, PageThatNeverPassesItsCheckEndsAfterExactlyNineAttempts) {
    test::SimRig rig;
    rig.box.add_fault({.letter = 'B', .kind = ReplyFault::Kind::kCorrupt, .byte_index = 7});
    rig.commands.read_memory(3);
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
    EXPECT_EQ(rig.box.count('B'), 9);
}

TEST(ReadMemory, CorruptCheckBytesAreRejectedToo) {
    for (int index : {32, 33}) {
        test::SimRig rig;
        rig.box.add_fault(
            {.letter = 'B', .kind = ReplyFault::Kind::kCorrupt, .byte_index = index, .times = 2});
        rig.commands.read_memory(3);
        EXPECT_EQ(rig.link.error_number(), kNoError);
        EXPECT_EQ(rig.box.count('B'), 3) << "check byte " << index;
    }
}

TEST(ReadMemory, ReplyCutAfterTwentyBytesStartsAFreshAttempt) {
    test::SimRig rig;
    rig.logger.memory()[0x0060] = 0x5A;
    rig.box.add_fault(
        {.letter = 'B', .kind = ReplyFault::Kind::kCut, .byte_index = 20, .times = 1});
    rig.commands.read_memory(3);
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_EQ(rig.box.count('B'), 2);
    EXPECT_EQ(rig.commands.page_data()[0], 0x5A);
}

TEST(ReadMemory, CheckBytesMustArriveWithinTheLastDataBytesWindow) {
    // Reply bytes 30 ms apart: the last data byte and both check bytes are in 90 ms after
    // the last data byte's wait began, inside its 100 ms.
    test::SimRig in_time;
    in_time.port.set_byte_time(std::chrono::milliseconds(30));
    in_time.commands.read_memory(2);
    EXPECT_EQ(in_time.link.error_number(), kNoError);

    // 35 ms apart: every byte alone is in time, but the second check byte lands 105 ms
    // after that wait began.
    test::SimRig late;
    late.port.set_byte_time(std::chrono::milliseconds(35));
    late.commands.read_memory(2);
    EXPECT_EQ(late.link.error_number(), kLoggerError);
    EXPECT_EQ(late.box.count('B'), 9);
}

}  // namespace
}  // namespace frostel
