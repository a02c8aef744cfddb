// The mission archive at scale: a generated archive of 10,000 full missions (8192 samples
// each), kept in a folder of its own so that later runs reuse it. Prints how long the
// Archive window takes to show its list, a filter to answer, a mission to open in the main
// window and a download to be archived, and the archive's size.
//
//     archive_bench [FOLDER]      (default: ./frostel-archive-bench)
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/archive_actions.h"
#include "app/archive_list_model.h"
#include "app/archive_window.h"
#include "app/download_actions.h"
#include "app/main_window.h"
#include "archive/mission_archive.h"
#include "bench/median_time.h"
#include "bench/numbered_mission.h"
#include "platform/settings_file.h"
#include "sim/sim_serial_port.h"
#include "tests/support/archive_rig.h"
#include "tests/support/window_support.h"

namespace {

using namespace frostel;
using bench::Clock;

constexpr int kMissions = 10000;

using bench::median_ms;
using bench::milliseconds;
using bench::mission_number;

void fill(archive::MissionArchive& archive, const mission::DownloadedMission& base,
          const archive::Stamp& stamp) {
    const int kept = static_cast<int>(archive.find({}).value().size());
    if (kept >= kMissions) {
        return;
    }
    std::printf("generating %d missions ...\n", kMissions - kept);
    const auto start = Clock::now();
    for (int n = kept; n < kMissions; ++n) {
        if (!archive.archive(mission_number(base, n), stamp)) {
            std::printf("archive failed: %s\n", qPrintable(archive.error()));
            return;
        }
    }
    std::printf("generated in %.1f s\n", milliseconds(Clock::now() - start) / 1000);
}

// Opening the archive as an upgrade would: every record's summary derived by older rules,
// so every one is checked and derived again.
double open_after_upgrade(const QString& path) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "upgrade");
        db.setDatabaseName(path);
        if (!db.open() ||
            !QSqlQuery(db).exec(QStringLiteral("UPDATE missions SET derived_by = 1"))) {
            std::printf("could not mark the records as older: %s\n",
                        qPrintable(db.lastError().text()));
        }
    }
    QSqlDatabase::removeDatabase("upgrade");
    const auto start = Clock::now();
    const archive::MissionArchive archive(path);
    const double ms = milliseconds(Clock::now() - start);
    std::printf("%s\n", qPrintable(archive.notice()));
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    const QString folder = QDir(argc > 1 ? argv[1] : "frostel-archive-bench").absolutePath();
    QDir().mkpath(folder);

    test::ArchiveRig rig;
    const mission::DownloadedMission base = bench::full_mission(rig);
    {
        archive::MissionArchive archive(archive::archive_path(folder));
        fill(archive, base, rig.stamp);
    }
    const double upgrade = open_after_upgrade(archive::archive_path(folder));

    // The program itself, its data folder the archive's.
    QTemporaryDir program_folder;
    platform::Settings settings;
    settings.data_folder = folder;
    (void)platform::write_settings_file(
        QDir(program_folder.path()).filePath(platform::kSettingsFileName), settings);
    link::VirtualClock clock;
    sim::SimSerialPort port(clock);
    test::NoDialogs dialogs;
    test::RecordingLauncher launcher;
    app::MainWindow window({port, clock, program_folder.path(), dialogs, launcher, [] {}, folder});
    window.show();
    while (!window.started()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    auto start = Clock::now();
    app::ArchiveWindow& archive_window = window.archive_actions().archive_window();
    archive_window.show();
    QCoreApplication::processEvents();
    const double first_list = milliseconds(Clock::now() - start);
    const double list = median_ms([&](int) {
        archive_window.refresh();
        QCoreApplication::processEvents();
    });
    const auto filter = [&](const QString& text) {
        return median_ms([&](int i) {
            archive_window.filter_box().setText(i % 2 ? text : text + QStringLiteral(" "));
            QCoreApplication::processEvents();
        });
    };
    const double by_logger = filter(QStringLiteral("000000000017"));
    const double by_text = filter(QStringLiteral("no mission says this"));
    archive_window.filter_box().clear();
    const int rows = archive_window.model().rowCount();
    const double open = median_ms([&](int i) {
        window.download_actions().open_archived(archive_window.model().record(i).id);
        QCoreApplication::processEvents();
    });
    archive::MissionArchive& archive = window.archive_actions().mission_archive();
    const double keep = median_ms([&](int i) {
        (void)archive.archive(mission_number(base, kMissions + 1000 + i), rig.stamp);
    });

    const QString file = archive::archive_path(folder);
    const qint64 bytes = QFileInfo(file).size() + QFileInfo(file + "-wal").size();
    std::printf("archive: %d missions of 8192 samples, %.1f MB (%s)\n",
                static_cast<int>(archive.find({}).value().size()), bytes / 1e6, qPrintable(file));
    std::printf("list shown, first time:          %7.1f ms  (target 200 ms; %d rows fetched)\n",
                first_list, rows);
    std::printf("list shown again:                %7.1f ms  (target 200 ms)\n", list);
    std::printf("filter by logger id:             %7.1f ms  (target 50 ms)\n", by_logger);
    std::printf("filter by text matching nothing: %7.1f ms  (target 50 ms)\n", by_text);
    std::printf("open a mission in the window:    %7.1f ms  (target 100 ms)\n", open);
    std::printf("archive a download:              %7.1f ms  (target 50 ms)\n", keep);
    std::printf("open after an upgrade:           %7.1f ms  (every record derived again)\n",
                upgrade);
    return 0;
}
