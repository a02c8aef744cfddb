#include "platform/whole_file.h"

#include <string>
#include <system_error>

#include "platform/whole_file_replace.h"

namespace frostel::platform {

namespace fs = std::filesystem;

namespace {

// As many links as the Linux kernel itself follows before it gives up.
constexpr int kMaxLinkDepth = 40;
// Of the target's name, the new file's keeps this many characters: with the dot, process id
// and attempt it stays well below the 255 a folder entry may hold.
constexpr std::size_t kKeptNameLength = 200;

// The file a write to `path` should replace: the end of its chain of symbolic links, so
// the new file lands on the target and the link stays a link. Empty for a loop.
fs::path link_target(fs::path path) {
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) {
            return path;
        }
        const fs::path next = fs::read_symlink(path, error);
        if (error) {
            return {};
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return {};
}

}  // namespace

fs::path temporary_name_beside(const fs::path& target, unsigned process_id, int attempt) {
    fs::path temporary(".");
    temporary += target.filename().native().substr(0, kKeptNameLength);
    temporary += "." + std::to_string(process_id) + "." + std::to_string(attempt);
    return target.parent_path() / temporary;
}

bool write_whole_file(const fs::path& path, std::string_view content) {
    const fs::path target = link_target(path);
    return !target.empty() && replace_whole_file(target, content);
}

}  // namespace frostel::platform
