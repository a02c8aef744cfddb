#pragma once

#include <QFileIconProvider>

namespace frostel::app {

// Icons and types from the file name alone. Qt's own provider opens a file to guess its
// type, and closing that descriptor drops every lock SQLite holds on it in this process:
// another program closing the archive then believes it is the last and deletes the
// write-ahead log this one still writes. Every file dialog and file model uses this one.
class NameOnlyIconProvider final : public QFileIconProvider {
  public:
    using QFileIconProvider::icon;
    [[nodiscard]] QIcon icon(const QFileInfo& info) const override;
    [[nodiscard]] QString type(const QFileInfo& info) const override;
};

}  // namespace frostel::app
