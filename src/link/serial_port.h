#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace frostel::link {

using Byte = std::uint8_t;

// A failure code of the port itself: 0 is success, any other value is positive and names
// what the port refused. The link keeps it as its error number and carries on.
using PortStatus = int;
inline constexpr PortStatus kPortOk = 0;
// The codes the link tells apart, numbered as Qt SerialPort 6 numbers its errors, and two
// of our own beyond them: Qt reports a device another program holds as a permission error,
// and a device that is no terminal (/dev/null, a plain file) as an unsupported operation.
inline constexpr PortStatus kPortNoDevice = 1;
inline constexpr PortStatus kPortPermissionDenied = 2;
inline constexpr PortStatus kPortNotOpen = 10;
inline constexpr PortStatus kPortInUse = 100;
inline constexpr PortStatus kPortNotSerial = 101;

// The transport the reader link needs: one numbered serial port at the reader's fixed line
// settings (4800 baud, 8 data bits, no parity, 1 stop bit, no flow control). No request
// throws; every one that can fail reports a positive code.
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Opens port `number` (1 to 30) with the line settings. A port that is open stays open
    // on failure of nothing: callers close first.
    [[nodiscard]] virtual PortStatus open(int number) = 0;
    [[nodiscard]] virtual PortStatus close() = 0;
    [[nodiscard]] virtual bool is_open() const = 0;
    [[nodiscard]] virtual PortStatus set_rts(bool on) = 0;
    // Drops every byte received and not yet taken.
    [[nodiscard]] virtual PortStatus discard_input() = 0;
    [[nodiscard]] virtual PortStatus write(std::span<const Byte> bytes) = 0;
    // Received bytes not yet taken; 0 on a closed port.
    [[nodiscard]] virtual std::size_t bytes_waiting() = 0;
    // Takes one received byte; only called when bytes_waiting() > 0.
    [[nodiscard]] virtual Byte take_byte() = 0;
    // Blocks until a byte is waiting or the steady clock is past `deadline`, whichever is
    // first. Returns at once when a byte is already waiting or the deadline has passed.
    virtual void wait_for_byte(std::chrono::steady_clock::time_point deadline) = 0;
    // The device behind the port last opened (a path, "COM3"), for messages.
    [[nodiscard]] virtual std::string device_name() const = 0;
    // What that device is, for the record of what was read through it: a USB bridge's ids
    // and serial number, a pseudo-terminal, or a device that is not USB (see device_text).
    [[nodiscard]] virtual std::string device_identity() const = 0;
};

}  // namespace frostel::link
