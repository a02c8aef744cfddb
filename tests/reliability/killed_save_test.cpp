// A process killed while it saves never leaves a half-written file under the chosen name.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/whole_file.h"

namespace frostel::test {
namespace {

namespace fs = std::filesystem;

TEST(KilledSave, TheChosenFileIsAlwaysOneWholeVersion) {
    const fs::path folder =
        fs::temp_directory_path() / ("frostel-kill-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path target = folder / "mission.frd";
    // Large enough that a kill often lands in the middle of a write.
    const std::string first(4 << 20, 'A');
    const std::string second(4 << 20, 'B');
    ASSERT_TRUE(platform::write_whole_file(target, first));

    for (int round = 0; round < 12; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                (void)platform::write_whole_file(target, i % 2 ? first : second);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + 7 * round));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        std::ifstream in(target, std::ios::binary);
        const std::string content{std::istreambuf_iterator<char>(in), {}};
        EXPECT_TRUE(content == first || content == second)
            << "round " << round << ": " << content.size() << " bytes";
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace frostel::test
