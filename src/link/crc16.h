#pragma once

#include <cstdint>
#include <span>

#include "link/serial_port.h"

namespace frostel::link {

// The logger's CRC-16: reflected polynomial 0xA001, bits least significant first.
[[nodiscard]] std::uint16_t crc16(std::span<const Byte> bytes, std::uint16_t start = 0);

// What the logger sends after a page: the inverted CRC-16 of command code, start address
// and the 32 data bytes.
[[nodiscard]] inline std::uint16_t page_check_value(std::span<const Byte> message) {
    return static_cast<std::uint16_t>(~crc16(message));
}

}  // namespace frostel::link
