#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <span>
#include <string>

#include "link/memory_image.h"
#include "link/reader_link.h"

namespace frostel::link {

// A logger identity as text: family code, 48-bit serial most significant byte first,
// check byte, 16 upper-case hex digits. Sixteen zeros means no complete identity.
using LoggerId = std::string;
inline const LoggerId kNoLoggerId = "0000000000000000";

// After a good read of page p, entries 0 to 31 hold the page's bytes in address order.
using PageBuffer = std::array<Byte, 41>;

// The three bytes "D" returns ahead of the data; each stays empty until received.
struct ScratchpadReadback {
    std::optional<Byte> target_low;
    std::optional<Byte> target_high;
    std::optional<Byte> ending_status;
    std::array<Byte, kPageSize> data{};
};

// The status byte at 0x0215: page 16, offset 21.
inline constexpr int kStatusPage = 16;
inline constexpr int kStatusOffset = 0x15;
inline constexpr Byte kStatusMissionRunning = 0x02;
inline constexpr Byte kStatusMemoryCleared = 0x08;

// Command table: every pause, limit and code of the reader protocol in one place.
namespace protocol {
inline constexpr char kReadRom = 'A';
inline constexpr char kReadMemory = 'B';
inline constexpr char kWriteScratchpad = 'C';
inline constexpr char kReadScratchpad = 'D';
inline constexpr char kCopyScratchpad = 'E';
inline constexpr char kStartMission = 'F';
inline constexpr char kStopMission = 'G';
inline constexpr char kClearMemory = 'H';

inline constexpr int kRomBytes = 8;
inline constexpr Byte kReadMemoryCrcCode = 0x69;
inline constexpr int kReadMemoryAttempts = 9;
inline constexpr std::chrono::milliseconds kReadMemoryFlushPause{10};
inline constexpr std::chrono::milliseconds kReadMemoryBytePause{1};
inline constexpr std::chrono::milliseconds kWriteScratchpadSettle{200};
inline constexpr std::chrono::milliseconds kCopyScratchpadSettle{50};
inline constexpr std::chrono::milliseconds kMissionCommandSettle{100};
inline constexpr int kStartMissionAttempts = 2;
inline constexpr int kStopMissionAttempts = 4;
inline constexpr int kClearMemoryAttempts = 2;
}  // namespace protocol

// The logger operations, each one exchange through the reader (or a verified retry loop
// of them). Failures travel only through the link's error number.
class LoggerCommands {
  public:
    explicit LoggerCommands(ReaderLink& link) : link_(link) {}

    // `id` becomes the logger's identity or sixteen zeros (error -1).
    void read_rom(LoggerId& id);
    // One page through the CRC check, up to nine attempts; the page lands in page_buffer().
    void read_memory(int page);
    void write_scratchpad(int page, std::span<const Byte> data);
    void read_scratchpad(ScratchpadReadback& readback);
    void copy_scratchpad(const ScratchpadReadback& readback);
    void start_mission();
    void stop_mission();
    void clear_memory();

    [[nodiscard]] const PageBuffer& page_buffer() const { return page_buffer_; }
    [[nodiscard]] std::span<const Byte, kPageSize> page_data() const {
        return std::span<const Byte, kPageSize>(page_buffer_.data(), kPageSize);
    }
    [[nodiscard]] ReaderLink& link() const { return link_; }

    // Reads `page` into `image`; false (error number -1) when the read failed.
    [[nodiscard]] bool read_page_into(int page, MemoryImage& image);

  private:
    // A good page, nothing at all, or a reply that failed its check or was cut short.
    enum class Attempt { kGood, kSilent, kBad };
    [[nodiscard]] Attempt read_memory_attempt(int page);
    void mission_command(char letter, int attempts, Byte status_bit, bool want_set);

    ReaderLink& link_;
    PageBuffer page_buffer_{};
};

}  // namespace frostel::link
