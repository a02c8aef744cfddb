#pragma once

#include <functional>

#include "link/serial_port.h"

namespace frostel::test {

// Passes every request on to another port; a test overrides the requests it watches, or
// watches the openings and the writes through `on_open` and `on_write`.
class ForwardingPort : public link::SerialPort {
  public:
    explicit ForwardingPort(link::SerialPort& inner) : inner_(inner) {}

    link::PortStatus open(int number) override {
        if (on_open) {
            on_open(number);
        }
        return inner_.open(number);
    }
    link::PortStatus close() override { return inner_.close(); }
    bool is_open() const override { return inner_.is_open(); }
    link::PortStatus set_rts(bool on) override { return inner_.set_rts(on); }
    link::PortStatus discard_input() override { return inner_.discard_input(); }
    link::PortStatus write(std::span<const link::Byte> bytes) override {
        if (on_write) {
            on_write();
        }
        return inner_.write(bytes);
    }
    std::size_t bytes_waiting() override { return inner_.bytes_waiting(); }
    link::Byte take_byte() override { return inner_.take_byte(); }
    void wait_for_byte(std::chrono::steady_clock::time_point deadline) override {
        inner_.wait_for_byte(deadline);
    }
    std::string device_name() const override { return inner_.device_name(); }
    std::string device_identity() const override { return inner_.device_identity(); }

    std::function<void(int)> on_open;
    std::function<void()> on_write;

  private:
    link::SerialPort& inner_;
};

}  // namespace frostel::test
