// Writers killed at random moments never leave a half-written file under the chosen name nor
// cost an archive record; two archive writers at once, and several programs opening a new
// archive at once, lose none.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "platform/whole_file.h"
#include "tests/support/archive_rig.h"

namespace frostel::test {
namespace {

using archive::MissionArchive;

// Runs `work` in a child process that exits 0 when it returns true; returns once the child
// has called `ready`, so that a kill lands in the work itself.
pid_t start_child(const std::function<bool(const std::function<void()>& ready)>& work) {
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(work([&] { (void)!::write(pipe_ends[1], "r", 1); }) ? 0 : 1);
    }
    ::close(pipe_ends[1]);
    char byte = 0;
    (void)!::read(pipe_ends[0], &byte, 1);
    ::close(pipe_ends[0]);
    return child;
}

void kill_after(pid_t child, int delay_ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

bool exits_well(pid_t child) {
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(KilledWriter, TheChosenFileIsAlwaysOneWholeVersion) {
    QTemporaryDir folder;
    const std::filesystem::path target = folder.filePath("mission.frd").toStdString();
    // Large enough that a kill often lands in the middle of a write.
    const std::string first(4 << 20, 'A');
    const std::string second(4 << 20, 'B');
    ASSERT_TRUE(platform::write_whole_file(target, first));
    for (int round = 0; round < 12; ++round) {
        const pid_t child = start_child([&](const auto& ready) -> bool {
            ready();
            for (int i = 0;; ++i) {
                (void)platform::write_whole_file(target, i % 2 ? first : second);
            }
        });
        ASSERT_GT(child, 0);
        kill_after(child, 5 + 7 * round);
        std::ifstream in(target, std::ios::binary);
        const std::string content{std::istreambuf_iterator<char>(in), {}};
        EXPECT_TRUE(content == first || content == second)
            << "round " << round << ": " << content.size() << " bytes";
    }
}

// Archives variants first, first + 1, ... of `base`; forever when `count` is 0. Ready once
// its first record is in, so every writer leaves at least one.
pid_t start_archive_writer(const ArchiveRig& rig, const mission::DownloadedMission& base,
                           std::uint32_t first, std::uint32_t count) {
    return start_child([&](const auto& ready) {
        MissionArchive archive(rig.path());
        for (std::uint32_t n = first; count == 0 || n < first + count; ++n) {
            if (!archive.archive(ArchiveRig::variant(base, n), rig.stamp)) {
                return false;
            }
            if (n == first) {
                ready();
            }
        }
        return true;
    });
}

// Every record opens and verifies intact; their number.
std::size_t whole_records(const QString& path) {
    MissionArchive archive(path);
    EXPECT_TRUE(archive.is_open()) << archive.error().toStdString();
    const std::vector<archive::ArchiveEntry> records = archive.find({}).value();
    for (const archive::ArchiveEntry& record : records) {
        EXPECT_EQ(archive.verify(record.id), archive::Verification::kIntact) << record.id;
        EXPECT_TRUE(archive.load(record.id)) << record.id;
    }
    return records.size();
}

TEST(KilledWriter, EveryEarlierArchiveRecordStaysWholeAndTwoWritersLoseNone) {
    ArchiveRig rig;
    const mission::DownloadedMission base =
        rig.download(ArchiveRig::mission("Killed writer", {2026, 4, 1, 6, 0, 0}, 2000));
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delay_ms(0, 40);

    std::size_t records = 0;
    for (std::uint32_t round = 0; round < 40; ++round) {
        const pid_t child = start_archive_writer(rig, base, round << 16, 0);
        ASSERT_GT(child, 0);
        kill_after(child, delay_ms(random));
        const std::size_t now = whole_records(rig.path());
        ASSERT_GT(now, records) << "round " << round;
        records = now;
    }

    const std::uint32_t each = 30;
    for (const pid_t writer : {start_archive_writer(rig, base, 1u << 30, each),
                               start_archive_writer(rig, base, 1u << 31, each)})
        EXPECT_TRUE(exits_well(writer));
    EXPECT_EQ(whole_records(rig.path()), records + 2 * each);
}

// Six programs open a new archive at the same moment, each to keep one download: none
// fails, none is lost.
TEST(KilledWriter, ProgramsOpeningANewArchiveAtOnceEachKeepTheirDownload) {
    constexpr int kPrograms = 6;
    ArchiveRig rig;
    const mission::DownloadedMission base =
        rig.download(ArchiveRig::mission("Opened at once", {2026, 4, 1, 6, 0, 0}, 50));
    for (int round = 0; round < 20; ++round) {
        const QString path = rig.folder.filePath(QStringLiteral("round-%1.sqlite").arg(round));
        int go[2];
        ASSERT_EQ(::pipe(go), 0);
        std::vector<pid_t> programs;
        for (int n = 0; n < kPrograms; ++n) {
            programs.push_back(start_child([&](const auto& ready) {
                ::close(go[1]);
                ready();
                char byte = 0;
                (void)!::read(go[0], &byte, 1);  // returns when the parent closes its end
                MissionArchive archive(path);
                return archive.archive(ArchiveRig::variant(base, n), rig.stamp).has_value();
            }));
        }
        ::close(go[0]);
        ::close(go[1]);
        for (const pid_t program : programs)
            EXPECT_TRUE(exits_well(program)) << "round " << round;
        EXPECT_EQ(whole_records(path), std::size_t{kPrograms}) << "round " << round;
    }
}

}  // namespace
}  // namespace frostel::test
