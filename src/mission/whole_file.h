#pragma once

#include <filesystem>
#include <string_view>

namespace frostel::mission {

// Writes `content` to `path` whole or not at all: a temporary file beside it, flushed to
// disk, then renamed over it, so a failure never leaves the old file half-overwritten.
[[nodiscard]] bool write_whole_file(const std::filesystem::path& path, std::string_view content);

}  // namespace frostel::mission
