#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "cli_commands.h"
#include "cli_options.h"
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
};

// "time,temperature" and one line per sample: values in the mission's unit with the
// calibration offset, in shortest round-trip form.
[[nodiscard]] std::string mission_csv(const mission::DownloadedMission& mission);

// The window's own download, then the samples as CSV ("time,temperature"; values in the
// unit with the calibration offset, in shortest round-trip form), a short account on `err`
// and, when asked, the mission's summary as JSON and its report as PDF.
[[nodiscard]] int run_download(const CommandContext& context, const DownloadRequest& request);

}  // namespace frostel::cli
