#pragma once

#include <filesystem>
#include <string_view>

namespace frostel::platform {

// The system's half of the whole-file writer: `content` into a new file beside `target`,
// flushed to disk, then put in `target`'s place, which keeps its permissions when it exists.
// `target` is no symbolic link. On failure nothing is left beside it.
[[nodiscard]] bool replace_whole_file(const std::filesystem::path& target,
                                      std::string_view content);

// The name of the new file beside `target` for one process's attempt: hidden, recognisably
// the target's, and short enough for any folder whatever the target's name.
[[nodiscard]] std::filesystem::path temporary_name_beside(const std::filesystem::path& target,
                                                          unsigned process_id, int attempt);

}  // namespace frostel::platform
