#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "link/serial_port.h"

namespace frostel::link {

inline constexpr int kPageSize = 32;

// Logger memory as text: the character at 1-based position A holds the byte at address A,
// character code = byte value. Address 0 has no position and is never stored.
class MemoryImage {
  public:
    explicit MemoryImage(std::size_t length) : text_(length, '\0') {}

    [[nodiscard]] std::size_t size() const { return text_.size(); }
    // The byte at logger address `address`; 0 outside the image.
    [[nodiscard]] Byte at(std::size_t address) const {
        return (address >= 1 && address <= text_.size()) ? static_cast<Byte>(text_[address - 1])
                                                         : 0;
    }
    void set(std::size_t address, Byte value) {
        if (address >= 1 && address <= text_.size()) {
            text_[address - 1] = static_cast<char>(value);
        }
    }
    // Copies page `page` into its addresses; address 0 of page 0 is dropped.
    void put_page(int page, std::span<const Byte> bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            set(static_cast<std::size_t>(page) * kPageSize + i, bytes[i]);
        }
    }
    [[nodiscard]] std::array<Byte, kPageSize> page(int page) const {
        std::array<Byte, kPageSize> bytes{};
        for (int i = 0; i < kPageSize; ++i) {
            bytes[i] = at(static_cast<std::size_t>(page) * kPageSize + i);
        }
        return bytes;
    }
    [[nodiscard]] const std::string& text() const { return text_; }

  private:
    std::string text_;
};

}  // namespace frostel::link
