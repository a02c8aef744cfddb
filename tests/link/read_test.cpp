// Reading the identity ("A") and memory pages ("B"): decoding, the CRC check and retries.
#include <gtest/gtest.h>

#include <string_view>

#include "link/crc16.h"
#include "sim/line_noise.h"
#include "tests/support/sim_rig.h"

namespace frostel {
namespace {

using namespace std::chrono_literals;
using link::Byte;
using link::kLoggerError;
using link::kNoError;
using sim::ReplyFault;

TEST(ReadRom, DecodesTheIdentityFlushesStrayBytesAndRefusesAPartialOne) {
    test::SimRig rig;
    link::LoggerId id;
    // Family, serial most significant first, then the check byte.
    rig.logger.set_rom({0x41, 0x23, 0x45, 0x67, 0x89, 0xAB, 0x00, 0x5C});
    rig.commands.read_rom(id);
    EXPECT_EQ(id, "4100AB896745235C");
    EXPECT_EQ(rig.link.error_number(), kNoError);

    // Bytes left over on the line must not reach the next command.
    rig.logger.set_rom({0x41, 0x0A, 0, 0, 0, 0, 0, 0x0A});
    rig.port.inject_stray_bytes({0xDE, 0xAD, 0xBE, 0xEF});
    rig.commands.read_rom(id);
    EXPECT_EQ(id, "4100000000000A0A");

    // Seven bytes then silence: no partial identity, and the old one is gone.
    rig.box.add_fault({.letter = 'A', .kind = ReplyFault::Kind::kCut, .byte_index = 7});
    rig.commands.read_rom(id);
    EXPECT_EQ(id, link::kNoLoggerId);
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
}

// The simulated reader checks its replies with this, the link with its own start value, so
// every page read below also checks that the two agree.
TEST(PageCheck, MatchesTheStandardCheckValue) {
    constexpr std::string_view kCheck = "123456789";
    const std::span<const Byte> digits(reinterpret_cast<const Byte*>(kCheck.data()), kCheck.size());
    EXPECT_EQ(link::page_check_value(digits), 0x44C2);
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
    EXPECT_EQ(rig.box.count('B'), 2) << "a good page is taken at its first attempt";
    const std::vector<Byte> expected{'B', 0x10, 0x00, 'B', 0x80, 0x00};
    EXPECT_EQ(rig.wire.sent(), expected);
}

// One bad byte anywhere in the 34-byte reply is caught and the page asked for again; a reply
// that never passes is asked for nine times.
TEST(ReadMemory, ABadByteAnywhereIsRetriedAndNineBadRepliesFail) {
    using sim::LineFault;
    constexpr int kPage = 130;
    const std::initializer_list<std::pair<LineFault, const char*>> faults{
        {{LineFault::Kind::kCorrupt, 0x10}, "a flipped bit"},
        {{LineFault::Kind::kCorrupt, 0xFF}, "an inverted byte"},
        {{LineFault::Kind::kDrop}, "a dropped byte"},
        {{LineFault::Kind::kDelay, 0, 150ms}, "a byte 150 ms late"}};
    for (const auto& [fault, what] : faults) {
        for (int index = 0; index < link::kPageSize + 2; ++index) {
            test::SimRig rig;
            const auto expected =
                rig.logger.memory().subspan(kPage * link::kPageSize, link::kPageSize);
            for (int i = 0; i < link::kPageSize; ++i) {
                expected[i] = static_cast<Byte>(0x5A ^ (i * 7));
            }
            rig.port.set_line_noise(sim::fault_at_byte(index, fault));
            rig.commands.read_memory(kPage);
            ASSERT_EQ(rig.link.error_number(), kNoError) << what << " at byte " << index;
            ASSERT_TRUE(
                std::equal(expected.begin(), expected.end(), rig.commands.page_data().begin()))
                << what << " at byte " << index << " was accepted";
            EXPECT_GE(rig.box.count('B'), 2) << what << " at byte " << index << " went unnoticed";
        }
    }
    test::SimRig rig;
    rig.box.add_fault({.kind = ReplyFault::Kind::kCorrupt, .byte_index = 7});
    rig.commands.read_memory(3);
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
    EXPECT_EQ(rig.box.count('B'), 9);
}

}  // namespace
}  // namespace frostel
