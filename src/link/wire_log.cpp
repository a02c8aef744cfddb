#include "wire_log.h"

namespace frostel::link {

PortStatus WireLog::write(std::span<const Byte> bytes) {
    for (Byte b : bytes) {
        entries_.push_back({clock_.now(), Direction::kSent, b});
    }
    return port_.write(bytes);
}

Byte WireLog::take_byte() {
    const Byte b = port_.take_byte();
    entries_.push_back({clock_.now(), Direction::kReceived, b});
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
