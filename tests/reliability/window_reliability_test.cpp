// The main window through a long working day, and with its reader pulled out mid-run.
#include <sys/resource.h>
#include <unistd.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <fstream>
#include <memory>

#include "app/window_support.h"
#include "chart_view.h"
#include "data_path_dialog.h"
#include "file_name_dialogs.h"
#include "link/port_devices.h"
#include "link/qt_serial_port.h"
#include "main_window.h"
#include "mission/mission_loader.h"
#include "mission_actions.h"
#include "programming/programming_ds1922t.h"
#include "sample_missions.h"
#include "sim_serial_port.h"
#include "support/archive_rig.h"
#include "support/process.h"

namespace frostel::test {
namespace {

// `folder`, with settings that choose port `comm_port`.
QString with_settings(const QString& folder, int comm_port) {
    QFile settings(QDir(folder).filePath("SETUP.FRG"));
    if (!settings.open(QIODevice::WriteOnly)) {
        qFatal("cannot write the settings");
    }
    settings.write(QString("English\r\n\r\n %1 \r\n").arg(comm_port).toLatin1());
    return folder;
}

// The main window as a user starts it, with no dialog ever answered.
struct Desk {
    NoDialogs dialogs;
    RecordingLauncher launcher;
    app::MainWindow window;
    app::MissionActions* actions = &window.mission_actions();
    QPushButton* load_data = window.findChild<QPushButton*>("Command10");

    Desk(link::SerialPort& port, link::Clock& clock, const QString& folder, int comm_port)
        : window(
              {port, clock, with_settings(folder, comm_port), dialogs, launcher, [] {}, folder}) {
        window.show();
    }
    // Opens the programming window: its run button and its result line.
    std::pair<QPushButton*, QLabel*> programming() {
        actions->Command8_Click();
        auto& programming = actions->programming_window();
        return {programming.findChild<QPushButton*>("Command1"),
                programming.findChild<QLabel*>("Label5")};
    }
};

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

long resident_kib() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

long peak_kib() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class WindowReliabilityTest : public QObject {
    Q_OBJECT

  private slots:
    // Two hundred downloads and fifty programming runs in one process: memory stays flat.
    // AddressSanitizer holds freed memory back, so resident size says nothing of growth
    // there; that build checks for leaks instead.
    void aLongDayOfDownloadsAndProgrammingRuns() {
        constexpr int kDownloads = 200;
        constexpr int kProgrammingRuns = 50;
        QTemporaryDir folder;
        link::VirtualClock clock;
        sim::SimSerialPort port(clock);
        sim::LoggerModel logger;
        sim::ReaderBox box(logger);
        port.attach(1, box);
        const sim::SimMission cold_room = *sim::sample_mission("cold-room", clock.local_now());
        Desk desk(port, clock, folder.path(), 1);
        QTRY_VERIFY(desk.window.started());

        const auto download = [&] {
            sim::load_mission(logger, cold_room);
            box.clear_log();
            desk.load_data->click();
            QCOMPARE(desk.window.chart().points().size(), std::size_t{576});
        };
        download();  // everything allocated once
        const long start = resident_kib();
        std::printf("resident at start: %ld KiB (peak %ld KiB)\n", start, peak_kib());
        for (int i = 1; i < kDownloads; ++i)
            download();
        const auto [run, result] = desk.programming();
        for (int i = 0; i < kProgrammingRuns; ++i) {
            box.clear_log();
            run->click();
            QCOMPARE(result->text(), QString("PROGRAMMING OK"));
        }
        download();
        const long end = resident_kib();
        std::printf("resident at end:   %ld KiB (peak %ld KiB) after %d downloads and %d runs\n",
                    end, peak_kib(), kDownloads + 1, kProgrammingRuns);
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
        constexpr qint64 kFewSecondsMs = 5000;
        QTemporaryDir folder;
        const std::filesystem::path program_folder(QFile::encodeName(folder.path()).toStdString());
        std::unique_ptr<ReaderSimProcess> reader;
        const auto plug_in = [&] {
            reader = std::make_unique<ReaderSimProcess>(std::vector<std::string>{
                FROSTEL_READER_SIM, "--program-folder", program_folder.string(), "--port",
                std::to_string(kPort), "--mission", "cold-room", "--clock", "2026-03-09 12:00:00"});
        };
        plug_in();
        link::QtSerialPort port([&](int n) { return link::device_for_port(program_folder, n); });
        link::SystemClock clock;
        Desk desk(port, clock, folder.path(), kPort);
        QTRY_VERIFY(desk.window.started());

        // Out in the middle of the log pages.
        QTimer::singleShot(2500, [&] { reader.reset(); });
        QElapsedTimer timer;
        timer.start();
        desk.load_data->click();
        QVERIFY(desk.window.findChild<QFrame*>("Frame4")->isVisible());
        QVERIFY(desk.window.chart().points().empty());
        QVERIFY2(timer.elapsed() < 2500 + kFewSecondsMs,
                 qPrintable(QString::number(timer.elapsed())));
        QVERIFY(desk.load_data->isEnabled());

        plug_in();
        desk.load_data->click();
        QVERIFY(!desk.window.findChild<QFrame*>("Frame4")->isVisible());
        QCOMPARE(desk.window.chart().points().size(), std::size_t{576});

        const auto [run, result] = desk.programming();
        QTimer::singleShot(2000, [&] { reader.reset(); });
        timer.restart();
        run->click();
        QCOMPARE(result->text(), QString("PROGRAMMING ERROR !"));
        QVERIFY2(timer.elapsed() < 2000 + kFewSecondsMs,
                 qPrintable(QString::number(timer.elapsed())));

        plug_in();
        run->click();
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
                browse(rig.folder.path(), rig.path() + "-wal");
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
};

}  // namespace
}  // namespace frostel::test

QTEST_MAIN(frostel::test::WindowReliabilityTest)
#include "window_reliability_test.moc"
