// frostel-cli against frostel-reader-sim on a real pseudo-terminal, through the Qt
// SerialPort adapter and the ports/COMn link in a program folder; and the logger's clock
// across a change of the PC's time zone, on the simulated reader's virtual clock.
#include <gmock/gmock.h>
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
#include <sstream>

#include "archive/mission_archive.h"
#include "cli/cli_archive.h"
#include "cli/cli_commands.h"
#include "cli/cli_download.h"
#include "datafile/chart_document.h"
#include "datafile/data_file.h"
#include "report/report_model.h"
#include "report/report_source.h"
#include "tests/cli/cli_output.h"
#include "tests/support/archive_rig.h"
#include "tests/support/file_text.h"
#include "tests/support/pdf_text.h"
#include "tests/support/process.h"
#include "tests/support/sim_rig.h"

namespace frostel::test {
namespace {

namespace fs = std::filesystem;
using ::testing::_;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

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
    EXPECT_THAT(run_process({"/usr/bin/env", "-uXDG_CONFIG_HOME", "-uHOME", cli, "--data-folder",
                             data, "archive", "list"}),
                exits(1, _, StartsWith("frostel-cli: HOME is not set")));
    // The archive is listed read-only, so it must be there.
    { const archive::MissionArchive made(archive::archive_path(QString::fromStdString(data))); }
    const std::string home = "HOME=" + (folder / "home").string();
    EXPECT_THAT(run_process({"/usr/bin/env", "-uXDG_CONFIG_HOME", home, cli, "--data-folder", data,
                             "archive", "list"}),
                exits(0));
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
    EXPECT_THAT(id, exits(0));
    ASSERT_EQ(id.out.size(), 17u);
    EXPECT_EQ(id.out.substr(0, 14), "410000FEDCBA98");
    // The RTS switch a pseudo-terminal refuses, the "A" sent and the family code 0x41 the
    // reader answered, on the wire log asked for.
    const std::string bytes = file_text(wire_log);
    for (const char* line : {" RTS off failed (code 7)\n", " > 41\n", " < 41\n"}) {
        EXPECT_THAT(bytes, HasSubstr(line));
    }

    EXPECT_THAT(cli({"status"}), exits(0, "mission running: no\nmemory cleared: no\n"));
    EXPECT_THAT(cli({"read-page", "16", "17"}),
                exits(0, MatchesRegex("0016:( [0-9A-F]{2}){32}\n0017:( [0-9A-F]{2}){32}\n")));

