// The Qt SerialPort adapter on real devices: why an open failed. A reader unplugged and plugged
// in again is the window's reliability test, through this adapter.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "link/logger_commands.h"
#include "link/qt_serial_port.h"
#include "sim/pty/pty_server.h"

namespace frostel {
namespace {

// The reader box served on a pseudo-terminal of its own for as long as this lives.
class PluggedReader {
  public:
    explicit PluggedReader(sim::ReaderBox& box) : server_(box) {}
    ~PluggedReader() {
        stop_ = 1;
        thread_.join();
    }
    PluggedReader(const PluggedReader&) = delete;
    PluggedReader& operator=(const PluggedReader&) = delete;

    [[nodiscard]] const std::string& device() const { return server_.device_path(); }

  private:
    sim::PtyServer server_;
    volatile std::sig_atomic_t stop_ = 0;
    std::thread thread_{[this] { server_.serve(stop_); }};
};

// Why the link failed after a command on `device`, opened as port 2.
link::Failure failure_after_open(const std::string& device) {
    link::QtSerialPort port(link::QtSerialPort::fixed_device(device));
    link::SystemClock clock;
    link::ReaderLink link(port, clock);
    link::LoggerCommands commands(link);
    link.open_port(2);
    link::LoggerId id;
    commands.read_rom(id);
    return link.failure();
}

// A missing device is frostel-cli's end-to-end test; here the causes it cannot reach.
TEST(QtSerialPort, AFailedOpenSaysWhy) {
    int argc = 1;
    char name[] = "qt_serial_port_test";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    // A device this user may not open; root may open anything, so the check runs as nobody.
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("frostel-denied-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms(0755));
    const fs::path denied = folder / "ttyDENIED";
    std::ofstream(denied) << 'x';
    fs::permissions(denied, fs::perms::none);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(2);
        }
        const bool said =
            failure_after_open(denied.string()).cause == link::FailureCause::kPermissionDenied;
        ::_exit(said ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    fs::remove_all(folder);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    sim::LoggerModel logger;
    sim::ReaderBox box(logger);
    const PluggedReader reader(box);
    link::QtSerialPort holder(link::QtSerialPort::fixed_device(reader.device()));
    ASSERT_EQ(holder.open(1), link::kPortOk);
    EXPECT_EQ(failure_after_open(reader.device()).cause, link::FailureCause::kPortInUse);

    // Opened, yet no terminal: said so, not taken for a reader that never answers.
    const fs::path plain =
        fs::temp_directory_path() / ("frostel-plain-" + std::to_string(::getpid()));
    std::ofstream(plain) << "/dev/ttyUSB0\n";
    for (const std::string& device : {std::string("/dev/null"), plain.string()}) {
        const link::Failure failure = failure_after_open(device);
        EXPECT_EQ(failure.cause, link::FailureCause::kNotSerialPort) << device;
        EXPECT_EQ(link::failure_text(failure),
                  "port 2 (" + device + "): the device is not a serial port");
    }
    fs::remove(plain);
}

// The terminal the simulated reader serves is named as one, whatever link leads to it; an
// on-board port is no USB bridge.
TEST(QtSerialPort, SaysWhatTheOpenedDeviceIs) {
    sim::LoggerModel logger;
    sim::ReaderBox box(logger);
    const PluggedReader reader(box);
    namespace fs = std::filesystem;
    const fs::path link_path =
        fs::temp_directory_path() / ("frostel-reader-link-" + std::to_string(::getpid()));
    fs::create_symlink(reader.device(), link_path);
    for (const std::string& device : {reader.device(), link_path.string()}) {
        link::QtSerialPort port(link::QtSerialPort::fixed_device(device));
        ASSERT_EQ(port.open(1), link::kPortOk) << device;
        EXPECT_EQ(port.device_identity(), "pseudo-terminal (" + device + ')');
    }
    fs::remove(link_path);
    link::QtSerialPort on_board(link::QtSerialPort::fixed_device("/dev/ttyS77"));
    EXPECT_NE(on_board.open(1), link::kPortOk);
    EXPECT_EQ(on_board.device_identity(), "not a USB device (/dev/ttyS77)");
}

}  // namespace
}  // namespace frostel
