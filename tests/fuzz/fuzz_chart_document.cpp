// The chart document reader on arbitrary bytes: never a crash, and whatever it accepts
// writes back to the same document.
#include <cstdint>
#include <cstdlib>

#include "datafile/chart_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace frostel::datafile;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<ChartDocument> document = from_json(bytes);
    if (document && from_json(to_json(*document)) != document)
        std::abort();
    return 0;
}
