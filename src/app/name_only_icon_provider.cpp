#include "app/name_only_icon_provider.h"

#include <QMimeDatabase>

namespace frostel::app {

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const {
    if (info.isRoot()) {
        return icon(Drive);
    }
    return icon(info.isDir() ? Folder : File);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const {
    if (!info.isFile()) {
        // Drives and folders are named without reading anything.
        return QFileIconProvider::type(info);
    }
    const QMimeType mime =
        QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

}  // namespace frostel::app
