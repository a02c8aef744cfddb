#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace frostel::link {

// The longest device text a record keeps; a shared archive refuses a longer one.
inline constexpr std::size_t kDeviceTextLongest = 200;

// What is known of the device behind an opened port, for the record of what was read.
struct PortDevice {
    std::string path;    // as opened: "/dev/ttyUSB0", "COM3"
    std::string target;  // where the path leads when it is a symbolic link; else the path
    // A USB serial bridge's identity, as its descriptor gives it.
    struct Usb {
        std::uint16_t vendor = 0;
        std::uint16_t product = 0;
        std::string serial;  // empty when the bridge has none
    };
    std::optional<Usb> usb;
};

// In one printable line: "USB 0403:6001 serial FT1ABCDE (/dev/ttyUSB0)" for a USB bridge,
// "pseudo-terminal (/dev/pts/3)" for a terminal a program serves (the simulated reader),
// "not a USB device (/dev/ttyS0)" otherwise; at most kDeviceTextLongest characters.
[[nodiscard]] std::string device_text(const PortDevice& device);

// `text` as one line of printable ASCII: every other byte (a line break, a control
// character, a byte of a multi-byte character) becomes '?', and what is beyond `longest`
// is cut off. A serial number and a path come from the device and the user, not from us.
[[nodiscard]] std::string printable_line(std::string_view text, std::size_t longest);

}  // namespace frostel::link
