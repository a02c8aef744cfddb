#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <stdexcept>

namespace frostel::test {

namespace {

struct Pipe {
    int read_end = -1;
    int write_end = -1;
    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
        read_end = fds[0];
        write_end = fds[1];
    }
};

// Without `err` the child shares the test's own stderr.
int spawn(const std::vector<std::string>& argv, Pipe& out, Pipe* err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out.write_end, STDOUT_FILENO);
    if (err != nullptr) {
        posix_spawn_file_actions_adddup2(&actions, err->write_end, STDERR_FILENO);
    }
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& word : argv) {
        args.push_back(const_cast<char*>(word.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out.write_end);
    if (err != nullptr) {
        ::close(err->write_end);
    }
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

// Reads both pipes to their ends without letting either fill up.
void drain(int out_fd, int err_fd, std::string& out, std::string& err) {
    std::array<pollfd, 2> fds{pollfd{out_fd, POLLIN, 0}, pollfd{err_fd, POLLIN, 0}};
    std::array<std::string*, 2> sinks{&out, &err};
    int open_count = 2;
    std::array<char, 4096> buffer{};
    while (open_count > 0) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            continue;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const ssize_t n = ::read(fds[i].fd, buffer.data(), buffer.size());
            if (n > 0) {
                sinks[i]->append(buffer.data(), static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
            }
        }
    }
}

}  // namespace

ProcessResult run_process(const std::vector<std::string>& argv) {
    Pipe out;
    Pipe err;
    const int pid = spawn(argv, out, &err);
    ProcessResult result;
    drain(out.read_end, err.read_end, result.out, result.err);
    result.exit_code = wait_exit_code(pid, &result.cpu_seconds);
    return result;
}

ReaderSimProcess::ReaderSimProcess(const std::vector<std::string>& args) {
    Pipe out;
    pid_ = spawn(args, out, nullptr);
    char c = 0;
    while (::read(out.read_end, &c, 1) == 1 && c != '\n') {
        device_ += c;
    }
    ::close(out.read_end);
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
