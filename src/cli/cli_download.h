#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "cli_commands.h"
#include "link/clock.h"

namespace frostel::cli {

struct DownloadRequest {
    link::Clock& clock;
    int port_number = 1;
    std::filesystem::path program_folder;  // gets the side file, as from the window
    std::optional<std::filesystem::path> csv_file;
    std::string unit = "CELSIUS";
};

// The window's own download, then the samples as CSV ("time,temperature"; values in the
// unit with the calibration offset, in shortest round-trip form) and a summary on `err`.
[[nodiscard]] int run_download(const CommandContext& context, const DownloadRequest& request);

}  // namespace frostel::cli
