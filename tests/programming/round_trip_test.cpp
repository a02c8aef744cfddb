// A logger programmed here, left to log, then downloaded: both halves read the same bytes.
#include <gtest/gtest.h>

#include <filesystem>

#include "mission/download.h"
#include "mission/mission_loader.h"
#include "programming/programming_run.h"
#include "support/sim_rig.h"

namespace frostel::programming {
namespace {

namespace fs = std::filesystem;

// Takes only what the download hands over for the programming window: the offset.
struct QuietView final : mission::HeadlessDownloadView {
    int calibration_tenths = -999;
    void set_calibration_offset(int tenths) override { calibration_tenths = tenths; }
};

struct RoundTrip : ::testing::Test {
    test::SimRig rig;
    fs::path folder = fs::temp_directory_path() /
                      (std::string("frostel-round-trip-") +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name());

    void SetUp() override { fs::create_directories(folder); }
    void TearDown() override { fs::remove_all(folder); }

    std::optional<mission::DownloadedMission> program_log_and_download(
        const ProgrammingSettings& settings, sim::Byte configuration,
        const std::vector<double>& temperatures, QuietView& view) {
        rig.logger.memory()[0x0226] = configuration;
        const RunResult result = run_programming(rig.commands, rig.clock, 1, settings, {});
        EXPECT_EQ(result.line->text, "PROGRAMMING OK");
        sim::take_samples(rig.logger, temperatures);
        return mission::download_mission({rig.commands, rig.clock, 1, folder}, view);
    }
};

TEST_F(RoundTrip, TextIntervalAndOffsetComeBackFromAnEightBitMission) {
    ProgrammingSettings settings;
    settings.interval = 30;
    settings.calibration = 15;
    settings.mission_text = "Cold store 4, shelf B";
    const link::LocalDateTime programmed = rig.clock.local_now();
    QuietView view;
    const auto downloaded =
        program_log_and_download(settings, sim::kConfigurationL, {4.0, 4.5, -1.0}, view);
    ASSERT_TRUE(downloaded.has_value());
    const mission::MissionHeader& header = downloaded->header;
    EXPECT_EQ(header.mission_text, settings.mission_text + std::string(478 - 21, ' '));
    EXPECT_EQ(header.sample_interval, 30);
    EXPECT_EQ(header.calibration_offset_tenths, 15);
    EXPECT_EQ(view.calibration_tenths, 15);
    EXPECT_EQ(header.logger_type, mission::LoggerType::kL);
    EXPECT_EQ(header.sample_format, mission::SampleFormat::k8Bit);
    EXPECT_EQ(header.start_time, programmed);
    EXPECT_EQ(downloaded->values, (std::vector<double>{5.5, 6.0, 0.5}));
}

TEST_F(RoundTrip, MinutesAndSixteenthsComeBackOnATLogger) {
    ProgrammingSettings settings;
    settings.unit = IntervalUnit::kMinutes;
    settings.interval = 240;
    settings.resolution = Resolution::kSixteenth;
    settings.calibration = -127;
    QuietView view;
    const auto downloaded =
        program_log_and_download(settings, sim::kConfigurationT, {21.0625, 22.5}, view);
    ASSERT_TRUE(downloaded.has_value());
    EXPECT_EQ(downloaded->header.sample_interval, 240 * 60);
    EXPECT_EQ(downloaded->header.sample_format, mission::SampleFormat::k16Bit);
    EXPECT_EQ(downloaded->header.calibration_offset_tenths, -127);
    EXPECT_EQ(downloaded->header.mission_text, std::string(478, ' '));
    EXPECT_EQ(downloaded->samples.size(), 2U);
}

}  // namespace
}  // namespace frostel::programming