    EXPECT_EQ(sim.stop(), 0);
    EXPECT_FALSE(fs::exists(folder / "ports" / "COM4"));
}

TEST_F(CliOverPseudoTerminal, BadArgumentsSendNothingAndNoAnswerIsAFailureNotAHang) {
    ReaderSimProcess sim(on_port(FROSTEL_READER_SIM, {"--fault", "A:*:silence", "--log",
                                                      (folder / "traffic.log").string()}));
    EXPECT_THAT(cli({"read-page"}), exits(2, _, HasSubstr("usage:")));
    EXPECT_THAT(cli({"--help"}), exits(0, StartsWith("usage:")));
    EXPECT_THAT(cli({"--version"}), exits(0, StartsWith("frostel-cli " FROSTEL_VERSION "\n")));
    EXPECT_TRUE(log_text().empty()) << "bytes were sent for bad arguments";

    EXPECT_THAT(cli({"id"}), exits(1, _, HasSubstr(sim.device() + "): no answer from the reader")));
    EXPECT_THAT(log_text(), HasSubstr("pc : 41"));

    EXPECT_THAT(run_process({FROSTEL_CLI, "--device", "/dev/frostel-missing", "id"}),
                exits(1, _, HasSubstr("(/dev/frostel-missing): the device does not exist")));
}

TEST_F(CliOverPseudoTerminal, DownloadAndProgramEndToEnd) {
    // Page 140 is cut short nine times, which fails the first download; in the second, page
    // 130 fails its check twice and page 140 is cut twice more, and both are read again.
    ReaderSimProcess sim(on_port(
        FROSTEL_READER_SIM,
        {"--mission", "cold-room", "--fault", "B:130:corrupt:3:2", "--fault", "B:140:cut:20:11"}));
    EXPECT_THAT(cli({"download"}), exits(1, "",
                                         "LOADING ERROR !\nfrostel-cli: port 4 (" + sim.device() +
                                             "): page 140 failed its check 9 times\n"));

    const fs::path csv = folder / "mission.csv";
    const fs::path summary = folder / "summary.json";
    const fs::path report = folder / "mission.pdf";
    const ProcessResult download =
        cli({"download", "--csv", csv.string(), "--unit", "KELVIN", "--summary", summary.string(),
             "--report", report.string(), "--all-samples"});
    ASSERT_THAT(download, exits(0));
    EXPECT_THAT(download.err, HasSubstr("type: L\nsamples: 576\ninterval: 600 s\n"));
    EXPECT_THAT(download.err, HasSubstr("offset: 0.2\n"));
    // The stop that began the download ended the recording, which is said.
    EXPECT_THAT(download.err,
                HasSubstr("THE LOGGER'S MISSION IS STOPPED: PROGRAM IT TO RECORD AGAIN\n"));
    const std::string rows = file_text(csv);
    EXPECT_THAT(rows, StartsWith("time,temperature_kelvin,time_utc\n"));
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

    EXPECT_THAT(cli({"program", "--minutes", "--interval", "5", "--resolution", "0.0625",
                     "--calibration", "-3", "--text", "Freezer 2"}),
                exits(0, "PROGRAMMING OK\n"));
    EXPECT_EQ(cli({"status"}).out, "mission running: yes\nmemory cleared: no\n");
    EXPECT_THAT(cli({"download"}), exits(0, _,
                                         AllOf(HasSubstr("samples: 0\ninterval: 300 s\n"),
                                               HasSubstr("offset: -0.3\n"))));

    // Corrected to the logger's range, the pair reverses: refused before anything is sent.
    EXPECT_THAT(
        cli({"program", "--low", "90", "--high", "95"}),
        exits(2, "LOW ABOVE HIGH !\n",
              "frostel-cli: the high threshold 95 is above the logger's range; corrected to 85\n"));
}

// A logger whose mission never starts fails the run, and says why.
TEST_F(CliOverPseudoTerminal, AFailedProgrammingRunPrintsItsErrorLine) {
    ReaderSimProcess sim(on_port(FROSTEL_READER_SIM, {"--status-stuck", "0x02"}));
    EXPECT_THAT(cli({"program"}), exits(1, "PROGRAMMING ERROR !\n",
                                        HasSubstr("status never changed after the start command")));
}

TEST_F(CliOverPseudoTerminal, ReportOfASavedPairWithoutADisplay) {
    const QString data_file = QString::fromStdString((folder / "week49.frd").string());
    datafile::ChartDocument document;
    document.title_lines = {"4100000ABCDEF1AA"};
    document.points = {{0, 3.5, "2026-03-01 10:00:00"}, {0, 9.25, "2026-03-01 10:10:00"}};
    ASSERT_TRUE(datafile::write_data_file(data_file, "walk-in freezer"));
    ASSERT_TRUE(datafile::write_chart_document(datafile::chart_document_name(data_file), document));
    const fs::path report = folder / "week49.pdf";
    // The report alone was asked for.
    EXPECT_THAT(
        cli({"summary", data_file.toStdString(), "--limits", "2:8", "--report", report.string()}),
        exits(0, ""));
    EXPECT_TRUE(test::pdf_text(QString::fromStdString(report.string()))
                    .contains("1 EXCURSION, 0 h 10 min OUT OF LIMITS"))
        << "the limits given reach the report";
    // The report written is an event in the data folder's archive.
    EXPECT_THAT(cli({"audit", "list"}).out,
                HasSubstr("\tfile-written\tfile:" + report.string() + "\t\treport\\n"));
}

TEST_F(CliOverPseudoTerminal, DownloadsAreArchivedAndAMissionNeverDownloadedIsNotProgrammedOver) {
    ReaderSimProcess sim(on_port(FROSTEL_READER_SIM, {"--mission", "cold-room"}));
    const ProcessResult unkept = cli({"download", "--no-archive"});
    ASSERT_THAT(unkept, exits(0));
    EXPECT_TRUE(cli({"archive", "list"}).out.empty());
    const std::size_t start_at = unkept.err.find("start: ") + 7;
    const std::string start = unkept.err.substr(start_at, 19);

    EXPECT_THAT(cli({"program"}), exits(1, _,
                                        "This logger holds 576 samples from " + start +
                                            " that were never downloaded.\n"));
    EXPECT_EQ(cli({"status"}).out, "mission running: no\nmemory cleared: no\n");

    // Kept once, however often downloaded; shown and exported from its pages.
    const ProcessResult kept = cli({"download"});
    EXPECT_THAT(kept.err, HasSubstr("archive: record 1\n"));
    // A report that cannot be written costs neither the archive nor the other outputs.
    const fs::path unreported = folder / "unreported.csv";
    const std::string unwritable = (folder / "none" / "r.pdf").string();
    EXPECT_THAT(cli({"download", "--report", unwritable, "--csv", unreported.string()}),
                exits(1, _,
                      AllOf(HasSubstr("archive: record 1 (downloaded again)\n"),
                            HasSubstr("frostel-cli: cannot write " + unwritable))));
    EXPECT_TRUE(fs::exists(unreported));
    const ProcessResult list = cli({"archive", "list", "--since", start.substr(0, 10)});
    EXPECT_EQ(list.out.substr(0, list.out.rfind('\t') + 1).substr(0, 2 + 17 + 20 + 4),
              "1\t" + unkept.err.substr(8, 16) + "\t" + start + "\t576\t");
    const std::string fingerprint = list.out.substr(list.out.rfind('\t') + 1, 64);
    // The record's clock as the download found it: no programming run of this mission is kept.
    EXPECT_THAT(cli({"archive", "show", "1"}).out,
                AllOf(HasSubstr("interval: 10 min\n"),
                      HasSubstr("fingerprint: " + fingerprint + "\nclock utc offset: "),
                      HasSubstr(" s\nclock source: measured\nclock drift: ")));
    // Without --data-folder, the archive is the one in the data folder the settings name.
    std::ofstream(folder / "SETUP.FRG") << "English\r\n" << folder.string() << "\r\n 4 \r\n";
    EXPECT_EQ(run_process(on_port(FROSTEL_CLI, {"archive", "list"})).out, list.out);
    const fs::path csv = folder / "kept.csv";
    EXPECT_THAT(cli({"archive", "export", "1", "--csv", csv.string()}), exits(0));
    EXPECT_EQ(file_text(csv), kept.out);
    // ".frd" is added to a name that lacks it, so the chart document is "run.49.tee".
    EXPECT_THAT(cli({"archive", "export", "1", "--frd", (folder / "run.49").string()}), exits(0));
    EXPECT_TRUE(fs::exists(folder / "run.49.tee"));
    // The exported pair keeps the logger's record: its summary has the logger's flags.
    const ProcessResult kept_summary = cli({"summary", (folder / "run.49.frd").string()});
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(kept_summary.out))["flags"]
                  .toObject()["device_samples"]
                  .toInt(),
              576)
        << kept_summary.out << kept_summary.err;
    EXPECT_THAT(cli({"archive", "export", "7", "--csv", csv.string()}), exits(1));
    const fs::path pdf = folder / "kept.pdf";
    EXPECT_THAT(cli({"archive", "export", "1", "--pdf", pdf.string()}), exits(0));
    EXPECT_EQ(this->fingerprint(pdf), fingerprint);
    // Limits set for a kept mission are events; the latest judges it.
    EXPECT_THAT(cli({"archive", "limits", "1", "--limits", "-50:50", "--reason", "cold chain"}),
                exits(0));
    EXPECT_THAT(cli({"archive", "limits", "1", "--limits", "90:", "--delta-h", "90"}), exits(0));
    EXPECT_THAT(cli({"archive", "limits", "1", "--limits", "8:2"}), exits(2));
    EXPECT_THAT(cli({"archive", "show", "1"}).out,
                AllOf(HasSubstr("limits: 90.00: (set by the user)\ndH: 90 kJ/mol\n"),
                      HasSubstr("verdict: 1 EXCURSION, ")));

    EXPECT_THAT(cli({"archive", "verify"}), exits(0, "1\tINTACT\n"));
    ASSERT_TRUE(change_behind_its_back(
        QString::fromStdString((folder / "frostel-archive.sqlite").string()), kLogByteChanged));
    EXPECT_THAT(cli({"archive", "verify", "1"}), exits(1, "1\tALTERED\n"));
    EXPECT_THAT(cli({"archive", "show", "1"}).err, HasSubstr("record 1 was altered"));

    // An altered record holds nothing, nor keeps the real download out.
    EXPECT_THAT(cli({"program"}), exits(1));
    EXPECT_THAT(cli({"download"}).err, HasSubstr("archive: record 2\n"));
    EXPECT_EQ(cli({"program"}).out, "PROGRAMMING OK\n");
    // A record removed behind the program's back is missing, not merely unlisted.
    ASSERT_TRUE(
        change_behind_its_back(QString::fromStdString((folder / "frostel-archive.sqlite").string()),
                               QStringLiteral("DELETE FROM missions WHERE id = 1")));
    EXPECT_THAT(cli({"archive", "verify"}), exits(1, "2\tINTACT\n1\tMISSING\n"));

    // Each step above that kept, wrote or checked something is one event of this user.
    // A run ended at the question is a programming run too, "cancelled".
    std::vector<std::string> events;
    std::istringstream trail(cli({"audit", "list"}).out);
    for (std::string event; std::getline(trail, event);) {
        const std::vector<std::string> field = split(event, '\t');
        EXPECT_THAT(field.at(2), StartsWith("os:"));
        const std::string& value = field.at(7);
        events.push_back(field.at(4) + ' ' + field.at(5) + ' ' + field.at(8) +
                         value.substr(std::min(value.size(), value.rfind("result="))));
    }
    const std::string file = "file-written file:" + folder.string();
    const std::string run = "programming-run logger:" + unkept.err.substr(8, 16) + " result=";
    const std::string read = "read through pseudo-terminal (" + sim.device() + ')';
    EXPECT_EQ(events, (std::vector<std::string>{
                          "download-not-archived  --no-archive was given",
                          run + "cancelled",
                          "download-archived record:1 " + read,
                          "download-archived record:1 " + read,
                          file + "/unreported.csv ",
                          file + "/kept.csv ",
                          file + "/run.49.frd ",
                          file + "/kept.pdf ",
                          "limits-set record:1 cold chain",
                          "limits-set record:1 ",
                          "verified record:1 ",
                          "verified record:1 ",
                          run + "cancelled",
                          "download-archived record:2 " + read,
                          run + "PROGRAMMING OK",
                          "verified record:2 ",
                          "verified record:1 ",
                      }));
}

