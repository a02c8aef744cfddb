// Reads a full download's pages (1 to 18 and 128 to 383) from frostel-reader-sim on a
// pseudo-terminal, paced at 4800 baud, through the Qt SerialPort adapter, and prints how
// close the link comes to the protocol's own floor and how much CPU it burns meanwhile.

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "link/clock.h"
#include "link/logger_commands.h"
#include "link/qt_serial_port.h"
#include "tests/support/process.h"

namespace {

using namespace frostel;
using std::chrono::duration;

std::vector<int> download_pages() {
    std::vector<int> pages;
    for (int page = 1; page <= 18; ++page) {
        pages.push_back(page);
    }
    for (int page = 128; page <= 383; ++page) {
        pages.push_back(page);
    }
    return pages;
}

double process_cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// What a page read cannot go below: the flush pause, the three byte pauses and 34 reply
// bytes of ten bits each at 4800 baud.
double page_floor_seconds() {
    using namespace link::protocol;
    const double pauses =
        duration<double>(kReadMemoryFlushPause + 3 * kReadMemoryBytePause).count();
    return pauses + 34 * 10.0 / 4800.0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    test::ReaderSimProcess sim({FROSTEL_READER_SIM});
    link::QtSerialPort port(link::QtSerialPort::fixed_device(sim.device()));
    link::SystemClock clock;
    link::ReaderLink reader(port, clock);
    link::LoggerCommands commands(reader);
    reader.open_port(1);

    const std::vector<int> pages = download_pages();
    int failures = 0;
    const double cpu_start = process_cpu_seconds();
    const auto wall_start = std::chrono::steady_clock::now();
    for (const int page : pages) {
        commands.read_memory(page);
        failures += reader.error_number() == link::kNoError ? 0 : 1;
    }
    const double wall = duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    const double cpu = process_cpu_seconds() - cpu_start;
    const double floor = static_cast<double>(pages.size()) * page_floor_seconds();

    std::printf("page reads:        %zu (failed: %d)\n", pages.size(), failures);
    std::printf("wall time:         %.3f s\n", wall);
    std::printf("floor:             %.3f s\n", floor);
    std::printf("ratio wall/floor:  %.4f   (target <= 1.05)\n", wall / floor);
    std::printf("CPU / wall:        %.2f %%  (target <= 5 %%)\n", 100.0 * cpu / wall);
    return failures == 0 ? 0 : 1;
}
