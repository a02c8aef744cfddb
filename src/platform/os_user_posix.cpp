#include "platform/os_user.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <string_view>
#include <vector>

namespace frostel::platform {

OsUser current_os_user() {
    const uid_t uid = geteuid();
    const passwd* entry = getpwuid(uid);
    if (entry == nullptr) {
        // An account the password database does not list (a container's bare uid).
        return {std::to_string(uid), {}};
    }
    // The comment field holds the full name before its first comma (room, phone, ...).
    const std::string_view gecos = entry->pw_gecos != nullptr ? entry->pw_gecos : "";
    return {entry->pw_name, std::string(gecos.substr(0, gecos.find(',')))};
}

std::string host_name() {
    std::vector<char> name(HOST_NAME_MAX + 1, '\0');
    if (gethostname(name.data(), name.size() - 1) != 0) {
        return {};
    }
    return name.data();
}

}  // namespace frostel::platform
