#include "platform/qt_whole_file.h"

#include <QFile>

#include "platform/whole_file.h"

namespace frostel::platform {

bool write_whole_file(const QString& path, const QByteArray& bytes) {
    return write_whole_file(std::filesystem::path(QFile::encodeName(path).toStdString()),
                            std::string_view(bytes.constData(), bytes.size()));
}

}  // namespace frostel::platform
