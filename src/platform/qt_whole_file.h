#pragma once

#include <QByteArray>
#include <QString>

namespace frostel::platform {

// The whole-file writer for Qt's names and bytes; the name is encoded as the file system
// expects it, so a folder with non-ASCII letters works.
[[nodiscard]] bool write_whole_file(const QString& path, const QByteArray& bytes);

}  // namespace frostel::platform
