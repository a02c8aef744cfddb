#include "sim/pty/sim_options.h"

#include <charconv>

#include "sim/logger_model.h"
#include "sim/pty/sample_missions.h"

namespace frostel::sim {

namespace {

template <typename Number>
std::optional<Number> parse_number(std::string_view text, int base = 10) {
    Number value{};
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (ec != std::errc{} || ptr != end || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            fields.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return fields;
}

std::optional<ReplyFault::Kind> parse_kind(std::string_view text) {
    if (text == "cut") {
        return ReplyFault::Kind::kCut;
    }
    if (text == "corrupt") {
        return ReplyFault::Kind::kCorrupt;
    }
    if (text == "silence") {
        return ReplyFault::Kind::kSilence;
    }
    return std::nullopt;
}

// The 12 hex digits of a serial number, or the 16-digit logger id that frostel-cli prints
// (family code, serial, check byte), whose family and check byte must then be right.
std::optional<std::uint64_t> parse_serial(std::string_view text) {
    if (text.size() == 16) {
        const auto serial = parse_number<std::uint64_t>(text.substr(2, 12), 16);
        LoggerModel logger;
        if (!serial || text.substr(0, 2) != "41") {
            return std::nullopt;
        }
        logger.set_serial(*serial);
        const auto check = parse_number<unsigned>(text.substr(14), 16);
        return check == logger.rom()[7] ? serial : std::nullopt;
    }
    const auto serial = parse_number<std::uint64_t>(text, 16);
    return serial && *serial >> 48 == 0 ? serial : std::nullopt;
}

// Applies one option that takes a value; false when the value is not acceptable.
bool apply_option(SimOptions& options, std::string_view name, const std::string& value) {
    if (name == "--program-folder") {
        options.program_folder = value;
    } else if (name == "--port") {
        const auto port = parse_number<int>(value);
        if (!port || *port < 1 || *port > 30) {
            return false;
        }
        options.port = *port;
    } else if (name == "--log") {
        options.log_path = value;
    } else if (name == "--serial") {
        options.serial = parse_serial(value);
        if (!options.serial) {
            return false;
        }
    } else if (name == "--memory") {
        options.memory_file = value;
    } else if (name == "--mission") {
        if (!sample_mission(value, {})) {
            return false;
        }
        options.mission = value;
    } else if (name == "--clock") {
        options.clock = platform::parse_iso(value);
        if (!options.clock) {
            return false;
        }
    } else if (name == "--status-stuck") {
        const auto mask = parse_number<unsigned>(value.starts_with("0x") ? value.substr(2) : value,
                                                 value.starts_with("0x") ? 16 : 10);
        if (!mask || *mask > 0xFF) {
            return false;
        }
        options.stuck_status_bits = static_cast<link::Byte>(*mask);
    } else if (name == "--fault") {
        const auto fault = parse_fault(value);
        if (!fault) {
            return false;
        }
        options.faults.push_back(*fault);
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::optional<ReplyFault> parse_fault(const std::string& text) {
    const auto fields = split(text, ':');
    if (fields.size() < 3 || fields.size() > 5 || fields[0].size() != 1 || fields[0][0] < 'A' ||
        fields[0][0] > 'H') {
        return std::nullopt;
    }
    ReplyFault fault;
    fault.letter = fields[0][0];
    if (fields[1] != "*") {
        const auto page = parse_number<int>(fields[1]);
        if (!page || *page < 0 || *page > 0xFFFF) {
            return std::nullopt;
        }
        fault.page = *page;
    }
    const auto kind = parse_kind(fields[2]);
    if (!kind) {
        return std::nullopt;
    }
    fault.kind = *kind;
    if (fields.size() > 3) {
        const auto byte_index = parse_number<int>(fields[3]);
        if (!byte_index || *byte_index < 0) {
            return std::nullopt;
        }
        fault.byte_index = *byte_index;
    }
    if (fields.size() > 4) {
        const auto times = parse_number<int>(fields[4]);
        if (!times || *times < 1) {
            return std::nullopt;
        }
        fault.times = *times;
    }
    return fault;
}

std::variant<SimOptions, std::string> parse_sim_options(std::span<const std::string> args) {
    SimOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return "missing value or unknown option: " + name;
        }
        const std::string& value = args[++i];
        if (!apply_option(options, name, value)) {
            std::string problem = "bad option: " + name;
            problem += ' ';
            problem += value;
            return problem;
        }
    }
    return options;
}

}  // namespace frostel::sim
