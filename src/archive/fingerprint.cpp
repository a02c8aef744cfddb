#include "archive/fingerprint.h"

#include <QCryptographicHash>

namespace frostel::archive {

namespace {

constexpr qsizetype kRecordPageSize = 2 + link::kPageSize;

QByteArrayView bytes_of(std::string_view text) {
    return {text.data(), static_cast<qsizetype>(text.size())};
}

std::string hex_result(const QCryptographicHash& hash) {
    return hash.result().toHex().toStdString();
}

}  // namespace

QByteArray page_record(std::span<const mission::RawPage> pages) {
    QByteArray record;
    record.reserve(static_cast<qsizetype>(pages.size()) * kRecordPageSize);
    for (const mission::RawPage& page : pages) {
        record.append(static_cast<char>(page.number & 0xFF));
        record.append(static_cast<char>((page.number >> 8) & 0xFF));
        record.append(QByteArrayView(page.bytes.data(), link::kPageSize));
    }
    return record;
}

std::optional<std::vector<mission::RawPage>> pages_from_record(const QByteArray& record) {
    if (record.size() % kRecordPageSize != 0) {
        return std::nullopt;
    }
    std::vector<mission::RawPage> pages(static_cast<std::size_t>(record.size() / kRecordPageSize));
    const auto* bytes = reinterpret_cast<const link::Byte*>(record.constData());
    for (mission::RawPage& page : pages) {
        page.number = bytes[0] | (bytes[1] << 8);
        std::copy(bytes + 2, bytes + kRecordPageSize, page.bytes.begin());
        bytes += kRecordPageSize;
    }
    return pages;
}

std::string record_fingerprint(const QByteArray& record) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(record);
    return hex_result(hash);
}

std::string mission_fingerprint(std::span<const mission::RawPage> pages) {
    return record_fingerprint(page_record(pages));
}

std::string saved_pair_fingerprint(std::string_view data_file_bytes,
                                   std::string_view chart_document_bytes) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(bytes_of(data_file_bytes));
    hash.addData(bytes_of(chart_document_bytes));
    return hex_result(hash);
}

}  // namespace frostel::archive
