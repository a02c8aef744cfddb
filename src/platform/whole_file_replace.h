#pragma once

#include <filesystem>
#include <string_view>

namespace frostel::platform {

// The system's half of the whole-file writer: `content` into a new file beside `target`,
// flushed to disk, then put in `target`'s place, which keeps its permissions when it exists.
// `target` is no symbolic link. On failure nothing is left beside it.
[[nodiscard]] bool replace_whole_file(const std::filesystem::path& target,
                                      std::string_view content);

}  // namespace frostel::platform
