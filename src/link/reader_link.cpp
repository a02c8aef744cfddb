#include "reader_link.h"

namespace frostel::link {

void ReaderLink::note(PortStatus status) {
    if (status != kPortOk) {
        error_number_ = status;
    }
}

void ReaderLink::open_port(int number) {
    if (port_.is_open()) {
        note(port_.close());
    }
    if (number >= kFirstPortNumber && number <= kLastPortNumber) {
        selected_port_ = number;
    }
    note(port_.open(selected_port_));
}

void ReaderLink::pulse_rts() {
    note(port_.set_rts(false));
    note(port_.set_rts(true));
}

void ReaderLink::flush_input() { note(port_.discard_input()); }

void ReaderLink::send(std::span<const Byte> bytes) {
    if (!bytes.empty()) {
        note(port_.write(bytes));
    }
}

std::optional<Byte> ReaderLink::wait_byte() { return wait_byte(clock_.now()); }

std::optional<Byte> ReaderLink::wait_byte(std::chrono::steady_clock::time_point wait_start) {
    const auto deadline = wait_start + kReplyByteTimeout;
    // The clock is consulted only while no byte is waiting.
    while (port_.bytes_waiting() == 0) {
        if (clock_.now() - wait_start > kReplyByteTimeout) {
            return std::nullopt;
        }
        port_.wait_for_byte(deadline);
    }
    return port_.take_byte();
}

void ReaderLink::begin_command(char letter) {
    pulse_rts();
    flush_input();
    send(static_cast<Byte>(letter));
}

}  // namespace frostel::link
