#pragma once

#include <compare>
#include <string>

namespace frostel::programming {

enum class IntervalUnit { kSeconds, kMinutes };
// Half a degree keeps 8-bit samples (8192 fit), a sixteenth 16-bit ones (4096 fit).
enum class Resolution { kSixteenth, kHalf };
enum class StartMode { kImmediate, kTemperature, kDateTime };

struct CalendarDate {
    int year = 2000;
    int month = 1;
    int day = 1;
    auto operator<=>(const CalendarDate&) const = default;
};

// The logger stores the offset plus 128 in one byte: exactly -128 to +127, so every offset a
// logger holds (byte 0x00 is -12.8) comes back from a download unchanged.
inline constexpr int kCalibrationMinimum = -128;
inline constexpr int kCalibrationMaximum = 127;

// Everything the programming window holds for the next mission, as its controls hold it:
// the threshold texts and the start time are the texts typed, not yet read as numbers.
struct ProgrammingSettings {
    IntervalUnit unit = IntervalUnit::kSeconds;
    int interval = 10;
    Resolution resolution = Resolution::kHalf;
    bool rollover = false;
    StartMode start_mode = StartMode::kImmediate;
    std::string low_threshold = "0";
    std::string high_threshold = "85";
    // The logger flags samples beyond the thresholds whatever the start; a temperature start
    // always does.
    bool alarms = false;
    CalendarDate start_date;
    // The masked "##:##" text, prompt characters "_" included.
    std::string start_time = "__:__";
    // Tenths of a degree.
    int calibration = 0;
    // UTF-8; each character becomes one logger byte.
    std::string mission_text;
};

}  // namespace frostel::programming
