#pragma once

#include <span>
#include <string>
#include <variant>

#include "programming/programming_settings.h"

namespace frostel::cli {

inline constexpr const char* kProgramUsage =
    "usage: frostel-cli program [--interval N] [--minutes] [--resolution 0.5|0.0625] "
    "[--rollover] [--start immediate|temperature|YYYY-MM-DDTHH:MM] [--low T] [--high T] "
    "[--calibration TENTHS] [--text TEXT]";

struct UsageError {
    std::string message;
};

// The settings the programming window would hold for these options (the arguments after
// "program"), or why the window could not hold them: an interval outside its unit's range,
// a sixteenth of a degree, rollover or a temperature start in seconds, a calibration
// outside -128..127, a date that is no calendar day, an unknown or incomplete option.
[[nodiscard]] std::variant<programming::ProgrammingSettings, UsageError> parse_program_arguments(
    std::span<const std::string> arguments);

}  // namespace frostel::cli
