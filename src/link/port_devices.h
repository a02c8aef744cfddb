#pragma once

#include <filesystem>
#include <string>

namespace frostel::link {

// The device behind port number n (1 to 30). On Windows "COMn". Elsewhere the device named
// by "ports/COMn" in the program folder (a symbolic link to it, or a one-line text file
// holding its path), else /dev/ttyUSB<n-1>, where the kernel puts a USB-to-serial bridge.
[[nodiscard]] std::string device_for_port(const std::filesystem::path& program_folder, int number);

}  // namespace frostel::link
