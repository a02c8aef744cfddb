// Downloads and programming runs over a line that corrupts, drops and delays reply bytes at
// random (seeded): each run either gives exactly the logger's data or fails cleanly.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

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

struct Tally {
    int runs = 0;
    int succeeded = 0;
    int failed_cleanly = 0;
    int wrong = 0;
    long commands = 0;  // "B" reads or "C" writes sent
    long pages = 0;     // pages they were for
};

// Pages in the order the log shows them, a run of the same page counted once.
long page_groups(const SimRig& rig, char letter) {
    long groups = 0;
    int last = -1;
    for (const auto& command : rig.box.commands()) {
        if (command.letter != letter) {
            continue;
        }
        groups += command.page != last ? 1 : 0;
        last = command.page;
    }
    return groups;
}

void print_table(const char* what, const std::vector<std::pair<double, Tally>>& rows) {
    std::printf("\n%s\n%8s %6s %10s %15s %6s %17s\n", what, "rate", "runs", "succeeded",
                "failed cleanly", "wrong", "retries per page");
    for (const auto& [rate, t] : rows) {
        const double retries =
            static_cast<double>(t.commands - t.pages) / static_cast<double>(t.pages);
        std::printf("%7.1f%% %6d %10d %15d %6d %17.3f\n", rate * 100, t.runs, t.succeeded,
                    t.failed_cleanly, t.wrong, retries);
    }
}

sim::SimMission test_mission(bool sixteen_bit) {
    sim::SimMission mission;
    mission.configuration = sim::kConfigurationL;
    mission.sixteen_bit = sixteen_bit;
    mission.sensor_calibration = {52, 0, 52, 128, 122, 0, 121, 192};
    mission.calibration_offset_tenths = -3;
    const int count = sixteen_bit ? 4096 : 8192;
    for (int i = 0; i < count; ++i) {
        mission.temperatures.push_back(-20.0 + (i * 37 % 200) * 0.5);
    }
    return mission;
}

struct DownloadRun {
    std::optional<mission::DownloadedMission> mission;
    RecordingView view;
    long page_reads = 0;
    long pages = 0;
};

DownloadRun download(const sim::SimMission& mission, sim::LineNoise noise) {
    SimRig rig;
    sim::load_mission(rig.logger, mission);
    rig.port.set_line_noise(std::move(noise));
    DownloadRun run;
    run.mission = mission::download_mission({rig.commands, rig.clock, 1, "/nonexistent"}, run.view);
    run.page_reads = rig.box.count('B');
    run.pages = page_groups(rig, 'B');
    return run;
}

Tally noisy_downloads(bool sixteen_bit, double rate) {
    const sim::SimMission mission = test_mission(sixteen_bit);
    const DownloadRun clean = download(mission, {});
    EXPECT_TRUE(clean.mission);
    Tally tally;
    for (int seed = 1; seed <= kDownloadSeeds; ++seed) {
        const DownloadRun run = download(mission, sim::random_line_noise(rate, seed, 150ms));
        ++tally.runs;
        tally.commands += run.page_reads;
        tally.pages += run.pages;
        if (!run.mission) {
            // A failed download shows its error and leaves the chart alone.
            const bool clean_failure = run.view.error_visible && !run.view.points;
            clean_failure ? ++tally.failed_cleanly : ++tally.wrong;
            continue;
        }
        const bool exact = run.mission->values == clean.mission->values &&
                           run.view.points->size() == clean.view.points->size() &&
                           run.mission->header.mission_text == clean.mission->header.mission_text;
        exact ? ++tally.succeeded : ++tally.wrong;
    }
    return tally;
}

