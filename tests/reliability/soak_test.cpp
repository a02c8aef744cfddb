// Two hundred downloads and fifty programming runs in one process, as a long working day
// would have them: memory stays flat (resident size printed at start and end).
#include <sys/resource.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <memory>

#include "chart_view.h"
#include "file_name_dialogs.h"
#include "logger_model.h"
#include "main_window.h"
#include "mission/mission_loader.h"
#include "mission_actions.h"
#include "program_launcher.h"
#include "programming/programming_ds1922t.h"
#include "reader_box.h"
#include "sample_missions.h"
#include "sim_serial_port.h"

namespace frostel::test {
namespace {

constexpr int kDownloads = 200;
constexpr int kProgrammingRuns = 50;
constexpr long kAllowedGrowthKiB = 32 * 1024;
// AddressSanitizer holds freed memory back in quarantine, so resident size says nothing of
// growth there; that build checks for leaks instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentSizeIsMeaningful = false;
#else
constexpr bool kResidentSizeIsMeaningful = true;
#endif

struct NoDialogs final : app::FileNameDialogs {
    QString save_name(QWidget*, const QString&, const QString&) override { return {}; }
    QString open_name(QWidget*, const QString&, const QString&) override { return {}; }
};

struct NoLauncher final : app::ProgramLauncher {
    bool start(const QString&) override { return false; }
};

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

class SoakTest : public QObject {
    Q_OBJECT

  private slots:
    void aLongDayOfDownloadsAndProgrammingRuns() {
        QTemporaryDir folder;
        QFile settings(QDir(folder.path()).filePath("SETUP.FRG"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("English\r\n\r\n 1 \r\n");
        settings.close();
        link::VirtualClock clock;
        sim::SimSerialPort port(clock);
        sim::LoggerModel logger;
        sim::ReaderBox box(logger);
        port.attach(1, box);
        const sim::SimMission cold_room = *sim::sample_mission("cold-room", clock.local_now());
        NoDialogs dialogs;
        NoLauncher launcher;
        app::MainWindow window({port, clock, folder.path(), dialogs, launcher, [] {}});
        auto* actions = new app::MissionActions(window);
        window.show();
        QTRY_VERIFY(window.started());
        auto* load_data = window.findChild<QPushButton*>("Command10");

        const auto download = [&] {
            sim::load_mission(logger, cold_room);
            box.clear_log();
            load_data->click();
            QCOMPARE(window.chart().points().size(), std::size_t{576});
        };
        download();  // everything allocated once
        const long start = resident_kib();
        std::printf("resident at start: %ld KiB (peak %ld KiB)\n", start, peak_kib());
        for (int i = 1; i < kDownloads; ++i)
            download();

        actions->Command8_Click();
        auto* run = actions->programming_window().findChild<QPushButton*>("Command1");
        auto* result = actions->programming_window().findChild<QLabel*>("Label5");
        for (int i = 0; i < kProgrammingRuns; ++i) {
            box.clear_log();
            run->click();
            QCOMPARE(result->text(), QString("PROGRAMMING OK"));
        }
        download();
        const long end = resident_kib();
        std::printf("resident at end:   %ld KiB (peak %ld KiB) after %d downloads and %d runs\n",
                    end, peak_kib(), kDownloads + 1, kProgrammingRuns);
        if (kResidentSizeIsMeaningful) {
            QVERIFY2(end - start < kAllowedGrowthKiB, qPrintable(QString::number(end - start)));
        }
    }
};

}  // namespace
}  // namespace frostel::test

QTEST_MAIN(frostel::test::SoakTest)
#include "soak_test.moc"
