#pragma once

#include <chrono>
#include <ostream>
#include <vector>

#include "clock.h"
#include "serial_port.h"

namespace frostel::link {

// Records every byte that crosses the port, with its time: what a test counts on the wire
// and what a bug report needs.
class WireLog final : public SerialPort {
  public:
    enum class Direction { kSent, kReceived };
    struct Entry {
        std::chrono::steady_clock::time_point at;
        Direction direction;
        Byte byte;
    };

    // With a `transcript`, each byte is also written there as it crosses, one line each:
    // seconds since the log began, ">" sent or "<" received, the byte in hex.
    WireLog(SerialPort& port, const Clock& clock, std::ostream* transcript = nullptr);

    [[nodiscard]] PortStatus open(int number) override { return port_.open(number); }
    [[nodiscard]] PortStatus close() override { return port_.close(); }
    [[nodiscard]] bool is_open() const override { return port_.is_open(); }
    [[nodiscard]] PortStatus set_rts(bool on) override { return port_.set_rts(on); }
    [[nodiscard]] PortStatus discard_input() override { return port_.discard_input(); }
    [[nodiscard]] PortStatus write(std::span<const Byte> bytes) override;
    [[nodiscard]] std::size_t bytes_waiting() override { return port_.bytes_waiting(); }
    [[nodiscard]] Byte take_byte() override;
    void wait_for_byte(std::chrono::steady_clock::time_point deadline) override {
        port_.wait_for_byte(deadline);
    }
    [[nodiscard]] std::string device_name() const override { return port_.device_name(); }

    [[nodiscard]] const std::vector<Entry>& entries() const { return entries_; }
    [[nodiscard]] std::vector<Byte> sent() const;
    void clear() { entries_.clear(); }

  private:
    void record(Direction direction, Byte byte);

    SerialPort& port_;
    const Clock& clock_;
    std::ostream* transcript_;
    std::chrono::steady_clock::time_point began_;
    std::vector<Entry> entries_;
};

}  // namespace frostel::link
