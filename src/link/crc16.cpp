#include "link/crc16.h"

namespace frostel::link {

std::uint16_t crc16(std::span<const Byte> bytes, std::uint16_t start) {
    std::uint16_t crc = start;
    for (Byte x : bytes) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = ((crc ^ x) & 1U) != 0;
            crc = static_cast<std::uint16_t>(crc >> 1U);
            x = static_cast<Byte>(x >> 1U);
            if (mix) {
                crc ^= 0xA001U;
            }
        }
    }
    return crc;
}

}  // namespace frostel::link
