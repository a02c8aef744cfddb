#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace frostel::cli {

enum class Command { kId, kStatus, kReadPage, kDownload };

// What frostel-cli was asked to do, from its command line.
struct CliOptions {
    std::optional<int> port;            // --port N (1 to 30)
    std::optional<std::string> device;  // --device PATH, used for every port number
    std::optional<std::filesystem::path> program_folder;
    Command command = Command::kId;
    std::vector<int> pages;                         // read-page
    std::optional<std::filesystem::path> csv_file;  // download: stdout without it
    std::string unit = "CELSIUS";                   // download
};

inline constexpr const char* kCliUsage =
    "usage: frostel-cli [--port N | --device PATH] [--program-folder DIR] COMMAND\n"
    "  id                  print the logger's identity\n"
    "  status              print whether a mission runs and the memory is cleared\n"
    "  read-page P [P ...] print pages P (0 to 65535) in hex\n"
    "  download [--csv FILE] [--unit CELSIUS|FARENHEIT|KELVIN|REAUMUR]\n"
    "                      download the mission; samples as CSV to FILE or stdout\n"
    "  Port N (1 to 30, default 1) is the device ports/COMN in the program folder\n"
    "  (default: the folder of this program), else /dev/ttyUSB<N-1>.\n";

// The options, or the reason the arguments make no sense (nothing is sent then).
[[nodiscard]] std::variant<CliOptions, std::string> parse_cli_options(
    std::span<const std::string> args);

}  // namespace frostel::cli
