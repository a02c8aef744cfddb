#include "file_name_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace frostel::app {

namespace {

// "frd" from "Frostel Datafile (FRD) (*.frd);;All files (*)".
QString first_extension(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral(R"(\(\*\.(\w+)\))"));
    return pattern.match(filter).captured(1);
}

}  // namespace

QString QtFileNameDialogs::save_name(QWidget* parent, const QString& folder,
                                     const QString& filter) {
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(first_extension(filter));
    // A name typed without an extension takes the chosen filter's.
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString& chosen) { dialog.setDefaultSuffix(first_extension(chosen)); });
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString QtFileNameDialogs::open_name(QWidget* parent, const QString& folder,
                                     const QString& filter) {
    return QFileDialog::getOpenFileName(parent, QString(), folder, filter);
}

QString with_extension(const QString& name, const QString& extension) {
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty()) {
        return name;
    }
    return name.endsWith(QLatin1Char('.')) ? name + extension : name + QLatin1Char('.') + extension;
}

}  // namespace frostel::app
