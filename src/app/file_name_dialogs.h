#pragma once

#include <QString>

class QWidget;

namespace frostel::app {

// The file-name dialogs: each returns the chosen name, or an empty text when the user
// cancelled. No suffix is added to what the user typed.
class FileNameDialogs {
  public:
    virtual ~FileNameDialogs() = default;
    [[nodiscard]] virtual QString save_name(QWidget* parent, const QString& folder,
                                            const QString& filter) = 0;
    [[nodiscard]] virtual QString open_name(QWidget* parent, const QString& folder,
                                            const QString& filter) = 0;
};

class QtFileNameDialogs final : public FileNameDialogs {
  public:
    [[nodiscard]] QString save_name(QWidget* parent, const QString& folder,
                                    const QString& filter) override;
    [[nodiscard]] QString open_name(QWidget* parent, const QString& folder,
                                    const QString& filter) override;
};

}  // namespace frostel::app
