#pragma once

#include <QDialog>
#include <optional>

#include "archive/account_book.h"

class QLabel;
class QLineEdit;

namespace frostel::app {

// Asks a person's user id and password and signs them in; a person whose password was reset
// gives a new one, twice, before going on. A refusal says no more than "sign-in refused".
class SignInDialog final : public QDialog {
    Q_OBJECT

  public:
    // `book` on the archive that keeps the accounts. `locked_id`: the person whose session is
    // locked, filled in; their sign-in resumes it, another person's starts a new one.
    SignInDialog(archive::AccountBook& book, const QString& heading, const QString& locked_id,
                 QWidget* parent = nullptr);

    // Who signed in, once the dialog was accepted.
    [[nodiscard]] const std::optional<archive::Person>& person() const { return person_; }

    void accept() override;

  private:
    void sign_in();
    void change_password();
    void refuse(const QString& why);

    archive::AccountBook& book_;
    std::string locked_id_;
    QLineEdit* user_id_;
    QLineEdit* password_;
    QLineEdit* new_password_;
    QLineEdit* again_;
    QLabel* message_;
    std::optional<archive::Person> person_;
    bool changing_ = false;  // signed in with a password that must be changed first
};

}  // namespace frostel::app
