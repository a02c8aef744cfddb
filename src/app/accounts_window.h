#pragma once

#include <QDialog>
#include <optional>

#include "archive/account_book.h"
#include "archive/mission_archive.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace frostel::app {

// What an administrator may do to a person in their state: a deactivated account is kept
// for the trail and changes no more; only a locked one can be unlocked.
struct AccountChanges {
    bool reset = false;
    bool role = false;
    bool unlock = false;
    bool deactivate = false;
    bool operator==(const AccountChanges&) const = default;
};
[[nodiscard]] AccountChanges changes_offered(archive::AccountState state);

// What "Accounts..." in the Archive window does for the person at it; `why` not when it does
// nothing.
struct AccountsOffer {
    enum class Work { kTurnOn, kManage, kNone };
    Work work = Work::kNone;
    QString why;
};
// `accounts_on`: nothing when it cannot be read; `person`: who is signed in at the window.
[[nodiscard]] AccountsOffer accounts_offer(std::optional<bool> accounts_on,
                                           const std::optional<archive::Person>& person);

// "Accounts", for an administrator once accounts are on: everyone who may use the archive,
// adding a person, resetting a password, changing a role, unlocking and deactivating, as
// `frostel-cli users` does. A new or reset password is shown once, until the next action.
class AccountsWindow final : public QDialog {
    Q_OBJECT

  public:
    AccountsWindow(archive::MissionArchive& archive, archive::Person administrator,
                   QWidget* parent = nullptr);

    // Reads everyone again; the person chosen stays chosen.
    void refresh();

    [[nodiscard]] QTableWidget& people() const { return *people_; }
    [[nodiscard]] QLabel& one_time_line() const { return *one_time_; }
    [[nodiscard]] QLabel& message_line() const { return *message_; }

  private:
    // The user id of the person chosen in the list; empty without one.
    [[nodiscard]] QString chosen_id() const;
    void offer_changes();
    void add();
    void reset();
    void change_role();
    void unlock();
    void deactivate();
    // What an action came to, said; `one_time` for the person `id` when it gave one.
    void said(const archive::AccountAnswer& answer, const QString& done, const QString& id = {});

    archive::MissionArchive& archive_;
    archive::Person administrator_;
    QTableWidget* people_;
    QComboBox* role_;
    QPushButton* change_role_;
    QPushButton* reset_;
    QPushButton* unlock_;
    QPushButton* deactivate_;
    QLineEdit* new_id_;
    QLineEdit* new_name_;
    QComboBox* new_role_;
    QPushButton* add_;
    QLabel* one_time_;
    QLabel* done_;
    QLabel* message_;
};

}  // namespace frostel::app
