#include "app/accounts_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/account_fields.h"
#include "archive/audit_trail.h"

namespace frostel::app {

namespace {

using archive::AccountAnswer;
using archive::Role;

enum Column { kId, kName, kRole, kState, kCreated };

QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QComboBox* role_box(const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (const Role role :
         {Role::kOperator, Role::kReviewer, Role::kApprover, Role::kAdministrator}) {
        box->addItem(text_of(archive::role_name(role)), static_cast<int>(role));
    }
    return box;
}

Role role_of(const QComboBox& box) {
    return static_cast<Role>(box.currentData().toInt());
}

QPushButton* action_button(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

}  // namespace

AccountChanges changes_offered(archive::AccountState state) {
    using archive::AccountState;
    if (state == AccountState::kDeactivated) {
        return {};
    }
    return {true, true, state == AccountState::kLocked, true};
}

AccountsOffer accounts_offer(std::optional<bool> accounts_on,
                             const std::optional<archive::Person>& person) {
    using Work = AccountsOffer::Work;
    if (!accounts_on) {
        return {Work::kNone, AccountsWindow::tr("Whether accounts are on cannot be read from "
                                                "this archive.")};
    }
    if (!*accounts_on) {
        return {Work::kTurnOn, {}};
    }
    if (!person) {
        return {Work::kNone, AccountsWindow::tr("Accounts are on: an administrator signed in at "
                                                "the main window manages them here.")};
    }
    if (!archive::has_right(person->role, archive::Right::kChangeAccounts)) {
        return {Work::kNone, AccountsWindow::tr("Only an administrator manages accounts.")};
    }
    return {Work::kManage, {}};
}

AccountsWindow::AccountsWindow(archive::MissionArchive& archive, archive::Person administrator,
                               QWidget* parent)
    : QDialog(parent),
      archive_(archive),
      administrator_(std::move(administrator)),
      people_(new QTableWidget(this)),
      role_(role_box("chosen_role", this)),
      change_role_(action_button("change_role", tr("Change Role"), this)),
      reset_(action_button("reset_password", tr("Reset Password"), this)),
      unlock_(action_button("unlock", tr("Unlock"), this)),
      deactivate_(action_button("deactivate", tr("Deactivate..."), this)),
      new_id_(account_field(this, "new_user_id")),
      new_name_(account_field(this, "new_full_name")),
      new_role_(role_box("new_role", this)),
      add_(action_button("add_person", tr("Add"), this)),
      one_time_(new QLabel(this)),
      done_(new QLabel(this)),
      message_(refusal_label(this)) {
    setObjectName("accounts_window");
    setWindowTitle(tr("Accounts"));
    resize(760, 520);
    people_->setObjectName("people");
    people_->setColumnCount(kCreated + 1);
    people_->setHorizontalHeaderLabels(
        {tr("User ID"), tr("Full name"), tr("Role"), tr("State"), tr("Created (UTC)")});
    people_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    people_->setSelectionBehavior(QAbstractItemView::SelectRows);
    people_->setSelectionMode(QAbstractItemView::SingleSelection);
    people_->verticalHeader()->hide();
    people_->horizontalHeader()->setStretchLastSection(true);
    one_time_->setObjectName("one_time_password");
    one_time_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    one_time_->setWordWrap(true);
    done_->setObjectName("done");
    done_->setWordWrap(true);

    auto* chosen = new QHBoxLayout;
    chosen->addWidget(new QLabel(tr("Role:"), this));
    chosen->addWidget(role_);
    chosen->addWidget(change_role_);
    chosen->addSpacing(12);
    chosen->addWidget(reset_);
    chosen->addWidget(unlock_);
    chosen->addWidget(deactivate_);
    chosen->addStretch(1);
    auto* adding = new QGroupBox(tr("Add a person"), this);
    auto* form = new QFormLayout(adding);
    form->addRow(tr("User ID:"), new_id_);
    form->addRow(tr("Full name:"), new_name_);
    auto* role_row = new QHBoxLayout;
    role_row->addWidget(new_role_);
    role_row->addStretch(1);
    role_row->addWidget(add_);
    form->addRow(tr("Role:"), role_row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(people_, 1);
    layout->addLayout(chosen);
    layout->addWidget(adding);
    layout->addWidget(one_time_);
    layout->addWidget(done_);
    layout->addWidget(message_);
    layout->addWidget(buttons);

    connect(people_, &QTableWidget::itemSelectionChanged, this, &AccountsWindow::offer_changes);
    connect(add_, &QPushButton::clicked, this, &AccountsWindow::add);
    connect(new_name_, &QLineEdit::returnPressed, add_, &QPushButton::click);
    connect(reset_, &QPushButton::clicked, this, &AccountsWindow::reset);
    connect(change_role_, &QPushButton::clicked, this, &AccountsWindow::change_role);
    connect(unlock_, &QPushButton::clicked, this, &AccountsWindow::unlock);
    connect(deactivate_, &QPushButton::clicked, this, &AccountsWindow::deactivate);
    connect(buttons, &QDialogButtonBox::rejected, this, &AccountsWindow::reject);
    refresh();
}

void AccountsWindow::refresh() {
    const QString chosen = chosen_id();
    std::vector<archive::Person> everyone;
    const AccountAnswer answer = archive::AccountBook(archive_).people(administrator_, everyone);
    if (!answer.done()) {
        said(answer, QString());
    }
    people_->setRowCount(0);
    people_->setRowCount(static_cast<int>(everyone.size()));
    int row = 0;
    for (const archive::Person& person : everyone) {
        const QStringList texts{text_of(person.id), text_of(person.full_name),
                                text_of(archive::role_name(person.role)),
                                text_of(archive::state_name(person.state)),
                                text_of(archive::utc_text(person.created_utc_ms))};
        for (int column = kId; column <= kCreated; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setData(Qt::UserRole, static_cast<int>(person.state));
            people_->setItem(row, column, item);
        }
        if (texts[kId] == chosen) {
            people_->selectRow(row);
        }
        ++row;
    }
    people_->resizeColumnsToContents();
    offer_changes();
}

QString AccountsWindow::chosen_id() const {
    const QList<QTableWidgetItem*> items = people_->selectedItems();
    return items.isEmpty() ? QString() : people_->item(items.front()->row(), kId)->text();
}

void AccountsWindow::offer_changes() {
    const QList<QTableWidgetItem*> items = people_->selectedItems();
    const AccountChanges offered = items.isEmpty()
                                       ? AccountChanges{}
                                       : changes_offered(static_cast<archive::AccountState>(
                                             items.front()->data(Qt::UserRole).toInt()));
    role_->setEnabled(offered.role);
    change_role_->setEnabled(offered.role);
    reset_->setEnabled(offered.reset);
    unlock_->setEnabled(offered.unlock);
    deactivate_->setEnabled(offered.deactivate);
    if (!items.isEmpty()) {
        role_->setCurrentText(people_->item(items.front()->row(), kRole)->text());
    }
}

void AccountsWindow::add() {
    const QString id = new_id_->text().trimmed();
    const AccountAnswer answer = archive::AccountBook(archive_).add(
        administrator_, id.toStdString(), new_name_->text().simplified().toStdString(),
        role_of(*new_role_));
    said(answer, tr("%1 was added.").arg(id), id);
    if (answer.done()) {
        new_id_->clear();
        new_name_->clear();
    }
}

void AccountsWindow::reset() {
    const QString id = chosen_id();
    said(archive::AccountBook(archive_).reset(administrator_, id.toStdString()),
         tr("The password of %1 was reset.").arg(id), id);
}

void AccountsWindow::change_role() {
    const QString id = chosen_id();
    said(archive::AccountBook(archive_).set_role(administrator_, id.toStdString(), role_of(*role_)),
         tr("%1 is now %2.").arg(id, role_->currentText()));
}

void AccountsWindow::unlock() {
    const QString id = chosen_id();
    said(archive::AccountBook(archive_).unlock(administrator_, id.toStdString()),
         tr("%1 was unlocked.").arg(id));
}

void AccountsWindow::deactivate() {
    const QString id = chosen_id();
    QMessageBox question(QMessageBox::Question, tr("Deactivate"),
                         tr("Deactivate %1? They can no longer sign in; their events and "
                            "signatures stay in the archive.")
                             .arg(id),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setObjectName("deactivate_question");
    question.setDefaultButton(QMessageBox::No);
    if (question.exec() != QMessageBox::Yes) {
        return;
    }
    said(archive::AccountBook(archive_).deactivate(administrator_, id.toStdString()),
         tr("%1 was deactivated.").arg(id));
}

void AccountsWindow::said(const AccountAnswer& answer, const QString& done, const QString& id) {
    // A one-time password is for this moment only: the next action takes it off the screen.
    one_time_->clear();
    done_->clear();
    message_->clear();
    switch (answer.kind) {
        case AccountAnswer::Kind::kDone:
            done_->setText(done);
            if (!answer.one_time_password.empty()) {
                one_time_->setText(
                    tr("One-time password for %1: <b>%2</b><br>Give it to them now: it is shown "
                       "only this once, and they choose their own at their first sign-in.")
                        .arg(id.toHtmlEscaped(),
                             text_of(answer.one_time_password).toHtmlEscaped()));
            }
            refresh();
            return;
        case AccountAnswer::Kind::kRefused:
            message_->setText(tr("Only an administrator may change accounts."));
            return;
        case AccountAnswer::Kind::kRejected:
        case AccountAnswer::Kind::kFailed:
            break;
    }
    message_->setText(text_of(answer.why));
}

}  // namespace frostel::app
