// "Load Data" from start to end on the simulated reader, on virtual time.
#include "mission/download.h"

#include <gtest/gtest.h>

#include <fstream>

#include "mission/mission_loader.h"
#include "support/recording_view.h"
#include "support/sim_rig.h"

namespace frostel::mission {
namespace {

namespace fs = std::filesystem;
using sim::ReplyFault;

struct Download : ::testing::Test {
    test::SimRig rig;
    test::RecordingView view;
    fs::path folder =
        fs::temp_directory_path() / ("frostel-download-" + std::to_string(::getpid()));

    void SetUp() override { fs::create_directories(folder); }
    void TearDown() override { fs::remove_all(folder); }

    std::optional<DownloadedMission> run(int port = 1) {
        return download_mission({rig.commands, rig.clock, port, folder}, view);
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
        std::ifstream in(
            side_file_path(folder, link::kNoLoggerId).parent_path() / (logger_id() + ".INF"),
            std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    [[nodiscard]] std::string logger_id() const {
        link::LoggerId id;
        char hex[3];
        for (const int i : {0, 6, 5, 4, 3, 2, 1, 7}) {
            std::snprintf(hex, sizeof hex, "%02X", rig.logger.rom()[i]);
            id += hex;
        }
        return id;
    }
};

TEST_F(Download, FullEightBitMissionReadsTheWholeLogAndNothingBeyond) {
    sim::SimMission mission;
    mission.configuration = sim::kConfigurationT;
    mission.sample_rate = 15;  // minutes
    mission.start = {2026, 3, 1, 8, 0, 0};
    mission.mission_text = "Cold room 2";
    for (int i = 0; i < 8192; ++i) {
        mission.temperatures.push_back(2.0 + (i % 20) * 0.5);
    }
    sim::load_mission(rig.logger, mission);

    const auto result = run();
    ASSERT_TRUE(result);
    EXPECT_FALSE(view.error_visible);
    EXPECT_EQ(rig.link.error_number(), link::kNoError);

    std::vector<int> expected_pages{16};  // stop_mission's check
    for (int page = 1; page <= 18; ++page) {
        expected_pages.push_back(page);
    }
    for (int page = 128; page <= 383; ++page) {
        expected_pages.push_back(page);
    }
    EXPECT_EQ(pages_read(), expected_pages);
    EXPECT_EQ(view.progress_maximum, 255);
    EXPECT_EQ(view.progress, 255);

    ASSERT_TRUE(view.points);
    ASSERT_EQ(view.points->size(), 8192u);
    EXPECT_EQ(view.points->front().y, 2.0);
    EXPECT_EQ((*view.points)[19].y, 11.5);
    EXPECT_EQ(view.points->back().y, 2.0 + (8191 % 20) * 0.5);
    EXPECT_EQ(view.points->front().label, "2026-03-01 08:00:00");
    EXPECT_EQ((*view.points)[4].label, "2026-03-01 09:00:00");
    EXPECT_EQ(view.points->back().label, "2026-05-25 15:45:00");  // 8191 × 15 minutes on
    // Evenly spaced X, six hours apart, from the PC's clock.
    EXPECT_EQ((*view.points)[1].x - view.points->front().x, 0.25);
    EXPECT_EQ(view.points->front().x, chart_date(rig.clock.local_now()));

    EXPECT_EQ(view.caption.substr(view.caption.size() - 16), logger_id());
    EXPECT_EQ(view.chart_title, logger_id());
    EXPECT_EQ(view.mission_text.substr(0, 11), "Cold room 2");
    EXPECT_EQ(view.mission_text.size(), 478u);
    EXPECT_EQ(side_file(), " 8192 \r\n");
    EXPECT_EQ(view.events, (std::vector<std::string>{"busy", "points", "table", "save", "idle"}));
    // The logger was stopped and stays stopped.
    EXPECT_EQ(rig.logger.status() & sim::kMissionRunning, 0);
}

TEST_F(Download, SixteenBitSamplesAreCorrectedConvertedAndOffset) {
    sim::SimMission mission;
    mission.configuration = sim::kConfigurationT;
    mission.sixteen_bit = true;
    mission.rate_in_seconds = true;
    mission.sample_rate = 30;
    mission.mission_sample_count = 2;
    mission.calibration_offset_tenths = 12;
    // References 25.0 and 60.0 degrees, read as 25.25 and 59.875.
    mission.sensor_calibration = {52, 0, 52, 128, 122, 0, 121, 192};
    sim::load_mission(rig.logger, mission);
    const std::array<link::Byte, 4> raw{91, 0, 70, 64};  // 44.5 and 34.125 as read
    sim::write_log_bytes(rig.logger, 0, raw);
    view.unit = "FARENHEIT";

    const auto result = run();
    ASSERT_TRUE(result);
    ASSERT_TRUE(view.points);
    ASSERT_EQ(view.points->size(), 2u);
    // Corrected 44.566875 and 34.05709263392857 degrees, in Fahrenheit, plus 1.2 unscaled.
    EXPECT_NEAR((*view.points)[0].y, 44.566875 * 1.8 + 32 + 1.2, 1e-12);
    EXPECT_NEAR((*view.points)[1].y, 34.05709263392857 * 1.8 + 32 + 1.2, 1e-12);
    EXPECT_EQ((*view.points)[1].label, "2026-01-15 10:30:30");
    EXPECT_EQ(view.calibration_tenths, 12);
    EXPECT_EQ(view.unit, "FARENHEIT");
    EXPECT_EQ(result->unit, TemperatureUnit::kFahrenheit);
}

TEST_F(Download, SampleCountDecidesTheLogPagesAndTheProgress) {
    sim::SimMission none;
    sim::load_mission(rig.logger, none);
    ASSERT_TRUE(run());
    const std::vector<int> empty_mission_pages = pages_read();
    EXPECT_EQ(std::vector<int>(empty_mission_pages.end() - 2, empty_mission_pages.end()),
              (std::vector<int>{128, 129}));
    ASSERT_TRUE(view.points);
    EXPECT_TRUE(view.points->empty());
    EXPECT_EQ(view.saves_offered, 1);
    EXPECT_EQ(view.progress_maximum, 1);

    rig.box.clear_log();
    view.progress_values.clear();
    sim::SimMission hundred;
    hundred.sixteen_bit = true;
    hundred.temperatures.assign(100, 21.0);
    sim::load_mission(rig.logger, hundred);
    ASSERT_TRUE(run());
    const std::vector<int> pages = pages_read();
    EXPECT_EQ(std::vector<int>(pages.end() - 8, pages.end()),
              (std::vector<int>{128, 129, 130, 131, 132, 133, 134, 135}));
    EXPECT_EQ(pages.size(), 1u + 18u + 8u);
    EXPECT_EQ(view.progress_maximum, 7);
    EXPECT_EQ(std::vector<int>(view.progress_values.end() - 9, view.progress_values.end()),
              (std::vector<int>{0, 0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(Download, NoPortChosenDoesNothing) {
    view.error_visible = true;
    EXPECT_FALSE(run(0));
    EXPECT_FALSE(view.error_visible);
    EXPECT_TRUE(rig.box.commands().empty());
    EXPECT_EQ(view.caption, "previous logger");
    EXPECT_EQ(view.events, (std::vector<std::string>{"busy", "idle"}));
}

TEST_F(Download, ALoggerThatWillNotStopShowsTheErrorAndTouchesNothingElse) {
    sim::SimMission mission;
    mission.temperatures.assign(10, 5.0);
    sim::load_mission(rig.logger, mission);
    rig.logger.freeze_status_bits(sim::kMissionRunning);

    EXPECT_FALSE(run());
    EXPECT_TRUE(view.error_visible);
    EXPECT_EQ(view.caption, "");
    EXPECT_EQ(view.progress, 0);
    EXPECT_FALSE(view.points);
    EXPECT_EQ(rig.box.count('G'), 4);
    EXPECT_FALSE(fs::exists(folder / (logger_id() + ".INF")));
    EXPECT_EQ(view.events, (std::vector<std::string>{"busy", "error", "idle"}));
}

TEST_F(Download, AFailedLastLogPageKeepsThePreviousChart) {
    sim::SimMission mission;
    mission.temperatures.assign(100, 5.0);  // 8-bit: pages 128 to 131
    sim::load_mission(rig.logger, mission);
    rig.box.add_fault({'B', 131, ReplyFault::Kind::kCorrupt, 7, -1});

    EXPECT_FALSE(run());
    EXPECT_TRUE(view.error_visible);
    EXPECT_FALSE(view.points);
    EXPECT_EQ(view.saves_offered, 0);
    // What came before the failure stays: the new logger's caption and its side file.
    EXPECT_EQ(view.caption.substr(view.caption.size() - 16), logger_id());
    EXPECT_EQ(side_file(), " 100 \r\n");
    EXPECT_EQ(rig.link.error_number(), link::kLoggerError);
}

TEST_F(Download, AnUnknownUnitTitleBecomesCelsius) {
    sim::SimMission mission;
    mission.temperatures = {20.5};
    sim::load_mission(rig.logger, mission);
    view.unit = "HUMIDITY";
    ASSERT_TRUE(run());
    EXPECT_EQ(view.unit, "CELSIUS");
    EXPECT_EQ(view.points->front().y, 20.5);
}

TEST(SideFile, CountInPrintForm) {
    EXPECT_EQ(side_file_text(0), " 0 \r\n");
    EXPECT_EQ(side_file_text(16777215), " 16777215 \r\n");
    EXPECT_EQ(side_file_path("/opt/frostel", "41000001234567AB"),
              fs::path("/opt/frostel/41000001234567AB.INF"));
}

}  // namespace
}  // namespace frostel::mission
