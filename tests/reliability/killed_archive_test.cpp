// Archive writers killed at random moments, and two writers at once, never cost a record.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

#include "support/archive_rig.h"

namespace frostel::test {
namespace {

using archive::MissionArchive;

// Archives variants first, first + 1, ... of `base`; forever when `count` is 0. Returns
// once the writer has its archive open, so that a kill lands among the writes.
pid_t start_writer(const QString& path, const mission::DownloadedMission& base,
                   const archive::Stamp& stamp, std::uint32_t first, std::uint32_t count) {
    int ready[2];
    if (::pipe(ready) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        MissionArchive archive(path);
        (void)!::write(ready[1], "r", 1);
        for (std::uint32_t n = first; count == 0 || n < first + count; ++n) {
            if (!archive.archive(ArchiveRig::variant(base, n), stamp)) {
                ::_exit(1);
            }
        }
        ::_exit(0);
    }
    char byte = 0;
    (void)!::read(ready[0], &byte, 1);
    ::close(ready[0]);
    ::close(ready[1]);
    return child;
}

// Every record opens and verifies intact; their number.
std::size_t whole_records(const QString& path) {
    MissionArchive archive(path);
    EXPECT_TRUE(archive.is_open()) << archive.error().toStdString();
    const std::vector<archive::MissionRecord> records = archive.find({}).value();
    for (const archive::MissionRecord& record : records) {
        EXPECT_EQ(archive.verify(record.id), archive::Verification::kIntact) << record.id;
        EXPECT_TRUE(archive.load(record.id)) << record.id;
    }
    return records.size();
}

TEST(KilledArchiveWrite, EveryEarlierRecordStaysWholeAndTwoWritersLoseNone) {
    ArchiveRig rig;
    const mission::DownloadedMission base =
        rig.download(ArchiveRig::mission("Killed writer", {2026, 4, 1, 6, 0, 0}, 2000));
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delay_ms(0, 40);

    std::size_t records = 0;
    for (std::uint32_t round = 0; round < 40; ++round) {
        const pid_t child = start_writer(rig.path(), base, rig.stamp, round << 16, 0);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::size_t now = whole_records(rig.path());
        ASSERT_GE(now, records) << "round " << round;
        records = now;
    }
    EXPECT_GT(records, 0u);  // the writers got through between the kills

    const std::uint32_t each = 30;
    const pid_t first = start_writer(rig.path(), base, rig.stamp, 1u << 30, each);
    const pid_t second = start_writer(rig.path(), base, rig.stamp, 1u << 31, each);
    for (const pid_t writer : {first, second}) {
        int status = -1;
        ::waitpid(writer, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(whole_records(rig.path()), records + 2 * each);
}

}  // namespace
}  // namespace frostel::test
