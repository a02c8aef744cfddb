#pragma once

#include <QSerialPort>
#include <functional>
#include <string>

#include "link/serial_port.h"

namespace frostel::link {

// The real transport: Qt SerialPort on the device that a port number maps to.
class QtSerialPort final : public SerialPort {
  public:
    using DeviceForNumber = std::function<std::string(int)>;

    explicit QtSerialPort(DeviceForNumber device_for_number);
    // Always the same device, whatever number is opened (for a device given by path).
    static DeviceForNumber fixed_device(std::string path);

    [[nodiscard]] PortStatus open(int number) override;
    [[nodiscard]] PortStatus close() override;
    [[nodiscard]] bool is_open() const override { return port_.isOpen(); }
    [[nodiscard]] PortStatus set_rts(bool on) override;
    [[nodiscard]] PortStatus discard_input() override;
    [[nodiscard]] PortStatus write(std::span<const Byte> bytes) override;
    [[nodiscard]] std::size_t bytes_waiting() override;
    [[nodiscard]] Byte take_byte() override;
    void wait_for_byte(std::chrono::steady_clock::time_point deadline) override;

    [[nodiscard]] std::string device_name() const override { return device_; }
    [[nodiscard]] std::string device_identity() const override;

  private:
    // The port's failure code; its error state is cleared so the next request is not refused.
    PortStatus failure();
    // The failure of an open, with a device held by another program told apart.
    PortStatus open_failure();
    // A device that vanished (a reader unplugged) is closed; the next command opens it
    // again, so a reader plugged back in works without choosing its port anew.
    void notice_loss();
    [[nodiscard]] PortStatus open_device();
    // The reopen's failure when a lost device is still gone.
    [[nodiscard]] PortStatus reopen_if_lost();

    DeviceForNumber device_for_number_;
    QSerialPort port_;
    int opened_number_ = 0;
    std::string device_;
    bool lost_ = false;
};

}  // namespace frostel::link
