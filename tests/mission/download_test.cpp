// "Load Data" from start to end on the simulated reader, on virtual time. The main window's
// tests go through this same download for what the window shows (values, captions, the
// calibration slider, the dialogs); here what only the download's own view sees.
#include "mission/download.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sim/mission/mission_loader.h"
#include "tests/support/file_text.h"
#include "tests/support/recording_view.h"
#include "tests/support/sim_rig.h"

namespace frostel::mission {
namespace {

namespace fs = std::filesystem;

const std::string kId = "4100000ABCDEF1AA";  // the simulated logger's identity

struct Download : ::testing::Test {
    test::SimRig rig;
    test::RecordingView view;
    fs::path folder =
        fs::temp_directory_path() / ("frostel-download-" + std::to_string(::getpid()));

    void SetUp() override { fs::create_directories(folder); }
    void TearDown() override { fs::remove_all(folder); }

    std::optional<DownloadedMission> run(int port = 1,
                                         TemperatureUnit unit = TemperatureUnit::kCelsius) {
        return download_mission({rig.commands, rig.clock, port, folder, {}, {}, unit}, view);
    }
    [[nodiscard]] std::vector<int> pages_read() const {
        std::vector<int> pages;
        for (const auto& command : rig.box.commands()) {
            if (command.letter == 'B') {
                pages.push_back(command.page);
            }
        }
        return pages;
    }
    [[nodiscard]] std::string side_file() const {
        return test::file_text(side_file_path(folder, kId));
    }
};

TEST_F(Download, FullRolloverLogReadsEveryLogPageOnceAndGivesItOldestFirst) {
    sim::SimMission mission;
    mission.configuration = sim::kConfigurationT;
    mission.rollover = true;
    mission.sample_rate = 15;  // minutes
    mission.start = {2026, 3, 1, 8, 0, 0};
    for (int i = 0; i < 8192 + 300; ++i) {
        mission.temperatures.push_back(2.0 + (i % 23) * 0.5);
    }
    sim::load_mission(rig.logger, mission);

    const std::optional<DownloadedMission> result = run(1, TemperatureUnit::kFahrenheit);
    ASSERT_TRUE(result);
    std::vector<int> expected_pages{16};  // stop_mission's check
    for (int page = 1; page <= 383; page = page == 18 ? 128 : page + 1) {
        expected_pages.push_back(page);
    }
    expected_pages.push_back(16);  // the status again: the mission was not cleared meanwhile
    EXPECT_EQ(pages_read(), expected_pages);
    EXPECT_FALSE(result->cleared_during_download);
    EXPECT_EQ(view.progress_maximum, 255);
    EXPECT_EQ(view.progress, 255);
    EXPECT_EQ(view.caption, result->header.caption);

    const std::vector<ChartPoint> points = chart_points(*result, rig.clock);
    ASSERT_EQ(points.size(), 8192u);
    for (std::size_t j = 0; j < 8192; ++j) {
        ASSERT_EQ(points[j].y,
                  ConvertTemperature(mission.temperatures[300 + j], TemperatureUnit::kCelsius,
                                     TemperatureUnit::kFahrenheit))
            << j;
    }
    // The labels are the samples' own times, X evenly six hours apart from the PC's clock.
    EXPECT_EQ(points.front().label, "2026-03-04 11:00:00");
    EXPECT_EQ(points.back().label, "2026-05-28 18:45:00");
    EXPECT_EQ(points[1].x - points.front().x, 0.25);
    EXPECT_EQ(points.front().x, chart_date(rig.clock.local_now()));

    EXPECT_EQ(side_file(), " 8492 \r\n");
    EXPECT_EQ(view.events, (std::vector<std::string>{"busy", "idle"}));
    // The logger was stopped and stays stopped.
    EXPECT_EQ(rig.logger.status() & sim::kMissionRunning, 0);

    // Every page decoded is kept as read, in read order; the status checks are not among them.
    std::vector<int> kept;
    for (const RawPage& page : result->pages) {
        kept.push_back(page.number);
        ASSERT_TRUE(std::equal(page.bytes.begin(), page.bytes.end(),
                               rig.logger.memory().begin() + link::kPageSize * page.number))
            << page.number;
    }
    expected_pages.erase(expected_pages.begin());
    expected_pages.pop_back();
    EXPECT_EQ(kept, expected_pages);

    // Decoded again from those pages alone, the mission is the download's.
    const std::optional<DownloadedMission> again = decode_recorded_mission(
        kId, result->pages, {}, result->record.clock, TemperatureUnit::kFahrenheit);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->values, result->values);
    EXPECT_EQ(again->header.mission_text, result->header.mission_text);
    EXPECT_EQ(again->header.calibration_offset_tenths, result->header.calibration_offset_tenths);