// The simulated reader is a terminal a program serves, and every record of what was read
// through it says so: its event, archive show and its report.
TEST_F(CliOverPseudoTerminal, ADownloadNamesTheDeviceItWasReadThrough) {
    ReaderSimProcess sim(on_port(FROSTEL_READER_SIM, {"--mission", "cold-room"}));
    ASSERT_THAT(cli({"download"}), exits(0, _, HasSubstr("archive: record 1\n")));
    const std::string device = "pseudo-terminal (" + sim.device() + ')';
    EXPECT_THAT(cli({"archive", "show", "1"}).out, HasSubstr("\nreader device: " + device + '\n'));
    EXPECT_THAT(cli({"audit", "list"}).out, HasSubstr("read through " + device));
    const fs::path pdf = folder / "read.pdf";
    ASSERT_THAT(cli({"archive", "export", "1", "--pdf", pdf.string()}), exits(0));
    EXPECT_TRUE(pdf_text(QString::fromStdString(pdf.string()))
                    .contains(QString::fromStdString("Reader device " + device)))
        << pdf_text(QString::fromStdString(pdf.string())).toStdString();
    EXPECT_THAT(cli({"audit", "verify"}), exits(0));
    EXPECT_THAT(cli({"archive", "verify"}), exits(0, "1\tINTACT\n"));
}

