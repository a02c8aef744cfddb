#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "link/serial_port.h"

namespace frostel::sim {

// What a bad line does to one byte on its way, in either direction.
struct LineFault {
    enum class Kind { kCorrupt, kDrop, kDelay };
    Kind kind = Kind::kCorrupt;
    link::Byte flip_mask = 0x01;        // kCorrupt: the bits that flip
    std::chrono::nanoseconds delay{0};  // kDelay: the byte, and all after it, come this late
};

// Asked once for every byte, in the order they travel, with the byte as it was sent.
using LineNoise = std::function<std::optional<LineFault>(link::Byte)>;

// Each byte is hit with probability `rate`; corruption, drop and delay are equally likely.
// The same seed gives the same faults.
[[nodiscard]] LineNoise random_line_noise(double rate, std::uint32_t seed,
                                          std::chrono::nanoseconds delay);

// Exactly one fault, on byte `index` (counted over all bytes of its direction from now on).
[[nodiscard]] LineNoise fault_at_byte(int index, LineFault fault);

// Exactly one fault, on the `occurrence`-th byte (from 0) whose value is `value`.
[[nodiscard]] LineNoise fault_on_value(link::Byte value, int occurrence, LineFault fault);

// The letter "B" lost from the read of `page` that follows a read of page - 1, as in a walk
// through the log: the reader takes the page number's low byte for a command letter (page
// 328's is "H", the clear command).
[[nodiscard]] LineNoise lost_read_letter(int page);

}  // namespace frostel::sim
