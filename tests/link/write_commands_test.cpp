// The scratchpad ("C", "D", "E") and the mission commands ("F", "G", "H") with their
// status tests.
#include <gtest/gtest.h>

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

TEST(Scratchpad, WriteReadBackAndCopyStoreThePageAndTheCopyHandsBackTheReadBackBytes) {
    test::SimRig rig;
    const auto data = counting_page(0x10);
    rig.commands.write_scratchpad(2, data);
    std::vector<Byte> expected{'C', 0x02, 0x00};
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(rig.wire.sent(), expected) << "the write reads nothing back";
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_EQ(rig.logger.scratchpad().data, data);

    link::ScratchpadReadback readback;
    rig.commands.read_scratchpad(readback);
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_EQ(readback.target_low, 0x40);
    EXPECT_EQ(readback.target_high, 0x00);
    EXPECT_EQ(readback.data, data);
    rig.commands.copy_scratchpad(readback);
    const auto memory = rig.logger.memory();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), memory.begin() + 0x40));

    // The target address comes back garbled: the copy passes it on as read, and the logger
    // then refuses to copy.
    rig.box.add_fault({.letter = 'D', .kind = ReplyFault::Kind::kCorrupt, .byte_index = 0});
    rig.commands.read_scratchpad(readback);
    rig.wire.clear();
    rig.commands.copy_scratchpad(readback);
    EXPECT_EQ(rig.wire.sent(), (std::vector<Byte>{'E', 0x41, 0x00, *readback.ending_status}));
    EXPECT_EQ(rig.logger.copies(), 1);

    // A short page sends only the bytes it has.
    rig.wire.clear();
    rig.commands.write_scratchpad(1, std::array<Byte, 5>{1, 2, 3, 4, 5});
    EXPECT_EQ(rig.wire.sent().size(), 3U + 5U);
}

TEST(Scratchpad, ACutReadBackKeepsWhatNeverCameAndZeroesMissingData) {
    for (const int cut : {1, 3}) {
        test::SimRig rig;
        rig.commands.write_scratchpad(2, counting_page(1));
        rig.box.add_fault({.letter = 'D', .kind = ReplyFault::Kind::kCut, .byte_index = cut});
        link::ScratchpadReadback readback;
        readback.target_high = 0x99;
        readback.data.fill(0x77);
        rig.commands.read_scratchpad(readback);
        EXPECT_EQ(rig.link.error_number(), kLoggerError);
        EXPECT_EQ(readback.target_low, 0x40);
        if (cut == 1) {
            EXPECT_EQ(readback.target_high, 0x99);
            EXPECT_EQ(readback.data[0], 0x77);
        } else {
            EXPECT_TRUE(readback.ending_status.has_value());
            EXPECT_EQ(readback.data, (std::array<Byte, 32>{}));
        }
    }
}

// Letters and page reads in the order the reader saw them, e.g. "G B16 G B16".
std::string trace(const sim::ReaderBox& box) {
    std::string text;
    for (const sim::CommandRecord& c : box.commands()) {
        text += (text.empty() ? "" : " ") + std::string(1, c.letter);
        text += c.page >= 0 ? std::to_string(c.page) : "";
    }
    return text;
}

TEST(MissionCommands, AttemptCountsAndStatusTests) {
    constexpr Byte kRunning = sim::kMissionRunning;
    constexpr Byte kCleared = sim::kMemoryCleared;
    struct Case {
        void (link::LoggerCommands::*command)();
        Byte status_before;
        Byte stuck_bits;  // status bits that never change
        link::ErrorNumber error;
        const char* trace;
        Byte status_after;
    };
    using C = link::LoggerCommands;
    const std::initializer_list<Case> cases{
        {&C::stop_mission, 0, 0, kNoError, "G B16", 0},
        {&C::stop_mission, kRunning, kRunning, kLoggerError, "G B16 G B16 G B16 G B16", kRunning},
        {&C::clear_memory, 0, 0, kNoError, "H B16", kCleared},
        {&C::clear_memory, 0, kRunning | kCleared, kLoggerError, "H B16 H B16", 0},
        {&C::start_mission, kCleared, 0, kNoError, "F B16", kRunning},
        {&C::start_mission, 0, kRunning | kCleared, kLoggerError, "F B16 F B16", 0},
    };
    for (const Case& c : cases) {
        test::SimRig rig;
        rig.logger.memory()[sim::kStatusAddress] = c.status_before;
        rig.logger.freeze_status_bits(c.stuck_bits);
        (rig.commands.*c.command)();
        EXPECT_EQ(rig.link.error_number(), c.error) << c.trace;
        EXPECT_EQ(trace(rig.box), c.trace);
        EXPECT_EQ(rig.logger.status() & (kRunning | kCleared), c.status_after) << c.trace;
    }
}

TEST(MissionCommands, AFailedStatusReadCountsAsOneFailedAttempt) {
    test::SimRig rig;
    // The first status read fails all nine times; the second attempt then succeeds.
    rig.box.add_fault({.letter = 'B', .kind = ReplyFault::Kind::kSilence, .times = 9});
    rig.commands.stop_mission();
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_EQ(rig.box.count('G'), 2);
    EXPECT_EQ(rig.box.count('B'), 10);
}

}  // namespace
}  // namespace frostel