// No output goes over the archive's files, however it is named: refused with exit 2 before
// anything is written or sent, and the archive keeps its record.
TEST_F(CliOverPseudoTerminal, NoOutputIsWrittenOverTheArchive) {
    ReaderSimProcess sim(on_port(FROSTEL_READER_SIM, {"--mission", "cold-room"}));
    ASSERT_THAT(cli({"download"}), exits(0, _, HasSubstr("archive: record 1\n")));
    const std::string archive = (folder / "frostel-archive.sqlite").string();
    const fs::path out = folder / "out";
    fs::create_directories(out);
    fs::create_symlink(archive, out / "report.pdf");
    fs::create_symlink(archive, out / "pair.tee");
    fs::create_directory_symlink(folder, out / "data");
    const std::string linked = (out / "report.pdf").string();
    const std::string through_folder = (out / "data" / "frostel-archive.sqlite-shm").string();
    const struct {
        std::vector<std::string> words;
        std::string named;
    } cases[] = {
        {{"archive", "export", "1", "--pdf", archive}, archive},
        {{"archive", "export", "1", "--csv", archive + "-wal"}, archive + "-wal"},
        {{"archive", "export", "1", "--frd", (out / "pair").string()}, (out / "pair.tee").string()},
        {{"archive", "bundle", "1", archive}, archive},
        {{"--wire-log", archive + "-journal", "status"}, archive + "-journal"},
        {{"download", "--report", linked}, linked},
        {{"download", "--summary", through_folder}, through_folder},
        {{"download", "--csv", archive}, archive},
        {{"audit", "export", linked}, linked},
    };
    for (const auto& c : cases) {
        EXPECT_THAT(
            cli(c.words),
            exits(2, "", "frostel-cli: " + c.named + " is the archive; choose another name\n"))
            << c.words[c.words.size() - 2];
    }
    // Named as it is in the folder the command runs in.
    std::vector<std::string> in_folder =
        on_port(FROSTEL_CLI, {"--data-folder", folder.string(), "archive", "export", "1", "--pdf",
                              "frostel-archive.sqlite"});
    in_folder.insert(in_folder.begin(), {"sh", "-c", "cd \"$0\" && exec \"$@\"", folder.string()});
    EXPECT_THAT(
        run_process(in_folder),
        exits(2, "", "frostel-cli: frostel-archive.sqlite is the archive; choose another name\n"));
    EXPECT_TRUE(fs::is_symlink(out / "report.pdf"));
    EXPECT_FALSE(fs::exists(out / "pair.frd"));
    EXPECT_THAT(cli({"archive", "verify"}), exits(0, "1\tINTACT\n"));
}

