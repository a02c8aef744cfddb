#pragma once

#include <span>
#include <string>
#include <string_view>

#include "mission/download.h"

namespace frostel::archive {

// The mission fingerprint, 64 lower-case hexadecimal digits of SHA-256 over the pages a
// download decoded, in read order, each as its number (two bytes, low byte first) followed
// by its 32 bytes. Anyone holding the raw pages can recompute it.
[[nodiscard]] std::string mission_fingerprint(std::span<const mission::RawPage> pages);

// A mission that comes from a saved pair has no raw pages: SHA-256 over the data file's
// bytes followed by the chart document's bytes.
[[nodiscard]] std::string saved_pair_fingerprint(std::string_view data_file_bytes,
                                                 std::string_view chart_document_bytes);

}  // namespace frostel::archive
