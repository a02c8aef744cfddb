// Which windows stay above the others, the lock that hides every record, Open from the
// Archive window, the status line and the programming window's line, on the simulated reader.
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTimer>

#include "app/archive_actions.h"
#include "app/archive_window.h"
#include "app/held_mission_question.h"
#include "app/sign_in_dialog.h"
#include "app/window_session.h"
#include "archive/account_book.h"
#include "sim/mission/mission_loader.h"
#include "tests/support/sign_in_typing.h"
#include "tests/support/window_rig.h"

namespace frostel::app {
namespace {

using test::sign_in_as;
using test::top_level;

constexpr char kLoggerId[] = "4100000ABCDEF1AA";
constexpr char kStopped[] = "THE LOGGER'S MISSION IS STOPPED: PROGRAM IT TO RECORD AGAIN";

// The program on the reader on port 1, its logger holding a day of hourly samples.
struct Rig : test::WindowRig {
    Rig() {
        sim::SimMission mission;
        mission.temperatures.assign(24, 4.5);
        sim::load_mission(logger, mission);
        ports.attach(1, box);
        write_settings(" 1 ");
    }
    [[nodiscard]] QString status() const { return find<QLabel>("status_line")->text(); }
    [[nodiscard]] ArchiveWindow& archive_window() const {
        find<QPushButton>("archive_button")->click();
        return window->archive_actions().archive_window();
    }
    void choose_port(int number) const { port_entry(number)->trigger(); }
};

// The windows of the program on screen.
QSet<QWidget*> windows_shown() {
    QSet<QWidget*> shown;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            shown << window;
        }
    }
    return shown;
}

class WindowRolesTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The small dialogs stay above every window; the large ones are ordinary windows, which
    // would hide the rest of the program from above.
    void onlyTheSmallDialogsStayOnTop() {
        Rig rig;
        rig.start();
        rig.load_data();
        struct Case {
            const char* window;
            std::function<void()> open;
            bool on_top;
        };
        const auto click = [&rig](const char* name) {
            return [&rig, name] { rig.find<QPushButton>(name)->click(); };
        };
        const auto in_archive = [&rig](QPushButton& (ArchiveWindow::*button)() const) {
            return [&rig, button] { (rig.archive_window().*button)().click(); };
        };
        const Case cases[] = {
            {"Temperature_Unit", click("Command4"), true},
            {"Data_Path", click("Command1"), true},
            {"About", click("Command6"), true},
            {"Language", [&rig] { rig.find<QAbstractButton>("Command3")->click(); }, true},
            {"Programming_DS1922T", click("Command8"), true},
            {"Mission_Summary", click("mission_summary_button"), false},
            {"Archive", [&rig] { (void)rig.archive_window(); }, false},
            {"record_history", in_archive(&ArchiveWindow::history_button), false},
            {"Audit_Trail", in_archive(&ArchiveWindow::audit_trail_button), false},
        };
        for (const Case& c : cases) {
            c.open();
            QWidget* window = top_level(c.window);
            QVERIFY2(window != nullptr && window->isVisible(), c.window);
            QVERIFY2(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == c.on_top,
                     c.window);
        }
    }

    // A dialog of the Archive window is its child: it opens above that window, not above
    // every window.
    void aDialogOfTheArchiveWindowOpensAboveIt() {
        Rig rig;
        rig.start();
        ArchiveWindow& archive = rig.archive_window();
        QWidget* parent = nullptr;
        bool on_top = true;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr && dialog->objectName() == "accounts_dialog");
            parent = dialog->parentWidget();
            on_top = dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            dialog->close();
        });
        archive.accounts_button().click();
        QCOMPARE(parent, &archive);
        QVERIFY(!on_top);
    }

    // Locked, the prompt is above everything and no window of the program shows a record;
    // signed in again, every window comes back.
    void theLockHidesEveryWindowUntilSignedInAgain() {
        Rig rig;
        {
            archive::MissionArchive store(archive::archive_path(rig.folder.path()));
            QVERIFY(archive::AccountBook(store).turn_on("rita", "Rita Root", "ritas-pass").done());
        }
        WindowArchive shared(rig.folder.path(), rig.clock);
        WindowSession session(shared, rig.folder.path(), rig.clock);
        QTimer::singleShot(0, [] { sign_in_as("rita", "ritas-pass"); });
        QVERIFY(session.sign_in());
        rig.person = [&session] { return session.person(); };
        rig.archive = &shared;
        session.watch(rig.start());
        rig.load_data();
        rig.find<QPushButton>("mission_summary_button")->click();
        rig.archive_window().history_button().click();
        rig.archive_window().audit_trail_button().click();
        const QSet<QWidget*> before = windows_shown();
        // The main window, the summary, the archive, history, the trail, the download's
        // warning about the logger's clock.
        QCOMPARE(before.size(), 6);

        rig.clock.advance_by(std::chrono::minutes(15));
        session.check_idle();
        SignInDialog* prompt = session.lock_dialog();
        QVERIFY(prompt != nullptr);
        // The warning, which may wait for an answer, is blanked: hidden, it would be answered.
        const auto* blank = top_level("clock_warning")->findChild<QWidget*>("locked_blank");
        QVERIFY(blank != nullptr && blank->isVisible());
        QCOMPARE(blank->geometry(), blank->parentWidget()->rect());
        QVERIFY(windows_shown() == (QSet<QWidget*>{prompt, blank->window()}));
        QVERIFY(prompt->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(prompt->windowModality(), Qt::ApplicationModal);
        QCOMPARE(QApplication::activeModalWidget(), prompt);

        sign_in_as({}, "ritas-pass");
        QTRY_VERIFY(session.lock_dialog() == nullptr);
        QVERIFY(windows_shown() == before);
        QVERIFY(top_level("clock_warning")->findChild<QWidget*>("locked_blank") == nullptr);
    }

    // Open in the Archive window shows the record in the main window, brought to the front.
    void openBringsTheMainWindowToTheFront() {
        Rig rig;
        MainWindow& window = rig.start();
        rig.load_data();
        rig.retrieve_values({12.5});
        ArchiveWindow& archive = rig.archive_window();
        QTRY_VERIFY(archive.isActiveWindow());
        archive.open_button().click();
        QCOMPARE(rig.chart().points().size(), std::size_t{24});
        QTRY_VERIFY(window.isActiveWindow());
    }

    // Each outcome stays in the status line until the next one: why "LOADING ERROR !"
    // shows, what the port search found, that a download stopped the logger, where a file
    // went; a port chosen or a programming run clears it.
    void theStatusLineSaysEachOutcomeUntilTheNext() {
        Rig rig;
        rig.write_settings("");
        rig.start();
        const QString report = rig.path("report.pdf");
        const QString csv = rig.path("samples.csv");
        const QString archived = rig.path("archived.pdf");
        struct Step {
            const char* what;
            std::function<void()> act;
            QString said;
            // "LOADING ERROR !" shows, `said` its reason in its tooltip too.
            bool loading_error = false;
        };
        const Step steps[] = {
            {"no port", [&] { rig.load_data(); },
             "No port is chosen: use COMMUNICATION PORT or FIND COMMPORT.", true},
            {"search", [&] { rig.find<QAction>("find_commport_menu")->trigger(); },
             "FIND COMMPORT: Reader found on COM-1."},
            {"port chosen", [&] { rig.choose_port(5); }, ""},
            {"no reader", [&] { rig.load_data(); },
             "port 5 (simulated reader): the device does not exist; is the reader plugged in?",
             true},
            {"download",
             [&] {
                 rig.choose_port(1);
                 rig.load_data();
             },
             kStopped},
            {"report",
             [&] {
                 rig.dialogs.save_names = {report};
                 rig.find<QAbstractButton>("mission_report_button")->click();
             },
             "The report was written to " + report + "."},
            {"CSV",
             [&] {
                 rig.dialogs.save_names = {csv};
                 rig.find<QAction>("export_csv")->trigger();
             },
             "The CSV file was written to " + csv + "."},
            {"report from the archive",
             [&] {
                 rig.dialogs.save_names = {archived};
                 rig.archive_window().save_button().click();
             },
             "The report was written to " + archived + "."},
            {"programming run", [&] { rig.open_programming().programming_button().click(); }, ""},
        };
        for (const Step& step : steps) {
            step.act();
            QCoreApplication::processEvents();
            QVERIFY2(rig.status() == step.said, qPrintable(step.what + (": " + rig.status())));
            const QFrame& error = *rig.find<QFrame>("Frame4");
            QVERIFY2(!step.loading_error || (error.isVisible() && error.toolTip() == step.said),
                     step.what);
        }
        // Said where the report was asked for too.
        QCOMPARE(rig.archive_window().status_line().text(),
                 "The report was written to " + archived + ".");
    }

    // A bundle says in the Archive window where it went.
    void aBundleSaysWhereItWent() {
        Rig rig;
        rig.start();
        rig.load_data();
        const QString folder = rig.path("bundle");
        rig.dialogs.folder_names = {folder};
        ArchiveWindow& archive = rig.archive_window();
        archive.bundle_button().click();
        QCOMPARE(archive.status_line().text(), "Record 1 was bundled in " + folder + ".");
    }

    // The question before programming over a mission never downloaded says that the run
    // stopped the logger and what Cancel leaves; Escape answers Cancel.
    void theHeldMissionQuestionSaysWhatCancelLeaves() {
        QString said;
        QTimer answer;
        answer.setSingleShot(true);
        connect(&answer, &QTimer::timeout, [&said] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            said = box->text() + '\n' + box->informativeText();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        answer.start(0);
        QCOMPARE(ask_in_message_box(nullptr, "This logger holds 5 samples."),
                 programming::HeldMissionChoice::kCancel);
        QCOMPARE(said,
                 "This logger holds 5 samples.\nThe logger is stopped now. Cancel writes "
                 "nothing: the logger stays stopped, its samples kept, until it is "
                 "programmed.");
    }

    // The programming window names the port it will write to as the port changes while it is
    // open, the logger a download stopped, and the logger as a run left it.
    void theProgrammingLineFollowsThePortAndTheRun() {
        Rig rig;
        rig.start();
        Programming_DS1922T& programming = rig.open_programming();
        const auto line = [&programming] {
            return programming.findChild<QLabel*>("logger_line")->text();
        };
        const QString logger = QString("logger %1, type T, ").arg(kLoggerId);
        QCOMPARE(line(), "Port 1. Last logger read there: not read yet.");
        rig.load_data();
        QCOMPARE(line(), "Port 1. Last logger read there: " + logger + "stopped, 24 samples held.");
        rig.choose_port(2);
        QCOMPARE(line(), "Port 2. Last logger read there: not read yet.");
        rig.find<QAction>("find_commport_menu")->trigger();
        QCOMPARE(line(), "Port 1. Last logger read there: " + logger + "stopped, 24 samples held.");
        programming.programming_button().click();
        QCOMPARE(programming.findChild<QLabel*>("Label5")->text(), "PROGRAMMING OK");
        QCOMPARE(line(), "Port 1. This logger: " + logger + "mission running, 0 samples held.");
        rig.choose_port(2);
        rig.choose_port(1);
        QCOMPARE(line(),
                 "Port 1. Last logger read there: " + logger + "mission running, 0 samples held.");
    }
};

}  // namespace
}  // namespace frostel::app

QTEST_MAIN(frostel::app::WindowRolesTest)
#include "window_roles_test.moc"
