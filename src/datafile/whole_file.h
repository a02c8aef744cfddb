#pragma once

#include <QByteArray>
#include <QString>

namespace frostel::datafile {

// `bytes` to `path` whole or not at all; a full disk or a read-only folder leaves any
// older file as it was. (A buffered QSaveFile can lose a short write at commit without
// reporting it, so every file of the program is written through here.)
[[nodiscard]] bool write_whole_file(const QString& path, const QByteArray& bytes);

}  // namespace frostel::datafile
