#include "app/data_path_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTreeView>

#include "app/name_only_icon_provider.h"
#include "app/pixel_geometry.h"

namespace frostel::app {

namespace {

// The drive that holds `folder`: the longest drive root it starts with.
int drive_index_of(const QComboBox* drives, const QString& folder) {
    int best = -1;
    for (int i = 0; i < drives->count(); ++i) {
        const QString root = drives->itemData(i).toString();
        if (folder.startsWith(root, Qt::CaseInsensitive) &&
            (best < 0 || root.size() > drives->itemData(best).toString().size())) {
            best = i;
        }
    }
    return best;
}

}  // namespace

DataPathDialog::~DataPathDialog() = default;

DataPathDialog::DataPathDialog(QWidget* parent)
    : QWidget(parent, Qt::Dialog),
      drives_(new QComboBox(this)),
      folders_(new QTreeView(this)),
      icons_(std::make_unique<NameOnlyIconProvider>()),
      model_(std::make_unique<QFileSystemModel>()) {
    setObjectName("Data_Path");
    setWindowTitle("Data Path");
    setFixedSize(twips_to_pixels(4680), twips_to_pixels(3090));
    drives_->setObjectName("Drive1");
    drives_->setGeometry(pixel_rect({0, 0, 4695, 315}));
    for (const QFileInfo& drive : QDir::drives()) {
        drives_->addItem(QDir::toNativeSeparators(drive.absolutePath()), drive.absolutePath());
    }
    model_->setIconProvider(icons_.get());
    model_->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    model_->setRootPath(QString());
    folders_->setObjectName("Dir1");
    folders_->setGeometry(pixel_rect({0, 360, 4695, 2790}));
    folders_->setModel(model_.get());
    folders_->setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column) {
        folders_->hideColumn(column);
    }
    connect(drives_, &QComboBox::activated, this, &DataPathDialog::drive_chosen);
    connect(folders_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &DataPathDialog::folder_shown);
}

void DataPathDialog::open_on(const QString& folder) {
    const QString path = QDir::fromNativeSeparators(folder);
    const int drive = drive_index_of(drives_, path);
    if (path.isEmpty() || drive < 0 || !QFileInfo(path).isDir()) {
        return;
    }
    drives_->setCurrentIndex(drive);
    show_folder(path);
}

void DataPathDialog::drive_chosen(int index) {
    show_folder(drives_->itemData(index).toString());
}

void DataPathDialog::show_folder(const QString& path) {
    const QModelIndex index = model_->index(path);
    if (index.isValid()) {
        folders_->setCurrentIndex(index);
        folders_->scrollTo(index);
        folders_->expand(index);
    }
}

void DataPathDialog::folder_shown(const QModelIndex& current) {
    if (current.isValid()) {
        emit folderChanged(QDir::toNativeSeparators(model_->filePath(current)));
    }
}

void DataPathDialog::closeEvent(QCloseEvent* event) {
    emit closed();
    QWidget::closeEvent(event);
}

}  // namespace frostel::app
