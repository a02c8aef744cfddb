#include "link/port_device.h"

#include <array>
#include <cstdio>

namespace frostel::link {

namespace {

constexpr std::size_t kSerialLongest = 64;

// Where the kernel puts the terminals that programs serve: Unix 98 ones, and the older BSD
// names.
bool is_pseudo_terminal(std::string_view path) {
    return path.starts_with("/dev/pts/") || path.starts_with("/dev/pty") ||
           path.starts_with("/dev/ttyp");
}

// "0403:6001", as lsusb writes the pair.
std::string usb_ids(const PortDevice::Usb& usb) {
    std::array<char, 10> text{};
    std::snprintf(text.data(), text.size(), "%04x:%04x", usb.vendor, usb.product);
    return text.data();
}

}  // namespace

std::string printable_line(std::string_view text, std::size_t longest) {
    std::string line(text.substr(0, longest));
    for (char& c : line) {
        if (c < ' ' || c > '~') {
            c = '?';
        }
    }
    return line;
}

std::string device_text(const PortDevice& device) {
    std::string what;
    if (device.usb) {
        const std::string serial = printable_line(device.usb->serial, kSerialLongest);
        what = "USB " + usb_ids(*device.usb) +
               (serial.empty() ? std::string(" without a serial number") : " serial " + serial);
    } else if (is_pseudo_terminal(device.target.empty() ? device.path : device.target)) {
        what = "pseudo-terminal";
    } else {
        what = "not a USB device";
    }
    return printable_line(what + " (" + device.path + ')', kDeviceTextLongest);
}

}  // namespace frostel::link
