#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "link/clock.h"
#include "link/serial_port.h"
#include "sim/line_noise.h"
#include "sim/reader_box.h"

namespace frostel::sim {

// Ten bits a byte (8N1) at 4800 baud.
inline constexpr std::chrono::nanoseconds kByteTimeAt4800{2'083'333};

// The serial ports of a simulated PC, on virtual time: reader boxes attached to some port
// numbers, their reply bytes arriving one byte time apart after the command completes.
// The PC's own bytes reach the reader at once unless the line delays them.
class SimSerialPort final : public link::SerialPort {
  public:
    explicit SimSerialPort(link::VirtualClock& clock) : clock_(clock) {}

    void attach(int number, ReaderBox& box) { boxes_[number] = &box; }
    void detach(int number) { boxes_.erase(number); }
    void set_byte_time(std::chrono::nanoseconds t) { byte_time_ = t; }
    // Bytes that arrive now, as if left over from an earlier exchange.
    void inject_stray_bytes(const std::vector<Byte>& bytes);
    // Every RTS switch fails, as on a pseudo-terminal.
    void fail_rts(link::PortStatus code) { rts_failure_ = code; }
    // Reply bytes pass through this on their way to the PC; empty for a clean line.
    void set_line_noise(LineNoise noise) { reply_noise_ = std::move(noise); }
    // The PC's bytes (letters, page numbers, page data) pass through this to the reader.
    void set_command_noise(LineNoise noise) { command_noise_ = std::move(noise); }

    [[nodiscard]] link::PortStatus open(int number) override;
    [[nodiscard]] link::PortStatus close() override;
    [[nodiscard]] bool is_open() const override { return open_box_ != nullptr; }
    [[nodiscard]] link::PortStatus set_rts(bool on) override;
    [[nodiscard]] link::PortStatus discard_input() override;
    [[nodiscard]] link::PortStatus write(std::span<const Byte> bytes) override;
    [[nodiscard]] std::size_t bytes_waiting() override;
    [[nodiscard]] Byte take_byte() override;
    void wait_for_byte(std::chrono::steady_clock::time_point deadline) override;
    [[nodiscard]] std::string device_name() const override;
    // No device at all: the reader box lives in this program.
    [[nodiscard]] std::string device_identity() const override;

    [[nodiscard]] int open_port_number() const { return open_number_; }

  private:
    struct Arrival {
        std::chrono::steady_clock::time_point at;
        Byte byte;
    };

    // Hands the reader every byte of the PC's that has reached it by now.
    void deliver_due();
    // One byte of the PC's reaches the reader; its reply starts on the line.
    void deliver(const Arrival& command_byte);
    // `byte`, sent at `at`, as the line hands it over: flipped, lost (nothing) or late.
    [[nodiscard]] static std::optional<Arrival> through_line(
        std::chrono::steady_clock::time_point at, Byte byte, const LineNoise& noise);

    link::VirtualClock& clock_;
    std::map<int, ReaderBox*> boxes_;
    ReaderBox* open_box_ = nullptr;
    int open_number_ = 0;
    std::chrono::nanoseconds byte_time_ = kByteTimeAt4800;
    std::deque<Arrival> incoming_;
    std::deque<Arrival> outgoing_;
    link::PortStatus rts_failure_ = link::kPortOk;
    LineNoise reply_noise_;
    LineNoise command_noise_;
};

}  // namespace frostel::sim
