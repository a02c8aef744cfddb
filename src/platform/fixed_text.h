#pragma once

#include <charconv>
#include <string>

namespace frostel::platform {

// `value` with `decimals` digits after a point and no group separators. Not printf: the
// toolkit sets the C library to the user's locale, where the point may be a comma.
[[nodiscard]] inline std::string fixed_text(double value, int decimals) {
    char text[400];  // the longest double in fixed notation fits
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return {text, end.ptr};
}

}  // namespace frostel::platform
