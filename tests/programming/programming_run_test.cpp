#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "programming/mission_image.h"
#include "programming/programming_run.h"
#include "sim/line_noise.h"
#include "sim/mission/mission_loader.h"
#include "tests/programming/timed_start.h"
#include "tests/support/recording_view.h"
#include "tests/support/sim_rig.h"

namespace frostel::programming {
namespace {

namespace fs = std::filesystem;
using link::Byte;
using mission::LoggerType;
using sim::ReplyFault;

// Where the virtual clock starts.
const platform::LocalDateTime kStart = link::VirtualClock{}.local_now();

// Stop, type, clear, 16 pages written and copied, the 16 read from memory, start.
std::string clean_run_letters() {
    std::string letters = "AAGBBHB";
    for (int page = 1; page <= 16; ++page) {
        letters += "CDE";
    }
    return letters + std::string(16, 'B') + "FB";
}

}  // namespace

void PrintTo(const ResultLine& line, std::ostream* out) {
    *out << '"' << line.text << '"';
}

namespace {

constexpr std::size_t kTimeStamp = 0x0219;

// A logger in the reader with a mission running, and what a run reports on its way.
struct ProgrammingRig : test::SimRig {
    std::vector<int> progress;
    int event_rounds = 0;
    std::vector<ThresholdTexts> corrections;
    RunHooks hooks{[this](const ThresholdTexts& t) { corrections.push_back(t); },
                   [this](int value) { progress.push_back(value); },
                   [this] { ++event_rounds; },
                   {}};