TEST(NoisyLine, DownloadsAreExactOrFailCleanly) {
    for (const bool sixteen_bit : {false, true}) {
        std::vector<std::pair<double, Tally>> rows;
        for (const double rate : kRates) {
            const Tally tally = noisy_downloads(sixteen_bit, rate);
            EXPECT_EQ(tally.wrong, 0) << "rate " << rate;
            rows.emplace_back(rate, tally);
        }
        print_table(sixteen_bit ? "full 16-bit downloads (4096 samples)"
                                : "full 8-bit downloads (8192 samples)",
                    rows);
        // A clean-enough line still gets its downloads through.
        EXPECT_EQ(rows[0].second.succeeded, kDownloadSeeds);
    }
}

struct ProgrammingOutcome {
    bool ok = false;
    std::vector<link::Byte> written;  // 0x0020 to 0x021F, the clock bytes left out
    bool running = false;
    long page_writes = 0;
    long pages = 0;
};

ProgrammingOutcome program(sim::LineNoise noise) {
    SimRig rig;
    rig.logger.memory()[0x0226] = sim::kConfigurationL;
    rig.logger.memory()[sim::kStatusAddress] = sim::kMissionRunning;
    rig.port.set_line_noise(std::move(noise));
    programming::ProgrammingSettings settings;
    settings.mission_text = "Noisy line, cold store 4";
    settings.calibration = 7;
    settings.low_threshold = "-12";
    settings.high_threshold = "8";
    const programming::RunResult result =
        programming::run_programming(rig.commands, rig.clock, 1, settings, {});
    ProgrammingOutcome outcome;
    outcome.ok = result.line && !result.line->is_failure();
    const auto memory = rig.logger.memory();
    for (std::size_t address = 0x0020; address < 0x0220; ++address) {
        // The clock registers hold the PC's time, which retries move on by seconds.
        if (address < 0x0200 || address > 0x0205) {
            outcome.written.push_back(memory[address]);
        }
    }
    outcome.running = (rig.logger.status() & sim::kMissionRunning) != 0;
    outcome.page_writes = rig.box.count('C');
    outcome.pages = page_groups(rig, 'C');
    return outcome;
}

TEST(NoisyLine, ProgrammingIsExactOrReportsAnError) {
    const ProgrammingOutcome clean = program({});
    ASSERT_TRUE(clean.ok);
    std::vector<std::pair<double, Tally>> rows;
    for (const double rate : kRates) {
        Tally tally;
        for (int seed = 1; seed <= kProgrammingSeeds; ++seed) {
            const ProgrammingOutcome run = program(sim::random_line_noise(rate, seed, 150ms));
            ++tally.runs;
            tally.commands += run.page_writes;
            tally.pages += run.pages;
            if (!run.ok) {
                ++tally.failed_cleanly;
            } else if (run.written == clean.written && run.running) {
                ++tally.succeeded;
            } else {
                ++tally.wrong;
            }
        }
        EXPECT_EQ(tally.wrong, 0) << "rate " << rate;
        rows.emplace_back(rate, tally);
    }
    print_table("programming runs (16 pages written and read back)", rows);
}

TEST(NoisyLine, AGarbledReadBackAddressIsWrittenAgainNotCopiedBlind) {
    // The logger refuses a copy whose bytes are not its own; copying after a garbled target
    // byte would leave the page unwritten and still end in success.
    for (const int garbled : {0, 1, 2}) {
        SimRig rig;
        rig.logger.memory()[0x0226] = sim::kConfigurationL;
        rig.box.add_fault({'D', -1, sim::ReplyFault::Kind::kCorrupt, garbled, 1});
        programming::ProgrammingSettings settings;
        settings.mission_text = "first page";
        const auto result = programming::run_programming(rig.commands, rig.clock, 1, settings, {});
        ASSERT_TRUE(result.line);
        EXPECT_FALSE(result.line->is_failure());
        EXPECT_EQ(rig.box.count('C'), 17) << "byte " << garbled;
        EXPECT_EQ(rig.logger.copies(), 16);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&rig.logger.memory()[0x20]), 10),
                  "first page");
    }
}

}  // namespace
}  // namespace frostel::test
