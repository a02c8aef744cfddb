// The settings file reader on arbitrary bytes: it never fails, and what it reads writes
// back to bytes that read the same again.
#include <cstdint>
#include <cstdlib>

#include "settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace frostel::app;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const Settings settings = parse_settings(bytes);
    if (parse_settings(format_settings(settings)) != settings)
        std::abort();
    return 0;
}
