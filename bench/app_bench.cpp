// The main window's costs: start-up to the window shown and ready, a unit switch on a full
// mission chart (8193 points) with the table refill, a template export plus import, the
// summary of a full log, and a saved pair's retrieval into chart and table with limits drawn.
// With "--show N [units|search|summary|fit]" it instead shows the window on the real serial
// ports and clock, holding N points of a cold-room log with 2 and 8 degree alarm limits,
// optionally opens the unit dialog, starts a port search, opens the mission summary or fits
// the chart to the data, and runs until closed: for a look at it (a screenshot under Xvfb).
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/chart_view.h"
#include "app/download_actions.h"
#include "app/main_window.h"
#include "datafile/data_file.h"
#include "link/clock.h"
#include "link/port_devices.h"
#include "link/qt_serial_port.h"
#include "platform/local_date_time.h"
#include "report/chart_summary.h"
#include "sim/sim_serial_port.h"
#include "tests/support/window_support.h"

namespace {

using namespace frostel;
using Clock = std::chrono::steady_clock;

constexpr int kFullMission = 8193;
constexpr int kRuns = 9;

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// A cold room at about 4 degrees, logged every 15 minutes, with the door left open once.
std::vector<mission::ChartPoint> cold_room_log(int count) {
    const platform::LocalDateTime start{2026, 1, 12, 8, 0, 0};
    const double x_start = 46034.0;
    std::vector<mission::ChartPoint> points;
    for (int i = 0; i < count; ++i) {
        const double door = i > count * 3 / 5 ? 7.5 * std::exp(-(i - count * 3 / 5) / 9.0) : 0;
        const double y = 4.0 + 0.6 * std::sin(i / 11.0) + 0.25 * std::sin(i * 1.7) + door;
        points.push_back({x_start + i / 4.0, std::round(y * 16) / 16,
                          platform::format_iso(platform::add_seconds(start, i * 900))});
    }
    return points;
}

// The record of an "L" logger whose 2 and 8 degree alarms were enabled and whose high alarm
// went off, as a download keeps it.
mission::MissionRecord cold_room_record(int count) {
    mission::MissionRecord r;
    r.logger_id = "41000000A1B2C3D4";
    r.configuration = 0x40;
    r.start_time = {2026, 1, 12, 8, 0, 0};
    r.sample_interval = 900;
    r.sample_format = mission::SampleFormat::k16Bit;
    r.mission_sample_count = count;
    r.device_sample_count = count + 5120;
    r.calibration_offset_tenths = 2;
    r.alarm_status = 0x02;
    r.mission_control = 0xC5;
    r.alarm_enable = 0x03;
    r.low_threshold = 86;
    r.high_threshold = 98;
    r.time_zone = {"Europe/Berlin", 3600};
    return r;
}

void bench_summary_of_full_log() {
    insight::SummaryInput input;
    input.record = cold_room_record(8192);
    for (int i = 0; i < 8192; ++i) {
        input.readings.push_back(
            {1'768'204'800 + i * 900LL, 4.0 + 0.6 * std::sin(i / 11.0) + (i % 977 == 0 ? 5 : 0)});
    }
    std::vector<double> runs;
    std::size_t excursions = 0;
    for (int run = 0; run < 50; ++run) {
        const auto start = Clock::now();
        excursions += insight::summarize(input).excursions.excursions.size();
        runs.push_back(milliseconds(Clock::now() - start));
    }
    std::printf(
        "summary of a full log (8192 samples, %zu excursions): median %.3f ms, worst "
        "%.3f ms (target <= 1 ms)\n",
        excursions / 50, median(runs), *std::max_element(runs.begin(), runs.end()));
}

// A saved pair of `count` cold-room points in `folder`, by its data file's name.
QString cold_room_pair(const QString& folder, int count) {
    datafile::ChartDocument document;
    document.title_lines = QStringList{"41000000A1B2C3D4"};
    document.points = cold_room_log(count);
    document.mission = cold_room_record(count);
    const QString name = QDir(folder).filePath("cold-room.frd");
    (void)datafile::write_data_file(name, "Cold room 2, shelf B\r\nDoor alarm test\r\n");
    (void)datafile::write_chart_document(datafile::chart_document_name(name), document);
    return name;
}

// Every open dialog answered with `name`, every save dialog cancelled.
struct OpenNamed final : app::FileNameDialogs {
    QString name;
    QString save_name(QWidget*, const QString&, const QString&) override { return {}; }
    QString open_name(QWidget*, const QString&, const QString&) override { return name; }
};

QAbstractButton* unit_option(int index) {
    return test::indexed<QAbstractButton>(test::top_level("Temperature_Unit"), "Option1", index);
}

struct Program {
    QTemporaryDir folder;
    link::VirtualClock clock;
    sim::SimSerialPort port{clock};
    OpenNamed dialogs;
    test::RecordingLauncher launcher;
    app::MainWindow window{{port, clock, folder.path(), dialogs, launcher, [] {}, folder.path()}};

    void start() {
        window.show();
        while (!window.started()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        dialogs.name = cold_room_pair(folder.path(), kFullMission);
    }
    void retrieve() {
        window.download_actions().retrieve_data();
        QCoreApplication::processEvents();
    }
};

// A saved pair opened: read, the points, the table, and the limits, marks and tint drawn;
// with the summary window open.
void bench_retrieval(Program& program) {
    program.window.findChild<QAbstractButton*>("mission_summary_button")->click();
    std::vector<double> runs;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        program.retrieve();
        runs.push_back(milliseconds(Clock::now() - start));
    }
    std::printf(
        "retrieval of a saved pair into chart and table, %d points, limits drawn, rows tinted, "
        "summary open: median %.1f ms, worst %.1f ms (target <= 50 ms)\n",
        kFullMission, median(runs), *std::max_element(runs.begin(), runs.end()));
}

void bench_unit_switch(Program& program) {
    program.retrieve();
    program.window.findChild<QAbstractButton*>("Command4")->click();
    std::vector<double> switches;
    std::vector<double> drawn;
    for (int run = 0; run < kRuns; ++run) {
        for (int index : {1, 2, 3, 0}) {
            const auto start = Clock::now();
            unit_option(index)->click();
            const auto converted = Clock::now();
            QCoreApplication::processEvents();
            const auto end = Clock::now();
            switches.push_back(milliseconds(converted - start));
            drawn.push_back(milliseconds(end - start));
        }
    }
    std::printf("unit switch, %d points with the table refill: median %.1f ms, worst %.1f ms\n",
                kFullMission, median(switches),
                *std::max_element(switches.begin(), switches.end()));
    std::printf("  the same with the series redrawn: median %.1f ms (target <= 50 ms)\n",
                median(drawn));
}

void bench_template(Program& program) {
    auto& chart = *program.window.findChild<app::ChartView*>("TChart1");
    const QString path = QDir(program.folder.path()).filePath("bench.tee");
    std::vector<double> exports;
    std::vector<double> imports;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        const bool written = chart.export_template(path);
        const auto exported = Clock::now();
        const bool read = program.window.download_actions().import_template(path);
        const auto end = Clock::now();
        if (!written || !read) {
            std::printf("template round trip failed\n");
            return;
        }
        exports.push_back(milliseconds(exported - start));
        imports.push_back(milliseconds(end - exported));
    }
    std::printf(
        "template of %d points: export %.1f ms + import %.1f ms = %.1f ms (target <= 50 ms)\n",
        kFullMission, median(exports), median(imports), median(exports) + median(imports));
}

// The product's own ties, in a folder of its own with no ports configured.
struct Showcase {
    QTemporaryDir folder;
    link::QtSerialPort port{[this](int number) {
        return link::device_for_port(QFile::encodeName(folder.path()).toStdString(), number);
    }};
    link::SystemClock clock;
    OpenNamed dialogs;
    test::RecordingLauncher launcher;
    app::MainWindow window{{port, clock, folder.path(), dialogs, launcher,
                            [] { QCoreApplication::exit(0); }, folder.path()}};
};

int show(int count, std::string_view then) {
    Showcase showcase;
    app::MainWindow& window = showcase.window;
    QObject::connect(&window, &app::MainWindow::startedUp, &window, [&showcase, count, then] {
        app::MainWindow& window = showcase.window;
        showcase.dialogs.name = cold_room_pair(showcase.folder.path(), count);
        window.download_actions().retrieve_data();
        if (then.empty()) {
            return;
        }
        const char* control = then == "units"     ? "Command4"
                              : then == "summary" ? "mission_summary_button"
                              : then == "fit"     ? "fit_to_data_button"
                                                  : "find_commport_menu";
        QTimer::singleShot(500, &window, [&window, control] {
            if (auto* button = window.findChild<QAbstractButton*>(control)) {
                button->click();
            } else if (auto* action = window.findChild<QAction*>(control)) {
                action->trigger();
            }
        });
    });
    window.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    const auto process_start = Clock::now();
    const bool showing = argc >= 3 && std::string_view(argv[1]) == "--show";
    if (!showing) {
        qputenv("QT_QPA_PLATFORM",
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    }
    QApplication application(argc, argv);
    if (showing) {
        return show(std::atoi(argv[2]), argc > 3 ? argv[3] : "");
    }
    Program program;
    program.start();
    std::printf("start-up to the window shown and ready: %.1f ms (target <= 500 ms)\n",
                milliseconds(Clock::now() - process_start));
    bench_unit_switch(program);
    bench_template(program);
    bench_summary_of_full_log();
    bench_retrieval(program);
    return 0;
}
