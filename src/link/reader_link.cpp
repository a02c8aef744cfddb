#include "link/reader_link.h"

#include <utility>

namespace frostel::link {

namespace {

// How much a cause explains: a port that cannot be used explains everything after it; a
// port's other complaints (such as RTS on a pseudo-terminal) explain less than silence.
int weight(FailureCause cause) {
    switch (cause) {
        case FailureCause::kNone:
            return 0;
        case FailureCause::kPortFailure:
            return 1;
        case FailureCause::kNoDevice:
        case FailureCause::kPermissionDenied:
        case FailureCause::kPortInUse:
        case FailureCause::kNotSerialPort:
            return 3;
        default:
            return 2;
    }
}

}  // namespace

void ReaderLink::note(PortStatus status) {
    if (status != kPortOk) {
        error_number_ = status;
        const PortStatus reason =
            status == kPortNotOpen && open_status_ != kPortOk ? open_status_ : status;
        explain({.cause = port_failure_cause(reason), .port_code = reason});
    }
}

void ReaderLink::explain(Failure why) {
    if (weight(why.cause) >= weight(failure_.cause)) {
        failure_ = std::move(why);
    }
}

void ReaderLink::set_error_number(ErrorNumber value) {
    error_number_ = value;
    if (value == kNoError) {
        failure_ = {};
    }
}

void ReaderLink::fail(Failure why) {
    error_number_ = kLoggerError;
    explain(std::move(why));
}

Failure ReaderLink::failure() const {
    if (error_number_ == kNoError) {
        return {};
    }
    Failure described = failure_;
    described.port_number = selected_port_;
    described.device = port_.device_name();
    return described;
}

void ReaderLink::open_port(int number) {
    if (port_.is_open()) {
        note(port_.close());
    }
    if (number >= kFirstPortNumber && number <= kLastPortNumber) {
        selected_port_ = number;
    }
    open_status_ = port_.open(selected_port_);
    note(open_status_);
}

void ReaderLink::pulse_rts() {
    note(port_.set_rts(false));
    note(port_.set_rts(true));
}

void ReaderLink::flush_input() {
    note(port_.discard_input());
}

void ReaderLink::send(std::span<const Byte> bytes) {
    if (!bytes.empty()) {
        note(port_.write(bytes));
    }
}

std::optional<Byte> ReaderLink::wait_byte() {
    return wait_byte(clock_.now());
}

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
