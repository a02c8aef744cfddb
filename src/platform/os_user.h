#pragma once

#include <string>

namespace frostel::platform {

// The operating-system account this program runs as.
struct OsUser {
    std::string login;
    std::string full_name;  // as the system keeps it; empty when it keeps none
};

[[nodiscard]] OsUser current_os_user();
// This PC's name on the network.
[[nodiscard]] std::string host_name();

}  // namespace frostel::platform
