#include "app/file_name_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QRegularExpression>

#include "app/name_only_icon_provider.h"
#include "app/topmost.h"
#include "archive/archive_files.h"
#include "datafile/data_file.h"
#include "report/result_palette.h"

namespace frostel::app {

namespace {

const QRegularExpression kExtension(QStringLiteral(R"(\(\*\.(\w+)\))"));

// "frd" from "Frostel Datafile (FRD) (*.frd);;All files (*)".
QString first_extension(const QString& filter) {
    return kExtension.match(filter).captured(1);
}

// The files a save under `name` may write: the name as chosen, with an extension of its
// filter added, and for a data file both files of its pair.
QStringList written_names(const QString& name, const QString& filter) {
    QStringList names{name};
    for (const QRegularExpressionMatch& match : kExtension.globalMatch(filter)) {
        const QString extension = match.captured(1);
        names << with_extension(name, extension);
        if (extension == QLatin1String("frd")) {
            const QString data_file = datafile::data_file_name(name);
            names << data_file << datafile::chart_document_name(data_file);
        }
    }
    return names;
}

// The window the user works in (the summary, the archive), else `parent`: the dialog opens
// above the window it was asked from, not above one that may lie behind it.
QWidget* owner(QWidget* parent) {
    QWidget* active = QApplication::activeWindow();
    return active != nullptr ? active : parent;
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

// A folder dialog that takes only a new or empty folder, and makes a new name typed into it;
// it says so under its fields, and why a folder chosen is refused.
class NewFolderDialog final : public QFileDialog {
  public:
    NewFolderDialog(QWidget* parent, const QString& folder)
        : QFileDialog(parent, QString(), folder), refusal_(new QLabel(this)) {
        setObjectName(QStringLiteral("new_folder_dialog"));
        setWindowTitle(tr("New or Empty Folder"));
        setFileMode(QFileDialog::Directory);
        setOption(QFileDialog::ShowDirsOnly);
        setOption(QFileDialog::DontUseNativeDialog);
        auto* rule = new QLabel(
            tr("The files go into a new or empty folder: choose an empty one, or type the name of "
               "a new one to be made."),
            this);
        rule->setObjectName(QStringLiteral("new_folder_rule"));
        rule->setWordWrap(true);
        refusal_->setObjectName(QStringLiteral("new_folder_refusal"));
        refusal_->setWordWrap(true);
        refusal_->setStyleSheet(QStringLiteral("color: %1;")
                                    .arg(report::result_colour(report::ResultKind::kFail).name()));
        // Qt's own dialog lays itself out on a grid: the lines go under all of it.
        if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
            grid->addWidget(rule, grid->rowCount(), 0, 1, grid->columnCount());
            grid->addWidget(refusal_, grid->rowCount(), 0, 1, grid->columnCount());
        }
    }

    void accept() override {
        const QString problem = ready_new_folder(selectedFiles().value(0));
        refusal_->setText(problem);
        if (problem.isEmpty()) {
            QFileDialog::accept();
        }
    }

  private:
    QLabel* refusal_;
};

}  // namespace

QString ready_new_folder(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty()) {
        return QObject::tr("Choose a folder, or type the name of a new one.");
    }
    if (!info.exists()) {
        return QDir().mkdir(path)
                   ? QString()
                   : QObject::tr("%1 could not be made.").arg(QDir::toNativeSeparators(path));
    }
    if (!info.isDir()) {
        return QObject::tr("%1 is a file: choose a folder.").arg(QDir::toNativeSeparators(path));
    }
    if (!QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                            QDir::System)) {
        return QObject::tr("%1 is not empty: choose an empty folder, or type a new name.")
            .arg(QDir::toNativeSeparators(path));
    }
    return {};
}

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

QString ArchiveSafeDialogs::save_name(QWidget* parent, const QString& folder,
                                      const QString& filter) {
    QString name = dialogs_.save_name(parent, folder, filter);
    if (name.isEmpty()) {
        return name;
    }
    const QStringList archives = archives_();
    for (const QString& written : written_names(name, filter)) {
        for (const QString& archive : archives) {
            if (archive::is_archive_file(written, archive)) {
                show_warning(parent, "archive_file_refused", QObject::tr("Save"),
                             QObject::tr("%1 is the archive; choose another name.")
                                 .arg(QDir::toNativeSeparators(written)));
                return {};
            }
        }
    }
    return name;
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
    NameOnlyIconProvider icons;
    NewFolderDialog dialog(owner(parent), folder);
    // As FileDialog's, and for the same reasons.
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog.setIconProvider(&icons);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString with_extension(const QString& name, const QString& extension) {
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty()) {
        return name;
    }
    return name.endsWith(QLatin1Char('.')) ? name + extension : name + QLatin1Char('.') + extension;
}

}  // namespace frostel::app