    // Without all of pages 1 to 18 there is nothing to decode.
    std::vector<RawPage> torn = result->pages;
    torn.erase(torn.begin() + 4);
    EXPECT_FALSE(decode_recorded_mission(kId, torn, {}, {}, TemperatureUnit::kCelsius));
}

// The logger's clock against the PC's UTC time: the offset to the nearest quarter hour, the
// rest drift; the programming run's offset, when known, wins and a reading off it warns.
TEST_F(Download, TheLoggersClockGivesItsOffsetAndDriftAndWarnsWhenOff) {
    struct Case {
        std::int64_t ahead_of_utc;
        std::optional<ClockSetting> programmed;
        std::int64_t drift;
        std::vector<std::string> warnings;
    };
    const ClockSetting berlin{"Europe/Berlin", 3600};
    const std::string three_off = "LOGGER CLOCK 3 MIN OFF !";
    const std::string differs(kClockOffsetDiffersText);
    const Case cases[] = {
        {3600 + 60, std::nullopt, 60, {}},
        {3600 + 180, std::nullopt, 180, {three_off}},
        {-19800 - 180, std::nullopt, -180, {three_off}},
        {3600 + 20, berlin, 20, {}},
        {3600 + 59 * 60, berlin, 59 * 60, {"LOGGER CLOCK 59 MIN OFF !", differs}},
        // A clock reset a day back is set to no zone: all of it beyond UTC-14:00 is drift.
        {-100000, std::nullopt, -100000 + 14 * 3600, {"LOGGER CLOCK 827 MIN OFF !"}},
    };
    sim::SimMission mission;
    mission.temperatures = {4.0, 4.5};
    mission.running = false;
    sim::load_mission(rig.logger, mission);
    rig.clock.set_utc_offset(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ahead_of_utc);
        const platform::LocalDateTime logger_clock = platform::from_civil_seconds(
            platform::to_civil_seconds(rig.clock.local_now()) + c.ahead_of_utc);
        const int fields[] = {logger_clock.second, logger_clock.minute, logger_clock.hour,
                              logger_clock.day,    logger_clock.month,  logger_clock.year % 100};
        for (std::size_t i = 0; i < std::size(fields); ++i) {
            rig.logger.memory()[sim::kClockRegisters + i] = sim::to_bcd(fields[i]);
        }
        rig.logger.memory()[sim::kClockControlRegister] |= sim::kOscillatorBit;
        rig.logger.run_clock(rig.clock);
        const auto programmed = [&c](const MissionHeader&) { return c.programmed; };
        const std::optional<DownloadedMission> downloaded =
            download_mission({rig.commands, rig.clock, 1, folder, {}, programmed}, view);
        ASSERT_TRUE(downloaded && downloaded->record.clock);
        const LoggerClock& clock = *downloaded->record.clock;
        EXPECT_EQ(clock.source, c.programmed ? ClockSource::kProgrammed : ClockSource::kMeasured);
        EXPECT_EQ(clock.utc_offset_s, c.ahead_of_utc - c.drift);
        EXPECT_NEAR(static_cast<double>(clock.drift_s), static_cast<double>(c.drift), 2.0);
        EXPECT_EQ(clock_warnings(clock), c.warnings);
    }
}

// The window's tests see the error and the chart kept; here what a failure leaves behind.
TEST_F(Download, AStuckLoggerWritesNothingAndAFailedLastPageKeepsTheSideFileOnly) {
    sim::SimMission mission;
    mission.temperatures.assign(100, 5.0);  // 8-bit: pages 128 to 131
    sim::load_mission(rig.logger, mission);
    rig.logger.freeze_status_bits(sim::kMissionRunning);
    EXPECT_FALSE(run());
    EXPECT_TRUE(fs::is_empty(folder));

    rig.logger.freeze_status_bits(0);
    rig.box.add_fault({'B', 131, sim::ReplyFault::Kind::kCorrupt, 7, -1});
    EXPECT_FALSE(run());
    EXPECT_EQ(side_file(), " 100 \r\n");
    EXPECT_EQ(rig.link.error_number(), link::kLoggerError);
    EXPECT_EQ(view.events,
              (std::vector<std::string>{"busy", "error", "idle", "busy", "error", "idle"}));
}

}  // namespace
}  // namespace frostel::mission
