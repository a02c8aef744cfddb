#include "platform/qt_whole_file.h"

#include <QFile>

#include "platform/whole_file.h"

namespace frostel::platform {

namespace {

// The name in the file system's own form: wide characters on Windows (its 8-bit form
// would be the ANSI code page), the 8-bit encoding Qt uses for file names elsewhere.
std::filesystem::path native_path(const QString& path) {
#ifdef _WIN32
    return {path.toStdWString()};
#else
    return {QFile::encodeName(path).toStdString()};
#endif
}

}  // namespace

bool write_whole_file(const QString& path, const QByteArray& bytes) {
    return write_whole_file(native_path(path), std::string_view(bytes.constData(), bytes.size()));
}

}  // namespace frostel::platform
