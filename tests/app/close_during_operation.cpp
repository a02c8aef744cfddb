// The program closed during a logger operation, in a process of its own: the main window on
// the simulated reader with the product's exit. Usage: FOLDER download|search|program.
// It prints "closing" when it closes the window, and afterwards every byte it would still
// send and every save dialog it would still show; the exit must end it before any of them.
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <iostream>

#include "forwarding_port.h"
#include "logger_model.h"
#include "main_window.h"
#include "mission/mission_loader.h"
#include "mission_actions.h"
#include "programming/programming_ds1922t.h"
#include "reader_box.h"
#include "sim_serial_port.h"
#include "window_support.h"

namespace {

using namespace frostel;

// The window closes as the user would, once the operation has made a few requests.
struct ClosingPort final : test::ForwardingPort {
    using ForwardingPort::ForwardingPort;
    link::PortStatus open(int number) override {
        count_request("opened after close");
        return ForwardingPort::open(number);
    }
    link::PortStatus write(std::span<const link::Byte> bytes) override {
        count_request("sent after close");
        return ForwardingPort::write(bytes);
    }
    void count_request(const char* after_close) {
        if (closed) {
            std::cout << after_close << std::endl;
        } else if (++requests == kRequestsBeforeClose) {
            QTimer::singleShot(0, [this] {
                closed = true;
                std::cout << "closing" << std::endl;
                window->close();
            });
        }
    }
    static constexpr int kRequestsBeforeClose = 12;
    QWidget* window = nullptr;
    bool closed = false;
    int requests = 0;
};

struct PrintingDialogs final : app::FileNameDialogs {
    QString save_name(QWidget*, const QString&, const QString&) override {
        std::cout << "save dialog" << std::endl;
        return {};
    }
    QString open_name(QWidget*, const QString&, const QString&) override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const std::string operation = argv[2];
    QFile settings(folder + "/SETUP.FRG");
    if (!settings.open(QIODevice::WriteOnly) || settings.write("Dansk\r\n\r\n 1 \r\n") < 0) {
        return 2;
    }
    settings.close();

    link::VirtualClock clock;
    sim::SimSerialPort ports(clock);
    sim::LoggerModel logger;
    sim::ReaderBox box(logger);
    sim::SimMission mission;
    mission.temperatures.assign(8192, 4.5);
    sim::load_mission(logger, mission);
    // The search finds the reader on the last port, long after the close.
    ports.attach(operation == "search" ? 30 : 1, box);
    ClosingPort port(ports);
    PrintingDialogs dialogs;
    test::RecordingLauncher launcher;
    // The mission was never downloaded: the run is told to program over it, and the
    // archive it asks is kept in the test's folder.
    app::MainWindow window(
        {port, clock, folder, dialogs, launcher, app::end_process_at_once, folder,
         [](QWidget*, const QString&) { return programming::HeldMissionChoice::kProgramAnyway; }});
    port.window = &window;
    window.show();
    while (!window.started()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (operation == "download") {
        window.mission_actions().Command10_Click();
    } else if (operation == "search") {
        window.findChild<QAction*>("find_commport_menu")->trigger();
    } else {
        window.mission_actions().programming_window().findChild<QPushButton*>("Command1")->click();
    }
    std::cout << "operation ended" << std::endl;
    return 3;
}
