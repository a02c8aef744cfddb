#include "platform/settings_file.h"

#include <QFile>
#include <QList>

#include "platform/qt_whole_file.h"

namespace frostel::platform {

namespace {

// Far more than three lines of settings need; the rest of an odd file is never read.
constexpr qint64 kMaxSettingsBytes = qint64{64} * 1024;
constexpr int kSettingsLines = 3;

QList<QByteArray> first_lines(const QByteArray& bytes) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size() && lines.size() < kSettingsLines) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') {
            ++end;
        }
        lines.append(bytes.mid(start, end - start));
        if (end < bytes.size() && bytes[end] == '\r') {
            ++end;
        }
        if (end < bytes.size() && bytes[end] == '\n') {
            ++end;
        }
        start = end;
    }
    return lines;
}

}  // namespace

CommPortNumber CommPortNumber::as_read(QByteArray line) {
    CommPortNumber value;
    value.text_ = std::move(line);
    return value;
}

CommPortNumber CommPortNumber::chosen(int number) {
    CommPortNumber value;
    value.chosen_ = number;
    return value;
}

std::optional<int> CommPortNumber::number() const {
    if (chosen_) {
        return chosen_;
    }
    QByteArray digits = text_;
    while (digits.startsWith(' ')) {
        digits.remove(0, 1);
    }
    while (digits.endsWith(' ')) {
        digits.chop(1);
    }
    bool ok = false;
    const int parsed = digits.toInt(&ok);
    return ok ? std::optional<int>(parsed) : std::nullopt;
}

QByteArray CommPortNumber::line() const {
    return chosen_ ? " " + QByteArray::number(*chosen_) + " " : text_;
}

Settings parse_settings(const QByteArray& bytes) {
    const QList<QByteArray> lines = first_lines(bytes);
    Settings settings;
    if (lines.size() > 0) {
        settings.language_name = QString::fromLatin1(lines[0]);
    }
    if (lines.size() > 1) {
        settings.data_folder = QFile::decodeName(lines[1]);
    }
    if (lines.size() > 2) {
        settings.comm_port_number = CommPortNumber::as_read(lines[2]);
    }
    return settings;
}

QByteArray format_settings(const Settings& settings) {
    return settings.language_name.toLatin1() + "\r\n" + QFile::encodeName(settings.data_folder) +
           "\r\n" + settings.comm_port_number.line() + "\r\n";
}

Settings read_settings_file(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return parse_settings(file.read(kMaxSettingsBytes));
}

bool write_settings_file(const QString& path, const Settings& settings) {
    return platform::write_whole_file(path, format_settings(settings));
}

}  // namespace frostel::platform
