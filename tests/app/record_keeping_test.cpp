// The record-keeper's windows on a real archive file, headless: the accounts an administrator
// keeps, the audit trail's values as lines, the Sign dialog's first meaning, the date filters
// and the folder a bundle goes to.
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QSqlDatabase>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/accounts_window.h"
#include "app/archive_list_model.h"
#include "app/archive_window.h"
#include "app/audit_trail_window.h"
#include "app/file_name_dialogs.h"
#include "app/reason_dialog.h"
#include "app/record_history.h"
#include "app/sign_dialog.h"
#include "archive/account_book.h"
#include "archive/archive_files.h"
#include "archive/audit_chain.h"
#include "archive/signature_book.h"
#include "tests/support/archive_rig.h"
#include "tests/support/pdf_text.h"
#include "tests/support/window_support.h"

namespace frostel::app {
namespace {

using archive::AccountBook;
using archive::Person;
using archive::Role;

const std::string kPassword = "a long password 1";

// An archive file with accounts on: Ada its administrator, and whoever `add` brings, each
// with kPassword chosen.
struct AccountsRig {
    QTemporaryDir folder;
    archive::MissionArchive store{archive::archive_path(folder.path())};
    Person ada;

    AccountsRig() {
        AccountBook book(store);
        if (book.turn_on("ada", "Ada Admin", kPassword).done()) {
            ada = *book.sign_in("ada", kPassword).person;
        }
    }
    // A downloaded mission kept in the archive; its record's id.
    std::int64_t keep_mission() {
        test::ArchiveRig downloads;
        const auto kept = store.archive(
            downloads.download(test::ArchiveRig::mission("Cold room", {2026, 2, 1, 6, 0, 0}, 50)),
            downloads.stamp);
        return kept ? kept->second : 0;
    }
    Person add(const std::string& id, Role role) {
        AccountBook book(store);
        const archive::AccountAnswer added = book.add(ada, id, id + " Name", role);
        (void)book.change_password(id, added.one_time_password, kPassword);
        return *book.sign_in(id, kPassword).person;
    }
};

// The row of `id` in the accounts window's list, chosen; -1 when not listed.
int choose(AccountsWindow& window, const QString& id) {
    QTableWidget& people = window.people();
    for (int row = 0; row < people.rowCount(); ++row) {
        if (people.item(row, 0)->text() == id) {
            people.selectRow(row);
            return row;
        }
    }
    return -1;
}

QString cell(AccountsWindow& window, const QString& id, int column) {
    const int row = choose(window, id);
    return row < 0 ? QString() : window.people().item(row, column)->text();
}

void click(QWidget& window, const char* button) {
    auto* found = window.findChild<QPushButton*>(button);
    QVERIFY2(found != nullptr && found->isEnabled(), button);
    found->click();
}

// An archive file whose trail holds, after its opening, one event with values of several
// lines (a CR LF among them) and a control character.
QString archive_with_lines(const QTemporaryDir& folder) {
    const QString path = archive::archive_path(folder.path());
    archive::MissionArchive store(path);
    const archive::AuditEvent event{"note", archive::record_object(1), "old one\nold two",
                                    "new one\r\nnew two", "why\x1b[2J"};
    return store.record_event(event) ? path : QString();
}

class RecordKeepingTest : public QObject {
    Q_OBJECT

  private slots:
    // A person added is listed with the role given, their one-time password shown until the
    // next action; a reset shows another, which the person's sign-in takes.
    void anAdministratorAddsAndResets() {
        AccountsRig rig;
        AccountsWindow window(rig.store, rig.ada);
        window.show();
        QCOMPARE(window.people().rowCount(), 1);
        window.findChild<QLineEdit*>("new_user_id")->setText("rolf");
        window.findChild<QLineEdit*>("new_full_name")->setText("Rolf  Reviewer");
        window.findChild<QComboBox*>("new_role")->setCurrentText("reviewer");
        click(window, "add_person");
        QCOMPARE(cell(window, "rolf", 1), "Rolf Reviewer");
        QCOMPARE(cell(window, "rolf", 2), "reviewer");
        const QString shown = window.one_time_line().text();
        QVERIFY(shown.contains("One-time password for rolf"));
        QVERIFY(window.findChild<QLineEdit*>("new_user_id")->text().isEmpty());

        click(window, "reset_password");
        const QString again = window.one_time_line().text();
        QVERIFY(again.contains("One-time password for rolf") && again != shown);
        const QString once = again.section("<b>", 1).section("</b>", 0, 0);
        QVERIFY(AccountBook(rig.store).sign_in("rolf", once.toStdString()).done());
        // The next action takes it off the screen.
        window.findChild<QComboBox*>("chosen_role")->setCurrentText("approver");
        click(window, "change_role");
        QCOMPARE(window.one_time_line().text(), "");
    }