// Each failure is said and ends in exit 1; a download is kept whenever the archive can.
TEST_F(CliOverPseudoTerminal, AnArchiveDamagedOrTooNewFailsLoudly) {
    const QString archive_file =
        QString::fromStdString((folder / "frostel-archive.sqlite").string());
    ArchiveRig().damaged_archive(archive_file, 60);
    for (const char* action : {"list", "verify"}) {
        EXPECT_THAT(cli({"archive", action}), exits(1, "", HasSubstr("damaged"))) << action;
    }

    ReaderSimProcess sim(on_port(FROSTEL_READER_SIM, {"--mission", "cold-room"}));
    // A download not kept still says that the damaged file was set aside.
    EXPECT_THAT(cli({"download", "--no-archive"}),
                exits(0, _, HasSubstr("damaged; it was kept as frostel-archive.sqlite.damaged-")));
    const ProcessResult kept = cli({"download"});
    EXPECT_THAT(kept, exits(0, _, HasSubstr("archive: record 1\n")));

    ASSERT_TRUE(change_behind_its_back(archive_file, QStringLiteral("PRAGMA user_version = 99")));
    // Every other output is still written.
    EXPECT_THAT(cli({"download"}),
                exits(1, kept.out, HasSubstr("not archived: it was written by a newer version")));
    // The run it ends cannot be recorded there either, and that is said too.
    EXPECT_THAT(cli({"program"}),
                exits(1, _,
                      "The archive cannot be checked: it was written by a newer version of this "
                      "program.\nfrostel-cli: the programming run was not archived: it was "
                      "written by a newer version of this program\n"));
}

}  // namespace
}  // namespace frostel::test

namespace frostel::cli {
namespace {

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

        const QJsonObject clock =
            QJsonDocument::fromJson(QByteArray::fromStdString(test::file_text(json_file)))["clock"]
                .toObject();
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
