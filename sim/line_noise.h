#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "link/serial_port.h"

namespace frostel::sim {

// What a bad line does to one reply byte on its way to the PC.
struct LineFault {
    enum class Kind { kCorrupt, kDrop, kDelay };
    Kind kind = Kind::kCorrupt;
    link::Byte flip_mask = 0x01;        // kCorrupt: the bits that flip
    std::chrono::nanoseconds delay{0};  // kDelay: the byte, and all after it, come this late
};

// Asked once for every reply byte, in the order they travel.
using LineNoise = std::function<std::optional<LineFault>()>;

// Each byte is hit with probability `rate`; corruption, drop and delay are equally likely.
// The same seed gives the same faults.
[[nodiscard]] LineNoise random_line_noise(double rate, std::uint32_t seed,
                                          std::chrono::nanoseconds delay);

// Exactly one fault, on byte `index` (counted over all reply bytes from now on).
[[nodiscard]] LineNoise fault_at_byte(int index, LineFault fault);

}  // namespace frostel::sim
