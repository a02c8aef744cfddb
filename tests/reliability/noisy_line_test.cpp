// Downloads and programming runs over a line that corrupts, drops and delays bytes at
// random (seeded), the reader's replies or the PC's own bytes: each run either gives exactly
// the logger's data or fails cleanly.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <tuple>

#include "line_noise.h"
#include "mission/download.h"
#include "mission/mission_loader.h"
#include "programming/programming_run.h"
#include "support/recording_view.h"
#include "support/sim_rig.h"

namespace frostel::test {
namespace {

using namespace std::chrono_literals;

constexpr std::array<double, 3> kRates{0.001, 0.01, 0.05};
constexpr int kDownloadSeeds = 30;
constexpr int kProgrammingSeeds = 100;

// Which bytes the line garbles: the reader's replies, or the PC's letters, page numbers,
// page data and copy bytes.
enum class Direction { kToPc, kToReader };

struct Line {
    sim::LineNoise replies;
    sim::LineNoise commands;
};

Line noisy(Direction direction, double rate, std::uint32_t seed) {
    sim::LineNoise noise = sim::random_line_noise(rate, seed, 150ms);
    return direction == Direction::kToPc ? Line{noise, {}} : Line{{}, noise};
}

SimRig& on_line(SimRig& rig, Line line) {
    rig.port.set_line_noise(std::move(line.replies));
    rig.port.set_command_noise(std::move(line.commands));
    return rig;
}

template <typename T>
struct Result {
    bool succeeded = false;
    bool failed_cleanly = false;  // not succeeded, and an error shown with nothing else touched
    T data{};                     // what a success left, to match against a clean line's
    // Downloads only: the logger's stored mission is no longer what it was.
    std::optional<bool> mission_changed;
    long commands = 0;  // "B" reads or "C" writes sent
    long pages = 0;     // the pages they were for, a run of one page counted once
};

// The PC's attempts of `letter` and the pages they were for, from the bytes it sent (the
// reader may never have seen them as sent).
template <typename T>
void count_commands(const SimRig& rig, char letter, Result<T>& result) {
    const std::vector<link::Byte> sent = rig.wire.sent();
    int last = -1;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const auto parameters = sent[i] == 'B'   ? 2U
                                : sent[i] == 'C' ? 34U
                                : sent[i] == 'E' ? 3U
                                                 : 0U;
        if (sent[i] == letter) {
            const int page = sent[i + 1] + 256 * sent[i + 2];
            ++result.commands;
            result.pages += page != last ? 1 : 0;
            last = page;
        }
        i += parameters;
    }
}

// One row of the table: `run` with `seeds` seeds at one rate and direction.
template <typename Run>
int noisy_row(const Run& run, const auto& clean, int seeds, int first_seed, double rate,
              Direction direction) {
    int exact = 0;
    int failed = 0;
    int changed = 0;
    long commands = 0;
    long pages = 0;
    for (int seed = first_seed; seed < first_seed + seeds; ++seed) {
        const auto r = run(noisy(direction, rate, static_cast<std::uint32_t>(seed)));
        exact += r.succeeded && r.data == clean.data ? 1 : 0;
        failed += !r.succeeded && r.failed_cleanly ? 1 : 0;
        changed += r.mission_changed.value_or(false) ? 1 : 0;
        commands += r.commands;
        pages += r.pages;
    }
    const bool to_pc = direction == Direction::kToPc;
    const int wrong = seeds - exact - failed;
    EXPECT_EQ(wrong, 0) << rate << (to_pc ? " to the PC" : " to the reader");
    // A garbled reply never reaches the logger. A garbled command may, and nothing checks the
    // PC's bytes: with its letter lost, a page number is taken as a command of its own (the
    // low byte of page 328 is "H", which clears the mission's sample count).
    if (to_pc) {
        EXPECT_EQ(changed, 0) << rate;
    }
    std::printf("%7.1f%% %-9s %6d %10d %15d %6d %16s %17.3f\n", rate * 100,
                to_pc ? "to PC" : "to reader", seeds, exact, failed, wrong,
                clean.mission_changed ? std::to_string(changed).c_str() : "-",
                static_cast<double>(commands - pages) / static_cast<double>(pages));
    return exact;
}

// `run` at every rate in both directions for `seeds` seeds from `first_seed`, against its result on
// a clean line, printed as a table; none may be wrong. Returns how many succeeded at the lowest
// rate with noisy replies.
template <typename Run>
int noisy_runs(const char* what, int seeds, int first_seed, const Run& run) {
    const auto clean = run(Line{});
    EXPECT_TRUE(clean.succeeded) << what;
    std::printf("\n%s\n%8s %-9s %6s %10s %15s %6s %16s %17s\n", what, "rate", "direction", "runs",
                "succeeded", "failed cleanly", "wrong", "mission changed", "retries per page");
    int succeeded = -1;
    for (const Direction direction : {Direction::kToPc, Direction::kToReader}) {
        for (const double rate : kRates) {
            const int exact = noisy_row(run, clean, seeds, first_seed, rate, direction);
            succeeded = succeeded < 0 ? exact : succeeded;
        }
    }
    return succeeded;
}

sim::SimMission test_mission(bool sixteen_bit) {
    sim::SimMission mission;
    mission.configuration = sim::kConfigurationL;
    mission.sixteen_bit = sixteen_bit;
    mission.sensor_calibration = {52, 0, 52, 128, 122, 0, 121, 192};
    mission.calibration_offset_tenths = -3;
    for (int i = 0; i < (sixteen_bit ? 4096 : 8192); ++i) {
        mission.temperatures.push_back(-20.0 + (i * 37 % 200) * 0.5);
    }
    return mission;
}

// The values, the points shown and the mission text.
using Downloaded = std::tuple<std::vector<double>, std::size_t, std::string>;

Result<Downloaded> download(const sim::SimMission& mission, Line line) {
    SimRig rig;
    sim::load_mission(rig.logger, mission);
    const auto before = stored_mission(rig.logger);
    RecordingView view;
    const auto got = mission::download_mission(
        {on_line(rig, std::move(line)).commands, rig.clock, 1, "/nonexistent"}, view);
    Result<Downloaded> result;
    result.succeeded = got.has_value();
    // A failed download shows its error and leaves the chart alone.
    result.failed_cleanly = view.error_visible && !view.points;
    if (got) {
        result.data = {got->values, view.points->size(), got->header.mission_text};
    }
    result.mission_changed = stored_mission(rig.logger) != before;
    count_commands(rig, 'B', result);
    return result;
}

TEST(NoisyLine, DownloadsAreExactOrFailCleanly) {
    // Full logs both, so that every page number travels; each with seeds of its own.
    for (const bool sixteen_bit : {false, true}) {
        const sim::SimMission mission = test_mission(sixteen_bit);
        const int succeeded = noisy_runs(sixteen_bit ? "full 16-bit downloads (4096 samples)"
                                                     : "full 8-bit downloads (8192 samples)",
                                         kDownloadSeeds, sixteen_bit ? 1001 : 1, [&](Line line) {
                                             return download(mission, std::move(line));
                                         });
        // A clean-enough line still gets its downloads through.
        EXPECT_EQ(succeeded, kDownloadSeeds);
    }
}

// Programs a running logger. What it leaves: whether a mission runs, and the bytes at 0x0020
// to 0x021F but for the clock registers, which hold the PC's time and run on.
Result<std::pair<bool, std::vector<link::Byte>>> program(Line line) {
    SimRig rig;
    rig.logger.memory()[0x0226] = sim::kConfigurationL;
    rig.logger.memory()[sim::kStatusAddress] = sim::kMissionRunning;
    rig.logger.run_clock(rig.clock);
    on_line(rig, std::move(line));
    programming::ProgrammingSettings settings;
    // Command letters in the text: a lost "C" makes the reader take them as commands.
    settings.mission_text = "COLD STORE 4, CHECK DAILY; FRIDGE B";
    settings.calibration = 7;
    settings.low_threshold = "-12";
    settings.high_threshold = "8";
    const auto run = programming::run_programming(rig.commands, rig.clock, 1, settings, {});
    Result<std::pair<bool, std::vector<link::Byte>>> result;
    result.succeeded = run.line && !run.line->is_failure();
    result.failed_cleanly = run.line.has_value();  // an error line
    result.data.first = (rig.logger.status() & sim::kMissionRunning) != 0;
    const auto memory = rig.logger.memory();
    for (std::size_t address = 0x0020; address < 0x0220; ++address) {
        if (address < 0x0200 || address > 0x0205) {
            result.data.second.push_back(memory[address]);
        }
    }
    count_commands(rig, 'C', result);
    return result;
}

TEST(NoisyLine, ProgrammingIsExactOrReportsAnError) {
    noisy_runs("programming runs (16 pages written and read back)", kProgrammingSeeds, 1, program);
}

}  // namespace
}  // namespace frostel::test
