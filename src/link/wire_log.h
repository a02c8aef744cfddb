#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/serial_port.h"

namespace frostel::link {

// Records every byte that crosses the port and everything else the port is asked to do,
// with its time: what a test counts on the wire and what a bug report needs.
class WireLog final : public SerialPort {
  public:
    // kDiscarded: received, then thrown away by a flush before anyone read it.
    enum class Direction { kSent, kReceived, kDiscarded };
    struct Entry {
        std::chrono::steady_clock::time_point at;
        Direction direction;
        Byte byte;
    };
    // An open, a close, an RTS switch, or a request the port refused, in words.
    struct Event {
        std::chrono::steady_clock::time_point at;
        std::string text;
    };

    // With a `transcript`, each byte and event is also written there as it happens, one
    // line each: seconds since the log began, then ">" sent, "<" received or "-" thrown
    // away with the byte in hex, or the event's text.
    WireLog(SerialPort& port, const Clock& clock, std::ostream* transcript = nullptr);

    [[nodiscard]] PortStatus open(int number) override;
    [[nodiscard]] PortStatus close() override;
    [[nodiscard]] bool is_open() const override { return port_.is_open(); }
    [[nodiscard]] PortStatus set_rts(bool on) override;
    [[nodiscard]] PortStatus discard_input() override;
    // A byte is logged as sent only once the port has written it.
    [[nodiscard]] PortStatus write(std::span<const Byte> bytes) override;
    [[nodiscard]] std::size_t bytes_waiting() override { return port_.bytes_waiting(); }
    [[nodiscard]] Byte take_byte() override;
    void wait_for_byte(std::chrono::steady_clock::time_point deadline) override {
        port_.wait_for_byte(deadline);
    }
    [[nodiscard]] std::string device_name() const override { return port_.device_name(); }
    [[nodiscard]] std::string device_identity() const override { return port_.device_identity(); }

    [[nodiscard]] const std::vector<Entry>& entries() const { return entries_; }
    [[nodiscard]] const std::vector<Event>& events() const { return events_; }
    [[nodiscard]] std::vector<Byte> sent() const;
    void clear() {
        entries_.clear();
        events_.clear();
    }

  private:
    void record(Direction direction, Byte byte);
    void note(std::string text);
    // `what` as an event, with the port's code when it refused.
    PortStatus note_outcome(const std::string& what, PortStatus status);
    void write_line(std::chrono::steady_clock::time_point at, const std::string& text);

    SerialPort& port_;
    const Clock& clock_;
    std::ostream* transcript_;
    std::chrono::steady_clock::time_point began_;
    std::vector<Entry> entries_;
    std::vector<Event> events_;
};

}  // namespace frostel::link
