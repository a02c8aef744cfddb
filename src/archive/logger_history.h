#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "archive/mission_archive.h"
#include "mission/download.h"
#include "mission/held_mission.h"
#include "mission/logger_type.h"

namespace frostel::archive {

// The programming run's question about the mission a logger holds: nothing when a record
// that verifies keeps it, so programming over it loses nothing; else the sentence to ask,
// "The archive cannot be checked: <why>." when the archive cannot be searched, "The shared
// archive cannot be reached: <why>." when its server cannot.
[[nodiscard]] std::optional<std::string> held_mission_question(MissionArchive& archive,
                                                               const mission::HeldMission& mission);

// A programming run as its sequence reports it, in plain data.
struct RunReport {
    link::LoggerId logger_id;
    std::optional<mission::LoggerType> logger_type;             // none before the type was read
    std::vector<std::pair<std::string, std::string>> settings;  // every setting by name
    std::vector<mission::RawPage> written_pages;                // none before it got that far
    std::optional<std::string> result;  // the result line; none when nothing ran
};

// What the logger's history keeps of a programming run: nothing for a run that never
// reached the logger's type.
[[nodiscard]] std::optional<ProgrammingRecord> programming_record(const Stamp& stamp,
                                                                  const RunReport& run);

}  // namespace frostel::archive
