#include "app/accounts_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/account_fields.h"
#include "archive/account_book.h"
#include "archive/pg_address.h"

namespace frostel::app {

AccountsDialog::AccountsDialog(archive::MissionArchive& archive, QWidget* parent)
    : QDialog(parent), archive_(archive) {
    setObjectName("accounts_dialog");
    setWindowTitle("Accounts");
    setMinimumWidth(420);
    auto* layout = new QVBoxLayout(this);
    auto* explanation = new QLabel(
        "Turn accounts on for this archive. From then on everyone signs in, and every action "
        "names its person.\nThe first person is the administrator, who adds the others.",
        this);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    if (!archive::looks_like_pg_uri(archive.path().toStdString())) {
        auto* promise = new QLabel(QString::fromLatin1(archive::kLocalArchivePromise), this);
        promise->setObjectName("local_archive_promise");
        promise->setWordWrap(true);
        layout->addWidget(promise);
    }
    auto* form = new QFormLayout;
    user_id_ = account_field(this, "user_id");
    full_name_ = account_field(this, "full_name");
    password_ = account_field(this, "password", true);
    again_ = account_field(this, "password_again", true);
    form->addRow("Administrator's user id:", user_id_);
    form->addRow("Full name:", full_name_);
    form->addRow("Password:", password_);
    form->addRow("Password again:", again_);
    layout->addLayout(form);
    message_ = refusal_label(this);
    layout->addWidget(message_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("Turn Accounts On");
    connect(buttons, &QDialogButtonBox::accepted, this, &AccountsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AccountsDialog::reject);
    layout->addWidget(buttons);
}

void AccountsDialog::accept() {
    if (password_->text() != again_->text()) {
        message_->setText("the two passwords differ");
        return;
    }
    const archive::AccountAnswer answer = archive::AccountBook(archive_).turn_on(
        user_id_->text().toStdString(), full_name_->text().simplified().toStdString(),
        password_->text().toStdString());
    password_->clear();
    again_->clear();
    if (!answer.done()) {
        message_->setText(QString::fromStdString(answer.why));
        return;
    }
    QDialog::accept();
}

}  // namespace frostel::app
