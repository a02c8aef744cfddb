#include "archive/record_digest.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

namespace frostel::archive {

std::string record_digest(const DigestedFields& fields) {
    const QString text = QStringLiteral("%1\n%2\n%3\n%4\n%5")
                             .arg(QString::fromStdString(fields.fingerprint),
                                  QString::fromStdString(fields.logger_id),
                                  QString::number(fields.downloaded_utc_ms),
                                  QString::fromStdString(fields.time_zone),
                                  QString::number(fields.utc_offset_seconds));
    return QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

bool agrees_with_entry(std::string_view entered, std::string_view fingerprint,
                       std::string_view digest) {
    const std::size_t line_end = entered.find('\n');
    if (line_end == std::string_view::npos) {
        return entered == fingerprint;
    }
    return entered.substr(0, line_end) == fingerprint && entered.substr(line_end + 1) == digest;
}

}  // namespace frostel::archive