    explicit ProgrammingRig(Byte configuration = 0x40) {
        logger.memory()[0x0226] = configuration;
        logger.memory()[sim::kStatusAddress] = sim::kMissionRunning;
        // The previous mission's start second, which no copy changes.
        logger.memory()[kTimeStamp] = 0x45;
    }
    RunResult run(const ProgrammingSettings& settings = {}, int port = 1) {
        return run_programming(commands, clock, port, settings, hooks);
    }
    [[nodiscard]] Byte at(std::size_t address) const { return logger.memory()[address]; }
    // The logger holds the image of `settings` built for the clock the run wrote, which must
    // be the PC's local time during the run (where the logger's clock runs, it has moved on
    // since); the status byte and the time stamp are the logger's own.
    void expect_image_of(const ProgrammingSettings& settings) const {
        const auto bcd = [this](std::size_t a) { return sim::from_bcd(at(a)); };
        const platform::LocalDateTime shown{2000 + bcd(0x0205), bcd(0x0204), bcd(0x0203),
                                            bcd(0x0202),        bcd(0x0201), bcd(0x0200)};
        EXPECT_GE(shown, kStart);
        EXPECT_LE(shown, clock.local_now());
        const auto image =
            std::get<link::MemoryImage>(build_mission_image(settings, LoggerType::kL, shown));
        for (std::size_t a = 0x0020; a < 0x0220; ++a) {
            if (a != sim::kStatusAddress && a != kTimeStamp) {
                ASSERT_EQ(at(a), image.at(a)) << std::hex << a;
            }
        }
    }
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

TEST(ProgrammingRun, ARunWritesTheImageOfItsSettingsPageByPageAndStartsTheMission) {
    ProgrammingRig rig;
    // Its clock runs on after the copy: no reason to write page 16 again.
    rig.logger.run_clock(rig.clock);
    const RunResult result = rig.run();
    EXPECT_EQ(result.line, programming_ok());
    EXPECT_EQ(result.logger_type, LoggerType::kL);
    EXPECT_TRUE(rig.running());
    rig.expect_image_of({});
    // Sixteen writes that leave the whole image: each page once.
    EXPECT_EQ(rig.letters(), clean_run_letters());
    EXPECT_EQ(rig.box.commands()[4].page, 17);
    std::vector<int> steps(19);
    std::iota(steps.begin(), steps.end(), 0);
    EXPECT_EQ(rig.progress, steps);
    EXPECT_EQ(rig.event_rounds, 17 + 16);
    EXPECT_EQ(rig.logger.copies(), 16);

    ProgrammingRig no_port;
    EXPECT_FALSE(no_port.run({}, 0).line.has_value());
    EXPECT_TRUE(no_port.wire.entries().empty());
    EXPECT_TRUE(no_port.running());
}

TEST(ProgrammingRun, ThresholdsAreCorrectedToTheLoggersRangeBeforeConversion) {
    struct Case {
        Byte configuration;
        ThresholdTexts typed, corrected;
        LoggerType type;
        int low, high;
    };
    const Case cases[] = {
        {0x40, {"-55", "99"}, {"-40", "85"}, LoggerType::kL, 2, 252},
        {0x60, {"-5", "abc"}, {"0", "abc"}, LoggerType::kT, 2, 2},
        {0x00, {"20.25", "30abc"}, {"20.25", "30abc"}, LoggerType::kL, 122, 142},  // unknown
        {0x80, {"10", "150"}, {"15", "140"}, LoggerType::kH, 2, 252},
    };
    for (const Case& c : cases) {
        ProgrammingSettings settings;
        settings.low_threshold = c.typed.low;
        settings.high_threshold = c.typed.high;
        ProgrammingRig rig(c.configuration);
        EXPECT_EQ(rig.run(settings).logger_type, c.type);
        EXPECT_EQ(rig.corrections, (std::vector<ThresholdTexts>{c.corrected}));
        EXPECT_EQ(rig.at(0x0208), c.low);
        EXPECT_EQ(rig.at(0x0209), c.high);
    }
}

TEST(ProgrammingRun, ALowThresholdAboveTheHighOneAsTypedOrAsCorrectedIsRefused) {
    // As typed: a reversed pair beyond the range would look ordered once corrected.
    for (const auto& [low, high] : {std::pair{"9", "8.5"}, {"200", "150"}, {"1abc", " 0"}}) {
        ProgrammingSettings settings;
        settings.low_threshold = low;
        settings.high_threshold = high;
        ProgrammingRig rig;
        EXPECT_EQ(rig.run(settings).line, low_above_high()) << low;
        EXPECT_EQ(rig.letters(), "");
        EXPECT_TRUE(rig.running());
    }
    EXPECT_TRUE(low_above_high().is_failure());

    // An "L" logger's range turns 90 and 95 into 90 (86.5 once stored) and 85: stopped and
    // read for its type, nothing cleared or written.
    ProgrammingSettings beyond;
    beyond.low_threshold = "90";
    beyond.high_threshold = "95";
    ProgrammingRig rig;
    EXPECT_EQ(rig.run(beyond).line, low_above_high());
    EXPECT_EQ(rig.corrections, (std::vector<ThresholdTexts>{{"90", "85"}}));
    EXPECT_EQ(rig.letters(), "AAGBB");
}

TEST(ProgrammingRun, ARefusedStartTimeLeavesTheLoggerStoppedAndUnwritten) {
    // A start a minute ago, then times the field holds but the clock does not.
    for (const std::string time : {"", "25:70", "__:__", "12:3_"}) {
        ProgrammingSettings settings = starting_in(kStart, time.empty() ? -1 : 60);
        if (!time.empty()) {
            settings.start_time = time;
        }
        ProgrammingRig rig;
        EXPECT_EQ(rig.run(settings).line.value().text,
                  time.empty() ? "STAR TIME BEFORE NOW !" : "STARTTIME ! (" + time + ")");
        EXPECT_FALSE(rig.running());
        EXPECT_EQ(rig.letters(), "AAGBB");
        EXPECT_TRUE(rig.progress.empty());
    }
}

TEST(ProgrammingRun, AMissionWithSamplesIsAskedAboutBeforeAnythingIsCleared) {
    for (const HeldMissionChoice choice :
         {HeldMissionChoice::kDownloadFirst, HeldMissionChoice::kCancel,
          HeldMissionChoice::kProgramAnyway}) {
        ProgrammingRig rig;
        sim::SimMission held;
        held.start = {2026, 1, 10, 8, 0, 0};
        held.temperatures.assign(25, 4.0);
        sim::load_mission(rig.logger, held);
        std::vector<mission::HeldMission> asked;
        rig.hooks.held_mission = [&](const mission::HeldMission& mission) {
            asked.push_back(mission);
            return choice;
        };
        const RunResult result = rig.run();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].logger_id, "4100000ABCDEF1AA");
        EXPECT_EQ(asked[0].start, (platform::LocalDateTime{2026, 1, 10, 8, 0, 0}));
        EXPECT_EQ(asked[0].sample_count, 25);
        if (choice == HeldMissionChoice::kProgramAnyway) {
            EXPECT_EQ(result.line, programming_ok());
            EXPECT_EQ(result.written_pages.size(), 16u);
            continue;
        }
        EXPECT_EQ(result.kept_held_mission, choice);
        EXPECT_FALSE(result.line);
        EXPECT_EQ(rig.letters(), "AAGBB");  // stopped and read: nothing cleared or written
        EXPECT_FALSE(rig.running());
    }
    // A logger without samples has nothing to lose.
    ProgrammingRig empty;
    empty.hooks.held_mission = [](const mission::HeldMission&) {
        ADD_FAILURE();
        return HeldMissionChoice::kCancel;
    };
    EXPECT_EQ(empty.run().line, programming_ok());
}

TEST(ProgrammingRun, APageIsCopiedOnlyAfterAWholeReadBackOfItsOwnAndWithinThreeAttempts) {
    // Page 1 holds zeros, as does the data of a read-back cut short after its status.
    ProgrammingSettings zeros;
    zeros.mission_text = std::string(478, '\0');
    struct Case {
        const char* what;
        ReplyFault fault;
        int writes;  // of page 1
        bool ok;
    };
    const auto corrupt = [](int byte, int times) {
        return ReplyFault{
            .letter = 'D', .kind = ReplyFault::Kind::kCorrupt, .byte_index = byte, .times = times};
    };
    const Case cases[] = {
        {"a wrong target low byte", corrupt(0, 1), 2, true},
        {"a wrong target high byte", corrupt(1, 1), 2, true},
        {"a wrong ending status", corrupt(2, 1), 2, true},
        {"wrong data twice", corrupt(10, 2), 3, true},
        {"wrong data three times", corrupt(10, 3), 3, false},
        {"a cut read-back",
         {.letter = 'D', .kind = ReplyFault::Kind::kCut, .byte_index = 3, .times = 1},
         2,
         true},
    };
    for (const Case& c : cases) {
        ProgrammingRig rig;
        rig.box.add_fault(c.fault);
        EXPECT_EQ(rig.run(zeros).line, c.ok ? programming_ok() : programming_error()) << c.what;
        EXPECT_EQ(rig.writes_of_page(1), c.writes) << c.what;
        // No copy goes out with a read-back that was not accepted.
        EXPECT_EQ(rig.box.count('E'), c.ok ? 16 : 0) << c.what;
        EXPECT_EQ(rig.logger.copies(), c.ok ? 16 : 0) << c.what;
        EXPECT_EQ(rig.running(), c.ok) << c.what;
        if (!c.ok) {
            EXPECT_EQ(rig.writes_of_page(2) + rig.box.count('F'), 0) << c.what;
        }
    }
}

TEST(ProgrammingRun, PagesAreReadFromMemoryAndWrittenAgainWhileTheyDiffer) {
    using sim::LineFault;
    const LineFault lost{LineFault::Kind::kDrop};
    // Page 3's copy letter lost, or its target byte (0x60) garbled: the logger never copies.
    for (const sim::LineNoise& noise :
         {sim::fault_on_value('E', 2, lost), sim::fault_on_value(0x60, 0, LineFault{})}) {
        ProgrammingRig rig;
        rig.logger.run_clock(rig.clock);
        rig.port.set_command_noise(noise);
        EXPECT_EQ(rig.run().line, programming_ok());
        EXPECT_EQ(rig.writes_of_page(3), 2);
        EXPECT_EQ(rig.logger.copies(), 16);
        rig.expect_image_of({});
        EXPECT_TRUE(rig.running());
    }

    // The logger already holds these settings under an old clock: only the clock tells a
    // lost copy of page 16. Lost once, it is written again; lost every time, the run fails.
    const auto holding_old_settings = [](ProgrammingRig& rig) {
        const auto old = std::get<link::MemoryImage>(
            build_mission_image({}, LoggerType::kL, platform::add_seconds(kStart, -3 * 86400)));
        for (std::size_t a = 0x0020; a <= 0x0218; ++a) {
            if (a != 0x0214 && a != sim::kStatusAddress) {
                rig.logger.memory()[a] = old.at(a);
            }
        }
        rig.logger.run_clock(rig.clock);
    };
    const auto copies_of_page_16_lost = [lost](int times) {
        return [lost, times, copies = 0](Byte byte) mutable {
            const bool dropped = byte == 'E' && copies >= 15 && copies < 15 + times;
            copies += byte == 'E' ? 1 : 0;
            return dropped ? std::optional<LineFault>(lost) : std::nullopt;
        };
    };
    ProgrammingRig once;
    holding_old_settings(once);
    once.port.set_command_noise(copies_of_page_16_lost(1));
    EXPECT_EQ(once.run().line, programming_ok());
    EXPECT_EQ(once.writes_of_page(16), 2);
    once.expect_image_of({});
    ProgrammingRig always;
    holding_old_settings(always);
    always.port.set_command_noise(copies_of_page_16_lost(3));
    EXPECT_EQ(always.run().line, programming_error());
    EXPECT_EQ(always.writes_of_page(16), 3);
    EXPECT_EQ(always.box.count('F'), 0);

    // Every copy from page 3 on is lost: page 3 has had its three attempts.
    ProgrammingRig unwritable;
    unwritable.port.set_command_noise([lost, copies = 0](Byte byte) mutable {
        return byte == 'E' && copies++ >= 2 ? std::optional<LineFault>(lost) : std::nullopt;
    });
    EXPECT_EQ(unwritable.run().line, programming_error());
    EXPECT_EQ(unwritable.writes_of_page(3), 3);
    EXPECT_EQ(unwritable.writes_of_page(4), 1);
    EXPECT_EQ(unwritable.box.count('F'), 0);

    // A page that cannot be read back fails the run before the mission starts.
    ProgrammingRig unreadable;
    unreadable.box.add_fault({.letter = 'B', .page = 9, .kind = ReplyFault::Kind::kSilence});
    EXPECT_EQ(unreadable.run().line, programming_error());
    EXPECT_EQ(unreadable.logger.copies(), 16);
    EXPECT_EQ(unreadable.box.count('F'), 0);
    EXPECT_FALSE(unreadable.running());
}

TEST(ProgrammingRun, FailuresOfTheStopTheTypeReadTheClearAndTheStartEachEndTheRun) {
    ProgrammingRig unstopped;
    unstopped.box.add_fault({.letter = 'B', .kind = ReplyFault::Kind::kSilence});
    EXPECT_EQ(unstopped.run().line, programming_error());
    EXPECT_EQ(unstopped.box.count('G'), 4);
    EXPECT_EQ(unstopped.box.count('H') + unstopped.box.count('C') + unstopped.box.count('F'), 0);
    EXPECT_TRUE(unstopped.corrections.empty());

    ProgrammingRig unreadable;
    unreadable.box.add_fault({.letter = 'B', .page = 17, .kind = ReplyFault::Kind::kSilence});
    const RunResult unread = unreadable.run();
    EXPECT_EQ(unread.line, programming_error());
    EXPECT_FALSE(unread.logger_type.has_value());
    EXPECT_FALSE(unreadable.running());
    EXPECT_EQ(unreadable.box.count('H'), 0);

    ProgrammingRig uncleared;
    uncleared.logger.freeze_status_bits(sim::kMemoryCleared);
    EXPECT_EQ(uncleared.run().line, programming_error());
    EXPECT_EQ(uncleared.box.count('C'), 0);
    EXPECT_EQ(uncleared.progress, (std::vector<int>{0, 1}));

    ProgrammingRig unstarted;
    unstarted.logger.freeze_status_bits(sim::kMissionRunning);
    unstarted.logger.memory()[sim::kStatusAddress] = 0;
    EXPECT_EQ(unstarted.run().line, programming_error());
    EXPECT_EQ(unstarted.logger.copies(), 16);
    EXPECT_FALSE(unstarted.running());
}

// Programmed here, left to log, then downloaded: both halves read the same bytes.
TEST(ProgrammingRun, ADownloadAfterLoggingGivesBackTextIntervalAndOffset) {
    test::RecordingView view;
    // A folder of this run's own: the same test may run beside this one in another build.
    const fs::path folder = fs::temp_directory_path() /
                            ("frostel-programming-round-trip-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    ProgrammingSettings settings;
    settings.unit = IntervalUnit::kMinutes;
    settings.interval = 240;
    settings.resolution = Resolution::kSixteenth;
    settings.calibration = 15;
    settings.mission_text = "Cold store 4, shelf B";
    ProgrammingRig rig(sim::kConfigurationT);
    EXPECT_EQ(rig.run(settings).line, programming_ok());
    sim::take_samples(rig.logger, std::vector<double>{4.0, 4.5, 21.0625});
    const auto downloaded =
        mission::download_mission({rig.commands, rig.clock, 1, folder}, view).value();
    EXPECT_EQ(downloaded.header.mission_text, settings.mission_text + std::string(478 - 21, ' '));
    EXPECT_EQ(downloaded.header.sample_interval, 240 * 60);
    EXPECT_EQ(downloaded.header.calibration_offset_tenths, 15);
    EXPECT_EQ(downloaded.header.logger_type, LoggerType::kT);
    EXPECT_EQ(downloaded.header.sample_format, mission::SampleFormat::k16Bit);
    EXPECT_EQ(downloaded.header.start_time, kStart);
    EXPECT_EQ(downloaded.values, (std::vector<double>{5.5, 6.0, 22.5625}));
    fs::remove_all(folder);
}

// What the logger's history keeps of a run: its settings by name, and how it ended.
TEST(ProgrammingRun, TheHistoryNamesEachSettingAndHowTheRunEnded) {
    ProgrammingSettings settings;
    const auto row = [&](const std::string& name) {
        for (const auto& [key, value] : setting_rows(settings)) {
            if (key == name) {
                return value;
            }
        }
        return std::string("missing");
    };
    settings.resolution = Resolution::kHalf;
    settings.unit = IntervalUnit::kMinutes;
    EXPECT_EQ(row("resolution"), "0.5");
    EXPECT_EQ(row("interval unit"), "minutes");
    settings.resolution = Resolution::kSixteenth;
    settings.unit = IntervalUnit::kSeconds;
    EXPECT_EQ(row("resolution"), "0.0625");
    EXPECT_EQ(row("interval unit"), "seconds");

    const struct {
        std::optional<HeldMissionChoice> kept;
        std::optional<ResultLine> line;
        std::optional<std::string> recorded;
    } ends[] = {
        {HeldMissionChoice::kDownloadFirst, std::nullopt, "download first"},
        {HeldMissionChoice::kCancel, std::nullopt, "cancelled"},
        {std::nullopt, ResultLine{ResultKind::kOk, "PROGRAMMING OK"}, "PROGRAMMING OK"},
        {std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& end : ends) {
        RunResult result;
        result.kept_held_mission = end.kept;
        result.line = end.line;
        EXPECT_EQ(recorded_result(result), end.recorded) << end.recorded.value_or("nothing");
    }
}

}  // namespace
}  // namespace frostel::programming
