#include "sim/pty/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "sim/sim_serial_port.h"

namespace frostel::sim {

namespace {

// A command whose bytes stop coming for this long is given up (or, for a short "C",
// carried out with what came): the reader's own framing, since a pseudo-terminal has no RTS.
constexpr std::chrono::milliseconds kFramingGap{50};
constexpr int kIdlePollMs = 200;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

void make_raw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        fail("tcgetattr");
    }
    cfmakeraw(&settings);
    cfsetispeed(&settings, B4800);
    cfsetospeed(&settings, B4800);
    if (tcsetattr(fd, TCSANOW, &settings) != 0) {
        fail("tcsetattr");
    }
}

// Waits until `deadline`; false when the PC flushed its input before it (in packet mode the
// master then reports a status change as POLLPRI).
bool wait_unless_flushed(int master, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds::zero()) {
            return true;
        }
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        const timespec timeout{static_cast<time_t>(seconds.count()),
                               static_cast<long>((left - seconds).count())};
        pollfd status{master, POLLPRI, 0};
        const int ready = ::ppoll(&status, 1, &timeout, nullptr);
        if (ready > 0 && (status.revents & POLLPRI) != 0) {
            return false;
        }
    }
}

}  // namespace

PtyServer::PtyServer(ReaderBox& box) : box_(box) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        fail("posix_openpt");
    }
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        fail("unlockpt");
    }
    const char* name = ptsname(master_);
    if (name == nullptr) {
        fail("ptsname");
    }
    device_path_ = name;
    slave_ = ::open(device_path_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        fail("open " + device_path_);
    }
    // No echo and no line editing before the PC sets its own line settings.
    make_raw(slave_);
    // Packet mode shows the PC's input flushes, which stand in for the RTS pulse before each
    // command that a pseudo-terminal cannot carry.
    int packet_mode = 1;
    if (::ioctl(master_, TIOCPKT, &packet_mode) != 0) {
        fail("TIOCPKT");
    }
}

PtyServer::~PtyServer() {
    if (slave_ >= 0) {
        ::close(slave_);
    }
    if (master_ >= 0) {
        ::close(master_);
    }
}

void PtyServer::serve(const volatile std::sig_atomic_t& stop) {
    while (stop == 0) {
        int timeout_ms = kIdlePollMs;
        if (box_.mid_command()) {
            const auto left = kFramingGap - (std::chrono::steady_clock::now() - last_byte_in_);
            timeout_ms = static_cast<int>(
                std::max<long>(0, std::chrono::ceil<std::chrono::milliseconds>(left).count()));
        }
        pollfd waiting{master_, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, timeout_ms);
        if (ready > 0 && (waiting.revents & POLLIN) != 0) {
            receive_available();
        } else if (ready == 0 && box_.mid_command()) {
            box_.reset_framing();
        }
    }
}

void PtyServer::receive_available() {
    // In packet mode each read gives one status byte: TIOCPKT_DATA before the data, or a
    // status change alone.
    std::array<link::Byte, 257> packet{};
    const ssize_t count = ::read(master_, packet.data(), packet.size());
    if (count <= 0) {
        return;
    }
    if (packet[0] != TIOCPKT_DATA) {
        if ((packet[0] & TIOCPKT_FLUSHREAD) != 0) {
            box_.reset_framing();
        }
        return;
    }
    last_byte_in_ = std::chrono::steady_clock::now();
    const std::span<const link::Byte> received(packet.data() + 1,
                                               static_cast<std::size_t>(count - 1));
    log_bytes("pc ", received);
    for (const link::Byte byte : received) {
        const std::vector<link::Byte> reply = box_.receive(byte);
        // After the PC's reset, what it sent before is void as well.
        if (!reply.empty() && !send_paced(reply)) {
            return;
        }
    }
}

bool PtyServer::send_paced(std::span<const link::Byte> reply) {
    // Absolute deadlines: a late wake-up shortens the next wait, so the mean rate stays exact.
    auto deadline = std::chrono::steady_clock::now();
    for (std::size_t sent = 0; sent < reply.size(); ++sent) {
        deadline += kByteTimeAt4800;
        // The PC gave up on this reply and began another command: the box stops talking, or
        // a late tail of this reply would spoil the next one.
        if (!wait_unless_flushed(master_, deadline)) {
            log_bytes("sim", reply.first(sent));
            return false;
        }
        while (::write(master_, &reply[sent], 1) < 0 && errno == EINTR) {
        }
    }
    log_bytes("sim", reply);
    return true;
}

void PtyServer::log_bytes(const char* direction, std::span<const link::Byte> bytes) {
    if (log_ == nullptr) {
        return;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started_);
    std::array<char, 4> hex{};
    *log_ << ms.count() << " ms " << direction << ":";
    for (const link::Byte byte : bytes) {
        std::snprintf(hex.data(), hex.size(), " %02X", byte);
        *log_ << hex.data();
    }
    *log_ << '\n' << std::flush;
}

}  // namespace frostel::sim
