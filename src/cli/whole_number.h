#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace frostel::cli {

// An argument that is all of it a whole number from `minimum` to `maximum` (no blanks, no
// "+"), else nothing.
[[nodiscard]] inline std::optional<int> whole_number(std::string_view text, int minimum,
                                                     int maximum) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || value < minimum || value > maximum) {
        return std::nullopt;
    }
    return value;
}

}  // namespace frostel::cli
