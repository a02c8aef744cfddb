#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace frostel::test {

// Everything in the file at `path`, byte for byte; empty when it cannot be read.
inline std::string file_text(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace frostel::test
