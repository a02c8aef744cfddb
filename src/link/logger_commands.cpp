#include "link/logger_commands.h"

#include <cstdio>

#include "link/crc16.h"

namespace frostel::link {

namespace {
// The check of a page reply: started from 0x9DDC over the 35 bytes, which equals the
// inverted CRC-16 from 0 for exactly this length.
constexpr std::uint16_t kPageCheckStart = 0x9DDC;
constexpr int kPageMessageBytes = 35;

void append_hex(std::string& text, Byte b) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", b);
    text += digits;
}
}  // namespace

void LoggerCommands::read_rom(LoggerId& id) {
    link_.set_error_number(kNoError);
    id = kNoLoggerId;
    link_.begin_command(protocol::kReadRom);
    std::array<Byte, protocol::kRomBytes> b{};
    for (Byte& byte : b) {
        const auto received = link_.wait_byte();
        if (!received) {
            link_.fail({.cause = FailureCause::kNoAnswer});
            return;
        }
        byte = *received;
    }
    // Family code, serial number most significant byte first, check byte (not verified).
    id.clear();
    for (int i : {0, 6, 5, 4, 3, 2, 1, 7}) {
        append_hex(id, b[i]);
    }
}

LoggerCommands::Attempt LoggerCommands::read_memory_attempt(int page) {
    link_.pulse_rts();
    link_.flush_input();
    link_.pause(protocol::kReadMemoryFlushPause);
    link_.send(static_cast<Byte>(protocol::kReadMemory));
    link_.pause(protocol::kReadMemoryBytePause);
    link_.send(static_cast<Byte>(page % 256));
    link_.pause(protocol::kReadMemoryBytePause);
    link_.send(static_cast<Byte>(page / 256 % 256));
    link_.pause(protocol::kReadMemoryBytePause);

    // The logger includes its command code and the page's start address in the CRC.
    const int start_address = kPageSize * page;
    page_buffer_[0] = protocol::kReadMemoryCrcCode;
    page_buffer_[1] = static_cast<Byte>(start_address % 256);
    page_buffer_[2] = static_cast<Byte>(start_address / 256 % 256);

    auto last_data_wait = link_.clock().now();
    for (int i = 3; i < kPageMessageBytes; ++i) {
        last_data_wait = link_.clock().now();
        const auto received = link_.wait_byte(last_data_wait);
        if (!received) {
            return i == 3 ? Attempt::kSilent : Attempt::kBad;
        }
        page_buffer_[i] = *received;
    }
    // Both check bytes must arrive within the last data byte's window.
    const auto lo = link_.wait_byte(last_data_wait);
    if (!lo) {
        return Attempt::kBad;
    }
    const auto hi = link_.wait_byte(last_data_wait);
    if (!hi) {
        return Attempt::kBad;
    }
    const auto received_check = static_cast<std::uint16_t>(*lo + 256 * *hi);
    const std::uint16_t check =
        crc16(std::span<const Byte>(page_buffer_.data(), kPageMessageBytes), kPageCheckStart);
    return check == received_check ? Attempt::kGood : Attempt::kBad;
}

void LoggerCommands::read_memory(int page) {
    link_.set_error_number(kNoError);
    bool answered = false;
    for (int attempt = 0; attempt < protocol::kReadMemoryAttempts; ++attempt) {
        const Attempt outcome = read_memory_attempt(page);
        answered = answered || outcome == Attempt::kBad;
        if (outcome == Attempt::kGood) {
            link_.set_error_number(kNoError);
            for (int i = 0; i < kPageSize; ++i) {
                page_buffer_[i] = page_buffer_[i + 3];
            }
            return;
        }
    }
    link_.fail(answered ? Failure{.cause = FailureCause::kPageCheckFailed, .page = page}
                        : Failure{.cause = FailureCause::kNoAnswer});
}

bool LoggerCommands::read_page_into(int page, MemoryImage& image) {
    read_memory(page);
    if (link_.error_number() == kLoggerError) {
        return false;
    }
    image.put_page(page, page_data());
    return true;
}

void LoggerCommands::write_scratchpad(int page, std::span<const Byte> data) {
    link_.set_error_number(kNoError);
    link_.begin_command(protocol::kWriteScratchpad);
    const std::array<Byte, 2> page_number{static_cast<Byte>(page % 256),
                                          static_cast<Byte>(page / 256 % 256)};
    link_.send(page_number);
    // A short page sends only the bytes it has; nothing is padded.
    link_.send(data.first(std::min<std::size_t>(data.size(), kPageSize)));
    link_.pause(protocol::kWriteScratchpadSettle);
}

void LoggerCommands::read_scratchpad(ScratchpadReadback& readback) {
    link_.set_error_number(kNoError);
    link_.begin_command(protocol::kReadScratchpad);
    for (std::optional<Byte>* field :
         {&readback.target_low, &readback.target_high, &readback.ending_status}) {
        const auto received = link_.wait_byte();
        if (!received) {
            link_.fail({.cause = FailureCause::kNoAnswer});
            return;
        }
        *field = received;
    }
    readback.data.fill(0);
    for (Byte& byte : readback.data) {
        const auto received = link_.wait_byte();
        if (!received) {
            link_.fail({.cause = FailureCause::kNoAnswer});
            return;
        }
        byte = *received;
    }
}

void LoggerCommands::copy_scratchpad(const ScratchpadReadback& readback) {
    link_.set_error_number(kNoError);
    link_.begin_command(protocol::kCopyScratchpad);
    // The read-back bytes go back unchanged; one never received sends nothing.
    for (const std::optional<Byte>& field :
         {readback.target_low, readback.target_high, readback.ending_status}) {
        if (field) {
            link_.send(*field);
        }
    }
    link_.pause(protocol::kCopyScratchpadSettle);
}

void LoggerCommands::mission_command(char letter, int attempts, Byte status_bit, bool want_set) {
    link_.set_error_number(kNoError);
    Failure why;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        link_.begin_command(letter);
        link_.pause(protocol::kMissionCommandSettle);
        // Verified by the status byte: the command gives no reply of its own.
        read_memory(kStatusPage);
        if (link_.error_number() == kLoggerError) {
            why = link_.failure();
            continue;
        }
        const bool is_set = (page_buffer_[kStatusOffset] & status_bit) != 0;
        if (is_set == want_set) {
            link_.set_error_number(kNoError);
            return;
        }
        why = {.cause = FailureCause::kStatusUnchanged, .command = letter};
    }
    link_.fail(why);
}

void LoggerCommands::start_mission() {
    mission_command(protocol::kStartMission, protocol::kStartMissionAttempts, kStatusMissionRunning,
                    true);
}

void LoggerCommands::stop_mission() {
    mission_command(protocol::kStopMission, protocol::kStopMissionAttempts, kStatusMissionRunning,
                    false);
}

void LoggerCommands::clear_memory() {
    mission_command(protocol::kClearMemory, protocol::kClearMemoryAttempts, kStatusMemoryCleared,
                    true);
}

}  // namespace frostel::link
