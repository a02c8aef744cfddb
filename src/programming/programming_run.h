#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/clock.h"
#include "link/logger_commands.h"
#include "mission/download.h"
#include "mission/held_mission.h"
#include "mission/logger_type.h"
#include "mission/mission_header.h"
#include "programming/programming_settings.h"
#include "programming/result_line.h"
#include "programming/thresholds.h"

namespace frostel::programming {

// The progress runs 0 to 18: a step before and after the clear, one per written page.
inline constexpr int kProgressSteps = 18;
inline constexpr int kPageWriteAttempts = 3;

// What to do when the logger holds a mission that was never downloaded.
enum class HeldMissionChoice { kDownloadFirst, kProgramAnyway, kCancel };

// Every setting of a run by name, as given, for the logger's history.
[[nodiscard]] std::vector<std::pair<std::string, std::string>> setting_rows(
    const ProgrammingSettings& settings);

// What the run tells its window on the way; any of them may be left empty.
struct RunHooks {
    // The threshold texts corrected to the logger's range, before they are converted.
    std::function<void(const ThresholdTexts&)> thresholds_corrected;
    std::function<void(int value)> progress;
    // Where the user interface may process its pending events.
    std::function<void()> process_events;
    // Asked, before anything is cleared or written, when the logger holds a mission with
    // samples: whether it may be overwritten. Left empty: it may.
    std::function<HeldMissionChoice(const mission::HeldMission&)> held_mission = {};
    // What the run read of the logger once it is stopped (identity, type, status, samples
    // held), before anything is cleared or written.
    std::function<void(const mission::MissionHeader&)> logger_read = {};
};

struct RunResult {
    // Empty when no port is chosen: the run did nothing and shows nothing.
    std::optional<ResultLine> line;
    // Known once the configuration byte has been read.
    std::optional<mission::LoggerType> logger_type;
    // Why the run failed, when the logger or the port failed it.
    std::optional<link::Failure> failure;
    // The identity the run read (sixteen zeros when none).
    link::LoggerId logger_id = link::kNoLoggerId;
    // Set when the run ended because the held mission was not to be overwritten; the
    // logger's mission is then stopped, its memory untouched.
    std::optional<HeldMissionChoice> kept_held_mission;
    // Pages 1 to 16 of the image the run built and wrote; none before it got that far.
    std::vector<mission::RawPage> written_pages;
};

// Programs the logger in the reader with a new mission: stop it, read its type, build the
// image from `settings` and the PC's local time, clear the memory, write pages 1 to 16
// through the scratchpad with a read-back check, read them from memory and write again any
// that differs, or whose clock does not run from the written time (three attempts per page
// in all), start the mission. A low threshold above the high one, as typed or once
// corrected to the logger's range, is refused before anything is cleared or written.
[[nodiscard]] RunResult run_programming(link::LoggerCommands& commands, const link::Clock& clock,
                                        int comm_port_number, const ProgrammingSettings& settings,
                                        const RunHooks& hooks);

// What a run is recorded with: its result line, or for a run ended at the question about a
// mission never downloaded the choice that ended it, "cancelled" or "download first"; nothing
// when the run did nothing.
[[nodiscard]] std::optional<std::string> recorded_result(const RunResult& result);

// The logger `before` a run that ended in "PROGRAMMING OK", as that run left it: its new
// mission running, no sample taken yet.
[[nodiscard]] mission::MissionHeader programmed_logger(mission::MissionHeader before);

}  // namespace frostel::programming
