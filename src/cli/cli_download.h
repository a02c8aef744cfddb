#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "archive/audit_trail.h"
#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "link/clock.h"
#include "mission/download.h"
#include "mission/mission_record.h"

namespace frostel::cli {

struct DownloadRequest {
    link::Clock& clock;
    int port_number = 1;
    std::filesystem::path program_folder;  // gets the side file, as from the window
    std::optional<std::filesystem::path> csv_file{};
    std::string unit = "CELSIUS";
    SummaryOptions summary{};       // written only with a file
    mission::TimeZone time_zone{};  // the PC's, kept with the mission
    ReportRequest report{};
    // Where a finished download is kept, false when it could not be (the download then
    // exits 1 after writing every other output); left empty, nowhere.
    std::function<bool(const mission::DownloadedMission&)> keep = {};
    // What the archive kept of the programming run that set the logger's clock.
    std::function<std::optional<mission::ClockSetting>(const mission::MissionHeader&)>
        clock_setting = {};
    // Enters each file written in the audit trail, and gives the trail's head a report
    // prints; left empty, neither.
    std::function<void(const archive::AuditEvent&)> audit = {};
    std::function<std::string()> audit_head = {};
};

// The logger's clock, as three lines: its offset from UTC, where the offset comes from and
// the drift ("unknown" for a mission kept before clocks were read).
void print_clock(std::ostream& out, const std::optional<mission::LoggerClock>& clock);
// One line for each warning the clock gives.
void print_clock_warnings(std::ostream& err, const std::optional<mission::LoggerClock>& clock);

// The event of a file written by frostel-cli, named by its absolute path.
[[nodiscard]] archive::AuditEvent cli_file_written(const std::string& kind,
                                                   const std::filesystem::path& file,
                                                   const std::string& fingerprint);

// The window's own download, kept where the request says, then a short account on `err`,
// when asked the mission's summary as JSON and its report as PDF, and the samples as CSV
// (`report::mission_csv`). Every output that can be written is; any that cannot makes the exit 1.
[[nodiscard]] int run_download(const CommandContext& context, const DownloadRequest& request);

}  // namespace frostel::cli
