#pragma once

#include <functional>
#include <optional>

#include "link/clock.h"
#include "link/logger_commands.h"
#include "mission/logger_type.h"
#include "programming_settings.h"
#include "result_line.h"
#include "thresholds.h"

namespace frostel::programming {

// The progress runs 0 to 18: a step before and after the clear, one per written page.
inline constexpr int kProgressSteps = 18;
inline constexpr int kPageWriteAttempts = 3;

// What the run tells its window on the way; any of them may be left empty.
struct RunHooks {
    // The threshold texts corrected to the logger's range, before they are converted.
    std::function<void(const ThresholdTexts&)> thresholds_corrected;
    std::function<void(int value)> progress;
    // Where the user interface may process its pending events.
    std::function<void()> process_events;
};

struct RunResult {
    // Empty when no port is chosen: the run did nothing and shows nothing.
    std::optional<ResultLine> line;
    // Known once the configuration byte has been read.
    std::optional<mission::LoggerType> logger_type;
    // Why the run failed, when the logger or the port failed it.
    std::optional<link::Failure> failure;
};

// Programs the logger in the reader with a new mission: stop it, read its type, build the
// image from `settings` and the PC's local time, clear the memory, write pages 1 to 16
// through the scratchpad with a read-back check, read them from memory and write again any
// that differs (three attempts per page in all), start the mission.
[[nodiscard]] RunResult run_programming(link::LoggerCommands& commands, const link::Clock& clock,
                                        int comm_port_number, const ProgrammingSettings& settings,
                                        const RunHooks& hooks);

}  // namespace frostel::programming
