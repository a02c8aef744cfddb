#pragma once

#include <QWidget>
#include <functional>

#include "archive/mission_archive.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QTableWidget;

namespace frostel::app {

// "Audit Trail": the archive's events, newest first, as `frostel-cli audit list` prints
// them but a value of several lines in as many lines, filtered by UTC days, a person's user
// id and a record; read a page at a time, so a
// trail of millions opens at once. Print puts the events shown on paper with the chain's
// head at printing; an anchor (a head from a printout) typed or pasted is checked against
// the whole trail.
class AuditTrailWindow final : public QWidget {
    Q_OBJECT

  public:
    // `archive`: the archive of the current data folder.
    explicit AuditTrailWindow(std::function<archive::MissionArchive&()> archive,
                              QWidget* parent = nullptr);

    // The first page again, from the current archive, with the current filter.
    void refresh();
    // The events shown, the filter and the chain's head now, on `printer`'s pages; a printer
    // that fails is said.
    void print_to(QPrinter& printer);

    [[nodiscard]] QDateEdit& since_box() const { return *since_; }
    [[nodiscard]] QDateEdit& until_box() const { return *until_; }
    [[nodiscard]] QLineEdit& user_box() const { return *user_; }
    [[nodiscard]] QLineEdit& record_box() const { return *record_; }
    [[nodiscard]] QTableWidget& table() const { return *table_; }
    [[nodiscard]] QPushButton& more_button() const { return *more_; }
    [[nodiscard]] QPushButton& print_button() const { return *print_; }
    [[nodiscard]] QLabel& status_line() const { return *status_; }
    [[nodiscard]] QLineEdit& anchor_box() const { return *anchor_; }
    [[nodiscard]] QPushButton& check_anchor_button() const { return *check_anchor_; }
    [[nodiscard]] QLabel& anchor_line() const { return *anchor_said_; }

    // Events read at once.
    static constexpr int kPage = 200;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    [[nodiscard]] QDate newest_day() const;
    [[nodiscard]] archive::AuditFilter filter() const;
    [[nodiscard]] QString filter_text() const;
    void read_page();
    void print();
    void check_anchor();

    std::function<archive::MissionArchive&()> archive_;
    QDateEdit* since_;
    QDateEdit* until_;
    QLineEdit* user_;
    QLineEdit* record_;
    QTableWidget* table_;
    QPushButton* more_;
    QPushButton* print_;
    QLabel* status_;
    QLineEdit* anchor_;
    QPushButton* check_anchor_;
    QLabel* anchor_said_;
};

}  // namespace frostel::app