    // "Accounts..." in the Archive window opens the accounts for an administrator, and says
    // to anyone else why it is greyed.
    void theArchiveWindowOffersTheAccountsToAnAdministrator() {
        AccountsRig rig;
        const Person rolf = rig.add("rolf", Role::kReviewer);
        std::optional<Person> at_window = rolf;
        ArchiveWindow list({[&rig]() -> archive::MissionArchive& { return rig.store; },
                            {},
                            {},
                            {},
                            [&at_window] { return at_window; },
                            {},
                            [] { return QString(); },
                            {}});
        list.show();
        QVERIFY(!list.accounts_button().isEnabled());
        QCOMPARE(list.accounts_button().toolTip(), "Only an administrator manages accounts.");

        at_window = rig.ada;
        list.refresh();
        QVERIFY(list.accounts_button().isEnabled());
        QVERIFY(list.accounts_button().toolTip().isEmpty());
        int listed = 0;
        QTimer::singleShot(0, [&listed] {
            auto* window = test::top_level<AccountsWindow>("accounts_window");
            if (window != nullptr) {
                listed = window->people().rowCount();
                window->reject();
            }
        });
        list.accounts_button().click();
        QCOMPARE(listed, 2);
    }

    // The same id twice is refused and said; nothing is shown as a password.
    void aRefusedAdditionSaysWhy() {
        AccountsRig rig;
        rig.add("rolf", Role::kReviewer);
        AccountsWindow window(rig.store, rig.ada);
        window.findChild<QLineEdit*>("new_user_id")->setText("rolf");
        window.findChild<QLineEdit*>("new_full_name")->setText("Another Rolf");
        click(window, "add_person");
        QVERIFY(!window.message_line().text().isEmpty());
        QVERIFY(window.one_time_line().text().isEmpty());
        QCOMPARE(window.people().rowCount(), 2);
    }

    // A role changed, a locked account unlocked, an account deactivated after the question:
    // each shown in the list, with the changes its new state allows.
    void anAdministratorChangesRoleUnlocksAndDeactivates() {
        AccountsRig rig;
        rig.add("rolf", Role::kReviewer);
        for (int failure = 0; failure < archive::SiteSettings{}.failures_before_lock; ++failure) {
            (void)AccountBook(rig.store).sign_in("rolf", "wrong password");
        }
        AccountsWindow window(rig.store, rig.ada);
        window.show();
        QCOMPARE(cell(window, "rolf", 3), "locked");
        window.findChild<QComboBox*>("chosen_role")->setCurrentText("approver");
        click(window, "change_role");
        QCOMPARE(cell(window, "rolf", 2), "approver");
        click(window, "unlock");
        QCOMPARE(cell(window, "rolf", 3), "active");
        QVERIFY(!window.findChild<QPushButton*>("unlock")->isEnabled());

        QTimer::singleShot(0, [] {
            auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(question != nullptr && question->text().contains("Deactivate rolf?"));
            question->button(QMessageBox::Yes)->click();
        });
        click(window, "deactivate");
        QCOMPARE(cell(window, "rolf", 3), "deactivated");
        for (const char* offered : {"reset_password", "change_role", "unlock", "deactivate"}) {
            QVERIFY2(!window.findChild<QPushButton*>(offered)->isEnabled(), offered);
        }
        QVERIFY(!AccountBook(rig.store).sign_in("rolf", kPassword).done());
    }

    // The last administrator keeps the role: the archive's refusal is said in the window.
    void theLastAdministratorKeepsTheRole() {
        AccountsRig rig;
        AccountsWindow window(rig.store, rig.ada);
        choose(window, "ada");
        window.findChild<QComboBox*>("chosen_role")->setCurrentText("operator");
        click(window, "change_role");
        QCOMPARE(window.message_line().text(), "the last administrator keeps the role");
        QCOMPARE(cell(window, "ada", 2), "administrator");
    }

