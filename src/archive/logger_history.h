#pragma once

#include <optional>

#include "archive/mission_archive.h"
#include "programming/programming_run.h"

namespace frostel::archive {

// Whether the archive keeps the mission a logger holds, so programming over it loses nothing.
[[nodiscard]] bool keeps(MissionArchive& archive, const programming::HeldMission& mission);

// What the logger's history keeps of a programming run: nothing for a run that never
// reached the logger's type.
[[nodiscard]] std::optional<ProgrammingRecord> programming_record(
    const Stamp& stamp, const programming::ProgrammingSettings& settings,
    const programming::RunResult& result);

}  // namespace frostel::archive
