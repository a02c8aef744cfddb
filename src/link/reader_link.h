#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>

#include "link/clock.h"
#include "link/failure.h"
#include "link/serial_port.h"

namespace frostel::link {

// Left by every logger operation: 0 success, -1 no answer in time or a wrong answer after
// all retries, a positive value a failure code of the serial port itself.
using ErrorNumber = int;
inline constexpr ErrorNumber kNoError = 0;
inline constexpr ErrorNumber kLoggerError = -1;

inline constexpr int kFirstPortNumber = 1;
inline constexpr int kLastPortNumber = 30;

// Each reply byte has this long to arrive; only strictly more ends the wait.
inline constexpr std::chrono::milliseconds kReplyByteTimeout{100};

// The one connection to the reader box and its primitives. A failing port request never
// stops an operation: it is skipped and its positive code becomes the error number.
class ReaderLink {
  public:
    ReaderLink(SerialPort& port, Clock& clock) : port_(port), clock_(clock) {}

    // Close; select `number` (an invalid number keeps the previous one); open. Each step
    // may fail without stopping the others.
    void open_port(int number);
    void pulse_rts();
    void flush_input();
    void send(std::span<const Byte> bytes);
    void send(Byte byte) { send(std::span<const Byte>(&byte, 1)); }
    // One reply byte, or nothing after more than kReplyByteTimeout since `wait_start`.
    // A byte that is waiting is taken even when the time is already up.
    [[nodiscard]] std::optional<Byte> wait_byte();
    [[nodiscard]] std::optional<Byte> wait_byte(std::chrono::steady_clock::time_point wait_start);
    void pause(std::chrono::milliseconds duration) { clock_.sleep_for(duration); }

    // Every command's framing up to its parameters: RTS pulse, flush, letter.
    void begin_command(char letter);

    [[nodiscard]] ErrorNumber error_number() const { return error_number_; }
    // 0 starts an operation afresh and forgets why the last one failed.
    void set_error_number(ErrorNumber value);
    // Ends an operation with -1 for `why`, unless what the port said on the way explains
    // it better (a missing device explains every silence after it).
    void fail(Failure why);
    // Why the last operation failed, with the port and its device; no cause while the error
    // number is 0.
    [[nodiscard]] Failure failure() const;
    [[nodiscard]] int selected_port() const { return selected_port_; }
    // What the device of the opened port is (SerialPort::device_identity).
    [[nodiscard]] std::string device_identity() const { return port_.device_identity(); }
    [[nodiscard]] Clock& clock() const { return clock_; }

  private:
    void note(PortStatus status);
    void explain(Failure why);

    SerialPort& port_;
    Clock& clock_;
    int selected_port_ = kFirstPortNumber;
    ErrorNumber error_number_ = kNoError;
    Failure failure_;
    // A request on a port that could not be opened fails for the opening's reason.
    PortStatus open_status_ = kPortOk;
};

}  // namespace frostel::link
