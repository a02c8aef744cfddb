#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace frostel::platform {

inline const QString kSettingsFileName = QStringLiteral("SETUP.FRG");

// The remembered port in the form it was last set: the text of the settings file's third
// line as read, or a number chosen in this run. The text goes back to the file unchanged,
// so a hand-written "3" stays "3"; a chosen number is written " 3 ".
class CommPortNumber {
  public:
    CommPortNumber() = default;
    [[nodiscard]] static CommPortNumber as_read(QByteArray line);
    [[nodiscard]] static CommPortNumber chosen(int number);

    // The whole number the value holds, blanks around the digits ignored; nothing for an
    // empty value or one that is not a number.
    [[nodiscard]] std::optional<int> number() const;
    // The third line of the file, without its line end.
    [[nodiscard]] QByteArray line() const;

    bool operator==(const CommPortNumber&) const = default;

  private:
    QByteArray text_;
    std::optional<int> chosen_;
};

struct Settings {
    QString language_name;
    QString data_folder;
    CommPortNumber comm_port_number;
    bool operator==(const Settings&) const = default;
};

// Three lines, each ended by CR LF; a missing line leaves its value empty. Lines ended by a
// bare LF or CR are read too, and anything past the third line is ignored.
[[nodiscard]] Settings parse_settings(const QByteArray& bytes);
[[nodiscard]] QByteArray format_settings(const Settings& settings);

// A missing or unreadable file reads as three empty values.
[[nodiscard]] Settings read_settings_file(const QString& path);
// Whole or not at all: a failed write leaves the older file as it was.
[[nodiscard]] bool write_settings_file(const QString& path, const Settings& settings);

}  // namespace frostel::platform
