#include "archive/record_digest.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>
#include <algorithm>
#include <vector>

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

std::string clock_line(const std::optional<mission::LoggerClock>& clock) {
    if (!clock) {
        return {};
    }
    return std::string(mission::source_name(clock)) + ' ' + std::to_string(clock->utc_offset_s) +
           ' ' + std::to_string(clock->drift_s) + ' ' + std::to_string(clock->measured_offset_s) +
           ' ' + clock->zone;
}

std::string archived_value(std::string_view fingerprint, std::string_view digest,
                           std::string_view clock) {
    return std::string(fingerprint) + '\n' + std::string(digest) + '\n' + std::string(clock);
}

bool agrees_with_entry(std::string_view entered, std::string_view fingerprint,
                       std::string_view digest, std::string_view clock) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = entered.find('\n', start);
        lines.push_back(entered.substr(start, end - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    const std::vector<std::string_view> kept{fingerprint, digest, clock};
    return lines.size() <= kept.size() && std::equal(lines.begin(), lines.end(), kept.begin());
}

bool made_the_record(std::string_view entered) {
    return entered.find('\n') != std::string_view::npos;
}

}  // namespace frostel::archive
