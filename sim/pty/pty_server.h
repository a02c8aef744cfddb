#pragma once

#include <chrono>
#include <csignal>
#include <ostream>
#include <span>
#include <string>

#include "sim/reader_box.h"

namespace frostel::sim {

// Serves a reader box on a pseudo-terminal: the PC opens the slave device as it would a
// serial port, and the box's reply bytes come back paced at the line's byte time.
class PtyServer {
  public:
    // Opens the pseudo-terminal; throws std::runtime_error when the system refuses one.
    explicit PtyServer(ReaderBox& box);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // The device the PC opens, e.g. /dev/pts/3.
    [[nodiscard]] const std::string& device_path() const { return device_path_; }
    // Every byte in and out, one line per burst, when set.
    void set_log(std::ostream* log) { log_ = log; }

    // Serves until `stop` becomes non-zero (a signal handler sets it).
    void serve(const volatile std::sig_atomic_t& stop);

  private:
    void receive_available();
    // False when the PC reset the box before the reply was all sent.
    bool send_paced(std::span<const link::Byte> reply);
    void log_bytes(const char* direction, std::span<const link::Byte> bytes);

    ReaderBox& box_;
    int master_ = -1;
    // Held open so the master never sees a hang-up between the PC's opens.
    int slave_ = -1;
    std::string device_path_;
    std::ostream* log_ = nullptr;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point last_byte_in_ = started_;
};

}  // namespace frostel::sim
