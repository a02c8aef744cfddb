#pragma once

#include <QString>
#include <string_view>

namespace frostel::platform {

// Bytes as the text they stand for, one character per byte: how the logger, the data files
// and the archive keep text.
[[nodiscard]] inline QString latin1_text(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace frostel::platform
