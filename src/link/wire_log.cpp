#include "link/wire_log.h"

#include <cstdio>

#include "link/failure.h"
#include "platform/fixed_text.h"

namespace frostel::link {

namespace {

char direction_mark(WireLog::Direction direction) {
    switch (direction) {
        case WireLog::Direction::kSent:
            return '>';
        case WireLog::Direction::kReceived:
            return '<';
        case WireLog::Direction::kDiscarded:
            break;
    }
    return '-';
}

}  // namespace

WireLog::WireLog(SerialPort& port, const Clock& clock, std::ostream* transcript)
    : port_(port), clock_(clock), transcript_(transcript), began_(clock.now()) {
    if (transcript_ != nullptr) {
        *transcript_ << "# seconds, then > PC to reader, < reader to PC or - thrown away by a "
                        "flush with the byte in hex, or what the port did\n";
    }
}

void WireLog::write_line(std::chrono::steady_clock::time_point at, const std::string& text) {
    if (transcript_ == nullptr) {
        return;
    }
    const std::chrono::duration<double> since = at - began_;
    // Flushed at once, so a report still has the bytes up to a crash or a hang.
    *transcript_ << platform::fixed_text(since.count(), 6) << ' ' << text << '\n' << std::flush;
}

void WireLog::record(Direction direction, Byte byte) {
    const Entry entry{clock_.now(), direction, byte};
    entries_.push_back(entry);
    char text[8];
    std::snprintf(text, sizeof text, "%c %02X", direction_mark(direction), byte);
    write_line(entry.at, text);
}

void WireLog::note(std::string text) {
    events_.push_back({clock_.now(), std::move(text)});
    write_line(events_.back().at, events_.back().text);
}

PortStatus WireLog::note_outcome(const std::string& what, PortStatus status) {
    note(status == kPortOk ? what : what + " failed (code " + std::to_string(status) + ")");
    return status;
}

PortStatus WireLog::open(int number) {
    const PortStatus status = port_.open(number);
    const Failure opened{.cause = port_failure_cause(status),
                         .port_code = status,
                         .port_number = number,
                         .device = port_.device_name()};
    note(status == kPortOk ? "open port " + std::to_string(number) + " (" + opened.device + ")"
                           : "open failed: " + failure_text(opened));
    return status;
}

PortStatus WireLog::close() {
    return note_outcome("close", port_.close());
}

PortStatus WireLog::set_rts(bool on) {
    return note_outcome(on ? "RTS on" : "RTS off", port_.set_rts(on));
}

PortStatus WireLog::discard_input() {
    // Taken here first, so the log shows what the flush throws away.
    while (port_.bytes_waiting() > 0) {
        record(Direction::kDiscarded, port_.take_byte());
    }
    const PortStatus status = port_.discard_input();
    return status == kPortOk ? status : note_outcome("flush", status);
}

PortStatus WireLog::write(std::span<const Byte> bytes) {
    const PortStatus status = port_.write(bytes);
    if (status != kPortOk) {
        std::string what = "write of";
        for (Byte b : bytes) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", b);
            what += hex;
        }
        return note_outcome(what, status);
    }
    for (Byte b : bytes) {
        record(Direction::kSent, b);
    }
    return status;
}

Byte WireLog::take_byte() {
    const Byte b = port_.take_byte();
    record(Direction::kReceived, b);
    return b;
}

std::vector<Byte> WireLog::sent() const {
    std::vector<Byte> bytes;
    for (const Entry& e : entries_) {
        if (e.direction == Direction::kSent) {
            bytes.push_back(e.byte);
        }
    }
    return bytes;
}

}  // namespace frostel::link
