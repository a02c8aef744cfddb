// The main window under abuse: closed during each logger operation, through a long working
// day, with its archive shared with frostel-cli, and with its reader pulled out mid-run.
#include <unistd.h>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFrame>
#include <QLabel>
#include <QProcess>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>

#include "app/data_path_dialog.h"
#include "app/download_actions.h"
#include "app/window_archive.h"
#include "link/port_devices.h"
#include "link/qt_serial_port.h"
#include "sim/mission/mission_loader.h"
#include "sim/pty/sample_missions.h"
#include "tests/support/archive_rig.h"
#include "tests/support/process.h"
#include "tests/support/window_rig.h"

namespace frostel::test {
namespace {

// The child process of the close test: the program with the product's exit, closed by the user
// once `operation` (download, search or program) has made a few requests. It prints "closing"
// then, and afterwards every request that still comes; the exit must end it first.
int close_during(std::string_view operation, const QString& parent_folder) {
    WindowRig rig(parent_folder);
    sim::SimMission mission;
    mission.temperatures.assign(8192, 4.5);
    sim::load_mission(rig.logger, mission);
    // The search finds the reader on the last port, long after the close.
    rig.ports.attach(operation == "search" ? 30 : 1, rig.box);
    rig.write_settings(" 1 ");
    rig.end_process = app::end_process_at_once;
    rig.start();
    int requests = 0;
    bool closed = false;
    const auto count_request = [&] {
        if (closed) {
            std::cout << "request after close" << std::endl;
        } else if (++requests == 12) {
            QTimer::singleShot(0, [&] {
                closed = true;
                std::cout << "closing" << std::endl;
                rig.window->close();
            });
        }
    };
    rig.port.on_open = [&](int) { count_request(); };
    rig.port.on_write = count_request;
    if (operation == "download") {
        rig.load_data();
    } else if (operation == "search") {
        rig.find<QAction>("find_commport_menu")->trigger();
    } else {
        rig.open_programming().programming_button().click();
    }
    std::cout << "operation ended" << std::endl;
    return 3;
}

// Waits until `model` lists `file`: its type is then known, however the model learns it.
bool lists(const QFileSystemModel& model, const QString& file) {
    return QTest::qWaitFor([&] { return model.index(file).isValid(); }, 10000);
}

// Every file dialog and the data folder dialog opened on `folder` until they list `file`.
void browse(const QString& folder, const QString& file) {
    const auto close_when_listed = [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        QVERIFY(lists(*dialog->findChild<QFileSystemModel*>(), file));
        dialog->reject();
    };
    app::QtFileNameDialogs dialogs;
    QTimer::singleShot(0, close_when_listed);
    QVERIFY(dialogs.save_name(nullptr, folder, app::kDataFileFilter).isEmpty());
    QTimer::singleShot(0, close_when_listed);
    QVERIFY(dialogs.open_name(nullptr, folder, app::kOpenDataFileFilter).isEmpty());
    app::DataPathDialog data_path;
    data_path.show();
    data_path.open_on(folder);
    const auto* folders = data_path.findChild<QTreeView*>("Dir1");
    QVERIFY(lists(*qobject_cast<QFileSystemModel*>(folders->model()), folder));
}

// What a print dialog's completer does to the archive's files when it lists the data folder:
// opens each to guess its type and closes it, which drops every lock the process holds on it.
void sniff_types(const QString& archive_file) {
    for (const QString& part : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        QFile file(archive_file + part);
        if (file.open(QIODevice::ReadOnly)) {
            file.read(512);
        }
    }
}

long resident_kib() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

class WindowReliabilityTest : public QObject {
    Q_OBJECT

  private slots:
    // Closing the window during a logger operation writes the settings and the template and
    // ends the process there: nothing goes on behind the closed window.
    void closingDuringAnyLoggerOperationEndsTheProcessAtOnce() {
        for (const char* operation : {"download", "search", "program"}) {
            QTemporaryDir parent;
            const ProcessResult run =
                run_process({QCoreApplication::applicationFilePath().toStdString(),
                             "--close-during", operation, parent.path().toStdString()});
            QVERIFY2(run.exit_code == 0, run.err.c_str());
            QCOMPARE(QString::fromStdString(run.out), QString("closing\n"));
            const QStringList made = QDir(parent.path()).entryList({"program-*"}, QDir::Dirs);
            QCOMPARE(made.size(), 1);
            const QDir folder(QDir(parent.path()).filePath(made.first()));
            QCOMPARE(file_bytes(folder.filePath("SETUP.FRG")),
                     "English\r\n" + QFile::encodeName(folder.path()) + "\r\n 1 \r\n");
            QVERIFY(datafile::read_chart_document(folder.filePath("standard.tee")));
        }
    }

