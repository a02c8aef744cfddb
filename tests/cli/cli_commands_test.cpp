#include "cli/cli_commands.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <fstream>
#include <sstream>

#include "cli/cli_download.h"
#include "sim/line_noise.h"
#include "sim/mission/mission_loader.h"
#include "tests/support/sim_rig.h"

namespace frostel::cli {
namespace {

using sim::ReplyFault;

struct CliOnSimulator : ::testing::Test {
    test::SimRig rig;
    std::ostringstream out;
    std::ostringstream err;
    CommandContext context{rig.commands, out, err};
};

TEST_F(CliOnSimulator, IdPrintsTheSecondReadingOrNamesTheDevice) {
    rig.logger.set_rom({0x41, 0x9A, 0x78, 0x56, 0x34, 0x12, 0x00, 0xC3});
    // The first identity read gets nothing: only the second one counts.
    rig.box.add_fault({'A', -1, ReplyFault::Kind::kSilence, 0, 1});
    EXPECT_EQ(run_id(context), kExitOk);
    EXPECT_EQ(out.str(), "4100123456789AC3\n");
    EXPECT_EQ(rig.box.count('A'), 2);
    EXPECT_TRUE(err.str().empty());

    // Seven bytes and then silence give no identity at all.
    out.str("");
    rig.box.add_fault({'A', -1, ReplyFault::Kind::kCut, 7, -1});
    EXPECT_EQ(run_id(context), kExitFailed);
    EXPECT_TRUE(out.str().empty());
    EXPECT_EQ(err.str(),
              "frostel-cli: no complete logger identity: port 1 (simulated reader): "
              "no answer from the reader; is a logger in it?\n");
}

TEST_F(CliOnSimulator, StatusReportsBothBitsOrFails) {
    // Running "yes" and both "no" are seen over the pseudo-terminal.
    rig.logger.memory()[sim::kStatusAddress] = sim::kMemoryCleared | 0xF0;
    EXPECT_EQ(run_status(context), kExitOk);
    EXPECT_EQ(out.str(), "mission running: no\nmemory cleared: yes\n");

    out.str("");
    rig.box.add_fault({'B', -1, ReplyFault::Kind::kSilence, 0, -1});
    EXPECT_EQ(run_status(context), kExitFailed);
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("no answer from the reader"), std::string::npos) << err.str();
}

TEST_F(CliOnSimulator, ReadPagePrintsEachPageAndStopsAtAFailure) {
    for (int i = 0; i < 32; ++i) {
        rig.logger.memory()[128 * 32 + i] = static_cast<link::Byte>(0xE0 + i);
    }
    rig.box.add_fault({'B', 129, ReplyFault::Kind::kCorrupt, 3, -1});
    EXPECT_EQ(run_read_pages(context, {128, 129, 130}), kExitFailed);
    EXPECT_EQ(out.str(),
              "0128: E0 E1 E2 E3 E4 E5 E6 E7 E8 E9 EA EB EC ED EE EF F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 "
              "FA FB FC FD FE FF\n");
    EXPECT_NE(err.str().find("(simulated reader): page 129 failed its check 9 times"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(rig.box.count('B'), 1 + 9);
}

// A 2.0 degree Celsius sample (2.5 read, -0.5 offset) on the 35.6 degree Fahrenheit limit
// is within; the summary JSON names every field it promises.
TEST_F(CliOnSimulator, ADownloadInFahrenheitJudgesSamplesAndLimitsInOneUnit) {
    sim::SimMission mission;
    mission.sixteen_bit = true;
    mission.temperatures = {2.5, 5.5, 9.5};
    mission.calibration_offset_tenths = -5;
    mission.low_alarm = 2.0;
    mission.running = false;
    sim::load_mission(rig.logger, mission);
    const QTemporaryDir folder;
    const std::string json_file = folder.filePath("summary.json").toStdString();
    const std::vector<std::string> args{"download",  "--unit",    "FARENHEIT", "--limits",
                                        "35.6:46.4", "--summary", json_file};
    const auto options = std::get<CliOptions>(parse_cli_options(args));
    const DownloadRequest request{rig.clock,
                                  1,
                                  folder.path().toStdString(),
                                  std::nullopt,
                                  options.unit,
                                  options.summary,
                                  {"Pacific/Chatham", 49500}};
    ASSERT_EQ(run_download(context, request), kExitOk) << err.str();
    std::ifstream in(json_file);
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}}))
            .object();
    EXPECT_EQ(json["verdict"].toString(), "1 EXCURSION, 0 h 10 min OUT OF LIMITS");
    EXPECT_NEAR(json["min"].toObject()["value"].toDouble(), 35.6, 1e-9);
    EXPECT_EQ(json["below"].toObject()["samples"].toInt(), 0);

    // Each name a reader of the JSON relies on, with the kind of its value.
    const QJsonObject excursion = json["excursions"].toArray()[0].toObject();
    const std::pair<QJsonValue, QJsonValue::Type> fields[] = {
        {json["delta_h_kj_per_mol"], QJsonValue::Double},
        {json["verdict"], QJsonValue::String},
        {excursion["start"], QJsonValue::String},
        {excursion["end"], QJsonValue::String},
        {json["time_zone"].toObject()["utc_offset_s"], QJsonValue::Double},
        {json["time_zone"].toObject()["name"], QJsonValue::String}};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        EXPECT_EQ(fields[i].first.type(), fields[i].second) << "field " << i;
    }
    EXPECT_EQ(json["time_zone"].toObject()["utc_offset_s"].toInt(), 49500);
    const QJsonObject flags = json["flags"].toObject();
    for (const char* name :
         {"low_alarm", "high_alarm", "battery_reset", "waiting_for_alarm", "rollover",
          "overwritten", "device_samples", "below_range", "above_range"}) {
        EXPECT_TRUE(flags.contains(name)) << name;
    }
    EXPECT_EQ(flags.size(), 9);
}

