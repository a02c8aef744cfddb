#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

#include "archive/account_book.h"
#include "archive/mission_archive.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace frostel::app {

// "Sign": the person signed in signs an archived record as "reviewed" or "approved" (what
// their role allows), with an optional comment, after giving their password again. It starts
// at the meaning the record's signatures allow them next, or at none. The
// record is shown as it is judged now; a refusal says why, in the failure's colour.
class SignDialog final : public QDialog {
    Q_OBJECT

  public:
    SignDialog(archive::MissionArchive& archive, archive::Person person, std::int64_t id,
               QWidget* parent = nullptr);

    void accept() override;

  private:
    [[nodiscard]] int first_meaning();
    void show_record(QFormLayout& form);
    void refuse(const QString& why);

    archive::MissionArchive& archive_;
    archive::Person person_;
    std::int64_t id_;
    QComboBox* meaning_;
    QLineEdit* comment_;
    QLineEdit* password_;
    QLabel* message_;
};

// A window's "Sign" button: shown with accounts on (someone signed in), usable by a person
// whose role may sign, otherwise saying why not.
void offer_signing(QPushButton& button, const std::optional<archive::Person>& person);

}  // namespace frostel::app
