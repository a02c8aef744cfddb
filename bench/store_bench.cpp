// The archive's store at scale, on either store: fills the archive at LOCATION to MISSIONS full
// missions (8192 samples each; later runs reuse them), then prints how long the list's first
// page, a filter, opening a record and archiving a download take. Run it once with an SQLite
// file and once with a shared archive's address (migrated, accounts off) to compare them.
//
//     store_bench LOCATION [MISSIONS]      (default 10000)
#include <QCoreApplication>
#include <cstdio>

#include "archive/mission_archive.h"
#include "bench/median_time.h"
#include "bench/numbered_mission.h"

namespace {

using namespace frostel;
using bench::Clock;
using bench::median_ms;
using bench::milliseconds;
using bench::mission_number;

// The Archive window's page of the list.
constexpr int kPage = 200;

archive::MissionFilter filter(const std::string& text) {
    archive::MissionFilter f;
    f.text = text;
    f.limit = kPage;
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: store_bench LOCATION [MISSIONS]\n");
        return 2;
    }
    const QString location = QString::fromLocal8Bit(argv[1]);
    const int missions = argc > 2 ? std::atoi(argv[2]) : 10000;
    test::ArchiveRig rig;
    const mission::DownloadedMission base = bench::full_mission(rig);
    archive::MissionArchive archive(location);
    if (!archive.is_open()) {
        std::fprintf(stderr, "store_bench: %s\n", qPrintable(archive.error()));
        return 1;
    }
    const int kept =
        static_cast<int>(archive.find({}).value_or(std::vector<archive::ArchiveEntry>{}).size());
    const auto start = Clock::now();
    for (int n = kept; n < missions; ++n) {
        if (!archive.archive(mission_number(base, n), rig.stamp)) {
            std::fprintf(stderr, "store_bench: %s\n", qPrintable(archive.error()));
            return 1;
        }
    }
    if (kept < missions) {
        std::printf("generated %d missions in %.1f s\n", missions - kept,
                    milliseconds(Clock::now() - start) / 1000);
    }
    const double list = median_ms([&](int) { (void)archive.find(filter({})); });
    const double by_logger = median_ms([&](int) { (void)archive.find(filter("000000000017")); });
    const double by_text =
        median_ms([&](int) { (void)archive.find(filter("no mission says this")); });
    const double open = median_ms([&](int i) { (void)archive.load(i + 1); });
    const double verify = median_ms([&](int i) { (void)archive.verify(i + 1); });
    const double keep = median_ms([&](int i) {
        (void)archive.archive(mission_number(base, missions + 1000 + i), rig.stamp);
    });
    std::printf("%s: %d missions\n", qPrintable(archive.path()), missions);
    std::printf("list, first page of %d:         %7.1f ms\n", kPage, list);
    std::printf("filter by logger id:             %7.1f ms\n", by_logger);
    std::printf("filter by text matching nothing: %7.1f ms\n", by_text);
    std::printf("open a record:                   %7.1f ms\n", open);
    std::printf("verify a record:                 %7.1f ms\n", verify);
    std::printf("archive a download:              %7.1f ms\n", keep);
    return 0;
}
