#include "datafile/data_file.h"

#include "platform/qt_whole_file.h"

#include <QFile>

namespace frostel::datafile {

namespace {

constexpr char kChartSuffix[] = "tee";
constexpr qsizetype kReplacedLength = 3;
const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

QByteArray to_bytes(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        bytes.append(c.unicode() <= 0xFF ? static_cast<char>(c.unicode()) : '?');
    }
    return bytes;
}

}  // namespace

QString chart_document_name(const QString& data_file_name) {
    return data_file_name.chopped(std::min(kReplacedLength, data_file_name.size())) + kChartSuffix;
}

QString data_file_name(const QString& chosen) {
    const QString extension = QStringLiteral(".frd");
    if (chosen.isEmpty() || chosen.endsWith(extension, Qt::CaseInsensitive)) {
        return chosen;
    }
    return chosen.endsWith(QLatin1Char('.')) ? chosen + extension.mid(1) : chosen + extension;
}

bool write_data_file(const QString& path, const QString& mission_text) {
    return platform::write_whole_file(path, to_bytes(mission_text) + kLineEnd);
}

QString data_file_text(const QByteArray& bytes) {
    QString text;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf(kLineEnd, start);
        if (end < 0) {
            end = bytes.size();
        }
        text += QString::fromLatin1(bytes.mid(start, end - start)) + QChar('\r');
        start = end + kLineEnd.size();
    }
    return text;
}

std::optional<QString> read_data_file(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxDataFileBytes) {
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kMaxDataFileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxDataFileBytes) {
        return std::nullopt;
    }
    return data_file_text(bytes);
}

}  // namespace frostel::datafile
