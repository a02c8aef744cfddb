#include "sim/line_noise.h"

#include <memory>
#include <random>

namespace frostel::sim {

LineNoise random_line_noise(double rate, std::uint32_t seed, std::chrono::nanoseconds delay) {
    auto random = std::make_shared<std::mt19937>(seed);
    return [random, rate, delay](link::Byte) -> std::optional<LineFault> {
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        if (chance(*random) >= rate) {
            return std::nullopt;
        }
        std::uniform_int_distribution<int> kind(0, 2);
        std::uniform_int_distribution<int> bit(0, 7);
        switch (kind(*random)) {
            case 0:
                return LineFault{
                    LineFault::Kind::kCorrupt,
                    static_cast<link::Byte>(1U << static_cast<unsigned>(bit(*random)))};
            case 1:
                return LineFault{LineFault::Kind::kDrop};
            default:
                return LineFault{LineFault::Kind::kDelay, 0, delay};
        }
    };
}

namespace {
// The `n`-th byte (from 0) that `matches` gets `fault`; every other byte passes.
LineNoise fault_on_nth(std::function<bool(link::Byte)> matches, int n, LineFault fault) {
    auto seen = std::make_shared<int>(0);
    return [seen, matches = std::move(matches), n, fault](link::Byte byte) {
        if (!matches(byte) || (*seen)++ != n) {
            return std::optional<LineFault>();
        }
        return std::optional<LineFault>(fault);
    };
}
}  // namespace

LineNoise fault_at_byte(int index, LineFault fault) {
    return fault_on_nth([](link::Byte) { return true; }, index, fault);
}

LineNoise fault_on_value(link::Byte value, int occurrence, LineFault fault) {
    return fault_on_nth([value](link::Byte byte) { return byte == value; }, occurrence, fault);
}

LineNoise lost_read_letter(int page) {
    // Where the bytes stand in a read command: its letter, low byte and high byte.
    struct Reads {
        int next_parameter = -1;  // -1: between commands
        int low = 0;
        bool after_previous_page = false;
        bool lost = false;
    };
    auto reads = std::make_shared<Reads>();
    return [reads, page](link::Byte byte) -> std::optional<LineFault> {
        Reads& r = *reads;
        if (r.next_parameter < 0) {
            if (byte == 'B' && r.after_previous_page && !r.lost) {
                r.lost = true;
                return LineFault{LineFault::Kind::kDrop};
            }
            r.next_parameter = byte == 'B' ? 0 : -1;
        } else if (r.next_parameter == 0) {
            r.low = byte;
            r.next_parameter = 1;
        } else {
            r.after_previous_page = r.low + 256 * byte == page - 1;
            r.next_parameter = -1;
        }
        return std::nullopt;
    };
}

}  // namespace frostel::sim
