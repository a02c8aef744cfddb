#pragma once

#include <string>

namespace frostel::programming {

// The one line a programming run ends with.
enum class ResultKind {
    kOk,
    kLoggerError,
    kStartTimeIncomplete,
    kStartTimeBeforeNow,
    kLowAboveHigh,
    kNothingWritten
};

struct ResultLine {
    ResultKind kind = ResultKind::kOk;
    std::string text;

    [[nodiscard]] bool is_failure() const {
        return kind != ResultKind::kOk && kind != ResultKind::kNothingWritten;
    }
    bool operator==(const ResultLine&) const = default;
};

[[nodiscard]] inline ResultLine programming_ok() {
    return {ResultKind::kOk, "PROGRAMMING OK"};
}
[[nodiscard]] inline ResultLine programming_error() {
    return {ResultKind::kLoggerError, "PROGRAMMING ERROR !"};
}
// Carries the start-time field's text as it stands, prompt characters included.
[[nodiscard]] inline ResultLine start_time_incomplete(const std::string& time_text) {
    return {ResultKind::kStartTimeIncomplete, "STARTTIME ! (" + time_text + ")"};
}
[[nodiscard]] inline ResultLine start_time_before_now() {
    return {ResultKind::kStartTimeBeforeNow, "STAR TIME BEFORE NOW !"};
}

// The low alarm threshold typed above the high one: refused before the logger is touched.
[[nodiscard]] inline ResultLine low_above_high() {
    return {ResultKind::kLowAboveHigh, "LOW ABOVE HIGH !"};
}

// The user chose to keep the mission the logger holds: the run stopped before any write.
[[nodiscard]] inline ResultLine nothing_written() {
    return {ResultKind::kNothingWritten, "NOTHING WRITTEN"};
}

}  // namespace frostel::programming
