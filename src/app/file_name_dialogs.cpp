#include "file_name_dialogs.h"

#include <QFileDialog>

namespace frostel::app {

QString QtFileNameDialogs::save_name(QWidget* parent, const QString& folder,
                                     const QString& filter) {
    return QFileDialog::getSaveFileName(parent, QString(), folder, filter);
}

QString QtFileNameDialogs::open_name(QWidget* parent, const QString& folder,
                                     const QString& filter) {
    return QFileDialog::getOpenFileName(parent, QString(), folder, filter);
}

}  // namespace frostel::app
