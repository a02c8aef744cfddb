// The Qt SerialPort adapter on a real pseudo-terminal served by the simulated reader.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <csignal>
#include <memory>
#include <thread>

#include "link/logger_commands.h"
#include "link/qt_serial_port.h"
#include "pty_server.h"

namespace frostel {
namespace {

// The reader box served on a pseudo-terminal of its own for as long as this lives; when it
// ends, the device is gone, as when a reader is unplugged.
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

TEST(QtSerialPort, AVanishedDeviceIsOpenedAgainAtTheNextCommandWhenItReturns) {
    int argc = 1;
    char name[] = "qt_serial_port_test";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    sim::LoggerModel logger;
    sim::ReaderBox box(logger);
    auto reader = std::make_unique<PluggedReader>(box);
    std::string device = reader->device();  // what port 3 names
    link::QtSerialPort port([&](int) { return device; });
    link::SystemClock clock;
    link::ReaderLink link(port, clock);
    link::LoggerCommands commands(link);
    link.open_port(3);
    link::LoggerId id;
    commands.read_rom(id);
    ASSERT_NE(id, link::kNoLoggerId);
    const link::LoggerId identity = id;

    reader.reset();
    commands.read_rom(id);
    EXPECT_EQ(id, link::kNoLoggerId);
    EXPECT_EQ(link.error_number(), link::kLoggerError);
    EXPECT_FALSE(port.is_open());

    // Plugged in again, on another device behind the same port number; no open_port.
    box.clear_log();
    reader = std::make_unique<PluggedReader>(box);
    device = reader->device();
    commands.read_rom(id);
    EXPECT_EQ(id, identity);
    EXPECT_EQ(box.count('A'), 1);
}

}  // namespace
}  // namespace frostel