    // Two hundred downloads and fifty programming runs in one process: memory stays flat.
    // AddressSanitizer holds freed memory back, so resident size says nothing of growth
    // there; that build checks for leaks instead.
    void aLongDayOfDownloadsAndProgrammingRuns() {
        WindowRig rig;
        rig.start_with_reader();
        const sim::SimMission cold_room = *sim::sample_mission("cold-room", rig.clock.local_now());
        const auto download = [&] {
            sim::load_mission(rig.logger, cold_room);
            rig.box.clear_log();
            rig.load_data();
            QCOMPARE(rig.chart().points().size(), std::size_t{576});
        };
        download();  // everything allocated once
        const long start = resident_kib();
        for (int i = 1; i < 200; ++i)
            download();
        auto& programming = rig.open_programming();
        for (int i = 0; i < 50; ++i) {
            rig.box.clear_log();
            programming.programming_button().click();
            QCOMPARE(programming.findChild<QLabel*>("Label5")->text(), QString("PROGRAMMING OK"));
        }
        download();
        const long end = resident_kib();
        std::printf("resident: %ld KiB at start, %ld KiB after 201 downloads and 50 runs\n", start,
                    end);
#if !defined(__SANITIZE_ADDRESS__)
        QVERIFY2(end - start < 32 * 1024, qPrintable(QString::number(end - start)));
#endif
    }

    // Through frostel-reader-sim and the real Qt SerialPort adapter: the run ends with its
    // error text in a few seconds, the program stays usable, and the reader plugged back in
    // (a new pseudo-terminal behind the same port) works again. Each reader holds the same
    // mission, whatever minute it is plugged in at, so the archive knows it the second time.
    void aDownloadAndAProgrammingRunSurviveAnUnpluggedReader() {
        constexpr int kPort = 2;
        // Counted from the moment the reader is out, so a late timer on a busy machine
        // cannot eat into it; a link that retried every page would take minutes.
        constexpr qint64 kFewSecondsMs = 5000;
        WindowRig rig;
        const std::filesystem::path program_folder(
            QFile::encodeName(rig.folder.path()).toStdString());
        std::unique_ptr<ReaderSimProcess> reader;
        const auto plug_in = [&] {
            reader = std::make_unique<ReaderSimProcess>(std::vector<std::string>{
                FROSTEL_READER_SIM, "--program-folder", program_folder.string(), "--port",
                std::to_string(kPort), "--mission", "cold-room", "--clock", "2026-03-09 12:00:00"});
        };
        plug_in();
        link::QtSerialPort port([&](int n) { return link::device_for_port(program_folder, n); });
        link::SystemClock clock;
        rig.write_settings(" " + QByteArray::number(kPort) + " ");
        rig.start_on(port, clock);

        QElapsedTimer unplugged;
        const auto unplug_after = [&](int ms) {
            unplugged.invalidate();
            QTimer::singleShot(ms, [&] {
                reader.reset();
                unplugged.start();
            });
        };
        const auto ended_soon_after_unplugging = [&] {
            QVERIFY2(unplugged.isValid() && unplugged.elapsed() < kFewSecondsMs,
                     qPrintable(QString::number(unplugged.elapsed())));
        };
        // Out in the middle of the log pages.
        unplug_after(2500);
        rig.load_data();
        auto* error_frame = rig.find<QFrame>("Frame4");
        QVERIFY(error_frame->isVisible());
        // Its cause: the device is gone; the port is opened again at the next command.
        QVERIFY2(error_frame->toolTip().contains("the device does not exist"),
                 qPrintable(error_frame->toolTip()));
        QVERIFY(rig.chart().points().empty());
        ended_soon_after_unplugging();
        QVERIFY(rig.find("Command10")->isEnabled());

        plug_in();
        rig.load_data();
        QVERIFY(!error_frame->isVisible());
        QCOMPARE(rig.chart().points().size(), std::size_t{576});

        auto& programming = rig.open_programming();
        const QLabel* result = programming.findChild<QLabel*>("Label5");
        unplug_after(2000);
        programming.programming_button().click();
        QCOMPARE(result->text(), QString("PROGRAMMING ERROR !"));
        ended_soon_after_unplugging();

        plug_in();
        programming.programming_button().click();
        QCOMPARE(result->text(), QString("PROGRAMMING OK"));
    }

    // The window's archive writing while its folder is browsed in every file dialog and
    // frostel-cli lists, verifies and downloads into it again and again: once the window's
    // archive is closed, every record written by either program is there.
    void theArchiveSharedWithFrostelCliLosesNoRecord() {
        constexpr int kRounds = 4;
        ArchiveRig rig;
        const std::string folder = QFile::encodeName(rig.folder.path()).toStdString();
        ReaderSimProcess reader({FROSTEL_READER_SIM, "--program-folder", folder, "--port", "5",
                                 "--mission", "cold-room"});
        const auto cli = [&](const std::vector<std::string>& words) {
            std::vector<std::string> argv{FROSTEL_CLI, "--program-folder", folder, "--port",
                                          "5",         "--data-folder",    folder};
            argv.insert(argv.end(), words.begin(), words.end());
            const ProcessResult result = run_process(argv);
            QVERIFY2(result.exit_code == 0, result.err.c_str());
        };
        const mission::DownloadedMission base =
            rig.download(ArchiveRig::mission("Shared", {2026, 4, 1, 6, 0, 0}, 50));
        {
            archive::MissionArchive window_archive(rig.path());
            for (std::uint32_t round = 0; round < kRounds; ++round) {
                QVERIFY2(window_archive.archive(ArchiveRig::variant(base, round), rig.stamp),
                         qPrintable(window_archive.error()));
                browse(rig.folder.path(), rig.path());
                cli({"archive", "list"});
                cli({"archive", "verify"});
                if (round % 2 == 0) {  // a download takes seconds on the simulated line
                    cli({"download", "--csv", folder + "/download.csv"});
                }
            }
        }
        archive::MissionArchive reopened(rig.path());
        QCOMPARE(reopened.find({})->size(), std::size_t{kRounds + 1});
    }

