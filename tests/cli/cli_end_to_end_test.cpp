// frostel-cli against frostel-reader-sim on a real pseudo-terminal, through the Qt
// SerialPort adapter and the ports/COMn link in a program folder; and the logger's clock
// across a change of the PC's time zone, on the simulated reader's virtual clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <regex>
#include <sstream>

#include "archive/mission_archive.h"
#include "cli/cli_archive.h"
#include "cli/cli_commands.h"
#include "cli/cli_download.h"
#include "datafile/chart_document.h"
#include "datafile/data_file.h"
#include "platform/archive_setting.h"
#include "report/report_model.h"
#include "report/report_source.h"
#include "tests/support/archive_rig.h"
#include "tests/support/file_text.h"
#include "tests/support/pdf_text.h"
#include "tests/support/process.h"
#include "tests/support/sim_rig.h"

namespace frostel::test {
namespace {

namespace fs = std::filesystem;

struct CliOverPseudoTerminal : ::testing::Test {
    fs::path folder = fs::temp_directory_path() / ("frostel-cli-pty-" + std::to_string(::getpid()));

    void SetUp() override { fs::create_directories(folder); }
    void TearDown() override { fs::remove_all(folder); }

    // `program` on port 4 of the test's program folder.
    [[nodiscard]] std::vector<std::string> on_port(const char* program,
                                                   std::vector<std::string> words) const {
        words.insert(words.begin(), {program, "--program-folder", folder.string(), "--port", "4"});
        return words;
    }
    // The archive goes to the test's folder too.
    [[nodiscard]] ProcessResult cli(std::vector<std::string> words) const {
        words.insert(words.begin(), {"--data-folder", folder.string()});
        return run_process(on_port(FROSTEL_CLI, std::move(words)));
    }
    [[nodiscard]] static std::string fingerprint(const fs::path& pdf) {
        return report_fingerprint(QString::fromStdString(pdf.string())).toStdString();
    }
    [[nodiscard]] std::string log_text() const { return file_text(folder / "traffic.log"); }
};

// An installed copy (here under a prefix of the test's own) keeps its files in the per-user
// folder, never beside itself, and says so when HOME gives it none.
TEST_F(CliOverPseudoTerminal, AnInstalledCopyNeedsAHomeOfTheUsersOwn) {
    const fs::path installed = folder / "usr" / "bin" / "frostel-cli";
    fs::create_directories(installed.parent_path());
    fs::create_directories(folder / "usr" / "share" / "applications");
    fs::copy_file(FROSTEL_CLI, installed);
    std::ofstream(folder / "usr" / "share" / "applications" / FROSTEL_DESKTOP_ID ".desktop");
    const std::string data = folder.string();
    const std::string cli = installed.string();
    const ProcessResult refused = run_process({"/usr/bin/env", "-uXDG_CONFIG_HOME", "-uHOME", cli,
                                               "--data-folder", data, "archive", "list"});
    EXPECT_EQ(refused.exit_code, 1);
    EXPECT_TRUE(refused.err.starts_with("frostel-cli: HOME is not set")) << refused.err;
    // The archive is listed read-only, so it must be there.
    { const archive::MissionArchive made(archive::archive_path(QString::fromStdString(data))); }
    const std::string home = "HOME=" + (folder / "home").string();
    const ProcessResult listed = run_process(
        {"/usr/bin/env", "-uXDG_CONFIG_HOME", home, cli, "--data-folder", data, "archive", "list"});
    EXPECT_EQ(listed.exit_code, 0) << listed.err;
    EXPECT_TRUE(fs::is_directory(folder / "home" / ".config" / "frostel"));
    EXPECT_EQ(std::distance(fs::directory_iterator(installed.parent_path()), {}), 1);
}

// The first identity read goes unanswered: only the second one counts.
TEST_F(CliOverPseudoTerminal, IdStatusAndPagesOfTheSimulatedLogger) {
    ReaderSimProcess sim(
        on_port(FROSTEL_READER_SIM, {"--serial", "0000FEDCBA98", "--fault", "A:*:silence:0:1"}));
    EXPECT_EQ(fs::read_symlink(folder / "ports" / "COM4"), sim.device());

    const fs::path wire_log = folder / "wire.log";
    const ProcessResult id = cli({"--wire-log", wire_log.string(), "id"});
    EXPECT_EQ(id.exit_code, 0) << id.err;
    ASSERT_EQ(id.out.size(), 17u);
    EXPECT_EQ(id.out.substr(0, 14), "410000FEDCBA98");
    // The RTS switch a pseudo-terminal refuses, the "A" sent and the family code 0x41 the
    // reader answered, on the wire log asked for.
    const std::string bytes = file_text(wire_log);
    for (const char* line : {" RTS off failed (code 7)\n", " > 41\n", " < 41\n"}) {
        EXPECT_NE(bytes.find(line), std::string::npos) << line << bytes;
    }

    const ProcessResult status = cli({"status"});
    EXPECT_EQ(status.exit_code, 0) << status.err;
    EXPECT_EQ(status.out, "mission running: no\nmemory cleared: no\n");
    const ProcessResult pages = cli({"read-page", "16", "17"});
    EXPECT_EQ(pages.exit_code, 0) << pages.err;
    static const std::regex page_lines("0016:( [0-9A-F]{2}){32}\n0017:( [0-9A-F]{2}){32}\n");
    EXPECT_TRUE(std::regex_match(pages.out, page_lines)) << pages.out;

    EXPECT_EQ(sim.stop(), 0);
    EXPECT_FALSE(fs::exists(folder / "ports" / "COM4"));
}

TEST_F(CliOverPseudoTerminal, BadArgumentsSendNothingAndNoAnswerIsAFailureNotAHang) {
    ReaderSimProcess sim(on_port(FROSTEL_READER_SIM, {"--fault", "A:*:silence", "--log",
                                                      (folder / "traffic.log").string()}));
    const ProcessResult usage = cli({"read-page"});
    EXPECT_EQ(usage.exit_code, 2);
    EXPECT_NE(usage.err.find("usage:"), std::string::npos);
    const ProcessResult help = cli({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_TRUE(help.out.starts_with("usage:"));
    const ProcessResult version = cli({"--version"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_TRUE(version.out.starts_with("frostel-cli " FROSTEL_VERSION "\n")) << version.out;
    EXPECT_TRUE(log_text().empty()) << "bytes were sent for bad arguments";

    const ProcessResult id = cli({"id"});
    EXPECT_EQ(id.exit_code, 1);
    EXPECT_NE(id.err.find(sim.device() + "): no answer from the reader"), std::string::npos)
        << id.err;
    EXPECT_NE(log_text().find("pc : 41"), std::string::npos);

    const ProcessResult missing =
        run_process({FROSTEL_CLI, "--device", "/dev/frostel-missing", "id"});
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_NE(missing.err.find("(/dev/frostel-missing): the device does not exist"),
              std::string::npos)
        << missing.err;
}

TEST_F(CliOverPseudoTerminal, DownloadAndProgramEndToEnd) {
    // Page 140 is cut short nine times, which fails the first download; in the second, page
    // 130 fails its check twice and page 140 is cut twice more, and both are read again.
    ReaderSimProcess sim(on_port(
        FROSTEL_READER_SIM,
        {"--mission", "cold-room", "--fault", "B:130:corrupt:3:2", "--fault", "B:140:cut:20:11"}));
    const ProcessResult failed = cli({"download"});
    EXPECT_EQ(failed.exit_code, 1);
    EXPECT_EQ(failed.err, "LOADING ERROR !\nfrostel-cli: port 4 (" + sim.device() +
                              "): page 140 failed its check 9 times\n");
    EXPECT_TRUE(failed.out.empty());

    const fs::path csv = folder / "mission.csv";
    const fs::path summary = folder / "summary.json";
    const fs::path report = folder / "mission.pdf";
    const ProcessResult download =
        cli({"download", "--csv", csv.string(), "--unit", "KELVIN", "--summary", summary.string(),
             "--report", report.string(), "--all-samples"});
    ASSERT_EQ(download.exit_code, 0) << download.err;
    EXPECT_NE(download.err.find("type: L\nsamples: 576\ninterval: 10 min\n"), std::string::npos)
        << download.err;
    EXPECT_NE(download.err.find("offset: 0.2\n"), std::string::npos);
    const std::string rows = file_text(csv);
    EXPECT_TRUE(rows.starts_with("time,temperature_kelvin,time_utc\n"));
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 1 + 576);
    // The logger's own 2 to 8 degree alarm band, and the open door that left it: above 12
    // degrees Celsius in Kelvin, offset included.
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(file_text(summary))).object();
    EXPECT_EQ(json["unit"].toString(), "KELVIN");
    EXPECT_EQ(json["count"].toInt(), 576);
    EXPECT_EQ(json["limits"].toObject(),
              (QJsonObject{{"low", 275.15}, {"high", 281.15}, {"source", "logger"}}));
    const QJsonArray excursions = json["excursions"].toArray();
    ASSERT_EQ(excursions.size(), 1);
    const QJsonObject door = excursions[0].toObject();
    EXPECT_EQ(door["direction"].toString(), "above");
    EXPECT_EQ(door["seconds"].toInt(), 3600);
    const double warmest = door["peak"].toObject()["value"].toDouble();
    EXPECT_GT(warmest, 273.15 + 12);
    EXPECT_LT(warmest, 273.15 + 14);
    const QJsonObject flags = json["flags"].toObject();
    EXPECT_TRUE(flags["high_alarm"].toBool());
    EXPECT_FALSE(flags["low_alarm"].toBool() || flags["battery_reset"].toBool());
    EXPECT_EQ(flags["device_samples"].toInt(), 576);
    EXPECT_FALSE(json["time_zone"].toObject()["name"].toString().isEmpty());
    // Each further name a reader of the JSON relies on.
    EXPECT_EQ(flags.keys(), (QStringList{"above_range", "battery_reset", "below_range",
                                         "device_samples", "high_alarm", "low_alarm", "overwritten",
                                         "rollover", "waiting_for_alarm"}));
    for (const char* name : {"delta_h_kj_per_mol", "verdict", "first_utc", "last_utc"}) {
        EXPECT_TRUE(json.contains(name)) << name;
    }
    for (const char* name : {"start", "end", "start_utc", "end_utc"}) {
        EXPECT_TRUE(door.contains(name)) << name;
    }
    // The report, painted without a display, of this mission.
    EXPECT_EQ(fingerprint(report).size(), 64u);
    // The side file, as the window leaves it.
    const std::string id = download.err.substr(8, 16);
    EXPECT_EQ(file_text(folder / (id + ".INF")), " 576 \r\n");

    const ProcessResult program = cli({"program", "--minutes", "--interval", "5", "--resolution",
                                       "0.0625", "--calibration", "-3", "--text", "Freezer 2"});
    EXPECT_EQ(program.exit_code, 0) << program.err;
    EXPECT_EQ(program.out, "PROGRAMMING OK\n");
    EXPECT_EQ(cli({"status"}).out, "mission running: yes\nmemory cleared: no\n");
    const ProcessResult again = cli({"download"});
    EXPECT_EQ(again.exit_code, 0) << again.err;
    EXPECT_NE(again.err.find("samples: 0\ninterval: 5 min\n"), std::string::npos) << again.err;
    EXPECT_NE(again.err.find("offset: -0.3\n"), std::string::npos) << again.err;

    // Corrected to the logger's range, the pair reverses: refused before anything is sent.
    const ProcessResult reversed = cli({"program", "--low", "90", "--high", "95"});
    EXPECT_EQ(reversed.exit_code, 2);
    EXPECT_EQ(reversed.out, "LOW ABOVE HIGH !\n");
    EXPECT_EQ(reversed.err,
              "frostel-cli: the high threshold 95 is above the logger's range; corrected to 85\n");
}

// A logger whose mission never starts fails the run, and says why.
TEST_F(CliOverPseudoTerminal, AFailedProgrammingRunPrintsItsErrorLine) {
    ReaderSimProcess sim(on_port(FROSTEL_READER_SIM, {"--status-stuck", "0x02"}));
    const ProcessResult program = cli({"program"});
    EXPECT_EQ(program.exit_code, 1);
    EXPECT_EQ(program.out, "PROGRAMMING ERROR !\n");
    EXPECT_NE(program.err.find("status never changed after the start command"), std::string::npos)
        << program.err;
}

TEST_F(CliOverPseudoTerminal, ReportOfASavedPairWithoutADisplay) {
    const QString data_file = QString::fromStdString((folder / "week49.frd").string());
    datafile::ChartDocument document;
    document.title_lines = {"4100000ABCDEF1AA"};
    document.points = {{0, 3.5, "2026-03-01 10:00:00"}, {0, 9.25, "2026-03-01 10:10:00"}};
    ASSERT_TRUE(datafile::write_data_file(data_file, "walk-in freezer"));
    ASSERT_TRUE(datafile::write_chart_document(datafile::chart_document_name(data_file), document));
    const fs::path report = folder / "week49.pdf";
    const ProcessResult summary =
        cli({"summary", data_file.toStdString(), "--limits", "2:8", "--report", report.string()});
    EXPECT_EQ(summary.exit_code, 0) << summary.err;
    EXPECT_TRUE(summary.out.empty()) << "the report alone was asked for";
    EXPECT_TRUE(test::pdf_text(QString::fromStdString(report.string()))
                    .contains("1 EXCURSION, 0 h 10 min OUT OF LIMITS"))
        << "the limits given reach the report";
    // The report written is an event in the data folder's archive.
    const std::string trail = cli({"audit", "list"}).out;
    EXPECT_NE(trail.find("\tfile-written\tfile:" + report.string() + "\t\treport\\n"),
              std::string::npos)
        << trail;
}

TEST_F(CliOverPseudoTerminal, DownloadsAreArchivedAndAMissionNeverDownloadedIsNotProgrammedOver) {
    ReaderSimProcess sim(on_port(FROSTEL_READER_SIM, {"--mission", "cold-room"}));
    const ProcessResult unkept = cli({"download", "--no-archive"});
    ASSERT_EQ(unkept.exit_code, 0) << unkept.err;
    EXPECT_TRUE(cli({"archive", "list"}).out.empty());
    const std::size_t start_at = unkept.err.find("start: ") + 7;
    const std::string start = unkept.err.substr(start_at, 19);

    const ProcessResult refused = cli({"program"});
    EXPECT_EQ(refused.exit_code, 1);
    EXPECT_EQ(refused.err,
              "This logger holds 576 samples from " + start + " that were never downloaded.\n");
    EXPECT_EQ(cli({"status"}).out, "mission running: no\nmemory cleared: no\n");

    // Kept once, however often downloaded; shown and exported from its pages.
    const ProcessResult kept = cli({"download"});
    EXPECT_NE(kept.err.find("archive: record 1\n"), std::string::npos) << kept.err;
    // A report that cannot be written costs neither the archive nor the other outputs.
    const fs::path unreported = folder / "unreported.csv";
    const ProcessResult partly = cli({"download", "--report", (folder / "none" / "r.pdf").string(),
                                      "--csv", unreported.string()});
    EXPECT_EQ(partly.exit_code, 1);
    EXPECT_NE(partly.err.find("archive: record 1 (downloaded again)\n"), std::string::npos);
    EXPECT_NE(partly.err.find("frostel-cli: cannot write " + (folder / "none" / "r.pdf").string()),
              std::string::npos);
    EXPECT_TRUE(fs::exists(unreported));
    const ProcessResult list = cli({"archive", "list", "--since", start.substr(0, 10)});
    EXPECT_EQ(list.out.substr(0, list.out.rfind('\t') + 1).substr(0, 2 + 17 + 20 + 4),
              "1\t" + unkept.err.substr(8, 16) + "\t" + start + "\t576\t");
    const std::string fingerprint = list.out.substr(list.out.rfind('\t') + 1, 64);
    // The record's clock as the download found it: no programming run of this mission is kept.
    const std::string shown = cli({"archive", "show", "1"}).out;
    EXPECT_NE(shown.find("interval: 10 min\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("fingerprint: " + fingerprint + "\nclock utc offset: "), std::string::npos)
        << shown;
    EXPECT_NE(shown.find(" s\nclock source: measured\nclock drift: "), std::string::npos) << shown;
    // Without --data-folder, the archive is the one in the data folder the settings name.
    std::ofstream(folder / "SETUP.FRG") << "English\r\n" << folder.string() << "\r\n 4 \r\n";
    EXPECT_EQ(run_process(on_port(FROSTEL_CLI, {"archive", "list"})).out, list.out);
    const fs::path csv = folder / "kept.csv";
    EXPECT_EQ(cli({"archive", "export", "1", "--csv", csv.string()}).exit_code, 0);
    EXPECT_EQ(file_text(csv), kept.out);
    // ".frd" is added to a name that lacks it, so the chart document is "run.49.tee".
    EXPECT_EQ(cli({"archive", "export", "1", "--frd", (folder / "run.49").string()}).exit_code, 0);
    EXPECT_TRUE(fs::exists(folder / "run.49.tee"));
    // The exported pair keeps the logger's record: its summary has the logger's flags.
    const ProcessResult kept_summary = cli({"summary", (folder / "run.49.frd").string()});
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(kept_summary.out))["flags"]
                  .toObject()["device_samples"]
                  .toInt(),
              576)
        << kept_summary.out << kept_summary.err;
    EXPECT_EQ(cli({"archive", "export", "7", "--csv", csv.string()}).exit_code, 1);
    const fs::path pdf = folder / "kept.pdf";
    EXPECT_EQ(cli({"archive", "export", "1", "--pdf", pdf.string()}).exit_code, 0);
    EXPECT_EQ(this->fingerprint(pdf), fingerprint);
    // Limits set for a kept mission are events; the latest judges it.
    EXPECT_EQ(
        cli({"archive", "limits", "1", "--limits", "-50:50", "--reason", "cold chain"}).exit_code,
        0);
    EXPECT_EQ(cli({"archive", "limits", "1", "--limits", "90:", "--delta-h", "90"}).exit_code, 0);
    EXPECT_EQ(cli({"archive", "limits", "1", "--limits", "8:2"}).exit_code, 2);
    const std::string limited = cli({"archive", "show", "1"}).out;
    EXPECT_NE(limited.find("limits: 90.00: (set by the user)\ndH: 90 kJ/mol\n"), std::string::npos)
        << limited;
    EXPECT_NE(limited.find("verdict: 1 EXCURSION, "), std::string::npos) << limited;

    const ProcessResult intact = cli({"archive", "verify"});
    EXPECT_EQ(intact.exit_code, 0);
    EXPECT_EQ(intact.out, "1\tINTACT\n");
    ASSERT_TRUE(change_behind_its_back(
        QString::fromStdString((folder / "frostel-archive.sqlite").string()), kLogByteChanged));
    const ProcessResult altered = cli({"archive", "verify", "1"});
    EXPECT_EQ(altered.exit_code, 1);
    EXPECT_EQ(altered.out, "1\tALTERED\n");
    EXPECT_NE(cli({"archive", "show", "1"}).err.find("record 1 was altered"), std::string::npos);

    // An altered record holds nothing, nor keeps the real download out.
    EXPECT_EQ(cli({"program"}).exit_code, 1);
    const ProcessResult again = cli({"download"});
    EXPECT_NE(again.err.find("archive: record 2\n"), std::string::npos) << again.err;
    EXPECT_EQ(cli({"program"}).out, "PROGRAMMING OK\n");

    // Each step above that kept, wrote or checked something is one event of this user.
    std::vector<std::string> events;
    std::istringstream trail(cli({"audit", "list"}).out);
    for (std::string event; std::getline(trail, event);) {
        const auto field = [&](int n) {
            std::size_t at = 0;
            for (int i = 0; i < n; ++i) {
                at = event.find('\t', at) + 1;
            }
            return event.substr(at, event.find('\t', at) - at);
        };
        EXPECT_TRUE(field(2).starts_with("os:")) << event;
        events.push_back(field(4) + ' ' + field(5) + ' ' + field(8));
    }
    const std::string file = "file-written file:" + folder.string();
    EXPECT_EQ(events, (std::vector<std::string>{
                          "download-not-archived  --no-archive was given",
                          "download-archived record:1 ",
                          "download-archived record:1 ",
                          file + "/unreported.csv ",
                          file + "/kept.csv ",
                          file + "/run.49.frd ",
                          file + "/kept.pdf ",
                          "limits-set record:1 cold chain",
                          "limits-set record:1 ",
                          "verified record:1 ",
                          "verified record:1 ",
                          "download-archived record:2 ",
                          "programming-run logger:" + unkept.err.substr(8, 16) + " ",
                      }));
}

// Two PCs, each a program folder whose archive setting names one shared archive: people
// sign in on the server and each command acts as them; a download made while the server was
// out of reach waits on the PC until archive sync takes it, once; and the second PC's guard
// knows the mission the first downloaded.
TEST_F(CliOverPseudoTerminal, TwoPcsOnOneSharedArchiveAndADownloadThatWaitedOffline) {
    if (std::getenv("FROSTEL_TEST_PG") == nullptr) {
        GTEST_SKIP() << "FROSTEL_TEST_PG names no test server";
    }
    const QString shared = new_server_archive();
    ASSERT_FALSE(shared.isEmpty());
    ReaderSimProcess sim(on_port(FROSTEL_READER_SIM, {"--mission", "cold-room"}));
    const fs::path first = folder / "first-pc";
    const fs::path second = folder / "second-pc";
    for (const fs::path& pc : {first, second}) {
        fs::create_directories(pc / "data");
        std::ofstream(pc / "SETUP.FRG") << "English\r\n" << (pc / "data").string() << "\r\n 1 \r\n";
        ASSERT_TRUE(platform::write_archive_setting(QString::fromStdString(pc.string()), shared));
    }
    // frostel-cli at `pc` as `user` (none: nobody signs in), the password typed in.
    const auto at = [&](const fs::path& pc, const std::string& user, std::vector<std::string> words,
                        const std::string& zone = "UTC") {
        if (!user.empty()) {
            words.insert(words.begin(), {"--user", user});
        }
        words.insert(words.begin(),
                     {"sh", "-c", "printf '%s' \"$0\" | \"$@\"",
                      user + "-password\n" + user + "-password\n", "env", "TZ=" + zone, FROSTEL_CLI,
                      "--program-folder", pc.string(), "--device", sim.device()});
        return run_process(words);
    };
    ASSERT_EQ(
        at(first, "root", {"users", "init", "--admin", "root", "--name", "Rita Root"}).exit_code,
        0);
    for (const auto& [id, role] : {std::pair{"olga", "operator"}, std::pair{"rolf", "reviewer"}}) {
        const ProcessResult added =
            at(first, "root", {"users", "add", id, "--name", id, "--role", role});
        ASSERT_EQ(added.exit_code, 0) << added.err;
        const ProcessResult changed =
            run_process({"sh", "-c", "printf '%s' \"$0\" | \"$@\"",
                         added.out.substr(0, 16) + "\n" + id + "-password\n", FROSTEL_CLI,
                         "--program-folder", first.string(), "--user", id, "users", "passwd"});
        ASSERT_EQ(changed.exit_code, 0) << changed.err;
    }

    const ProcessResult kept = at(first, "olga", {"download"});
    ASSERT_EQ(kept.exit_code, 0) << kept.err;
    EXPECT_NE(kept.err.find("archive: record 1\n"), std::string::npos) << kept.err;
    const std::string nowhere =
        "postgresql://x@/db?host=/tmp/frostel-none-" + std::to_string(::getpid());
    const ProcessResult offline = at(first, "", {"--archive", nowhere, "download"});
    EXPECT_EQ(offline.exit_code, 0) << offline.err;
    EXPECT_NE(offline.err.find("\nkept on this PC, not yet in the shared archive\n"),
              std::string::npos)
        << offline.err;
    const ProcessResult out_of_reach = at(first, "", {"--archive", nowhere, "archive", "sync"});
    EXPECT_EQ(out_of_reach.exit_code, 1);
    EXPECT_NE(out_of_reach.err.find("cannot reach the shared archive"), std::string::npos)
        << out_of_reach.err;
    EXPECT_EQ(at(first, "olga", {"archive", "sync"}).out, "UPLOADED 1, PENDING 0\n");
    EXPECT_EQ(at(first, "olga", {"archive", "sync"}).out, "UPLOADED 0, PENDING 0\n");

    const ProcessResult listed = at(second, "rolf", {"archive", "list"});
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 1) << listed.out;
    EXPECT_EQ(at(second, "rolf", {"archive", "verify"}).out, "1\tINTACT\n");
    const ProcessResult signed_by = at(second, "rolf", {"sign", "1", "--meaning", "reviewed"});
    EXPECT_EQ(signed_by.out, "record 1 signed as reviewed by rolf (rolf)\n") << signed_by.err;
    const ProcessResult utc = at(first, "root", {"audit", "verify"});
    EXPECT_TRUE(utc.out.starts_with("INTACT ")) << utc.out << utc.err;
    // The same chain in another zone, with the sign-in of its own that verify makes.
    const int events = std::stoi(utc.out.substr(7));
    EXPECT_TRUE(at(second, "root", {"audit", "verify"}, "Asia/Kolkata")
                    .out.starts_with("INTACT " + std::to_string(events + 1) + " EVENTS"));
    const ProcessResult trail = at(first, "root", {"audit", "list", "--record", "1"});
    EXPECT_NE(trail.out.find("\trolf\t"), std::string::npos) << trail.out;
    EXPECT_NE(trail.out.find("\tolga\t"), std::string::npos) << trail.out;

    // The second PC's own archive never saw the mission; the shared one did.
    const ProcessResult unknown =
        at(second, "", {"--data-folder", (second / "data").string(), "program"});
    EXPECT_EQ(unknown.exit_code, 1);
    EXPECT_NE(unknown.err.find("that were never downloaded"), std::string::npos) << unknown.err;
    EXPECT_EQ(at(second, "olga", {"program"}).out, "PROGRAMMING OK\n");
}

// Each failure is said and ends in exit 1; a download is kept whenever the archive can.
TEST_F(CliOverPseudoTerminal, AnArchiveDamagedOrTooNewFailsLoudly) {
    const QString archive_file =
        QString::fromStdString((folder / "frostel-archive.sqlite").string());
    ArchiveRig().damaged_archive(archive_file, 60);
    for (const char* action : {"list", "verify"}) {
        const ProcessResult result = cli({"archive", action});
        EXPECT_EQ(result.exit_code, 1) << action;
        EXPECT_TRUE(result.out.empty()) << action;
        EXPECT_NE(result.err.find("damaged"), std::string::npos) << result.err;
    }

    ReaderSimProcess sim(on_port(FROSTEL_READER_SIM, {"--mission", "cold-room"}));
    const ProcessResult kept = cli({"download"});
    EXPECT_EQ(kept.exit_code, 0) << kept.err;
    EXPECT_NE(kept.err.find("damaged; it was kept as frostel-archive.sqlite.damaged-"),
              std::string::npos)
        << kept.err;
    EXPECT_NE(kept.err.find("archive: record 1\n"), std::string::npos) << kept.err;

    ASSERT_TRUE(change_behind_its_back(archive_file, QStringLiteral("PRAGMA user_version = 99")));
    const ProcessResult unkept = cli({"download"});
    EXPECT_EQ(unkept.exit_code, 1);
    EXPECT_EQ(unkept.out, kept.out);  // every other output still written
    EXPECT_NE(unkept.err.find("not archived: it was written by a newer version"), std::string::npos)
        << unkept.err;
    const ProcessResult unchecked = cli({"program"});
    EXPECT_EQ(unchecked.exit_code, 1);
    EXPECT_EQ(
        unchecked.err,
        "The archive cannot be checked: it was written by a newer version of this program.\n");
}

}  // namespace
}  // namespace frostel::test

namespace frostel::cli {
namespace {

QJsonObject json_file_object(const std::string& name) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(test::file_text(name))).object();
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
    ~ZoneForTest() { use(before_ ? before_->c_str() : nullptr); }
    ZoneForTest(const ZoneForTest&) = delete;
    ZoneForTest& operator=(const ZoneForTest&) = delete;

  private:
    static void use(const char* zone) {
        (void)(zone != nullptr ? setenv("TZ", zone, 1) : unsetenv("TZ"));
        tzset();
    }
    std::optional<std::string> before_;
};

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
