// A full 8-bit download (8192 samples) by frostel-cli from frostel-reader-sim at 4800 baud:
// wall time against the protocol's floor, and frostel-cli's CPU share.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "link/logger_commands.h"
#include "tests/support/process.h"

namespace {

using namespace frostel;
using std::chrono::duration;

constexpr double kByteSeconds = 10.0 / 4800.0;

double page_read_seconds() {
    using namespace link::protocol;
    return duration<double>(kReadMemoryFlushPause + 3 * kReadMemoryBytePause).count() +
           (link::kPageSize + 2) * kByteSeconds;
}

// Two identity reads, stop_mission with its settle and its status page, 18 register pages
// and the 256 log pages.
double download_floor_seconds() {
    const double identity = 2 * link::protocol::kRomBytes * kByteSeconds;
    const double stop =
        duration<double>(link::protocol::kMissionCommandSettle).count() + page_read_seconds();
    return identity + stop + (18 + 256) * page_read_seconds();
}

}  // namespace

int main() {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("frostel-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    test::ProcessResult download;
    double wall = 0;
    {
        test::ReaderSimProcess sim({FROSTEL_READER_SIM, "--mission", "full-log"});
        const auto start = std::chrono::steady_clock::now();
        download = test::run_process({FROSTEL_CLI, "--device", sim.device(), "--program-folder",
                                      folder.string(), "--data-folder", folder.string(), "download",
                                      "--csv", (folder / "full.csv").string()});
        wall = duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    std::filesystem::remove_all(folder);
    if (download.exit_code != 0) {
        std::fprintf(stderr, "download failed: %s", download.err.c_str());
        return 1;
    }
    const double floor = download_floor_seconds();
    std::printf("full 8-bit download by frostel-cli (8192 samples, 275 page reads)\n");
    std::printf("wall time:         %.3f s (process start included)\n", wall);
    std::printf("floor:             %.3f s\n", floor);
    std::printf("ratio wall/floor:  %.4f   (target <= 1.05)\n", wall / floor);
    std::printf("CPU / wall:        %.2f %%  (target <= 5 %%)\n",
                100.0 * download.cpu_seconds / wall);
    return 0;
}
