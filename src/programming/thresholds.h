#pragma once

#include <string>
#include <string_view>

#include "link/serial_port.h"
#include "mission/logger_type.h"

namespace frostel::programming {

// A number read the forgiving way: blanks, tabs and line feeds ignored wherever they
// stand, a point as decimal separator, reading stops at the first character that cannot
// continue the number; no leading number reads as 0 ("12abc" is 12, "abc" is 0).
[[nodiscard]] double lenient_number(std::string_view text);

struct ThresholdTexts {
    std::string low;
    std::string high;
    bool operator==(const ThresholdTexts&) const = default;
};

// The two thresholds as typed are in order: the low one not above the high one. Checked
// before any range correction, which would hide a reversed pair behind the range's bounds.
[[nodiscard]] bool thresholds_in_order(const ThresholdTexts& texts);

// A low value below the logger's range and a high value above it are replaced by the
// range's bound; nothing else is touched.
[[nodiscard]] ThresholdTexts corrected_thresholds(ThresholdTexts texts, mission::LoggerType type);

// The alarm byte for a threshold text on the logger's half-degree scale, rounded half to
// even and held within 0..255.
[[nodiscard]] link::Byte threshold_byte(std::string_view text, mission::LoggerType type);

}  // namespace frostel::programming
