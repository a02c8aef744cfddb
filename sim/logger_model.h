#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

#include "link/clock.h"
#include "link/serial_port.h"

namespace frostel::sim {

using link::Byte;

inline constexpr std::size_t kLoggerMemorySize = 0x3000;
inline constexpr std::uint16_t kStatusAddress = 0x0215;
inline constexpr std::uint16_t kRegisterStart = 0x0200;
inline constexpr std::uint16_t kRegisterEnd = 0x0260;
inline constexpr Byte kMissionRunning = 0x02;
inline constexpr Byte kMemoryCleared = 0x08;
// Ending offset/status byte: the authorization flag the logger sets after a copy.
inline constexpr Byte kCopiedFlag = 0x80;
// The real-time clock (second, minute, hour, day, month, year in BCD) and its oscillator.
inline constexpr std::uint16_t kClockRegisters = 0x0200;
inline constexpr std::uint16_t kClockControlRegister = 0x0212;
inline constexpr Byte kOscillatorBit = 0x01;

[[nodiscard]] Byte to_bcd(int value);
[[nodiscard]] int from_bcd(Byte value);

// A DS1922 as the reader box sees it: identity, memory, status byte and scratchpad.
class LoggerModel {
  public:
    LoggerModel();

    // The eight identity bytes in the order they travel: family code, serial least
    // significant byte first, then the check byte (the 1-Wire CRC-8 of the first seven).
    [[nodiscard]] const std::array<Byte, 8>& rom() const { return rom_; }
    void set_serial(std::uint64_t serial48);
    // Any eight bytes, check byte included, for a logger that answers oddly.
    void set_rom(const std::array<Byte, 8>& rom) { rom_ = rom; }

    [[nodiscard]] std::span<Byte, kLoggerMemorySize> memory() { return memory_; }
    [[nodiscard]] std::span<const Byte, kLoggerMemorySize> memory() const { return memory_; }
    [[nodiscard]] Byte status() const { return memory_[kStatusAddress]; }

    // Scratchpad writes land at 32 × page; a short write ends where its data ends.
    void write_scratchpad(std::uint16_t target, std::span<const Byte> data);
    struct Scratchpad {
        Byte target_low = 0;
        Byte target_high = 0;
        Byte ending_status = 0;
        std::array<Byte, 32> data{};
    };
    [[nodiscard]] const Scratchpad& scratchpad() const { return scratchpad_; }
    // Copies only when the three bytes handed back match the scratchpad's own.
    void copy_scratchpad(Byte target_low, Byte target_high, Byte ending_status);

    void start_mission();
    void stop_mission();
    void clear_memory();

    // From now on the clock registers run on `clock` while the oscillator is on, as a
    // logger's do (24-hour bytes); without this they stand still.
    void run_clock(const link::Clock& clock);
    // Brings the clock registers up to now; the reader box calls it before every command.
    void update_clock();

    // Bits of the status byte that no mission command may change (a stuck logger).
    void freeze_status_bits(Byte mask) { frozen_status_bits_ = mask; }

    [[nodiscard]] int copies() const { return copies_; }

  private:
    void set_status_bits(Byte bits, bool on);

    std::array<Byte, 8> rom_{};
    std::array<Byte, kLoggerMemorySize> memory_{};
    Scratchpad scratchpad_;
    Byte frozen_status_bits_ = 0;
    int copies_ = 0;
    const link::Clock* clock_ = nullptr;
    std::chrono::steady_clock::time_point clock_updated_;
};

[[nodiscard]] Byte dallas_crc8(std::span<const Byte> bytes);

}  // namespace frostel::sim
