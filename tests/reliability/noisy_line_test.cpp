// Downloads and programming runs over a line that corrupts, drops and delays reply bytes at
// random (seeded): each run either gives exactly the logger's data or fails cleanly.
#include <gtest/gtest.h>

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
constexpr int kDownloadSeeds = 25;
constexpr int kProgrammingSeeds = 100;

template <typename T>
struct Result {
    bool succeeded = false;
    bool failed_cleanly = false;  // not succeeded, and an error shown with nothing else touched
    T data{};                     // what a success left, to match against a clean line's
    long commands = 0;            // "B" reads or "C" writes sent
    long pages = 0;               // the pages they were for, a run of one page counted once
};

template <typename T>
void count_commands(const SimRig& rig, char letter, Result<T>& result) {
    result.commands = rig.box.count(letter);
    int last = -1;
    for (const auto& command : rig.box.commands()) {
        if (command.letter == letter) {
            result.pages += command.page != last ? 1 : 0;
            last = command.page;
        }
    }
}

// `run` at every rate for `seeds` seeds, against its result on a clean line, printed as a
// table; none may be wrong. Returns how many succeeded at the lowest rate.
template <typename Run>
int noisy_runs(const char* what, int seeds, const Run& run) {
    const auto clean = run(sim::LineNoise{});
    EXPECT_TRUE(clean.succeeded) << what;
    std::printf("\n%s\n%8s %6s %10s %15s %6s %17s\n", what, "rate", "runs", "succeeded",
                "failed cleanly", "wrong", "retries per page");
    std::vector<int> succeeded;
    for (const double rate : kRates) {
        int exact = 0;
        int failed = 0;
        long commands = 0;
        long pages = 0;
        for (int seed = 1; seed <= seeds; ++seed) {
            const auto r = run(sim::random_line_noise(rate, seed, 150ms));
            exact += r.succeeded && r.data == clean.data ? 1 : 0;
            failed += !r.succeeded && r.failed_cleanly ? 1 : 0;
            commands += r.commands;
            pages += r.pages;
        }
        const int wrong = seeds - exact - failed;
        EXPECT_EQ(wrong, 0) << what << " at rate " << rate;
        std::printf("%7.1f%% %6d %10d %15d %6d %17.3f\n", rate * 100, seeds, exact, failed, wrong,
                    static_cast<double>(commands - pages) / static_cast<double>(pages));
        succeeded.push_back(exact);
    }
    return succeeded.front();
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

Result<Downloaded> download(const sim::SimMission& mission, sim::LineNoise noise) {
    SimRig rig;
    sim::load_mission(rig.logger, mission);
    rig.port.set_line_noise(std::move(noise));
    RecordingView view;
    const auto got = mission::download_mission({rig.commands, rig.clock, 1, "/nonexistent"}, view);
    Result<Downloaded> result;
    result.succeeded = got.has_value();
    // A failed download shows its error and leaves the chart alone.
    result.failed_cleanly = view.error_visible && !view.points;
    if (got) {
        result.data = {got->values, view.points->size(), got->header.mission_text};
    }
    count_commands(rig, 'B', result);
    return result;
}

TEST(NoisyLine, DownloadsAreExactOrFailCleanly) {
    for (const bool sixteen_bit : {false, true}) {
        const sim::SimMission mission = test_mission(sixteen_bit);
        const int succeeded = noisy_runs(
            sixteen_bit ? "full 16-bit downloads (4096 samples)"
                        : "full 8-bit downloads (8192 samples)",
            kDownloadSeeds, [&](sim::LineNoise noise) { return download(mission, noise); });
        // A clean-enough line still gets its downloads through.
        EXPECT_EQ(succeeded, kDownloadSeeds);
    }
}

// Programs a running logger. What it leaves: whether a mission runs, and the bytes at 0x0020
// to 0x021F but for the clock registers, which hold the PC's time and move on with retries.
Result<std::pair<bool, std::vector<link::Byte>>> program(sim::LineNoise noise) {
    SimRig rig;
    rig.logger.memory()[0x0226] = sim::kConfigurationL;
    rig.logger.memory()[sim::kStatusAddress] = sim::kMissionRunning;
    rig.port.set_line_noise(std::move(noise));
    programming::ProgrammingSettings settings;
    settings.mission_text = "Noisy line, cold store 4";
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
    noisy_runs("programming runs (16 pages written and read back)", kProgrammingSeeds, program);
}

}  // namespace
}  // namespace frostel::test