    // The Audit Trail and History show a value of several lines as lines, in the table, its
    // tooltip and the printout; a control character is shown, never obeyed.
    void theTrailShowsLinesAsLines() {
        QTemporaryDir folder;
        const QString path = archive_with_lines(folder);
        QVERIFY(!path.isEmpty());
        archive::MissionArchive store(path);
        AuditTrailWindow trail([&store]() -> archive::MissionArchive& { return store; });
        trail.show();
        QTableWidget& table = trail.table();
        QCOMPARE(table.item(0, 6)->text(), "old one\nold two");
        QCOMPARE(table.item(0, 7)->text(), "new one\nnew two");
        QCOMPARE(table.item(0, 8)->text(), "why\\x1b[2J");
        QVERIFY(table.item(0, 7)->toolTip().contains("new one<br>new two"));
        QVERIFY(table.rowHeight(0) > table.rowHeight(1));
        const QString pdf = folder.filePath("trail.pdf");
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        trail.print_to(printer);
        const QString printed = test::pdf_text(pdf);
        QVERIFY2(printed.contains("old one new one") && printed.contains("old two new two"),
                 qPrintable(printed));
        QVERIFY(!printed.contains("\\n"));

        archive::ShownEvent event;
        event.chained.row = {7,
                             0,
                             "ada",
                             "pc-1",
                             "note",
                             "record:1",
                             "",
                             "new one\r\nnew two",
                             "a reason given at some length"};
        event.local_time = "2026-03-01T09:00:00+01:00";
        RecordHistory history;
        history.show_events(1, {event}, {});
        history.show();
        QTableWidget& lines = history.table();
        QCOMPARE(lines.item(0, 6)->text(), "new one\nnew two");
        // Each column as wide as its contents: fitting them again changes none.
        QList<int> widths;
        for (int column = 0; column + 1 < lines.columnCount(); ++column) {
            widths << lines.columnWidth(column);
        }
        lines.resizeColumnsToContents();
        for (int column = 0; column + 1 < lines.columnCount(); ++column) {
            QCOMPARE(lines.columnWidth(column), widths[column]);
        }
    }

    // A date typed into a filter goes back to "any" at one click; a filter that leaves
    // nothing says so.
    void dateFiltersResetAndSayWhenNothingMatches() {
        QTemporaryDir folder;
        archive::MissionArchive store(archive_with_lines(folder));
        QVERIFY(store.is_open());
        AuditTrailWindow trail([&store]() -> archive::MissionArchive& { return store; });
        trail.show();
        const int all = trail.table().rowCount();
        QVERIFY(all > 0);
        auto* any = trail.findChild<QToolButton*>("audit_since_any");
        QVERIFY(any != nullptr && !any->isEnabled());
        trail.since_box().setDate(QDate(2999, 1, 1));
        QCOMPARE(trail.table().rowCount(), 0);
        QCOMPARE(trail.status_line().text(), "No events match");
        QVERIFY(any->isEnabled());
        any->click();
        QCOMPARE(trail.since_box().text(), "any");
        QCOMPARE(trail.table().rowCount(), all);
        QVERIFY(!any->isEnabled());

        ArchiveWindow list({[&store]() -> archive::MissionArchive& { return store; },
                            {},
                            {},
                            {},
                            {},
                            {},
                            [] { return QString(); },
                            {}});
        list.show();
        QCOMPARE(list.nothing_listed_line().text(), "This archive keeps no missions yet");
        list.until_box().setDate(QDate(2020, 1, 1));
        QVERIFY(list.nothing_listed_line().isVisible());
        QCOMPARE(list.nothing_listed_line().text(), "No missions match");
        list.findChild<QToolButton*>("archive_until_any")->click();
        QCOMPARE(list.until_box().text(), "any");
    }

