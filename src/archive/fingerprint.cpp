#include "archive/fingerprint.h"

#include <QCryptographicHash>

namespace frostel::archive {

namespace {

QByteArrayView bytes_of(std::string_view text) {
    return QByteArrayView(text.data(), static_cast<qsizetype>(text.size()));
}

std::string hex_result(const QCryptographicHash& hash) {
    return hash.result().toHex().toStdString();
}

}  // namespace

std::string mission_fingerprint(std::span<const mission::RawPage> pages) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const mission::RawPage& page : pages) {
        const char number[2] = {static_cast<char>(page.number & 0xFF),
                                static_cast<char>((page.number >> 8) & 0xFF)};
        hash.addData(QByteArrayView(number, 2));
        hash.addData(QByteArrayView(page.bytes.data(), link::kPageSize));
    }
    return hex_result(hash);
}

std::string saved_pair_fingerprint(std::string_view data_file_bytes,
                                   std::string_view chart_document_bytes) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(bytes_of(data_file_bytes));
    hash.addData(bytes_of(chart_document_bytes));
    return hex_result(hash);
}

}  // namespace frostel::archive
