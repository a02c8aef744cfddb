#pragma once

// The archive benchmarks' missions: many, each its own, from one downloaded mission.
#include <cstdio>

#include "tests/support/archive_rig.h"

namespace frostel::bench {

constexpr int kLoggers = 50;

// Mission n: one of fifty loggers, its text and so its pages its own.
inline mission::DownloadedMission mission_number(const mission::DownloadedMission& base, int n) {
    mission::DownloadedMission m = base;
    char id[17];
    std::snprintf(id, sizeof id, "41%012X00", n % kLoggers + 1);
    m.header.logger_id = id;
    return test::ArchiveRig::variant(std::move(m), static_cast<std::uint32_t>(n));
}

// A full mission of 8192 samples, downloaded from the rig's simulated logger.
inline mission::DownloadedMission full_mission(test::ArchiveRig& rig) {
    sim::SimMission full = test::ArchiveRig::mission("Bench cold room", {2026, 1, 5, 6, 0, 0}, 0);
    for (int i = 0; i < 8192; ++i) {
        full.temperatures.push_back(4.0 + (i % 37) * 0.25);
    }
    return rig.download(full);
}

}  // namespace frostel::bench
