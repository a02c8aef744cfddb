#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

class QWidget;

namespace frostel::app {

// The file-name dialogs: each returns the chosen name, or an empty text when the user
// cancelled. `filter` is a Qt name filter list, "Name (*.ext);;Other (*)".
class FileNameDialogs {
  public:
    virtual ~FileNameDialogs() = default;
    [[nodiscard]] virtual QString save_name(QWidget* parent, const QString& folder,
                                            const QString& filter) = 0;
    [[nodiscard]] virtual QString open_name(QWidget* parent, const QString& folder,
                                            const QString& filter) = 0;
    // A new or empty folder to write into, starting in `folder`; a new name typed is made.
    // Dialogs made only for files answer as if cancelled.
    [[nodiscard]] virtual QString folder_name(QWidget* parent, const QString& folder);
};

// The system's dialogs. A save dialog adds its first filter's extension to a name typed
// without one, before it asks whether to replace a file, so the question names the file
// that will be written.
class QtFileNameDialogs final : public FileNameDialogs {
  public:
    [[nodiscard]] QString save_name(QWidget* parent, const QString& folder,
                                    const QString& filter) override;
    [[nodiscard]] QString open_name(QWidget* parent, const QString& folder,
                                    const QString& filter) override;
    [[nodiscard]] QString folder_name(QWidget* parent, const QString& folder) override;
};

// The dialogs of `dialogs`, keeping every save off the archive's own files: a name that would
// write over a file of one of `archives()` (see archive::is_archive_file), as chosen or as
// the save completes it (an extension of its filter added, a data file's pair), is refused
// with a warning, as if the user had cancelled.
class ArchiveSafeDialogs final : public FileNameDialogs {
  public:
    ArchiveSafeDialogs(FileNameDialogs& dialogs, std::function<QStringList()> archives)
        : dialogs_(dialogs), archives_(std::move(archives)) {}

    [[nodiscard]] QString save_name(QWidget* parent, const QString& folder,
                                    const QString& filter) override;
    [[nodiscard]] QString open_name(QWidget* parent, const QString& folder,
                                    const QString& filter) override {
        return dialogs_.open_name(parent, folder, filter);
    }
    [[nodiscard]] QString folder_name(QWidget* parent, const QString& folder) override {
        return dialogs_.folder_name(parent, folder);
    }

  private:
    FileNameDialogs& dialogs_;
    std::function<QStringList()> archives_;
};

// Readies `path` to be written into as a new or empty folder, made when it is not there
// yet (its parent must be); why it cannot be, or empty when it is ready.
[[nodiscard]] QString ready_new_folder(const QString& path);

// The name a save writes: `name` as chosen, with "." and `extension` added when its file
// name has no extension of its own ("report" becomes "report.pdf", "report.txt" stays).
// Data files have a rule of their own (datafile::data_file_name).
[[nodiscard]] QString with_extension(const QString& name, const QString& extension);

}  // namespace frostel::app
