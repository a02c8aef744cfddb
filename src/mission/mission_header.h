#pragma once

#include <string>

#include "link/clock.h"
#include "link/logger_commands.h"
#include "link/memory_image.h"
#include "mission/logger_type.h"

namespace frostel::mission {

enum class SampleFormat { k8Bit, k16Bit };

// A 16-bit temperature as the logger stores it, high byte at the lower address.
struct RawReading {
    link::Byte high = 0;
    link::Byte low = 0;
};

// The logger's factory calibration: two reference temperatures and what its sensor read
// at each.
struct SensorCalibration {
    RawReading reference2;
    RawReading reading2;
    RawReading reference3;
    RawReading reading3;
};

// The mission's fields as the logger's register pages hold them: what a download decodes, a
// saved mission keeps and a summary judges.
struct MissionRegisters {
    link::LoggerId logger_id;
    link::Byte configuration = 0;
    platform::LocalDateTime start_time;
    int sample_interval = 0;  // seconds
    SampleFormat sample_format = SampleFormat::k8Bit;
    int start_delay = 0;  // minutes
    int mission_sample_count = 0;
    int device_sample_count = 0;
    // The user's offset in tenths of a degree, 0 without the marker.
    int calibration_offset_tenths = 0;
    // The logger's flags, its alarm thresholds on the type's 8-bit scale and which of them
    // were enabled.
    link::Byte alarm_status = 0;
    link::Byte general_status = 0;
    link::Byte mission_control = 0;
    link::Byte alarm_enable = 0;
    link::Byte low_threshold = 0;
    link::Byte high_threshold = 0;
    bool operator==(const MissionRegisters&) const = default;
};

// The register fields of one download, with what the windows show of them.
struct MissionHeader : MissionRegisters {
    LoggerType logger_type = LoggerType::kL;
    // The type text followed directly by the identity, as the main window shows it.
    std::string caption;
    // Always 478 characters, one per stored byte, trailing blanks and zeros included.
    std::string mission_text;
    double calibration_offset = 0.0;  // calibration_offset_tenths in degrees
    // "DD-MM-20YY HH:MM:SS", seconds "00" when the interval exceeds 59 seconds.
    std::string start_time_text;
    SensorCalibration sensor_calibration;
    // The logger's running clock as page 16 was read.
    platform::LocalDateTime clock_reading;
};

// An empty image of the size a download reads pages 1 to 18 into.
[[nodiscard]] link::MemoryImage make_header_image();

// The header decoded from an image holding pages 1 to 18 (addresses 0x0020 to 0x025F)
// and the identity read before it. Every byte pattern decodes; nothing is checked.
[[nodiscard]] MissionHeader decode_mission_header(const link::MemoryImage& image,
                                                  const link::LoggerId& logger_id);

}  // namespace frostel::mission
