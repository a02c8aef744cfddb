#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "link/local_date_time.h"
#include "programming/programming_run.h"
#include "support/sim_rig.h"
#include "timed_start.h"

namespace frostel::programming {
namespace {

using link::Byte;
using mission::LoggerType;
using sim::ReplyFault;

constexpr std::size_t kConfigurationAddress = 0x0226;

}  // namespace

void PrintTo(const ResultLine& line, std::ostream* out) {
    *out << '"' << line.text << '"';
}

namespace {

// A logger in the reader with a mission running, and what a run reports on its way.
struct ProgrammingRig : test::SimRig {
    std::vector<int> progress;
    int event_rounds = 0;
    std::vector<ThresholdTexts> corrections;
    RunHooks hooks{[this](const ThresholdTexts& t) { corrections.push_back(t); },
                   [this](int value) { progress.push_back(value); }, [this] { ++event_rounds; }};

    explicit ProgrammingRig(Byte configuration = 0x40) {
        logger.memory()[kConfigurationAddress] = configuration;
        logger.memory()[sim::kStatusAddress] = sim::kMissionRunning;
    }

    RunResult run(const ProgrammingSettings& settings = {}, int port = 1) {
        return run_programming(commands, clock, port, settings, hooks);
    }

    [[nodiscard]] Byte at(std::size_t address) const { return logger.memory()[address]; }
    [[nodiscard]] bool running() const { return (logger.status() & sim::kMissionRunning) != 0; }
    [[nodiscard]] int writes_of_page(int page) const {
        const auto& log = box.commands();
        return static_cast<int>(std::count_if(log.begin(), log.end(), [page](const auto& c) {
            return c.letter == 'C' && c.page == page;
        }));
    }
    [[nodiscard]] std::string letters() const {
        std::string text;
        for (const auto& c : box.commands()) {
            text += c.letter;
        }
        return text;
    }
};

TEST(ProgrammingRun, DefaultsStartTheMissionWithTheWrittenRegisters) {
    ProgrammingRig rig;
    const link::LocalDateTime started = rig.clock.local_now();
    const RunResult result = rig.run();
    ASSERT_TRUE(result.line.has_value());
    EXPECT_EQ(*result.line, programming_ok());
    EXPECT_EQ(result.logger_type, LoggerType::kL);
    EXPECT_TRUE(rig.running());

    // The clock is set from the PC's local time between the stop and the clear.
    const link::LocalDateTime clock_bytes{2000 + (rig.at(0x0205) >> 4) * 10 + (rig.at(0x0205) & 15),
                                          (rig.at(0x0204) >> 4) * 10 + (rig.at(0x0204) & 15),
                                          (rig.at(0x0203) >> 4) * 10 + (rig.at(0x0203) & 15),
                                          (rig.at(0x0202) >> 4) * 10 + (rig.at(0x0202) & 15),
                                          (rig.at(0x0201) >> 4) * 10 + (rig.at(0x0201) & 15),
                                          (rig.at(0x0200) >> 4) * 10 + (rig.at(0x0200) & 15)};
    EXPECT_GE(clock_bytes, started);
    EXPECT_LE(link::to_civil_seconds(clock_bytes) - link::to_civil_seconds(started), 5);

    EXPECT_EQ(rig.at(0x0206), 10);
    EXPECT_EQ(rig.at(0x0207), 0);
    EXPECT_EQ(rig.at(0x0208), 82);
    EXPECT_EQ(rig.at(0x0209), 252);
    EXPECT_EQ(rig.at(0x0210), 0);
    EXPECT_EQ(rig.at(0x0212), 3);
    EXPECT_EQ(rig.at(0x0213), 0xC1);
    EXPECT_EQ(rig.at(0x0216), 0);
    EXPECT_EQ(rig.at(0x0217), 0);
    EXPECT_EQ(rig.at(0x0218), 0);
    EXPECT_EQ(rig.at(0x01FE), 0x7B);
    EXPECT_EQ(rig.at(0x01FF), 128);
    for (std::size_t a = 0x0020; a <= 0x01FD; ++a) {
        ASSERT_EQ(rig.at(a), ' ') << a;
    }
}

TEST(ProgrammingRun, StepsInOrderWithProgressAndEventRounds) {
    ProgrammingRig rig;
    (void)rig.run();
    std::string expected = "AAGBBHB";
    for (int page = 1; page <= 16; ++page) {
        expected += "CDE";
        EXPECT_EQ(rig.writes_of_page(page), 1);
    }
    expected += "FB";
    EXPECT_EQ(rig.letters(), expected);
    EXPECT_EQ(rig.box.commands()[4].page, 17);
    std::vector<int> steps(19);
    std::iota(steps.begin(), steps.end(), 0);
    EXPECT_EQ(rig.progress, steps);
    EXPECT_EQ(rig.event_rounds, 17);
    EXPECT_EQ(rig.logger.copies(), 16);
}

TEST(ProgrammingRun, NoPortChosenDoesNothingAndShowsNothing) {
    ProgrammingRig rig;
    const RunResult result = rig.run({}, 0);
    EXPECT_FALSE(result.line.has_value());
    EXPECT_TRUE(rig.wire.entries().empty());
    EXPECT_TRUE(rig.running());
}

TEST(ProgrammingRun, MinutesSixteenthRolloverTemperatureStart) {
    ProgrammingRig rig;
    ProgrammingSettings settings;
    settings.unit = IntervalUnit::kMinutes;
    settings.interval = 240;
    settings.resolution = Resolution::kSixteenth;
    settings.rollover = true;
    settings.start_mode = StartMode::kTemperature;
    EXPECT_EQ(*rig.run(settings).line, programming_ok());
    EXPECT_EQ(rig.at(0x0206), 240);
    EXPECT_EQ(rig.at(0x0210), 3);
    EXPECT_EQ(rig.at(0x0212), 1);
    EXPECT_EQ(rig.at(0x0213), 0xF5);
}

TEST(ProgrammingRun, ThresholdsAreCorrectedToTheLoggersRangeBeforeConversion) {
    ProgrammingSettings settings;
    settings.low_threshold = "-55";
    settings.high_threshold = "99";
    ProgrammingRig l_logger(0x40);
    (void)l_logger.run(settings);
    EXPECT_EQ(l_logger.corrections, (std::vector<ThresholdTexts>{{"-40", "85"}}));
    EXPECT_EQ(l_logger.at(0x0208), 2);
    EXPECT_EQ(l_logger.at(0x0209), 252);

    settings.low_threshold = "-5";
    settings.high_threshold = "abc";
    ProgrammingRig t_logger(0x60);
    EXPECT_EQ(t_logger.run(settings).logger_type, LoggerType::kT);
    EXPECT_EQ(t_logger.corrections, (std::vector<ThresholdTexts>{{"0", "abc"}}));
    EXPECT_EQ(t_logger.at(0x0208), 2);
    EXPECT_EQ(t_logger.at(0x0209), 2);

    settings.low_threshold = "20.25";
    ProgrammingRig unknown_configuration(0x00);
    EXPECT_EQ(unknown_configuration.run(settings).logger_type, LoggerType::kL);
    EXPECT_EQ(unknown_configuration.at(0x0208), 122);
    EXPECT_EQ(unknown_configuration.at(0x0209), 82);

    settings.low_threshold = "10";
    settings.high_threshold = "150";
    ProgrammingRig h_logger(0x80);
    EXPECT_EQ(h_logger.run(settings).logger_type, LoggerType::kH);
    EXPECT_EQ(h_logger.corrections, (std::vector<ThresholdTexts>{{"15", "140"}}));
    EXPECT_EQ(h_logger.at(0x0208), 2);
    EXPECT_EQ(h_logger.at(0x0209), 252);
}

TEST(ProgrammingRun, StartDelayInMinutesReachesTheLogger) {
    ProgrammingRig rig;
    const std::int64_t now = link::to_civil_seconds(rig.clock.local_now());
    EXPECT_EQ(*rig.run(timed_start(link::from_civil_seconds(now + 70000LL * 60))).line,
              programming_ok());
    EXPECT_EQ(rig.at(0x0216), 0x70);
    EXPECT_EQ(rig.at(0x0217), 0x11);
    EXPECT_EQ(rig.at(0x0218), 0x01);
}

TEST(ProgrammingRun, ARefusedStartTimeLeavesTheLoggerStoppedAndUnwritten) {
    const link::LocalDateTime now = link::VirtualClock{}.local_now();
    const std::int64_t seconds = link::to_civil_seconds(now);
    const std::pair<ProgrammingSettings, ResultLine> cases[] = {
        {timed_start(link::from_civil_seconds(seconds - 60)), start_time_before_now()},
        {timed_start({now.year, now.month, now.day, 25, 70, 0}), start_time_incomplete("25:70")},
    };
    for (const auto& [settings, line] : cases) {
        ProgrammingRig rig;
        EXPECT_EQ(*rig.run(settings).line, line);
        EXPECT_FALSE(rig.running());
        EXPECT_EQ(rig.letters(), "AAGBB");
        EXPECT_TRUE(rig.progress.empty());
    }
    for (const std::string text : {"__:__", "12:3_"}) {
        ProgrammingSettings settings = timed_start(now);
        settings.start_time = text;
        ProgrammingRig rig;
        EXPECT_EQ(rig.run(settings).line->text, "STARTTIME ! (" + text + ")");
        EXPECT_EQ(rig.letters(), "AAGBB");
    }
}

TEST(ProgrammingRun, ThePageReadBackWrongTwiceIsWrittenThriceAndCopiedOnce) {
    ProgrammingRig rig;
    rig.box.add_fault(
        {.letter = 'D', .kind = ReplyFault::Kind::kCorrupt, .byte_index = 10, .times = 2});
    EXPECT_EQ(*rig.run().line, programming_ok());
    EXPECT_EQ(rig.writes_of_page(1), 3);
    EXPECT_EQ(rig.box.count('E'), 16);
    EXPECT_EQ(rig.logger.copies(), 16);
    EXPECT_TRUE(rig.running());
}

TEST(ProgrammingRun, ThePageReadBackWrongThreeTimesFailsWithoutItsCopy) {
    ProgrammingRig rig;
    rig.box.add_fault(
        {.letter = 'D', .kind = ReplyFault::Kind::kCorrupt, .byte_index = 10, .times = 3});
    EXPECT_EQ(*rig.run().line, programming_error());
    EXPECT_EQ(rig.writes_of_page(1), 3);
    EXPECT_EQ(rig.writes_of_page(2), 0);
    EXPECT_EQ(rig.box.count('E'), 0);
    EXPECT_EQ(rig.box.count('F'), 0);
    EXPECT_FALSE(rig.running());
}

TEST(ProgrammingRun, AReadBackThatBreaksOffIsAMismatchEvenWhenItsZerosMatch) {
    // A page of zero bytes matches the zeros a broken read-back leaves behind.
    ProgrammingSettings settings;
    settings.mission_text = std::string(478, '\0');
    ProgrammingRig rig;
    rig.box.add_fault({.letter = 'D', .kind = ReplyFault::Kind::kCut, .byte_index = 3, .times = 1});
    EXPECT_EQ(*rig.run(settings).line, programming_ok());
    EXPECT_EQ(rig.writes_of_page(1), 2);
    EXPECT_EQ(rig.box.count('E'), 16);
}

TEST(ProgrammingRun, ALoggerThatDoesNotAnswerTheStopEndsTheRun) {
    ProgrammingRig rig;
    rig.box.add_fault({.letter = 'B', .kind = ReplyFault::Kind::kSilence});
    EXPECT_EQ(*rig.run().line, programming_error());
    EXPECT_EQ(rig.box.count('G'), 4);
    EXPECT_EQ(rig.box.count('H') + rig.box.count('C') + rig.box.count('F'), 0);
    EXPECT_TRUE(rig.corrections.empty());
}

TEST(ProgrammingRun, FailuresOfTheTypeReadTheClearAndTheStartEachEndTheRun) {
    ProgrammingRig unreadable;
    unreadable.box.add_fault({.letter = 'B', .page = 17, .kind = ReplyFault::Kind::kSilence});
    EXPECT_EQ(*unreadable.run().line, programming_error());
    EXPECT_FALSE(unreadable.running());
    EXPECT_EQ(unreadable.box.count('H'), 0);
    EXPECT_FALSE(unreadable.run().logger_type.has_value());

    ProgrammingRig uncleared;
    uncleared.logger.freeze_status_bits(sim::kMemoryCleared);
    EXPECT_EQ(*uncleared.run().line, programming_error());
    EXPECT_EQ(uncleared.box.count('C'), 0);
    EXPECT_EQ(uncleared.progress, (std::vector<int>{0, 1}));

    ProgrammingRig unstarted;
    unstarted.logger.freeze_status_bits(sim::kMissionRunning);
    unstarted.logger.memory()[sim::kStatusAddress] = 0;
    EXPECT_EQ(*unstarted.run().line, programming_error());
    EXPECT_EQ(unstarted.logger.copies(), 16);
    EXPECT_FALSE(unstarted.running());
}

}  // namespace
}  // namespace frostel::programming