    // The Sign dialog starts at the meaning the person may give next, or at none, and signs
    // only once a meaning is chosen.
    void theSignDialogStartsAtTheNextMeaning() {
        AccountsRig rig;
        archive::MissionArchive& store = rig.store;
        const std::int64_t id = rig.keep_mission();
        QVERIFY(id > 0);
        const Person rolf = rig.add("rolf", Role::kReviewer);
        const Person anna = rig.add("anna", Role::kApprover);
        const auto first = [&](const Person& signer) {
            SignDialog dialog(store, signer, id);
            auto* buttons = dialog.findChild<QDialogButtonBox*>();
            const bool may_sign = buttons->button(QDialogButtonBox::Ok)->isEnabled();
            const QString meaning = dialog.findChild<QComboBox*>("meaning")->currentText();
            return may_sign ? meaning : "none: " + meaning;
        };
        QCOMPARE(first(rolf), "reviewed");
        QCOMPARE(first(anna), "reviewed");
        QCOMPARE(archive::SignatureBook(store)
                     .sign(rolf, id, archive::Meaning::kReviewed, {}, kPassword)
                     .kind,
                 archive::SigningAnswer::Kind::kSigned);
        QCOMPARE(first(anna), "approved");
        QCOMPARE(first(rolf), "none: ");

        SignDialog dialog(store, rolf, id);
        dialog.findChild<QLineEdit*>("password")->setText(QString::fromStdString(kPassword));
        dialog.accept();
        QCOMPARE(dialog.findChild<QLabel*>("message")->text(), "choose what the signature means");
    }

    // New limits for a signed record: the question says how many signatures they end, and
    // Cancel keeps them from being set; without signatures to end nothing is asked.
    void newLimitsSayFirstHowManySignaturesTheyEnd() {
        AccountsRig rig;
        const std::int64_t id = rig.keep_mission();
        const archive::RecordLimits cold{{2.0, 8.0, insight::LimitSource::kUser}};
        QVERIFY(signatures_may_end(nullptr, rig.store, id, cold));
        for (const auto& [who, meaning] :
             {std::pair{rig.add("rolf", Role::kReviewer), archive::Meaning::kReviewed},
              std::pair{rig.add("anna", Role::kApprover), archive::Meaning::kApproved}}) {
            QCOMPARE(archive::SignatureBook(rig.store).sign(who, id, meaning, {}, kPassword).kind,
                     archive::SigningAnswer::Kind::kSigned);
        }
        for (const bool go_on : {false, true}) {
            QString asked;
            QTimer::singleShot(0, [&asked, go_on] {
                auto* question = test::top_level<QMessageBox>("signatures_end_question");
                asked = question != nullptr ? question->text() : QString();
                for (QAbstractButton* button :
                     question != nullptr ? question->buttons() : QList<QAbstractButton*>{}) {
                    if ((button->text() == "Change Them") == go_on) {
                        return button->click();
                    }
                }
            });
            QCOMPARE(signatures_may_end(nullptr, rig.store, id, cold), go_on);
            QVERIFY2(asked.contains("New limits or dH end 2 of its signatures"), qPrintable(asked));
        }
        // The limits they were signed under end none.
        QVERIFY(signatures_may_end(nullptr, rig.store, id, archive::RecordLimits{}));
    }

    // The bundle's folder: the dialog says it must be new or empty, refuses one that is not
    // and makes a new name typed.
    void theBundleFolderIsNewOrEmpty() {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath("used/inside"));
        QString refusal;
        bool rule_shown = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = test::top_level<QFileDialog>("new_folder_dialog");
            auto* name =
                dialog != nullptr ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
            if (name == nullptr) {
                return QApplication::activeModalWidget()->close();  // fails below
            }
            rule_shown = dialog->findChild<QLabel*>("new_folder_rule")->isVisible();
            name->setText("used");
            QMetaObject::invokeMethod(dialog, "accept");
            refusal = dialog->findChild<QLabel*>("new_folder_refusal")->text();
            // Typing into the focused field sets aside the folder "used" chose in the list;
            // headless, the field has no focus.
            dialog->findChild<QAbstractItemView*>("listView")->clearSelection();
            name->setText("fresh");
            QMetaObject::invokeMethod(dialog, "accept");
            return dialog->isVisible() && dialog->close();
        });
        const QString chosen = QtFileNameDialogs().folder_name(nullptr, folder.path());
        QVERIFY(rule_shown);
        QCOMPARE(refusal, QDir::toNativeSeparators(folder.filePath("used")) +
                              " is not empty: choose an empty folder, or type a new name.");
        QCOMPARE(chosen, folder.filePath("fresh"));
        QVERIFY(QFileInfo(chosen).isDir());
    }
};

}  // namespace
}  // namespace frostel::app

QTEST_MAIN(frostel::app::RecordKeepingTest)
#include "record_keeping_test.moc"
