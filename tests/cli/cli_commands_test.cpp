#include "cli/cli_commands.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "archive/mission_archive.h"
#include "cli/cli_archive.h"
#include "cli/cli_download.h"
#include "report/chart_summary.h"
#include "report/report_model.h"
#include "report/report_source.h"
#include "sim/line_noise.h"
#include "sim/mission/mission_loader.h"
#include "tests/support/sim_rig.h"

namespace frostel::cli {
namespace {

using sim::ReplyFault;

QJsonObject json_file_object(const std::string& name) {
    std::ifstream in(name);
    return QJsonDocument::fromJson(
               QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}}))
        .object();
}

// The process's time zone for one scope, as the PC's own.
class ZoneForTest {
  public:
    explicit ZoneForTest(const char* zone) {
        if (const char* tz = std::getenv("TZ")) {
            before_ = tz;
        }
        use(zone);
    }
    ~ZoneForTest() {
        if (before_) {
            use(before_->c_str());
        } else {
            unsetenv("TZ");
            tzset();
        }
    }
    ZoneForTest(const ZoneForTest&) = delete;
    ZoneForTest& operator=(const ZoneForTest&) = delete;

  private:
    static void use(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }
    std::optional<std::string> before_;
};

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
    const QJsonObject json = json_file_object(json_file);
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
        {json["time_zone"].toObject()["name"], QJsonValue::String},
        {json["clock"].toObject()["utc_offset_s"], QJsonValue::Double},
        {json["clock"].toObject()["drift_s"], QJsonValue::Double},
        {json["first_utc"], QJsonValue::String},
        {json["last_utc"], QJsonValue::String},
        {excursion["start_utc"], QJsonValue::String},
        {excursion["end_utc"], QJsonValue::String}};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        EXPECT_EQ(fields[i].first.type(), fields[i].second) << "field " << i;
    }
    EXPECT_EQ(json["time_zone"].toObject()["utc_offset_s"].toInt(), 49500);
    // No archive, so no programming run: the offset is the logger's clock against UTC.
    EXPECT_EQ(json["clock"].toObject()["source"].toString(), "measured");
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

// Programmed in Berlin at UTC+01:00 the evening before the spring change, the logger samples
// hourly through it and is downloaded after it, once by a PC in Berlin (UTC+02:00 by then)
// and once by a PC on UTC: its civil times stay its own, and the UTC instants are the same.
TEST(LoggerClock, KeepsTheOffsetItWasProgrammedWithAcrossTheSpringChange) {
    struct Download {
        const char* tz;
        mission::TimeZone zone;
        platform::LocalDateTime local_now;  // 05:00 UTC
    };
    std::vector<std::string> utc_column;
    for (const Download& download :
         {Download{"Europe/Berlin", {"Europe/Berlin", 7200}, {2026, 3, 29, 7, 0, 0}},
          Download{"UTC", {"UTC", 0}, {2026, 3, 29, 5, 0, 0}}}) {
        SCOPED_TRACE(download.tz);
        const QTemporaryDir folder;
        archive::MissionArchive store(folder.filePath("archive.sqlite"));
        test::SimRig rig;
        std::ostringstream out;
        std::ostringstream err;
        const CommandContext context{rig.commands, out, err};
        rig.logger.run_clock(rig.clock);
        rig.clock.set_local_start({2026, 3, 28, 22, 0, 0});
        rig.clock.set_utc_offset(3600);
        programming::ProgrammingSettings hourly;
        hourly.unit = programming::IntervalUnit::kMinutes;
        hourly.interval = 60;
        {
            const ZoneForTest berlin("Europe/Berlin");
            ASSERT_EQ(run_program(context, rig.clock, 1, hourly, {},
                                  [&](const programming::RunResult& result) {
                                      record_run({store, rig.clock, out, err}, hourly, result);
                                  }),
                      kExitOk)
                << err.str();
        }
        rig.logger.update_clock();
        sim::take_samples(rig.logger, std::vector<double>(8, 4.0));
        rig.clock.advance_by(std::chrono::hours(8));
        rig.clock.set_local_start(download.local_now);
        rig.clock.set_utc_offset(download.zone.utc_offset_s);

        const ZoneForTest zone(download.tz);
        const std::string json_file = folder.filePath("summary.json").toStdString();
        const std::string csv_file = folder.filePath("samples.csv").toStdString();
        DownloadRequest request{rig.clock, 1, folder.path().toStdString(), csv_file, "CELSIUS"};
        request.summary.file = json_file;
        request.time_zone = download.zone;
        request.clock_setting = [&](const mission::MissionHeader& header) {
            return store.clock_setting(header.logger_id, header.start_time);
        };
        std::optional<mission::DownloadedMission> kept;
        request.keep = [&](const mission::DownloadedMission& mission) {
            kept = mission;
            return true;
        };
        ASSERT_EQ(run_download(context, request), kExitOk) << err.str();
        EXPECT_EQ(err.str().find("LOGGER CLOCK"), std::string::npos) << err.str();

        const QJsonObject clock = json_file_object(json_file)["clock"].toObject();
        EXPECT_EQ(clock["source"].toString(), "programmed");
        EXPECT_EQ(clock["utc_offset_s"].toInt(), 3600);
        EXPECT_LT(std::abs(clock["drift_s"].toInt()), 60);

        std::ifstream csv(csv_file);
        std::string line;
        std::getline(csv, line);
        EXPECT_EQ(line, "time,temperature_celsius,time_utc");
        std::vector<std::string> civil;
        std::vector<std::string> utc;
        while (std::getline(csv, line)) {
            // Both times are quoted texts.
            civil.push_back(line.substr(1, 19));
            utc.push_back(line.substr(line.rfind(',') + 2, 20));
        }
        ASSERT_EQ(civil.size(), 8U);
        // 02:xx on the 29th never happened in Berlin; the logger's clock shows it all the same.
        EXPECT_EQ(civil[4].substr(0, 14), "2026-03-29 02:");
        for (std::size_t i = 0; i < civil.size(); ++i) {
            const auto civil_time = platform::parse_iso(civil[i]);
            ASSERT_TRUE(civil_time);
            EXPECT_EQ(utc[i], mission::utc_text(mission::utc_instant(*civil_time, 3600))) << i;
        }
        if (utc_column.empty()) {
            utc_column = utc;
        } else {
            EXPECT_EQ(utc, utc_column);
        }

        ASSERT_TRUE(kept);
        const report::ReportModel report =
            report::build_report(report::download_report_input(*kept, download.zone, "", ""),
                                 {QDateTime::fromSecsSinceEpoch(0, Qt::UTC)});
        QStringList clock_rows;
        for (const auto& field : report.settings) {
            clock_rows << field.value;
        }
        EXPECT_TRUE(
            clock_rows.contains("Logger clock UTC+01:00 (set at programming, Europe/Berlin)"))
            << clock_rows.join('\n').toStdString();
        EXPECT_TRUE(
            clock_rows.contains("local time changed to UTC+02:00 on 2026-03-29 03:00; times here "
                                "are the logger's clock"))
            << clock_rows.join('\n').toStdString();
    }
}

}  // namespace
}  // namespace frostel::cli
