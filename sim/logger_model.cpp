#include "sim/logger_model.h"

#include <algorithm>

#include "platform/local_date_time.h"

namespace frostel::sim {

namespace {
constexpr Byte kFamilyCode = 0x41;
constexpr std::uint64_t kDefaultSerial = 0x00000ABCDEF1ULL;
// Mission sample count and the alarm flags that a clear resets.
constexpr std::uint16_t kAlarmStatusAddress = 0x0214;
constexpr std::uint16_t kMissionCountAddress = 0x0220;

// Registers the logger keeps itself (alarm and general status, mission time stamp, sample
// counters, configuration, factory calibration): a copy leaves them as they are.
bool is_read_only(std::size_t address) {
    return (address >= 0x0214 && address <= 0x0215) || (address >= 0x0219 && address <= 0x021E) ||
           (address >= 0x0220 && address <= 0x0226) || (address >= 0x0240 && address < 0x0260);
}
}  // namespace

Byte dallas_crc8(std::span<const Byte> bytes) {
    Byte crc = 0;
    for (Byte b : bytes) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = ((crc ^ b) & 1U) != 0;
            crc = static_cast<Byte>(crc >> 1U);
            b = static_cast<Byte>(b >> 1U);
            if (mix) {
                crc ^= 0x8CU;
            }
        }
    }
    return crc;
}

Byte to_bcd(int value) {
    return static_cast<Byte>((value / 10) * 16 + value % 10);
}

int from_bcd(Byte value) {
    return (value >> 4U) * 10 + (value & 0x0FU);
}

LoggerModel::LoggerModel() {
    set_serial(kDefaultSerial);
}

void LoggerModel::run_clock(const link::Clock& clock) {
    clock_ = &clock;
    clock_updated_ = clock.now();
}

void LoggerModel::update_clock() {
    if (clock_ == nullptr) {
        return;
    }
    const auto elapsed = std::chrono::floor<std::chrono::seconds>(clock_->now() - clock_updated_);
    clock_updated_ += elapsed;
    if ((memory_[kClockControlRegister] & kOscillatorBit) == 0 || elapsed.count() == 0) {
        return;
    }
    Byte* bytes = &memory_[kClockRegisters];
    const platform::LocalDateTime shown{2000 + from_bcd(bytes[5]), from_bcd(bytes[4]),
                                        from_bcd(bytes[3]),        from_bcd(bytes[2]),
                                        from_bcd(bytes[1]),        from_bcd(bytes[0])};
    const platform::LocalDateTime t = platform::add_seconds(shown, elapsed.count());
    for (const int field : {t.second, t.minute, t.hour, t.day, t.month, t.year % 100}) {
        *bytes++ = to_bcd(field);
    }
}

void LoggerModel::set_serial(std::uint64_t serial48) {
    rom_[0] = kFamilyCode;
    for (int i = 1; i <= 6; ++i) {
        rom_[i] = static_cast<Byte>(serial48 >> (8U * static_cast<unsigned>(i - 1)));
    }
    rom_[7] = dallas_crc8(std::span<const Byte>(rom_.data(), 7));
}

void LoggerModel::write_scratchpad(std::uint16_t target, std::span<const Byte> data) {
    const std::size_t count = std::min<std::size_t>(data.size(), 32);
    scratchpad_.target_low = static_cast<Byte>(target & 0xFFU);
    scratchpad_.target_high = static_cast<Byte>(target >> 8U);
    scratchpad_.data.fill(0xFF);
    std::copy_n(data.begin(), count, scratchpad_.data.begin());
    // Ending offset in the low five bits; an empty write leaves offset 0 with nothing valid.
    scratchpad_.ending_status = static_cast<Byte>(count == 0 ? 0 : (target + count - 1) & 0x1FU);
}

void LoggerModel::copy_scratchpad(Byte target_low, Byte target_high, Byte ending_status) {
    if (target_low != scratchpad_.target_low || target_high != scratchpad_.target_high ||
        ending_status != scratchpad_.ending_status) {
        return;
    }
    const std::size_t target = target_low + 256U * target_high;
    const bool running = (status() & kMissionRunning) != 0;
    // A running mission write-protects the register pages.
    if (running && target >= kRegisterStart && target < kRegisterEnd) {
        return;
    }
    const std::size_t end = (target & ~std::size_t{0x1F}) + (ending_status & 0x1FU);
    for (std::size_t a = target; a <= end && a < kLoggerMemorySize; ++a) {
        if (!is_read_only(a)) {
            memory_[a] = scratchpad_.data[a - target];
        }
    }
    scratchpad_.ending_status |= kCopiedFlag;
    ++copies_;
}

void LoggerModel::set_status_bits(Byte bits, bool on) {
    const Byte allowed = static_cast<Byte>(bits & ~frozen_status_bits_);
    Byte& status_byte = memory_[kStatusAddress];
    status_byte = static_cast<Byte>(on ? (status_byte | allowed) : (status_byte & ~allowed));
}

void LoggerModel::start_mission() {
    // The logger starts only from cleared memory.
    if ((status() & kMemoryCleared) == 0) {
        return;
    }
    set_status_bits(kMemoryCleared, false);
    set_status_bits(kMissionRunning, true);
}

void LoggerModel::stop_mission() {
    set_status_bits(kMissionRunning, false);
}

void LoggerModel::clear_memory() {
    if ((status() & kMissionRunning) != 0) {
        return;
    }
    memory_[kAlarmStatusAddress] = 0;
    std::fill_n(memory_.begin() + kMissionCountAddress, 3, Byte{0});
    set_status_bits(kMemoryCleared, true);
}

}  // namespace frostel::sim
