#include "line_noise.h"

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

}  // namespace frostel::sim
