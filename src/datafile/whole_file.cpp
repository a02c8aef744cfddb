#include "datafile/whole_file.h"

#include <QFile>

#include "mission/whole_file.h"

namespace frostel::datafile {

bool write_whole_file(const QString& path, const QByteArray& bytes) {
    return mission::write_whole_file(QFile::encodeName(path).toStdString(),
                                     std::string_view(bytes.constData(), bytes.size()));
}

}  // namespace frostel::datafile
