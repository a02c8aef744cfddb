#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace frostel::test {

struct ProcessResult {
    int exit_code = -1;
    std::string out;
    std::string err;
    double cpu_seconds = 0;  // user + system time of the child
};

// Runs a program to its end and collects what it printed.
[[nodiscard]] ProcessResult run_process(const std::vector<std::string>& argv);

// frostel-reader-sim running in the background for the test's lifetime.
class ReaderSimProcess {
  public:
    // Starts it with `args` and waits until it has printed its device path.
    explicit ReaderSimProcess(const std::vector<std::string>& args);
    ~ReaderSimProcess();
    ReaderSimProcess(const ReaderSimProcess&) = delete;
    ReaderSimProcess& operator=(const ReaderSimProcess&) = delete;

    [[nodiscard]] const std::string& device() const { return device_; }
    // Ends it as a user would (SIGTERM); returns its exit code.
    int stop();

  private:
    int pid_ = -1;
    std::string device_;
};

}  // namespace frostel::test
