#include "app/sign_in_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/account_fields.h"

namespace frostel::app {

namespace {

using archive::AccountAnswer;

std::string text_of(const QLineEdit* field) {
    return field->text().toStdString();
}

}  // namespace

SignInDialog::SignInDialog(archive::AccountBook& book, const QString& heading,
                           const QString& locked_id, QWidget* parent)
    : QDialog(parent), book_(book), locked_id_(locked_id.toStdString()) {
    setObjectName("sign_in_dialog");
    setWindowTitle("Sign In");
    setMinimumWidth(320);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(heading, this);
    title->setObjectName("heading");
    layout->addWidget(title);
    auto* form = new QFormLayout;
    user_id_ = new QLineEdit(locked_id, this);
    user_id_->setObjectName("user_id");
    password_ = account_field(this, "password", true);
    new_password_ = account_field(this, "new_password", true);
    again_ = account_field(this, "new_password_again", true);
    form->addRow("User id:", user_id_);
    form->addRow("Password:", password_);
    form->addRow("New password:", new_password_);
    form->addRow("New password again:", again_);
    form->setRowVisible(new_password_, false);
    form->setRowVisible(again_, false);
    layout->addLayout(form);
    message_ = refusal_label(this);
    layout->addWidget(message_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SignInDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SignInDialog::reject);
    layout->addWidget(buttons);
    (locked_id.isEmpty() ? user_id_ : password_)->setFocus();
}

void SignInDialog::accept() {
    if (changing_) {
        change_password();
    } else {
        sign_in();
    }
}

void SignInDialog::sign_in() {
    const std::string id = text_of(user_id_);
    const AccountAnswer answer =
        book_.sign_in(id, text_of(password_),
                      !locked_id_.empty() && id == locked_id_ ? "session-resumed" : "sign-in");
    if (!answer.done()) {
        refuse(answer.kind == AccountAnswer::Kind::kFailed ? QString::fromStdString(answer.why)
                                                           : "sign-in refused");
        return;
    }
    if (answer.person->state != archive::AccountState::kMustChange) {
        person_ = answer.person;
        QDialog::accept();
        return;
    }
    // Only the new password may be typed now, for the person just signed in.
    changing_ = true;
    user_id_->setReadOnly(true);
    password_->setReadOnly(true);
    auto* form = findChild<QFormLayout*>();
    form->setRowVisible(new_password_, true);
    form->setRowVisible(again_, true);
    message_->setText("password must be changed");
    new_password_->setFocus();
}

void SignInDialog::change_password() {
    if (new_password_->text() != again_->text()) {
        refuse("the two new passwords differ");
        return;
    }
    const AccountAnswer answer =
        book_.change_password(text_of(user_id_), text_of(password_), text_of(new_password_));
    if (!answer.done()) {
        refuse(QString::fromStdString(answer.why.empty() ? "sign-in refused" : answer.why));
        return;
    }
    person_ = answer.person;
    QDialog::accept();
}

void SignInDialog::refuse(const QString& why) {
    message_->setText(why);
    // Tall enough for a server's reason, wrapped.
    adjustSize();
    for (QLineEdit* field : {password_, new_password_, again_}) {
        if (!field->isReadOnly()) {
            field->clear();
        }
    }
    (changing_ ? new_password_ : password_)->setFocus();
}

}  // namespace frostel::app
