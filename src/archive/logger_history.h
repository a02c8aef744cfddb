#pragma once

#include <optional>
#include <string>

#include "archive/mission_archive.h"
#include "programming/programming_run.h"

namespace frostel::archive {

// The programming run's question about the mission a logger holds: nothing when a record
// that verifies keeps it, so programming over it loses nothing; else the sentence to ask,
// "The archive cannot be checked: <why>." when the archive cannot be searched.
[[nodiscard]] std::optional<std::string> held_mission_question(
    MissionArchive& archive, const programming::HeldMission& mission);

// What the logger's history keeps of a programming run: nothing for a run that never
// reached the logger's type.
[[nodiscard]] std::optional<ProgrammingRecord> programming_record(
    const Stamp& stamp, const programming::ProgrammingSettings& settings,
    const programming::RunResult& result);

}  // namespace frostel::archive
