// The data file reader on arbitrary bytes: every byte comes back, each line ended by a CR.
#include <cstdint>
#include <cstdlib>

#include "datafile/data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = frostel::datafile::data_file_text(bytes);
    // Each CR LF became one CR, and an unterminated last line gained one.
    const qsizetype line_ends = bytes.count("\r\n");
    const qsizetype expected =
        size - line_ends + (bytes.isEmpty() || bytes.endsWith("\r\n") ? 0 : 1);
    if (text.size() != expected)
        std::abort();
    return 0;
}
