// frostel-reader-sim: the simulated reader box and its logger on a pseudo-terminal, so the
// program and frostel-cli can be run and tested without hardware.
#include <csignal>
#include <fstream>
#include <iostream>
#include <system_error>

#include "sim/logger_model.h"
#include "sim/pty/pty_server.h"
#include "sim/pty/sample_missions.h"
#include "sim/pty/sim_options.h"
#include "sim/reader_box.h"

namespace {

volatile std::sig_atomic_t stop_requested = 0;

void request_stop(int /*signal*/) {
    stop_requested = 1;
}

bool load_memory(frostel::sim::LoggerModel& logger, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    auto memory = logger.memory();
    in.read(reinterpret_cast<char*>(memory.data()), static_cast<std::streamsize>(memory.size()));
    return !in.bad();
}

// ports/COM<n> in the program folder names our device, as for a real reader.
std::filesystem::path link_port(const std::filesystem::path& folder, int port,
                                const std::string& device) {
    const std::filesystem::path ports = folder / "ports";
    std::filesystem::create_directories(ports);
    std::filesystem::path entry = ports / ("COM" + std::to_string(port));
    std::error_code ignored;
    std::filesystem::remove(entry, ignored);
    std::filesystem::create_symlink(device, entry);
    return entry;
}

// The logger's clock set to `time` and running, as a programming run on this PC leaves it.
void set_clock(frostel::sim::LoggerModel& logger, const frostel::platform::LocalDateTime& time) {
    auto memory = logger.memory();
    const int fields[] = {time.second, time.minute, time.hour,
                          time.day,    time.month,  time.year % 100};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        memory[frostel::sim::kClockRegisters + i] = frostel::sim::to_bcd(fields[i]);
    }
    memory[frostel::sim::kClockControlRegister] |= frostel::sim::kOscillatorBit;
}

int run_simulator(int argc, char** argv) {
    using namespace frostel::sim;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = parse_sim_options(args);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::cerr << "frostel-reader-sim: " << *error << '\n' << kSimUsage;
        return 2;
    }
    const auto& options = std::get<SimOptions>(parsed);
    if (options.help) {
        std::cout << kSimUsage;
        return 0;
    }

    const frostel::link::SystemClock system_clock;
    LoggerModel logger;
    if (options.serial) {
        logger.set_serial(*options.serial);
    }
    if (options.memory_file && !load_memory(logger, *options.memory_file)) {
        std::cerr << "frostel-reader-sim: cannot read " << *options.memory_file << '\n';
        return 1;
    }
    if (options.mission) {
        const auto now = options.clock.value_or(frostel::link::SystemClock().local_now());
        load_mission(logger, *sample_mission(*options.mission, now));
        set_clock(logger, now);
        logger.run_clock(system_clock);
    }
    logger.freeze_status_bits(options.stuck_status_bits);
    ReaderBox box(logger);
    for (const ReplyFault& fault : options.faults) {
        box.add_fault(fault);
    }

    std::ofstream log_file;
    PtyServer server(box);
    if (options.log_path) {
        if (*options.log_path == "-") {
            server.set_log(&std::cerr);
        } else {
            log_file.open(*options.log_path);
            server.set_log(&log_file);
        }
    }
    std::filesystem::path port_entry;
    if (options.program_folder) {
        port_entry = link_port(*options.program_folder, options.port, server.device_path());
    }
    std::signal(SIGINT, request_stop);
    std::signal(SIGTERM, request_stop);
    std::cout << server.device_path() << std::endl;
    server.serve(stop_requested);
    if (!port_entry.empty()) {
        std::error_code ignored;
        std::filesystem::remove(port_entry, ignored);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Whatever escapes (a pseudo-terminal or a file that cannot be made) ends the run with
    // its reason.
    try {
        return run_simulator(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "frostel-reader-sim: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "frostel-reader-sim: unexpected error\n";
    }
    return 1;
}
