#pragma once

#include <QDate>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

#include "app/accounts_window.h"
#include "archive/account_book.h"
#include "archive/mission_archive.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace frostel::app {

class ArchiveListModel;
class AuditTrailWindow;
class RecordHistory;

// What the archive window works through: the archive of the current data folder, and the
// main window, which shows and saves a mission.
struct ArchiveWindowTies {
    std::function<archive::MissionArchive&()> archive;
    std::function<void(std::int64_t id)> open;
    std::function<void(std::int64_t id)> save_as;
    // Enters an event in the audit trail.
    std::function<void(const archive::AuditEvent&)> note;
    // With accounts on, the person signed in at the main window; nobody without accounts.
    std::function<std::optional<archive::Person>()> person;
    // Asks for the folder a record's inspection bundle goes to; empty when cancelled or when
    // the person at the window may not write files from a mission.
    std::function<QString(QWidget* parent)> bundle_folder;
    // The shared archive the site set (empty: none), and setting another: why it cannot be,
    // or empty once the window's archive is the one at that location.
    std::function<QString()> shared_location;
    std::function<QString(const QString& location)> share;
};

// "Archive": every kept mission, newest first, with a filter and a date range; Open shows
// the chosen mission in the main window, Save As writes its pair, Verify checks it, History
// shows its events in the audit trail; Audit Trail opens the whole trail.
class ArchiveWindow final : public QWidget {
    Q_OBJECT

  public:
    explicit ArchiveWindow(ArchiveWindowTies ties, QWidget* parent = nullptr);

    // Reads the list again, from the current archive, with the current filter.
    void refresh();

    [[nodiscard]] QLineEdit& filter_box() const { return *filter_; }
    [[nodiscard]] QDateEdit& since_box() const { return *since_; }
    [[nodiscard]] QDateEdit& until_box() const { return *until_; }
    [[nodiscard]] QTableView& list() const { return *list_; }
    [[nodiscard]] ArchiveListModel& model() const { return *model_; }
    [[nodiscard]] QPushButton& open_button() const { return *open_; }
    [[nodiscard]] QPushButton& save_button() const { return *save_; }
    [[nodiscard]] QPushButton& verify_button() const { return *verify_; }
    [[nodiscard]] QPushButton& history_button() const { return *history_; }
    // With accounts on: the chosen record signed by the person signed in.
    [[nodiscard]] QPushButton& sign_button() const { return *sign_; }
    [[nodiscard]] QPushButton& bundle_button() const { return *bundle_; }
    [[nodiscard]] QPushButton& audit_trail_button() const { return *audit_trail_; }
    [[nodiscard]] QLabel& result_line() const { return *result_; }
    [[nodiscard]] QLabel& status_line() const { return *status_; }
    [[nodiscard]] QLabel& missing_records_line() const { return *missing_; }
    // Said where the list is empty: "No missions match" a filter that leaves none.
    [[nodiscard]] QLabel& nothing_listed_line() const { return *nothing_listed_; }
    // Turns accounts on while they are off; then the accounts, for an administrator.
    [[nodiscard]] QPushButton& accounts_button() const { return *accounts_; }
    // The shared archive's location, set for administrators (anyone without accounts).
    [[nodiscard]] QLineEdit& shared_location_box() const { return *shared_location_; }
    [[nodiscard]] QPushButton& shared_apply_button() const { return *shared_apply_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // The verdicts and "Signed" texts of the rows read again as they are shown.
    void read_standings_again();
    [[nodiscard]] std::optional<std::int64_t> chosen_id();
    // The start date of the newest mission listed; none without any.
    [[nodiscard]] QDate newest_start() const;
    [[nodiscard]] archive::MissionFilter filter() const;
    // `open`: whether the archive could be read to list it.
    void say_nothing_listed(const archive::MissionFilter& shown, bool open);
    void verify_chosen();
    void show_history(std::int64_t id);
    void sign_chosen();
    void bundle_chosen();
    // Whether the person at the window may read the whole trail.
    [[nodiscard]] bool may_read_audit_trail() const;
    void show_audit_trail();
    void show_result(const QString& text, bool failure);
    // Nothing: the trail could not be read to look.
    void show_missing_records(const std::optional<std::vector<std::int64_t>>& missing);
    [[nodiscard]] AccountsOffer accounts_offered() const;
    void offer_accounts();
    void show_accounts();
    // The shared archive's field, for those who may change it.
    void offer_sharing();
    void share();

    ArchiveWindowTies ties_;
    QLineEdit* filter_;
    QDateEdit* since_;
    QDateEdit* until_;
    QTableView* list_;
    ArchiveListModel* model_;
    QPushButton* open_;
    QPushButton* save_;
    QPushButton* verify_;
    QPushButton* history_;
    QPushButton* sign_;
    QPushButton* bundle_;
    QPointer<RecordHistory> history_window_;
    QPushButton* audit_trail_;
    QPointer<AuditTrailWindow> audit_trail_window_;
    QLabel* result_;
    QLabel* missing_;  // records the trail names that the archive no longer holds
    QLabel* nothing_listed_;
    QLabel* status_;
    QPushButton* accounts_;
    QLineEdit* shared_location_;
    QPushButton* shared_apply_;
};

}  // namespace frostel::app
