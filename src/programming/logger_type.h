#pragma once

#include "link/serial_port.h"

namespace frostel::programming {

// The logger's temperature range: "L" -40 to 85, "T" 0 to 125, "H" 15 to 140 degrees.
enum class LoggerType : char { kL = 'L', kT = 'T', kH = 'H' };

// The configuration byte lives at 0x0226, offset 6 of register page 17.
inline constexpr int kConfigurationPage = 17;
inline constexpr int kConfigurationOffset = 6;

// 0x80 is "H", 0x60 is "T", every other value reads as "L".
[[nodiscard]] constexpr LoggerType logger_type_from_configuration(link::Byte configuration) {
    switch (configuration) {
        case 0x80:
            return LoggerType::kH;
        case 0x60:
            return LoggerType::kT;
        default:
            return LoggerType::kL;
    }
}

}  // namespace frostel::programming
