#include "wire_log.h"

#include <cstdio>

namespace frostel::link {

WireLog::WireLog(SerialPort& port, const Clock& clock, std::ostream* transcript)
    : port_(port), clock_(clock), transcript_(transcript), began_(clock.now()) {
    if (transcript_ != nullptr) {
        *transcript_ << "# seconds, > PC to reader or < reader to PC, byte in hex\n";
    }
}

void WireLog::record(Direction direction, Byte byte) {
    const Entry entry{clock_.now(), direction, byte};
    entries_.push_back(entry);
    if (transcript_ == nullptr) {
        return;
    }
    const std::chrono::duration<double> since = entry.at - began_;
    char line[32];
    std::snprintf(line, sizeof line, "%.6f %c %02X\n", since.count(),
                  direction == Direction::kSent ? '>' : '<', byte);
    // Flushed at once, so a report still has the bytes up to a crash or a hang.
    *transcript_ << line << std::flush;
}

PortStatus WireLog::write(std::span<const Byte> bytes) {
    for (Byte b : bytes) {
        record(Direction::kSent, b);
    }
    return port_.write(bytes);
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
