// The link's byte timing and its handling of port failures.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "tests/support/sim_rig.h"

namespace frostel {
namespace {

using namespace std::chrono_literals;
using link::kLoggerError;
using link::kNoError;
using Timing = std::pair<std::chrono::nanoseconds, bool>;  // byte time, read succeeds

TEST(ByteTiming, OnlyStrictlyMoreThanATenthEndsTheWaitAndCrcBytesShareTheLastDataBytes) {
    // The simulated port's wait returns just past its deadline, as a real one may: a byte
    // that came in that instant is waiting and must be taken.
    for (const auto& [byte_time, ok] :
         {Timing{100ms, true}, {100ms + 1ns, true}, {100ms + 1us, false}}) {
        test::SimRig rig;
        rig.port.set_byte_time(byte_time);
        link::LoggerId id;
        rig.commands.read_rom(id);
        EXPECT_EQ(id != link::kNoLoggerId, ok) << byte_time.count();
        EXPECT_EQ(rig.link.error_number(), ok ? kNoError : kLoggerError);
    }
    // Reply bytes 30 ms apart put both check bytes 90 ms after the last data byte's wait
    // began; 35 ms apart puts the second at 105 ms, though every byte alone is in time.
    for (const auto& [byte_time, ok] : {Timing{30ms, true}, {35ms, false}}) {
        test::SimRig rig;
        rig.port.set_byte_time(byte_time);
        rig.commands.read_memory(2);
        EXPECT_EQ(rig.link.error_number(), ok ? kNoError : kLoggerError) << byte_time.count();
        EXPECT_EQ(rig.box.count('B'), ok ? 1 : 9);
    }
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
    EXPECT_EQ(rig.link.error_number(), kNoError);
}

TEST(WireLog, AByteIsSentOnlyOnceWrittenAndOpensRtsAndFlushesAreLoggedToo) {
    test::SimRig rig;
    std::ostringstream transcript;
    link::WireLog wire(rig.port, rig.clock, &transcript);
    link::ReaderLink link(wire, rig.clock);
    link.open_port(5);  // nothing there
    link.send(0x41);
    link.open_port(1);
    rig.port.inject_stray_bytes({0x11, 0x22});
    link.begin_command('A');
    EXPECT_EQ(wire.sent(), std::vector<link::Byte>{0x41});
    EXPECT_EQ(transcript.str(),
              "# seconds, then > PC to reader, < reader to PC or - thrown away by a flush with "
              "the byte in hex, or what the port did\n"
              "0.000000 close\n"
              "0.000000 open failed: port 5 (simulated reader): the device does not exist; is "
              "the reader plugged in?\n"
              "0.000000 write of 41 failed (code 10)\n"
              "0.000000 open port 1 (simulated reader)\n"
              "0.000000 RTS off\n"
              "0.000000 RTS on\n"
              "0.000000 - 11\n"
              "0.000000 - 22\n"
              "0.000000 > 41\n");
}

TEST(OpenPort, AnInvalidNumberKeepsThePreviousOneAndStillClosesAndOpensIt) {
    test::SimRig rig;
    rig.port.attach(4, rig.box);
    rig.link.open_port(4);
    for (const int invalid : {0, 31}) {
        rig.link.open_port(invalid);
        EXPECT_EQ(rig.link.selected_port(), 4);
        EXPECT_EQ(rig.port.open_port_number(), 4);
    }
    // The reader on port 4 is gone: the attempt on the kept number fails.
    rig.port.detach(4);
    rig.link.open_port(-3);
    EXPECT_EQ(rig.link.error_number(), link::kPortNoDevice);
    EXPECT_FALSE(rig.port.is_open());
    // It is back: the attempt opens it.
    rig.port.attach(4, rig.box);
    rig.link.set_error_number(kNoError);
    rig.link.open_port(0);
    EXPECT_EQ(rig.link.error_number(), kNoError);
    EXPECT_EQ(rig.port.open_port_number(), 4);

    rig.link.open_port(9);
    EXPECT_EQ(rig.link.error_number(), link::kPortNoDevice);
    EXPECT_FALSE(rig.port.is_open());
    const auto start = rig.clock.now();
    link::LoggerId id;
    rig.commands.read_rom(id);
    EXPECT_EQ(id, link::kNoLoggerId);
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
    const auto took = rig.clock.now() - start;
    EXPECT_GT(took, 100ms);
    EXPECT_LT(took, 110ms);
    rig.commands.read_memory(16);
    EXPECT_EQ(rig.link.error_number(), kLoggerError);
}

TEST(Pauses, EveryCommandKeepsItsPausesOnTheVirtualClock) {
    using ms = std::chrono::milliseconds;
    using C = link::LoggerCommands;
    // The letter at once, then the status read ("B" 16) after the command's pause.
    const std::vector<ms> with_status_read{ms(0), ms(110), ms(111), ms(112)};
    struct Case {
        std::function<void(C&)> command;
        std::vector<ms> sent;  // when each byte went out, from the command's start
        ms took;
    };
    const auto at_once = [](std::size_t bytes) { return std::vector<ms>(bytes, ms(0)); };
    const std::array<link::Byte, 32> page{};
    const link::ScratchpadReadback target{0x40, 0x00, 0x1F};
    const std::initializer_list<std::pair<const char*, Case>> cases{
        {"B", {[](C& c) { c.read_memory(2); }, {ms(10), ms(11), ms(12)}, ms(13)}},
        {"C", {[&](C& c) { c.write_scratchpad(2, page); }, at_once(35), ms(200)}},
        {"E", {[&](C& c) { c.copy_scratchpad(target); }, at_once(4), ms(50)}},
        {"F", {[](C& c) { c.start_mission(); }, with_status_read, ms(113)}},
        {"G", {[](C& c) { c.stop_mission(); }, with_status_read, ms(113)}},
        {"H", {[](C& c) { c.clear_memory(); }, with_status_read, ms(113)}},
    };
    for (const auto& [letter, c] : cases) {
        test::SimRig rig;
        // Replies arrive at once, so only the pauses take time.
        rig.port.set_byte_time(0ns);
        rig.logger.memory()[sim::kStatusAddress] = sim::kMemoryCleared;
        const auto start = rig.clock.now();
        c.command(rig.commands);
        std::vector<ms> sent;
        for (const auto& entry : rig.wire.entries()) {
            if (entry.direction == link::WireLog::Direction::kSent) {
                sent.push_back(std::chrono::duration_cast<ms>(entry.at - start));
            }
        }
        EXPECT_EQ(sent, c.sent) << letter;
        EXPECT_EQ(rig.clock.now() - start, c.took) << letter;
        EXPECT_EQ(rig.link.error_number(), kNoError) << letter;
    }
}

}  // namespace
}  // namespace frostel
