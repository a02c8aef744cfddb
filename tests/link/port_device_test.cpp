// What a download's record says of the port it was read through.
#include "link/port_device.h"

#include <gtest/gtest.h>

#include <string>

namespace frostel::link {
namespace {

struct DeviceCase {
    const char* name;
    PortDevice device;
    std::string text;
};

class DeviceText : public testing::TestWithParam<DeviceCase> {};

TEST_P(DeviceText, SaysWhatTheDeviceIs) {
    EXPECT_EQ(device_text(GetParam().device), GetParam().text);
}

const std::string kLongPath = "/dev/serial/by-id/" + std::string(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Devices, DeviceText,
    testing::Values(
        DeviceCase{"UsbBridge",
                   {"/dev/ttyUSB0", "/dev/ttyUSB0", PortDevice::Usb{0x0403, 0x6001, "FT1ABCDE"}},
                   "USB 0403:6001 serial FT1ABCDE (/dev/ttyUSB0)"},
        DeviceCase{"UsbBridgeWithoutSerialNumber",
                   {"COM3", "COM3", PortDevice::Usb{0x10c4, 0xea60, ""}},
                   "USB 10c4:ea60 without a serial number (COM3)"},
        // A serial number is the device's to choose: a line break in it stays out of the
        // record, and so does an endless one.
        DeviceCase{"SerialNumberWithALineBreak",
                   {"/dev/ttyACM0", "/dev/ttyACM0", PortDevice::Usb{0x2341, 0x0043, "A1\nB\t2"}},
                   "USB 2341:0043 serial A1?B?2 (/dev/ttyACM0)"},
        DeviceCase{"EndlessSerialNumber",
                   {"/dev/ttyUSB1", "/dev/ttyUSB1", PortDevice::Usb{1, 2, std::string(500, 'S')}},
                   "USB 0001:0002 serial " + std::string(64, 'S') + " (/dev/ttyUSB1)"},
        DeviceCase{"PseudoTerminal",
                   {"/dev/pts/3", "/dev/pts/3", std::nullopt},
                   "pseudo-terminal (/dev/pts/3)"},
        // A port file or link naming the terminal is shown by the name it was opened with.
        DeviceCase{"LinkToAPseudoTerminal",
                   {"/tmp/reader", "/dev/pts/7", std::nullopt},
                   "pseudo-terminal (/tmp/reader)"},
        DeviceCase{"OldStylePseudoTerminal",
                   {"/dev/ttyp0", "/dev/ttyp0", std::nullopt},
                   "pseudo-terminal (/dev/ttyp0)"},
        DeviceCase{"OnBoardPort",
                   {"/dev/ttyS0", "/dev/ttyS0", std::nullopt},
                   "not a USB device (/dev/ttyS0)"},
        DeviceCase{
            "WindowsPortWithoutUsb", {"COM1", "COM1", std::nullopt}, "not a USB device (COM1)"},
        DeviceCase{"PathBeyondTheLongestText",
                   {kLongPath, kLongPath, std::nullopt},
                   ("not a USB device (" + kLongPath).substr(0, kDeviceTextLongest)},
        DeviceCase{"PathWithAnUmlautAndALineBreak",
                   {"/dev/r\xc3\xa4um\n1", "/dev/r\xc3\xa4um\n1", std::nullopt},
                   "not a USB device (/dev/r??um?1)"}),
    [](const testing::TestParamInfo<DeviceCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace frostel::link
