#pragma once

#include <string_view>

#include "link/serial_port.h"

namespace frostel::mission {

// The logger's temperature range: "L" -40 to 85, "T" 0 to 125, "H" 15 to 140 degrees.
enum class LoggerType : char { kL = 'L', kT = 'T', kH = 'H' };

// 0x80 is "H", 0x60 is "T", every other configuration byte reads as "L".
[[nodiscard]] LoggerType logger_type_from_configuration(link::Byte configuration);

// The type text the main window shows before the logger's identity. An unknown
// configuration byte shows the 0 to 125 text although it decodes as "L".
[[nodiscard]] std::string_view type_caption(link::Byte configuration);

// How a type's raw readings become degrees Celsius. A raw value r (8-bit byte, or 16-bit
// high byte plus low byte / 256) stands for r / 2 + raw_zero degrees.
struct TypeScale {
    double raw_zero;
    double reference1;  // the first calibration point, degrees
    bool calibrated;    // 16-bit readings are corrected with the sensor calibration
};

// The scale and calibration reference of a type.
[[nodiscard]] TypeScale type_scale(LoggerType type);

}  // namespace frostel::mission
