#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "link/clock.h"
#include "link/memory_image.h"
#include "mission/logger_type.h"
#include "mission/register_map.h"
#include "programming/programming_settings.h"
#include "programming/result_line.h"

namespace frostel::programming {

// Where the run writes: pages 1 to 16 of an image as long as the logger's first 4 KiB.
inline constexpr std::size_t kWriteImageSize = 4096;
inline constexpr int kFirstWrittenPage = 1;
inline constexpr int kLastWrittenPage = 16;

// The registers only a new mission writes; the fields a download reads back are in the
// mission register map.
namespace write_address {
inline constexpr std::size_t kClock = 0x0200;  // second, minute, hour, day, month, year
}  // namespace write_address

inline constexpr std::uint32_t kLongestStartDelay = 0xFFFFFF;

// The mission text as logger bytes: one byte per character, a character without a single
// byte as "?", cut or padded with blanks to 478.
[[nodiscard]] std::vector<link::Byte> mission_text_bytes(std::string_view utf8);

// Minutes from `now` to the start typed in the window, counted in minute boundaries, or
// the result line that refuses the start: incomplete, not a time of day, too far ahead,
// or before now (the current minute is not before now).
[[nodiscard]] std::variant<std::uint32_t, ResultLine> start_delay_minutes(
    const CalendarDate& date, const std::string& time_text, const platform::LocalDateTime& now);

// The image of a new mission, addresses 0x0020 to 0x021F filled from the settings (whose
// threshold texts are already corrected to the logger's range) and the PC's local time;
// or the refusal of a date-and-time start.
[[nodiscard]] std::variant<link::MemoryImage, ResultLine> build_mission_image(
    const ProgrammingSettings& settings, mission::LoggerType type,
    const platform::LocalDateTime& now);

}  // namespace frostel::programming
