#pragma once

#include <filesystem>
#include <string_view>

namespace frostel::platform {

// Writes `content` to `path` whole or not at all: a temporary file beside it, flushed to
// disk, then renamed over it, so a failure never leaves the old file half-overwritten.
// A symbolic link is followed (its target is written, the link stays); an existing file keeps
// its permissions, and its owner and group where the user may set them. A file the user may
// not write is not replaced: the write fails as a plain one would.
[[nodiscard]] bool write_whole_file(const std::filesystem::path& path, std::string_view content);

}  // namespace frostel::platform
