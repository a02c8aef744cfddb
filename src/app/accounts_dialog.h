#pragma once

#include <QDialog>

#include "archive/mission_archive.h"

class QLabel;
class QLineEdit;

namespace frostel::app {

// "Accounts": turns accounts on for the archive with its first administrator, as
// `frostel-cli users init` does; from the next start the main window asks who works at it.
class AccountsDialog final : public QDialog {
    Q_OBJECT

  public:
    AccountsDialog(archive::MissionArchive& archive, QWidget* parent = nullptr);

    void accept() override;

  private:
    archive::MissionArchive& archive_;
    QLineEdit* user_id_;
    QLineEdit* full_name_;
    QLineEdit* password_;
    QLineEdit* again_;
    QLabel* message_;
};

}  // namespace frostel::app
