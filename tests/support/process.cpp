#include "tests/support/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <stdexcept>

namespace frostel::test {

namespace {

// Starts argv[0] (searched on the PATH when it names no folder) with its stdout on `out_fd`
// and its stderr on `err_fd` (-1: the test's).
int spawn(const std::vector<std::string>& argv, int out_fd, int err_fd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out_fd, STDOUT_FILENO);
    if (err_fd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, err_fd, STDERR_FILENO);
    }
    std::vector<char*> args;
    for (const std::string& word : argv) {
        args.push_back(const_cast<char*>(word.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        throw std::runtime_error("cannot start " + argv[0]);
    }
    return pid;
}

// The child's exit code (128 + signal when killed); its CPU time into `cpu_seconds`.
int wait_exit_code(int pid, double* cpu_seconds = nullptr) {
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) {
        return -1;
    }
    if (cpu_seconds != nullptr) {
        const auto seconds = [](const timeval& t) {
            return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
        };
        *cpu_seconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Everything written to `file`, which is then closed.
std::string contents(std::FILE* file) {
    std::string text;
    std::array<char, 4096> buffer{};
    std::rewind(file);
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0;) {
        text.append(buffer.data(), n);
    }
    std::fclose(file);
    return text;
}

}  // namespace

ProcessResult run_process(const std::vector<std::string>& argv) {
    // Files, not pipes: the child can write any amount without waiting for a reader.
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr) {
        throw std::runtime_error("tmpfile");
    }
    ProcessResult result;
    result.exit_code = wait_exit_code(spawn(argv, fileno(out), fileno(err)), &result.cpu_seconds);
    result.out = contents(out);
    result.err = contents(err);
    return result;
}

ReaderSimProcess::ReaderSimProcess(const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    pid_ = spawn(args, fds[1], -1);
    // It stands in for hardware that answers within a tenth of a second; ahead of the build
    // jobs on a busy machine, where the system allows it, it still does.
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(pid_), -10);
    ::close(fds[1]);
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') {
        device_ += c;
    }
    ::close(fds[0]);
    if (device_.empty()) {
        stop();
        throw std::runtime_error("frostel-reader-sim printed no device");
    }
}

ReaderSimProcess::~ReaderSimProcess() {
    stop();
}

int ReaderSimProcess::stop() {
    if (pid_ < 0) {
        return -1;
    }
    ::kill(pid_, SIGTERM);
    const int code = wait_exit_code(pid_);
    pid_ = -1;
    return code;
}

}  // namespace frostel::test
