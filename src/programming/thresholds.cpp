#include "programming/thresholds.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace frostel::programming {

namespace {

using mission::LoggerType;

bool is_ignored(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The longest start of `text` (ignored characters dropped) that reads as a number.
std::string number_prefix(std::string_view text) {
    std::string number;
    bool seen_point = false;
    for (char c : text) {
        if (is_ignored(c)) {
            continue;
        }
        const bool sign = (c == '-' || c == '+') && number.empty();
        const bool point = c == '.' && !seen_point;
        if (!sign && !point && !is_digit(c)) {
            break;
        }
        seen_point = seen_point || point;
        number += c;
    }
    return number;
}

struct TypeRange {
    double low_bound;
    const char* low_text;
    double high_bound;
    const char* high_text;
};

TypeRange type_range(LoggerType type) {
    switch (type) {
        case LoggerType::kT:
            return {0, "0", 125, "125"};
        case LoggerType::kH:
            return {15, "15", 140, "140"};
        case LoggerType::kL:
            break;
    }
    return {-40, "-40", 85, "85"};
}

}  // namespace

double lenient_number(std::string_view text) {
    std::string number = number_prefix(text);
    const bool negative = !number.empty() && number.front() == '-';
    if (!number.empty() && (number.front() == '-' || number.front() == '+')) {
        number.erase(0, 1);
    }
    if (number.empty() || number == ".") {
        return 0;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        value = std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

bool thresholds_in_order(const ThresholdTexts& texts) {
    return lenient_number(texts.low) <= lenient_number(texts.high);
}

ThresholdTexts corrected_thresholds(ThresholdTexts texts, LoggerType type) {
    const TypeRange range = type_range(type);
    if (lenient_number(texts.low) < range.low_bound) {
        texts.low = range.low_text;
    }
    if (lenient_number(texts.high) > range.high_bound) {
        texts.high = range.high_text;
    }
    return texts;
}

link::Byte threshold_byte(std::string_view text, LoggerType type) {
    // The inverse of the type's 8-bit sample scale: T = byte / 2 + raw zero.
    const double scaled = 2 * (lenient_number(text) - mission::type_scale(type).raw_zero);
    // The default rounding mode rounds halves to the even neighbour.
    return static_cast<link::Byte>(std::clamp(std::nearbyint(scaled), 0.0, 255.0));
}

}  // namespace frostel::programming
