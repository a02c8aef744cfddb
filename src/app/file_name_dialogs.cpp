#include "app/file_name_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

#include "app/name_only_icon_provider.h"

namespace frostel::app {

namespace {

// "frd" from "Frostel Datafile (FRD) (*.frd);;All files (*)".
QString first_extension(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral(R"(\(\*\.(\w+)\))"));
    return pattern.match(filter).captured(1);
}

// The window the user works in when it stays on top (the summary, the archive), else
// `parent`: a dialog under a window that stays on top could not be reached.
QWidget* owner(QWidget* parent) {
    QWidget* active = QApplication::activeWindow();
    return active != nullptr && active->windowFlags().testFlag(Qt::WindowStaysOnTopHint) ? active
                                                                                         : parent;
}

// A system dialog would guess the types of the archive's files by reading them, which this
// program must never do; Qt's own dialog takes an icon provider that does not. The provider
// is set before the dialog first lists its folder (it lists when events are next processed).
struct FileDialog {
    NameOnlyIconProvider icons;
    QFileDialog dialog;

    FileDialog(QWidget* parent, const QString& folder, const QString& filter)
        : dialog(owner(parent), QString(), folder, filter) {
        // Modal, it is above the windows that stay on top even when opened from another.
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
        dialog.setIconProvider(&icons);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    }
};

}  // namespace

QString QtFileNameDialogs::save_name(QWidget* parent, const QString& folder,
                                     const QString& filter) {
    FileDialog file_dialog(parent, folder, filter);
    QFileDialog& dialog = file_dialog.dialog;
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
    FileDialog file_dialog(parent, folder, filter);
    QFileDialog& dialog = file_dialog.dialog;
    dialog.setFileMode(QFileDialog::ExistingFile);
    // "week49" opens week49.frd.
    dialog.setDefaultSuffix(first_extension(filter));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString FileNameDialogs::folder_name(QWidget* /*parent*/, const QString& /*folder*/) {
    return {};
}

QString QtFileNameDialogs::folder_name(QWidget* parent, const QString& folder) {
    FileDialog file_dialog(parent, folder, QString());
    QFileDialog& dialog = file_dialog.dialog;
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString with_extension(const QString& name, const QString& extension) {
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty()) {
        return name;
    }
    return name.endsWith(QLatin1Char('.')) ? name + extension : name + QLatin1Char('.') + extension;
}

}  // namespace frostel::app