TEST_F(CliOnSimulator, AFailedProgrammingRunPrintsItsErrorLine) {
    // Success, exit 0 and "PROGRAMMING OK", is seen over the pseudo-terminal.
    rig.logger.memory()[sim::kStatusAddress] = sim::kMissionRunning;
    rig.logger.freeze_status_bits(sim::kMissionRunning);  // it will not stop
    EXPECT_EQ(run_program(context, rig.clock, 1, {}), kExitFailed);
    EXPECT_EQ(out.str(), "PROGRAMMING ERROR !\n");
    EXPECT_NE(err.str().find("status never changed after the stop command (G)"), std::string::npos)
        << err.str();
}

TEST_F(CliOnSimulator, AProgrammingRunSaysWhatItCorrectedAndARangeThatReversesThePairIsRefused) {
    programming::ProgrammingSettings settings;  // an "L" logger: -40 to 85
    settings.low_threshold = "-55";
    EXPECT_EQ(run_program(context, rig.clock, 1, settings), kExitOk);
    EXPECT_EQ(out.str(), "PROGRAMMING OK\n");
    EXPECT_EQ(err.str(),
              "frostel-cli: the low threshold -55 is below the logger's range; corrected to -40\n");

    out.str("");
    err.str("");
    settings.low_threshold = "90";
    settings.high_threshold = "95";
    EXPECT_EQ(run_program(context, rig.clock, 1, settings), kExitUsage);
    EXPECT_EQ(out.str(), "LOW ABOVE HIGH !\n");
    EXPECT_EQ(err.str(),
              "frostel-cli: the high threshold 95 is above the logger's range; corrected to 85\n");
    EXPECT_EQ(rig.box.count('H'), 1);  // the first run's clear only
}

TEST_F(CliOnSimulator, ADownloadThatClearedTheMissionSaysSoAndKeepsEverySample) {
    sim::SimMission mission;
    mission.temperatures.assign(7000, 5.0);
    sim::load_mission(rig.logger, mission);
    rig.port.set_command_noise(sim::lost_read_letter(328));
    EXPECT_EQ(run_download(context, {rig.clock, 1, "/nonexistent"}), kExitOk);
    EXPECT_NE(err.str().find("\nTHE LOGGER'S MISSION WAS CLEARED DURING THE DOWNLOAD !\n"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(std::ranges::count(out.str(), '\n'), 1 + 7000);
}

}  // namespace
}  // namespace frostel::cli
