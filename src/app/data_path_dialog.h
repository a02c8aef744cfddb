#pragma once

#include <QWidget>
#include <memory>

class QComboBox;
class QFileSystemModel;
class QModelIndex;
class QTreeView;

namespace frostel::app {
class NameOnlyIconProvider;
}

namespace frostel::app {

// The data folder dialog (Data_Path): a drive list and a folder list, no OK or Cancel. The
// data folder follows the folder list's current folder at once.
class DataPathDialog final : public QWidget {
    Q_OBJECT

  public:
    explicit DataPathDialog(QWidget* parent = nullptr);
    ~DataPathDialog() override;

    // Both lists on `folder`; a folder that is not there leaves them where they are.
    void open_on(const QString& folder);

  signals:
    // Native separators, as a drive letter, colon and path on Windows.
    void folderChanged(const QString& folder);
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void drive_chosen(int index);
    void show_folder(const QString& path);
    void folder_shown(const QModelIndex& current);

    QComboBox* drives_;
    QTreeView* folders_;
    // Members, not children: the model goes first, then its icon provider.
    std::unique_ptr<NameOnlyIconProvider> icons_;
    std::unique_ptr<QFileSystemModel> model_;
};

}  // namespace frostel::app
