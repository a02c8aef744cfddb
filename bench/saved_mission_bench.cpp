// Saving a full 8-bit mission (8192 points) as its data file and chart document, and
// opening it again with "Retrieve Data From Disk", in the real window, headless.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "app/chart_view.h"
#include "app/download_actions.h"
#include "app/file_name_dialogs.h"
#include "app/main_window.h"
#include "app/mission_text_box.h"
#include "app/program_launcher.h"
#include "datafile/data_file.h"
#include "sim/logger_model.h"
#include "sim/mission/mission_loader.h"
#include "sim/pty/sample_missions.h"
#include "sim/reader_box.h"
#include "sim/sim_serial_port.h"

namespace {

using namespace frostel;

struct OpenOnly final : app::FileNameDialogs {
    QString name;
    QString save_name(QWidget*, const QString&, const QString&) override { return {}; }
    QString open_name(QWidget*, const QString&, const QString&) override { return name; }
};

struct NoLauncher final : app::ProgramLauncher {
    bool start(const QString&) override { return false; }
};

double elapsed_ms(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    QFile settings(QDir(folder.path()).filePath("SETUP.FRG"));
    settings.open(QIODevice::WriteOnly);
    settings.write("English\r\n\r\n 1 \r\n");
    settings.close();

    link::VirtualClock clock;
    sim::SimSerialPort port(clock);
    sim::LoggerModel logger;
    sim::ReaderBox box(logger);
    port.attach(1, box);
    sim::load_mission(logger, *sim::sample_mission("full-log", clock.local_now()));
    OpenOnly dialogs;
    NoLauncher launcher;
    app::MainWindow window({port, clock, folder.path(), dialogs, launcher, [] {}, folder.path()});
    window.show();
    while (!window.started())
        QCoreApplication::processEvents();
    window.download_actions().load_data();
    QCoreApplication::processEvents();

    const QString name = QDir(folder.path()).filePath("full.frd");
    QElapsedTimer timer;
    timer.start();
    // What the save after a download writes: the text, then the chart beside it.
    auto& chart = *window.findChild<app::ChartView*>("TChart1");
    const auto& text = *window.findChild<app::MissionTextBox*>("RichTextBox1");
    const bool saved =
        datafile::write_data_file(name, text.text()) &&
        datafile::write_chart_document(datafile::chart_document_name(name),
                                       window.shown_mission().chart_document(chart.document()));
    const double save_ms = elapsed_ms(timer);

    chart.clear();
    dialogs.name = name;
    timer.restart();
    window.download_actions().retrieve_data();
    QCoreApplication::processEvents();
    const double open_ms = elapsed_ms(timer);

    std::printf("saved mission of %zu points (%s)\n", chart.points().size(),
                saved ? "written" : "NOT written");
    std::printf("save (data file + chart document): %.1f ms  (target <= 100 ms)\n", save_ms);
    std::printf("reopen (Retrieve Data From Disk):  %.1f ms  (target <= 100 ms)\n", open_ms);
    return saved && chart.points().size() == 8192 ? 0 : 1;
}
