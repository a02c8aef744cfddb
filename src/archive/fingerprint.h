#pragma once

#include <QByteArray>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mission/download.h"

namespace frostel::archive {

// Pages in the fingerprint's own form, as the archive keeps them: per page its number (two
// bytes, low byte first) followed by its 32 bytes, in read order.
[[nodiscard]] QByteArray page_record(std::span<const mission::RawPage> pages);
// Nothing when `record` is not a whole number of pages.
[[nodiscard]] std::optional<std::vector<mission::RawPage>> pages_from_record(
    const QByteArray& record);

// The mission fingerprint: 64 lower-case hexadecimal digits of SHA-256 over the page
// record of the pages a download decoded. Anyone holding the raw pages can recompute it.
[[nodiscard]] std::string mission_fingerprint(std::span<const mission::RawPage> pages);
[[nodiscard]] std::string record_fingerprint(const QByteArray& record);

// A mission that comes from a saved pair has no raw pages: SHA-256 over the data file's
// bytes followed by the chart document's bytes.
[[nodiscard]] std::string saved_pair_fingerprint(std::string_view data_file_bytes,
                                                 std::string_view chart_document_bytes);

}  // namespace frostel::archive
