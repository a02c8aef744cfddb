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

}  // namespace frostel::archive
