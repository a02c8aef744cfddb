#include "link/port_devices.h"

#include <fstream>
#include <system_error>

namespace frostel::link {

std::string device_for_port(const std::filesystem::path& program_folder, int number) {
#ifdef _WIN32
    (void)program_folder;
    return "COM" + std::to_string(number);
#else
    namespace fs = std::filesystem;
    const fs::path entry = program_folder / "ports" / ("COM" + std::to_string(number));
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(entry, error))) {
        const fs::path target = fs::read_symlink(entry, error);
        if (!error) {
            return (target.is_absolute() ? target : entry.parent_path() / target).string();
        }
    } else if (fs::is_regular_file(entry, error)) {
        std::ifstream file(entry);
        std::string line;
        if (std::getline(file, line)) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
                line.pop_back();
            }
            if (!line.empty()) {
                return line;
            }
        }
    }
    return "/dev/ttyUSB" + std::to_string(number - 1);
#endif
}

}  // namespace frostel::link
