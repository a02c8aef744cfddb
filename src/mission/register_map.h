#pragma once

#include <cstddef>

#include "link/memory_image.h"
#include "link/serial_port.h"

namespace frostel::mission {

// The register fields a download decodes, by the logger's own addresses. Multi-byte numbers
// are least significant byte first unless noted.
namespace address {
inline constexpr std::size_t kMissionText = 0x0020;
inline constexpr std::size_t kOffsetMarker = 0x01FE;
inline constexpr std::size_t kCalibrationOffset = 0x01FF;
// The running clock: second, minute, hour, day, month, year, as the start below.
inline constexpr std::size_t kClock = 0x0200;
inline constexpr std::size_t kSampleRate = 0x0206;  // 16-bit
// The alarm thresholds on the type's 8-bit sample scale, and which of them are enabled.
inline constexpr std::size_t kLowThreshold = 0x0208;
inline constexpr std::size_t kHighThreshold = 0x0209;
inline constexpr std::size_t kAlarmEnable = 0x0210;
inline constexpr std::size_t kClockControl = 0x0212;
inline constexpr std::size_t kMissionControl = 0x0213;
inline constexpr std::size_t kAlarmStatus = 0x0214;
inline constexpr std::size_t kGeneralStatus = 0x0215;
inline constexpr std::size_t kStartDelay = 0x0216;   // 24-bit, minutes
inline constexpr std::size_t kStartSecond = 0x0219;  // then minute, hour, day, month, year
inline constexpr std::size_t kStartMinute = 0x021A;
inline constexpr std::size_t kStartHour = 0x021B;
inline constexpr std::size_t kStartDay = 0x021C;
inline constexpr std::size_t kStartMonth = 0x021D;
inline constexpr std::size_t kStartYear = 0x021E;
inline constexpr std::size_t kMissionSampleCount = 0x0220;  // 24-bit
inline constexpr std::size_t kDeviceSampleCount = 0x0223;   // 24-bit
inline constexpr std::size_t kConfiguration = 0x0226;
// Four 16-bit temperatures, each high byte first: reference 2, reading 2, reference 3,
// reading 3.
inline constexpr std::size_t kSensorCalibration = 0x0240;
}  // namespace address

inline constexpr std::size_t kMissionTextLength = 478;
inline constexpr link::Byte kOffsetMarkerValue = 0x7B;
inline constexpr int kOffsetBias = 128;
inline constexpr link::Byte kRateCountsSecondsBit = 0x02;  // clock control
inline constexpr link::Byte kSixteenBitSamplesBit = 0x04;  // mission control
inline constexpr link::Byte kRolloverBit = 0x10;           // mission control
inline constexpr link::Byte kStartOnAlarmBit = 0x20;       // mission control
inline constexpr link::Byte kLowAlarmBit = 0x01;           // alarm enable and alarm status
inline constexpr link::Byte kHighAlarmBit = 0x02;          // alarm enable and alarm status
// The logger was reset by a battery failure and lost its factory calibration.
inline constexpr link::Byte kBatteryResetBit = 0x80;     // alarm status
inline constexpr link::Byte kWaitingForAlarmBit = 0x10;  // general status

inline constexpr link::Byte kConfigurationH = 0x80;
inline constexpr link::Byte kConfigurationT = 0x60;
inline constexpr link::Byte kConfigurationL = 0x40;

// A download reads the text and register pages 1 to 18 (0x0020 to 0x025F) into an image
// of 1000 positions.
inline constexpr int kHeaderFirstPage = 1;
inline constexpr int kHeaderLastPage = 18;
inline constexpr std::size_t kHeaderImageSize = 1000;

// The sample log: 8192 bytes from 0x1000, pages 128 to 383, used as a ring on rollover.
inline constexpr int kLogFirstPage = 128;
inline constexpr int kLogPageCount = 256;
inline constexpr int kLogLastPage = kLogFirstPage + kLogPageCount - 1;
inline constexpr int kLogBytes = kLogPageCount * link::kPageSize;

}  // namespace frostel::mission
