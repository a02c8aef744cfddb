// Downloads and programming runs over a line that corrupts, drops and delays bytes at
// random (seeded), the reader's replies or the PC's own bytes: each run either gives exactly
// the logger's data or fails cleanly.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <tuple>

#include "mission/download.h"
#include "programming/programming_run.h"
#include "sim/line_noise.h"
#include "sim/mission/mission_loader.h"
#include "tests/support/recording_view.h"
#include "tests/support/sim_rig.h"

namespace frostel::test {
namespace {

using namespace std::chrono_literals;

constexpr std::array<double, 3> kRates{0.001, 0.01, 0.05};
constexpr int kDownloadSeeds = 30;
constexpr int kProgrammingSeeds = 100;

// Which bytes the line garbles: the reader's replies, or the PC's letters, page numbers,
// page data and copy bytes. A rate of 0 is a clean line.
enum class Direction { kToPc, kToReader };
struct Line {
    Direction direction = Direction::kToPc;
    double rate = 0;
    std::uint32_t seed = 0;
};

SimRig& on_line(SimRig& rig, const Line& line) {
    if (line.rate > 0) {
        sim::LineNoise noise = sim::random_line_noise(line.rate, line.seed, 150ms);
        if (line.direction == Direction::kToPc) {
            rig.port.set_line_noise(std::move(noise));
        } else {
            rig.port.set_command_noise(std::move(noise));
        }
    }
    return rig;
}

template <typename T>
struct Outcome {
    std::optional<T> data;         // what a success left, to match against a clean line's
    bool failed_cleanly = false;   // an error shown with nothing else touched
    bool mission_changed = false;  // downloads: the logger's stored mission is not what it was
};

// `run` at every rate in both directions for `seeds` seeds from `first_seed`: each run is
// exactly the clean line's result or a clean failure; a row of figures a rate. Returns how
// many succeeded at the lowest rate with noisy replies.
template <typename Run>
int noisy_runs(const char* what, int seeds, int first_seed, const Run& run) {
    const auto clean = run(Line{});
    EXPECT_TRUE(clean.data) << what;
    std::printf("\n%s\n%8s %-9s %6s %10s %15s %6s\n", what, "rate", "direction", "runs",
                "succeeded", "failed cleanly", "wrong");
    int lowest_rate_succeeded = -1;
    for (const Direction direction : {Direction::kToPc, Direction::kToReader}) {
        const bool to_pc = direction == Direction::kToPc;
        for (const double rate : kRates) {
            int exact = 0;
            int failed = 0;
            for (int seed = first_seed; seed < first_seed + seeds; ++seed) {
                const auto r = run(Line{direction, rate, static_cast<std::uint32_t>(seed)});
                exact += r.data && r.data == clean.data ? 1 : 0;
                failed += !r.data && r.failed_cleanly ? 1 : 0;
                // A garbled reply never reaches the logger. A garbled command may: nothing
                // checks the PC's bytes (the low byte of page 328 is "H", which clears the
                // mission's sample count), so only the other direction is held to this.
                EXPECT_FALSE(to_pc && r.mission_changed) << rate << " seed " << seed;
            }
            const int wrong = seeds - exact - failed;
            EXPECT_EQ(wrong, 0) << rate << (to_pc ? " to the PC" : " to the reader");
            std::printf("%7.1f%% %-9s %6d %10d %15d %6d\n", rate * 100,
                        to_pc ? "to PC" : "to reader", seeds, exact, failed, wrong);
            lowest_rate_succeeded = lowest_rate_succeeded < 0 ? exact : lowest_rate_succeeded;
        }
    }
    return lowest_rate_succeeded;
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

// The values and the mission text.
using Downloaded = std::pair<std::vector<double>, std::string>;

Outcome<Downloaded> download(const sim::SimMission& mission, const Line& line) {
    SimRig rig;
    sim::load_mission(rig.logger, mission);
    const auto before = stored_mission(rig.logger);
    RecordingView view;
    const auto got = mission::download_mission(
        {on_line(rig, line).commands, rig.clock, 1, "/nonexistent"}, view);
    Outcome<Downloaded> result;
    if (got) {
        result.data = Downloaded{got->values, got->header.mission_text};
    }
    // A failed download shows its error and gives nothing to show.
    result.failed_cleanly = view.error_visible && !got;
    result.mission_changed = stored_mission(rig.logger) != before;
    return result;
}

TEST(NoisyLine, DownloadsAreExactOrFailCleanly) {
    // Full logs both, so that every page number travels; each with seeds of its own.
    for (const bool sixteen_bit : {false, true}) {
        const sim::SimMission mission = test_mission(sixteen_bit);
        const int succeeded = noisy_runs(sixteen_bit ? "full 16-bit downloads (4096 samples)"
                                                     : "full 8-bit downloads (8192 samples)",
                                         kDownloadSeeds, sixteen_bit ? 1001 : 1,
                                         [&](const Line& line) { return download(mission, line); });
        // A clean-enough line still gets its downloads through.
        EXPECT_EQ(succeeded, kDownloadSeeds);
    }
}

// Programs a running logger. What a success leaves: whether a mission runs, and the bytes at
// 0x0020 to 0x021F but for the clock registers, which hold the PC's time and run on.
Outcome<std::pair<bool, std::vector<link::Byte>>> program(const Line& line) {
    SimRig rig;
    rig.logger.memory()[0x0226] = sim::kConfigurationL;
    rig.logger.memory()[sim::kStatusAddress] = sim::kMissionRunning;
    rig.logger.run_clock(rig.clock);
    programming::ProgrammingSettings settings;
    // Command letters in the text: a lost "C" makes the reader take them as commands.
    settings.mission_text = "COLD STORE 4, CHECK DAILY; FRIDGE B";
    settings.calibration = 7;
    settings.low_threshold = "-12";
    settings.high_threshold = "8";
    const auto run =
        programming::run_programming(on_line(rig, line).commands, rig.clock, 1, settings, {});
    Outcome<std::pair<bool, std::vector<link::Byte>>> result;
    result.failed_cleanly = run.line.has_value();  // an error line
    if (run.line && !run.line->is_failure()) {
        auto& [running, bytes] = result.data.emplace();
        running = (rig.logger.status() & sim::kMissionRunning) != 0;
        const auto memory = rig.logger.memory();
        for (std::size_t address = 0x0020; address < 0x0220; ++address) {
            if (address < 0x0200 || address > 0x0205) {
                bytes.push_back(memory[address]);
            }
        }
    }
    return result;
}

TEST(NoisyLine, ProgrammingIsExactOrReportsAnError) {
    noisy_runs("programming runs (16 pages written and read back)", kProgrammingSeeds, 1, program);
}

}  // namespace
}  // namespace frostel::test