    // The window's archive in use (keeping a download, listing a page, opening, verifying,
    // noting the verdict) with its files opened and closed by other code of the process between
    // any two steps, while frostel-cli downloads into it beside it again and again: once the
    // window is closed, every download and event of either program is there, the trail whole.
    void filesOpenedByOtherCodeOfTheWindowCostNothingBesideFrostelCli() {
        constexpr int kCliDownloads = 3;
        constexpr int kPaceMs = 50;  // only how often the window works while the CLI runs
        ArchiveRig rig;
        const QString folder = rig.folder.path();
        ReaderSimProcess reader({FROSTEL_READER_SIM, "--program-folder",
                                 QFile::encodeName(folder).toStdString(), "--port", "6",
                                 "--mission", "cold-room"});
        const QStringList cli_words{"--program-folder",      folder, "--port",   "6",
                                    "--data-folder",         folder, "download", "--csv",
                                    folder + "/download.csv"};
        const mission::DownloadedMission base =
            rig.download(ArchiveRig::mission("Beside the CLI", {2026, 4, 1, 6, 0, 0}, 50));
        archive::MissionFilter page;
        page.limit = 20;
        std::uint32_t rounds = 0;
        {
            link::SystemClock clock;
            app::WindowArchive window_archive(folder, clock);
            const auto sniff = [&] { sniff_types(rig.path()); };
            for (int download = 0; download <= kCliDownloads; ++download) {
                QProcess cli;
                const bool beside = download < kCliDownloads;
                if (beside) {
                    cli.start(FROSTEL_CLI, cli_words);
                    QVERIFY(cli.waitForStarted());
                }
                // At least one round after each download, and one after the last.
                do {
                    archive::MissionArchive& archive =
                        window_archive.open(folder, archive::os_actor());
                    sniff();
                    const auto kept =
                        archive.archive(ArchiveRig::variant(base, rounds++), rig.stamp);
                    QVERIFY2(kept, qPrintable(archive.error()));
                    sniff();
                    QVERIFY2(archive.find(page), qPrintable(archive.error()));
                    sniff();
                    QVERIFY2(archive.load(kept->second), qPrintable(archive.error()));
                    sniff();
                    QCOMPARE(archive.verify(kept->second), archive::Verification::kIntact);
                    sniff();
                    QVERIFY(archive.record_event(archive::record_verified(kept->second, "INTACT")));
                    sniff();
                } while (beside && !cli.waitForFinished(kPaceMs));
                if (beside) {
                    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
                }
            }
        }

        archive::MissionArchive reopened(rig.path());
        QVERIFY2(reopened.notice().isEmpty(), qPrintable(reopened.notice()));
        const std::optional<std::vector<archive::ArchiveEntry>> records = reopened.find({});
        QVERIFY2(records, qPrintable(reopened.error()));
        QCOMPARE(records->size(), std::size_t{rounds + 1});
        int downloads = 0;
        const std::unique_ptr<archive::StoreHold> held = reopened.hold();
        for (const archive::ArchiveEntry& record : *records) {
            QCOMPARE(reopened.verify(record.id), archive::Verification::kIntact);
            downloads += record.download_count;
        }
        QCOMPARE(downloads, static_cast<int>(rounds) + kCliDownloads);
        std::map<QString, int> actions;
        QVERIFY(reopened.for_each_event({}, [&](const archive::AuditEntry& entry) {
            ++actions[QString::fromStdString(entry.chained.row.action)];
        }));
        QStringList counted;
        for (const auto& [action, count] : actions)
            counted << QStringLiteral("%1 %2").arg(action).arg(count);
        QCOMPARE(counted, (QStringList{QStringLiteral("download-archived %1").arg(downloads),
                                       QStringLiteral("file-written %1").arg(kCliDownloads),
                                       QStringLiteral("verified %1").arg(rounds)}));
        const std::optional<archive::TrailCheck> trail = reopened.check_audit_trail();
        QVERIFY(trail && !trail->broken);
        QCOMPARE(trail->events, static_cast<std::int64_t>(downloads + kCliDownloads + rounds));
        QVERIFY(reopened.missing_records() == std::vector<std::int64_t>{});
    }
};

}  // namespace
}  // namespace frostel::test

// With "--close-during OPERATION FOLDER" it is the close test's child.
int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc == 4 && std::string_view(argv[1]) == "--close-during") {
        return frostel::test::close_during(argv[2], QString::fromLocal8Bit(argv[3]));
    }
    frostel::test::WindowReliabilityTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "window_reliability_test.moc"
