#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "link/serial_port.h"
#include "platform/local_date_time.h"
#include "sim/reader_box.h"

namespace frostel::sim {

// How frostel-reader-sim is asked to behave, from its command line.
struct SimOptions {
    std::optional<std::filesystem::path> program_folder;  // gets ports/COM<port>
    int port = 1;
    std::optional<std::filesystem::path> log_path;  // "-" for stderr
    std::optional<std::uint64_t> serial;
    std::optional<std::filesystem::path> memory_file;
    std::optional<std::string> mission;  // a sample mission by name
    // The PC time the sample mission ends shortly before (default: now), so that a reader
    // started again later can hold the very same mission.
    std::optional<platform::LocalDateTime> clock;
    std::vector<ReplyFault> faults;
    link::Byte stuck_status_bits = 0;
    // --help or -h: print the usage and serve nothing.
    bool help = false;
};

inline constexpr const char* kSimUsage =
    "usage: frostel-reader-sim [--help] [--program-folder DIR] [--port N] [--log FILE|-]\n"
    "                          [--serial HEX|ID] [--memory FILE] [--mission NAME]\n"
    "                          [--clock \"YYYY-MM-DD hh:mm:ss\"] [--status-stuck MASK]\n"
    "                          [--fault LETTER:PAGE:KIND[:BYTE[:TIMES]]]...\n"
    "  KIND is cut (keep BYTE bytes), corrupt (flip byte BYTE) or silence; PAGE is a\n"
    "  number or *; TIMES is how many replies are hit (default: every one)\n"
    "  HEX is the 12-digit serial number; ID the 16-digit logger id frostel-cli prints\n"
    "  NAME is a sample mission: cold-room (16-bit, four days) or full-log (8192 8-bit),\n"
    "  ending shortly before the --clock time (default: now)\n"
    "  DIR gets ports/COM<N> (N 1 to 30, default 1) naming the pseudo-terminal served;\n"
    "  --log writes every exchange to FILE (- for the standard error); --memory loads the\n"
    "  logger's memory from FILE; MASK (0x.. or decimal) holds status bits set\n";

// The options, or the reason the arguments make no sense.
[[nodiscard]] std::variant<SimOptions, std::string> parse_sim_options(
    std::span<const std::string> args);

// One --fault value, or nothing when it does not parse.
[[nodiscard]] std::optional<ReplyFault> parse_fault(const std::string& text);

}  // namespace frostel::sim
