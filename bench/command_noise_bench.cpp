// How often a garbled byte from the PC changes the mission that a download leaves in the
// logger. Nothing checks the PC's bytes, so the reader takes what comes: every single fault
// on every byte of one full download, then seeded noise at three rates.
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "mission/download.h"
#include "sim/line_noise.h"
#include "sim/mission/mission_loader.h"
#include "tests/support/recording_view.h"
#include "tests/support/sim_rig.h"

namespace {

using namespace frostel;
using namespace std::chrono_literals;
using sim::LineFault;

sim::SimMission full_log() {
    sim::SimMission mission;
    mission.configuration = sim::kConfigurationL;
    for (int i = 0; i < 8192; ++i) {
        mission.temperatures.push_back(-20.0 + (i * 37 % 200) * 0.5);
    }
    return mission;
}

struct Download {
    bool changed = false;  // the stored mission is not what it was
    std::vector<link::Byte> sent;
};

Download download(const sim::SimMission& mission, sim::LineNoise noise) {
    test::SimRig rig;
    sim::load_mission(rig.logger, mission);
    const auto before = test::stored_mission(rig.logger);
    rig.port.set_command_noise(std::move(noise));
    test::RecordingView view;
    (void)mission::download_mission({rig.commands, rig.clock, 1, "/nonexistent"}, view);
    return {test::stored_mission(rig.logger) != before, rig.wire.sent()};
}

// What each byte the PC sends is: a letter or a page number byte, with its page.
std::vector<std::string> roles(const std::vector<link::Byte>& sent) {
    std::vector<std::string> role;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const char letter = static_cast<char>(sent[i]);
        if (letter != 'B') {
            role.push_back(std::string("letter ") + letter);
            continue;
        }
        const std::string page = std::to_string(sent[i + 1] + 256 * sent[i + 2]);
        role.push_back("letter B of page " + page);
        role.push_back("low byte of page " + page);
        role.push_back("high byte of page " + page);
        i += 2;
    }
    return role;
}

void single_faults(const sim::SimMission& mission) {
    const std::vector<link::Byte> sent = download(mission, {}).sent;
    const std::vector<std::string> role = roles(sent);
    std::vector<std::pair<std::string, LineFault>> faults{
        {"lost", {LineFault::Kind::kDrop}}, {"150 ms late", {LineFault::Kind::kDelay, 0, 150ms}}};
    for (int bit = 0; bit < 8; ++bit) {
        faults.push_back({"bit " + std::to_string(bit) + " flipped",
                          {LineFault::Kind::kCorrupt, static_cast<link::Byte>(1U << bit)}});
    }
    std::map<std::string, int> changed;
    int total = 0;
    for (std::size_t index = 0; index < sent.size(); ++index) {
        for (const auto& [what, fault] : faults) {
            ++total;
            if (download(mission, sim::fault_at_byte(static_cast<int>(index), fault)).changed) {
                ++changed[role[index] + ", " + what];
            }
        }
    }
    int count = 0;
    for (const auto& entry : changed) {
        count += entry.second;
    }
    std::printf("one full 8-bit download: %zu bytes from the PC, %d single faults\n", sent.size(),
                total);
    std::printf("faults that change the stored mission: %d (%.3f %%)\n", count,
                100.0 * count / total);
    for (const auto& [what, times] : changed) {
        std::printf("  %3d x %s\n", times, what.c_str());
    }
}

void seeded_noise(const sim::SimMission& mission) {
    constexpr int kSeeds = 1000;
    std::printf("\nseeded noise on the PC's bytes, full 8-bit downloads\n%8s %6s %16s\n", "rate",
                "runs", "mission changed");
    for (const double rate : {0.001, 0.01, 0.05}) {
        int changed = 0;
        for (int seed = 1; seed <= kSeeds; ++seed) {
            changed += download(mission, sim::random_line_noise(rate, seed, 150ms)).changed ? 1 : 0;
        }
        std::printf("%7.1f%% %6d %9d (%4.2f %%)\n", rate * 100, kSeeds, changed,
                    100.0 * changed / kSeeds);
    }
}

}  // namespace

int main() {
    const sim::SimMission mission = full_log();
    single_faults(mission);
    seeded_noise(mission);
    return 0;
}
