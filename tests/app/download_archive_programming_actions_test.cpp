// "Load Data", saved missions and the programming window from the main window, on the
// simulated reader and virtual clock, headless.
#include "app/download_actions.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>

#include "app/accounts_dialog.h"
#include "app/archive_actions.h"
#include "app/archive_list_model.h"
#include "app/archive_window.h"
#include "app/audit_trail_window.h"
#include "app/data_path_dialog.h"
#include "app/record_history.h"
#include "archive/account_book.h"
#include "archive/fingerprint.h"
#include "archive/outbox.h"
#include "platform/archive_setting.h"
#include "sim/line_noise.h"
#include "sim/mission/mission_loader.h"
#include "tests/support/archive_rig.h"
#include "tests/support/pdf_text.h"
#include "tests/support/window_rig.h"

namespace frostel::app {
namespace {

// The program started on the reader at once, its archive at hand.
struct Rig : test::WindowRig {
    explicit Rig(const QByteArray& port_line = " 1 ", const QString& data_folder = {}) {
        start_with_reader(port_line, data_folder);
    }
    archive::MissionArchive& mission_archive() const {
        return window->archive_actions().mission_archive();
    }
};

sim::SimMission eight_bit_mission(int samples) {
    sim::SimMission mission;
    mission.configuration = sim::kConfigurationT;
    mission.start = {2026, 2, 1, 6, 0, 0};
    mission.mission_text = "Vaccine fridge 1\r\nward 3";
    for (int i = 0; i < samples; ++i)
        mission.temperatures.push_back(4.0 + (i % 7) * 0.5);
    return mission;
}

// The text of the message box `name` on screen; empty when none is shown.
QString message_shown(const char* name) {
    const auto* box = qobject_cast<const QMessageBox*>(test::top_level(name));
    return box != nullptr && box->isVisible() ? box->text() : QString();
}

// An archive at `path` whose event n comes every six hours from 2026-03-01 00:00 UTC,
// Anna's when n is even, about record n % 3 + 1: kPage + 10 of them.
void archive_with_events(const QString& path) {
    QVERIFY(archive::MissionArchive(path).is_open());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "events");
        db.setDatabaseName(path);
        QVERIFY(db.open() && db.transaction());
        const std::int64_t first_ms =
            QDateTime(QDate(2026, 3, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
        for (int n = 0; n < AuditTrailWindow::kPage + 10; ++n) {
            const archive::Actor actor{n % 2 == 0 ? "os:anna" : "os:bo", "", "pc-1"};
            QCOMPARE(archive::append_event(db, actor, archive::record_verified(n % 3 + 1, "INTACT"),
                                           first_ms + n * std::int64_t{6 * 3600 * 1000}),
                     QString());
        }
        QVERIFY(db.commit());
    }
    QSqlDatabase::removeDatabase("events");
}

// The Audit Trail window, shown, on an archive at `path` made by archive_with_events.
struct TrailWindow {
    explicit TrailWindow(const QString& path)
        : store((archive_with_events(path), path)),
          window([this]() -> archive::MissionArchive& { return store; }) {
        window.show();
    }
    archive::MissionArchive store;
    AuditTrailWindow window;
};

class DownloadArchiveProgrammingActionsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // A full 8-bit mission shown in Kelvin, saved as "week49" and read back from the disk.
    void fullEightBitDownloadSavedAndReadBackWithItsUnit() {
        Rig rig;
        sim::load_mission(rig.logger, eight_bit_mission(8192));
        rig.open_unit_option(2)->click();
        rig.dialogs.save_names = {rig.path("run.49")};
        rig.load_data();

        QCOMPARE(rig.chart().points().size(), std::size_t{8192});
        QCOMPARE(rig.chart().label(0), QString("2026-02-01 06:00:00"));
        QCOMPARE(rig.chart().document().title_lines.first(), QString("4100000ABCDEF1AA"));
        QVERIFY(rig.find<QLabel>("Label1")->text().endsWith("4100000ABCDEF1AA"));
        QVERIFY(!rig.find<QFrame>("Frame4")->isVisible());
        QCOMPARE(rig.table().grid().row_count(), 8192 + 2);
        QCOMPARE(rig.table_column(1).mid(0, 3), (QStringList{"277.15", "277.65", "278.15"}));
        QVERIFY(rig.mission_text().text().startsWith("Vaccine fridge 1\r\nward 3   "));

        // The save proposes the report's name for the mission: the logger and its start.
        QCOMPARE(rig.dialogs.asked,
                 QStringList{"save " + rig.path("4100000ABCDEF1AA_20260201-0600.frd") +
                             " Frostel Datafile (FRD) (*.frd)"});
        // The name gets ".frd", so its chart document is "run.49.tee", never "runtee".
        QVERIFY(test::file_bytes(rig.path("run.49.frd")).startsWith("Vaccine fridge 1\r\nward 3"));
        QVERIFY(datafile::read_chart_document(rig.path("run.49.tee")).has_value());
        QVERIFY(!QFile::exists(rig.path("runtee")));
        const std::vector<mission::ChartPoint> saved = rig.chart().points();

        rig.open_unit_option(0)->click();
        rig.mission_text().set_text("other");
        // A pair saved earlier without an extension still opens.
        QVERIFY(QFile::copy(rig.path("run.49.frd"), rig.path("mission")));
        QVERIFY(QFile::copy(rig.path("run.49.tee"), rig.path("misstee")));
        rig.dialogs.open_names = {rig.path("mission")};
        rig.find<QPushButton>("Command2")->click();
        QCOMPARE(rig.dialogs.asked.last(),
                 "open " + rig.folder.path() + " Frostel Datafile (FRD) (*.frd);;All files (*)");
        QCOMPARE(rig.chart().points(), saved);
        QCOMPARE(rig.chart().left_axis_title(), QString("KELVIN"));
        QCOMPARE(rig.window->shown_mission().unit(), mission::TemperatureUnit::kKelvin);
        QCOMPARE(rig.find<QLabel>("Label1")->text(), QString());
        // The text's two lines, each now ended by a single CR.
        QVERIFY(rig.mission_text().text().startsWith("Vaccine fridge 1\rward 3   "));
        QVERIFY(rig.mission_text().text().endsWith(" \r"));
        QCOMPARE(rig.table_column(1).size(), 8193);
        QCOMPARE(rig.table_column(1).first(), QString("277.15"));

        // A corrupt or missing chart document, or the open dialog cancelled: the mission shown
        // stays whole, text and all.
        rig.find<QLabel>("Label1")->setText("kept");
        const ShownMission shown = rig.window->shown_mission();
        rig.put_file("bad.frd", "only text\r\n");
        rig.put_file("bad.tee", R"({"format": "frostel-chart", "version": 1, "points": [1, 2)");
        rig.put_file("alone.frd", "only text\r\n");
        rig.dialogs.open_names = {rig.path("bad.frd"), rig.path("alone.frd")};  // then none
        for (int attempt = 0; attempt < 3; ++attempt) {
            rig.find<QPushButton>("Command2")->click();
            QVERIFY(rig.mission_text().text().startsWith("Vaccine fridge 1\rward 3   "));
            QCOMPARE(rig.find<QLabel>("Label1")->text(), QString("kept"));
            QCOMPARE(rig.chart().points(), saved);
            QCOMPARE(rig.window->shown_mission().fingerprint(), shown.fingerprint());
        }
        QVERIFY(rig.window->findChild<QMessageBox*>("retrieve_failed") != nullptr);
    }

    // Each half of a pair that cannot be written (a folder in its place, or none to hold it)
    // is said on its own, naming the file, after "Load Data" and from the archive's
    // "Save As"; so is the side file, and the half that could be written is written.
    void filesThatCannotBeWrittenAreSaidOneByOne() {
        Rig rig;
        sim::load_mission(rig.logger, eight_bit_mission(100));
        for (const char* taken : {"data.frd", "chart.tee", "4100000ABCDEF1AA.INF"}) {
            QVERIFY(QDir(rig.folder.path()).mkpath(taken));
        }
        const auto not_saved = [&rig](const QString& command, const char* file) {
            return QStringList{command + ": The file could not be saved as " + rig.path(file) +
                               "."};
        };
        const struct {
            const char* name;
            QString chosen;
            QStringList data_file, chart_document;
            const char* written;
        } cases[] = {
            {"data file", "data", not_saved("Load Data", "data.frd"), {}, "data.tee"},
            {"chart document", "chart", {}, not_saved("Load Data", "chart.tee"), "chart.frd"},
            {"both", "gone/pair", not_saved("Load Data", "gone/pair.frd"),
             not_saved("Load Data", "gone/pair.tee"), nullptr},
            {"neither", "pair", {}, {}, "pair.tee"},
        };
        for (const auto& c : cases) {
            rig.dialogs.save_names = {rig.path(c.chosen)};
            rig.load_data();
            QVERIFY2(rig.said("data_file_not_saved") == c.data_file, c.name);
            QVERIFY2(rig.said("chart_document_not_saved") == c.chart_document, c.name);
            QVERIFY2(c.written == nullptr || QFileInfo(rig.path(c.written)).isFile(), c.name);
            QVERIFY2(
                rig.said("side_file_not_saved") == not_saved("Load Data", "4100000ABCDEF1AA.INF"),
                c.name);
        }
        rig.find<QPushButton>("archive_button")->click();
        rig.dialogs.save_names = {rig.path("gone/kept")};
        rig.window->archive_actions().archive_window().save_button().click();
        QCOMPARE(rig.said("data_file_not_saved"), not_saved("Save As", "gone/kept.frd"));
        QCOMPARE(rig.said("chart_document_not_saved"), not_saved("Save As", "gone/kept.tee"));
    }

    // A hundred 16-bit samples, the first two with the sensor's calibration, and the lowest
    // offset a logger holds (byte 0x00); then a mission cleared during its download.
    void sixteenBitSamplesInFahrenheitThenAMissionClearedDuringTheDownload() {
        Rig rig;
        sim::SimMission mission;
        mission.configuration = sim::kConfigurationT;
        mission.sixteen_bit = true;
        mission.mission_sample_count = 100;
        mission.calibration_offset_tenths = -128;
        mission.sensor_calibration = {52, 0, 52, 128, 122, 0, 121, 192};
        sim::load_mission(rig.logger, mission);
        sim::write_log_bytes(rig.logger, 0, std::array<link::Byte, 4>{91, 0, 70, 64});
        rig.open_unit_option(1)->click();
        rig.load_data();

        // 44.57 and 34.06 degrees Celsius after the sensor's correction, less the offset's
        // 12.8 degrees Celsius, in Fahrenheit.
        QCOMPARE(rig.table_column(1).mid(0, 2), (QStringList{"89.18", "70.26"}));
        QCOMPARE(rig.programming_window().findChild<QScrollBar*>("HScroll2")->value(), -128);
        QVERIFY(!rig.programming_window().isVisible());
        QCOMPARE(rig.find<QProgressBar>("ProgressBar1")->maximum(), 7);
        QCOMPARE(rig.find<QProgressBar>("ProgressBar1")->value(), 7);

        // A lost "B" that reached the logger as the clear command: the download is shown and
        // archived as usual, and a warning says the mission is gone from the logger.
        sim::load_mission(rig.logger, eight_bit_mission(7000));
        rig.ports.set_command_noise(sim::lost_read_letter(328));
        rig.load_data();
        QCOMPARE(rig.chart().points().size(), std::size_t{7000});
        QCOMPARE(message_shown("mission_cleared_warning"),
                 QString("THE LOGGER'S MISSION WAS CLEARED DURING THE DOWNLOAD !"));
        QCOMPARE(rig.mission_archive().find({}).value().size(), std::size_t{2});
    }

    // A failed download leaves the previous mission whole: its points and rows, its caption,
    // title line, text and calibration. An archive that cannot be opened costs no download:
    // it stays on screen, a warning above every window says why, and once the user has closed
    // it, the save dialog opens.
    void failuresLeaveThePreviousMissionAndAnEmptyOneStillOffersTheSave() {
        Rig rig("", QStringLiteral("/nonexistent/frostel-data"));
        // No port chosen yet: said at once, without a word to any port.
        rig.load_data();
        QVERIFY(rig.box.commands().empty());
        QVERIFY(rig.find<QFrame>("Frame4")->isVisible());
        QCOMPARE(rig.find<QFrame>("Frame4")->toolTip(),
                 QString("No port is chosen: use COMMUNICATION PORT or FIND COMMPORT."));

        rig.port_entry(1)->trigger();
        sim::SimMission mission = eight_bit_mission(100);  // pages 128 to 131
        mission.calibration_offset_tenths = 7;
        sim::load_mission(rig.logger, mission);
        datafile::ChartDocument previous;
        previous.title_lines = QStringList{"PREVIOUS ID"};
        previous.points = {{1.0, 12.5, "2025-01-01 00:00:00"}};
        rig.retrieve(previous);
        rig.programming_window().preset_calibration(-25);
        const QString previous_text = rig.mission_text().text();
        // A logger that will not stop.
        rig.logger.freeze_status_bits(sim::kMissionRunning);
        rig.load_data();
        QVERIFY(rig.find<QFrame>("Frame4")->isVisible());
        QCOMPARE(rig.find<QLabel>("Label2")->text(), QString("LOADING ERROR !"));
        QCOMPARE(rig.find<QFrame>("Frame4")->toolTip(),
                 QString("port 1 (simulated reader): the logger's status never changed after the "
                         "stop command (G)"));
        QCOMPARE(rig.find<QProgressBar>("ProgressBar1")->value(), 0);
        QCOMPARE(rig.find<QLabel>("Label1")->text(), QString());
        QCOMPARE(rig.chart().document().title_lines.first(), QString("PREVIOUS ID"));
        QCOMPARE(rig.mission_text().text(), previous_text);
        QCOMPARE(rig.programming_window().settings().calibration, -25);
        QCOMPARE(rig.chart().points().size(), std::size_t{1});
        QCOMPARE(rig.table_column(1), (QStringList{"12.50", ""}));
        QCOMPARE(rig.dialogs.asked.size(), 1);  // the retrieval's

        rig.logger.freeze_status_bits(0);
        // The port chosen above could not be entered in that archive's trail either.
        QVERIFY(rig.said("archive_warning").join("").contains("setting-changed"));
        const test::ModalBoxCloser warnings(
            "archive_warning", [&rig] { return QString::number(rig.dialogs.asked.size()); });
        rig.load_data();
        QCOMPARE(rig.chart().points().size(), std::size_t{100});
        QCOMPARE(rig.dialogs.asked.size(), 2);

        sim::load_mission(rig.logger, eight_bit_mission(0));
        rig.load_data();
        QVERIFY(!rig.find<QFrame>("Frame4")->isVisible());
        QVERIFY(rig.find<QFrame>("Frame4")->toolTip().isEmpty());
        QVERIFY(rig.chart().points().empty());
        QCOMPARE(rig.table().grid().row_count(), 2);
        QCOMPARE(rig.dialogs.asked.size(), 3);
        // Each warning was on top and closed before its download's save dialog was asked.
        QCOMPARE(warnings.seen.size(), 2);
        for (int download = 0; download < 2; ++download) {
            const test::ModalBoxCloser::Seen& seen = warnings.seen[download];
            QVERIFY(seen.text.startsWith("This download was not archived: "));
            QVERIFY(seen.text.endsWith("It stays on screen; save it to keep it."));
            QVERIFY(seen.on_top);
            QCOMPARE(seen.at_that_time, QString::number(1 + download));
        }
    }

    // Programming over a mission never downloaded asks first and names the logger it met:
    // "Cancel" writes nothing and says so; "Download first" downloads it at once and keeps
    // every field typed, after which the run asks nothing. Each run is recorded, those that
    // ended at the question with the choice that ended them, in the trail too.
    // Then every logger operation against every control that would start another one, open or
    // save a file, change the unit, the port or the data folder, or start the driver
    // installer, in both windows and the open dialogs: off while it runs, on again at its
    // end, however it ends.
    void programmingAsksFirstAndEveryLoggerOperationGuardsTheControls() {
        Rig rig;
        sim::load_mission(rig.logger, eight_bit_mission(100));
        rig.held_answers = {programming::HeldMissionChoice::kCancel,
                            programming::HeldMissionChoice::kDownloadFirst};
        auto& programming = rig.open_programming();
        const auto runs = [&rig] {
            QStringList results;
            for (const archive::ProgrammingRecord& run :
                 rig.mission_archive().programming_runs("4100000ABCDEF1AA")) {
                results << QString::fromStdString(run.result);
            }
            return results;
        };
        QVERIFY(programming.isVisible());
        QCOMPARE(programming.windowTitle(), QString("Programming"));
        const auto line = [&programming](const char* name) {
            return programming.findChild<QLabel*>(name)->text();
        };
        QCOMPARE(line("logger_line"), QString("Port 1. Last logger read there: not read yet."));
        programming.findChild<QPlainTextEdit*>("RichTextBox1")->setPlainText("cold room 4");
        programming.preset_calibration(7);
        programming.programming_button().click();
        QCOMPARE(rig.held_questions, QStringList{"This logger holds 100 samples from 2026-02-01 "
                                                 "06:00:00 that were never downloaded."});
        QCOMPARE(line("Label5"), QString("NOTHING WRITTEN"));
        QCOMPARE(runs(), QStringList{"cancelled"});
        QCOMPARE(programming.findChild<QProgressBar*>("ProgressBar1")->value(), 0);
        QCOMPARE(line("logger_line"),
                 QString("Port 1. This logger: logger 4100000ABCDEF1AA, type T, stopped, 100 "
                         "samples held, not in the archive. It stays stopped, its samples kept, "
                         "and nothing was written: program it to record again."));

        programming.programming_button().click();
        QCOMPARE(rig.held_questions.size(), 2);
        QCOMPARE(rig.chart().points().size(), std::size_t{100});
        QVERIFY(programming.isVisible());
        QCOMPARE(programming.settings().mission_text, std::string("cold room 4"));
        QCOMPARE(programming.settings().calibration, 7);
        QCOMPARE(runs(), (QStringList{"cancelled", "download first"}));

        programming.programming_button().click();
        QCOMPARE(rig.held_questions.size(), 2);
        QCOMPARE(line("Label5"), QString("PROGRAMMING OK"));
        // The logger as the run left it, not as the run found it.
        QCOMPARE(line("logger_line"),
                 QString("Port 1. This logger: logger 4100000ABCDEF1AA, type T, mission running, "
                         "0 samples held."));
        QCOMPARE(runs(), (QStringList{"cancelled", "download first", "PROGRAMMING OK"}));
        const QStringList trail =
            test::audit_lines(rig.mission_archive(), [](const archive::AuditRow& row) {
                const std::size_t result = row.new_value.rfind("\nresult=");
                return row.action != "programming-run"
                           ? QString()
                           : QString::fromStdString(row.object + row.new_value.substr(result));
            });
        QCOMPARE(trail, (QStringList{"logger:4100000ABCDEF1AA\nresult=cancelled",
                                     "logger:4100000ABCDEF1AA\nresult=download first",
                                     "logger:4100000ABCDEF1AA\nresult=PROGRAMMING OK"}));
        rig.load_data();
        programming.open_for_new_mission();
        QCOMPARE(line("logger_line"),
                 QString("Port 1. Last logger read there: logger 4100000ABCDEF1AA, type T, "
                         "stopped, 0 samples held."));

        sim::load_mission(rig.logger, eight_bit_mission(100));
        programming.findChild<QLabel*>("Label5")->clear();  // the run below says it again
        rig.find<QPushButton>("Command4")->click();
        rig.find<QPushButton>("Command1")->click();
        const std::pair<const char*, QObject*> controls[] = {
            {"port menu", rig.find<QMenu>("communication_port_menu")->menuAction()},
            {"FIND COMMPORT", rig.find<QAction>("find_commport_menu")},
            {"Install USB-Driver", rig.find<QAction>("install_usb_driver_menu")},
            {"Save Picture", rig.find<QAction>("save_picture_tool")},
            {"Print", rig.find<QAction>("print_tool")},
            {"Load Data", rig.find("Command10")},
            {"Retrieve Data From Disk", rig.find("Command2")},
            {"Programming", rig.find("Command8")},
            {"Select Temperature Unit", rig.find("Command4")},
            {"Set Path", rig.find("Command1")},
            {"Mission Report", rig.find("mission_report_button")},
            {"Export CSV", rig.find("export_csv_button")},
            {"Export CSV in the table's menu", rig.find<QAction>("export_csv")},
            {"Programming Logger", &programming.programming_button()},
            {"unit dialog", test::top_level("Temperature_Unit")},
            {"data path dialog", test::top_level("Data_Path")}};
        const auto not_as = [&controls](const char* operation, bool enabled) {
            QStringList differing;
            for (const auto& [name, control] : controls) {
                if (control->property("enabled").toBool() != enabled)
                    differing.append(QString("%1: %2").arg(operation, name));
            }
            return differing;
        };
        const std::pair<const char*, std::function<void()>> operations[] = {
            {"download", [&] { rig.load_data(); }},
            {"failed download",
             [&] {
                 rig.box.add_fault({'B', 130, sim::ReplyFault::Kind::kCut, 20, -1});
                 rig.load_data();
                 rig.box.clear_faults();
             }},
            {"programming run", [&] { programming.programming_button().click(); }},
            {"port search", [&] { rig.find<QAction>("find_commport_menu")->trigger(); }},
            {"download that throws", [&] {
                 rig.port.on_write = [] { throw std::runtime_error("unplugged"); };
                 QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                          rig.window->download_actions().load_data());
                 rig.port.on_write = nullptr;
             }}};
        for (const auto& [operation, run] : operations) {
            QStringList on_while_running{QString(operation) + ": never looked at while running"};
            QTimer::singleShot(0, [&] { on_while_running = not_as(operation, false); });
            run();
            QCOMPARE(on_while_running, QStringList());
            QCOMPARE(not_as(operation, true), QStringList());
        }
        QCOMPARE(line("Label5"), QString("PROGRAMMING OK"));
    }

    // Downloads are kept once and shown again from the archive as after the download.
    void downloadsAreArchivedOpenedAgainAndVerified() {
        Rig rig;
        sim::load_mission(rig.logger, eight_bit_mission(100));
        rig.load_data();
        rig.load_data();
        const QStringList downloaded = rig.table_column(1);
        rig.find<QPushButton>("archive_button")->click();
        ArchiveWindow& archive = rig.window->archive_actions().archive_window();
        QVERIFY(archive.isVisible());
        QCOMPARE(archive.model().rowCount(), 1);
        QCOMPARE(archive.model().record(0).sample_count, 100);
        QCOMPARE(archive.model().record(0).download_count, 2);
        const QString fingerprint = QString::fromStdString(archive.model().record(0).fingerprint);
        // The date filter's calendar opens at the newest mission's month, the filter still open.
        QDateEdit& since = archive.since_box();
        QTest::mouseClick(&since, Qt::LeftButton, {}, {since.width() - 4, since.height() / 2});
        QCOMPARE(since.calendarWidget()->yearShown() * 100 + since.calendarWidget()->monthShown(),
                 202602);
        QCOMPARE(since.text(), QString("any"));
        since.calendarWidget()->window()->close();

        rig.retrieve_values({12.5});
        archive.open_button().click();
        QCOMPARE(rig.table_column(1), downloaded);
        QVERIFY(rig.find<QLabel>("Label1")->text().endsWith("4100000ABCDEF1AA"));
        // Limits set in the summary of a mission opened from the archive are kept with it, and
        // judge it when it is opened again.
        rig.find<QPushButton>("mission_summary_button")->click();
        QWidget* summary = test::top_level("Mission_Summary");
        auto* low = summary->findChild<QLineEdit*>("low_limit");
        low->setText("2");
        summary->close();
        rig.retrieve_values({12.5});
        archive.open_button().click();
        QCOMPARE(rig.chart().limits().low, std::optional<double>(2.0));
        archive.verify_button().click();
        QCOMPARE(archive.result_line().text(), QString("INTACT"));
        // Save As writes the report when a PDF's name is chosen, with the kept fingerprint,
        // and leaves the mission shown as it was.
        rig.retrieve_values({1.5, 2.5});
        rig.dialogs.save_names = {rig.path("kept.pdf")};
        archive.save_button().click();
        QCOMPARE(rig.table_column(1), (QStringList{"1.50", "2.50", ""}));
        QCOMPARE(rig.chart().points().size(), std::size_t{2});
        QVERIFY(rig.dialogs.asked.last().startsWith("save " + rig.path("4100000ABCDEF1AA_2026")));
        QVERIFY(rig.dialogs.asked.last().contains(".frd "));
        QCOMPARE(test::report_fingerprint(rig.path("kept.pdf")), fingerprint);
        {
            const BusyState::Operation download(rig.window->busy_state());
            QVERIFY(!archive.open_button().isEnabled());
            QVERIFY(!archive.save_button().isEnabled());
        }
        QVERIFY(archive.open_button().isEnabled());
        // Each step that kept, checked, wrote or changed something is one event.
        rig.dialogs.save_names = {rig.path("kept")};
        archive.save_button().click();
        rig.dialogs.save_names = {rig.path("kept.csv")};
        rig.window->findChild<QAction*>("export_csv")->trigger();
        rig.window->findChildren<QAction*>("com_menu")[2]->trigger();
        // The record's own events, newest first.
        archive.history_button().click();
        auto* history = test::top_level<RecordHistory>("record_history");
        QVERIFY(history != nullptr && history->isVisible());
        QTableWidget& events_shown = history->table();
        QCOMPARE(events_shown.rowCount(), 4);
        QCOMPARE(events_shown.item(0, 4)->text(), QString("verified"));
        QCOMPARE(events_shown.item(3, 4)->text() + ' ' +
                     events_shown.item(3, 6)->text().section('\n', 0, 0),
                 "download-archived " + fingerprint);
        // The whole trail, newest first, each event the operating-system user's.
        archive.audit_trail_button().click();
        auto* trail = test::top_level<AuditTrailWindow>("Audit_Trail");
        QVERIFY(trail != nullptr && trail->isVisible());
        QStringList events;
        for (int row = trail->table().rowCount() - 1; row >= 0; --row) {
            events << trail->table().item(row, 4)->text() + ' ' +
                          trail->table().item(row, 5)->text().section('/', -1);
        }
        const QString file = "file-written ";
        QCOMPARE(events, (QStringList{"download-archived record:1", "download-archived record:1",
                                      "limits-set record:1", "verified record:1", file + "kept.pdf",
                                      file + "kept.frd", file + "kept.csv",
                                      "setting-changed setting:port"}));
        QCOMPARE(trail->table().item(0, 2)->text(),
                 QString::fromStdString(archive::os_actor().user_id));

        // One byte of a log page changed behind the program's back: the list marks the
        // record, and Open and Save As warn with the fingerprint of the pages shown.
        const QString archive_file = rig.mission_archive().path();
        QVERIFY(test::change_behind_its_back(archive_file, test::kLogByteChanged));
        archive.refresh();
        const QModelIndex verdict = archive.model().index(0, ArchiveListModel::kVerdict);
        QCOMPARE(verdict.data().toString(), QString("ALTERED"));
        const QString shown = QString::fromStdString(
            archive::mission_fingerprint(rig.mission_archive().load(1)->pages));
        archive.open_button().click();
        rig.dialogs.save_names = {rig.path("altered.pdf")};
        archive.save_button().click();
        QStringList warnings;
        for (const QMessageBox* box : rig.window->findChildren<QMessageBox*>("archive_warning"))
            warnings << box->text();
        QCOMPARE(warnings.filter("altered").filter(shown).size(), 2);
        QCOMPARE(test::report_fingerprint(rig.path("altered.pdf")), shown);
        // Removed behind its back, the record is missing rather than merely gone from the list.
        QVERIFY(!archive.missing_records_line().isVisible());
        QVERIFY(test::change_behind_its_back(archive_file, "DELETE FROM missions"));
        archive.refresh();
        QCOMPARE(archive.missing_records_line().text(),
                 QString("Record 1 is named in the audit trail but missing from this archive."));
        QVERIFY(archive.missing_records_line().isVisible());

        // Another data folder: the open window lists its archive, and no id of the first.
        const QString elsewhere = rig.path("elsewhere");
        QVERIFY(QDir().mkpath(elsewhere));
        rig.find<QPushButton>("Command1")->click();
        auto* data_path = test::top_level<DataPathDialog>("Data_Path");
        data_path->open_on(elsewhere);
        QCOMPARE(rig.window->settings().data_folder, elsewhere);
        QCOMPARE(archive.model().rowCount(), 0);
        data_path->close();

        // The new folder's archive holds the change of folder.
        QStringList moved;
        QVERIFY(rig.mission_archive().for_each_event({}, [&](const archive::AuditEntry& entry) {
            moved << QString::fromStdString(entry.chained.row.object);
        }));
        QCOMPARE(moved, QStringList{"setting:data folder"});

        // Accounts turned on from the Archive window, for the archive it lists.
        QVERIFY(archive.accounts_button().isEnabled());
        QTimer::singleShot(0, [] {
            auto* dialog = QApplication::activeModalWidget();
            for (const auto& [name, text] : {std::pair{"user_id", "anna"},
                                             {"full_name", "Anna Berg"},
                                             {"password", "annas-password"},
                                             {"password_again", "annas-password"}}) {
                dialog->findChild<QLineEdit*>(name)->setText(text);
            }
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        archive.accounts_button().click();
        QVERIFY(!archive.accounts_button().isEnabled());
        QVERIFY(archive::accounts_are_on(archive::archive_path(elsewhere)));
        QVERIFY(!archive::accounts_are_on(archive::archive_path(rig.folder.path())));
    }

    // A site's shared archive set in the Archive window (never an address with a password):
    // downloads kept on the server and listed from it, the change entered in its trail. While
    // the server cannot be reached, a download is kept on this PC and the guard says so; the
    // next opening that reaches it uploads what waits.
    void aSharedArchiveServesTheWindow() {
        Rig rig;
        rig.find<QPushButton>("archive_button")->click();
        ArchiveWindow& window = rig.window->archive_actions().archive_window();
        const auto share = [&window](const QString& location) {
            window.shared_location_box().setText(location);
            window.shared_apply_button().click();
        };
        const QString server = test::new_server_archive();
        QVERIFY(!server.isEmpty());
        share(QString(server).replace("archive_test_pc@", "archive_test_pc:secret@"));
        auto* refused = qobject_cast<QMessageBox*>(test::top_level("shared_archive_refused"));
        QVERIFY(refused != nullptr && refused->text().contains("PGPASSWORD or ~/.pgpass"));
        refused->setObjectName({});
        QVERIFY(platform::read_archive_setting(rig.folder.path()).isEmpty());
        share(server);
        QVERIFY(test::top_level("shared_archive_refused") == nullptr);
        QCOMPARE(platform::read_archive_setting(rig.folder.path()), server);

        sim::load_mission(rig.logger, eight_bit_mission(100));
        rig.load_data();
        QCOMPARE(window.model().rowCount(), 1);
        QCOMPARE(window.status_line().text(), rig.mission_archive().path());
        const QStringList events =
            test::audit_lines(rig.mission_archive(), [](const archive::AuditRow& row) {
                return QString::fromStdString(row.action + ' ' + row.new_value.substr(0, 12));
            });
        QCOMPARE(events.first(), "setting-changed " + server.left(12));
        QVERIFY(events.last().startsWith("download-archived"));

        const QString nowhere =
            QStringLiteral("postgresql://archive_test_pc@/none?host=/tmp/frostel-none-%1")
                .arg(QCoreApplication::applicationPid());
        QVERIFY(platform::write_archive_setting(rig.folder.path(), nowhere));
        sim::load_mission(rig.logger, eight_bit_mission(50));
        rig.load_data();
        QCOMPARE(message_shown("kept_offline"),
                 QString("kept on this PC, not yet in the shared archive"));
        const auto pending = [&rig] {
            archive::MissionArchive outbox(archive::archive_path(rig.folder.path()));
            return archive::pending_count(outbox);
        };
        QCOMPARE(pending(), std::optional(1));
        rig.open_programming().programming_button().click();
        QCOMPARE(rig.held_questions.size(), 1);
        QVERIFY2(rig.held_questions.first().startsWith("The shared archive cannot be reached: "),
                 qPrintable(rig.held_questions.first()));

        // The server again: the download kept meanwhile goes up, once.
        QVERIFY(platform::write_archive_setting(rig.folder.path(), server));
        window.refresh();
        const QString uploaded = message_shown("uploaded");
        QVERIFY2(uploaded.contains("1 uploaded, 0 still pending"), qPrintable(uploaded));
        QCOMPARE(window.model().rowCount(), 2);
        QCOMPARE(pending(), std::optional(0));

        // A connection the server dropped is made anew for the next download.
        std::string why;
        QVERIFY(test::run_on_server(
            archive::parse_pg_uri(server.toStdString(), why)->database,
            {"SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
             "current_database() AND pid <> pg_backend_pid()"}));
        sim::load_mission(rig.logger, eight_bit_mission(30));
        rig.load_data();
        QCOMPARE(window.model().rowCount(), 3);
    }

    // A shared archive out of reach, with accounts on: a download is kept on this PC as the
    // operating-system user's, not signed in, not as the person signed in at the window, and
    // programming is refused until the server answers. Without accounts both go on as ever.
    void whileTheSharedArchiveIsOutOfReachOnlyADownloadGoesOn_data() {
        QTest::addColumn<bool>("accounts");
        QTest::newRow("accounts on") << true;
        QTest::newRow("accounts off") << false;
    }
    void whileTheSharedArchiveIsOutOfReachOnlyADownloadGoesOn() {
        QFETCH(bool, accounts);
        const archive::Actor os_user = archive::os_actor();
        test::WindowRig rig;
        if (accounts) {
            rig.person = [] {
                return std::optional(archive::Person{"pat", "Pat Lee", archive::Role::kOperator});
            };
        }
        QVERIFY(platform::write_archive_setting(
            rig.folder.path(),
            QStringLiteral("postgresql://archive_test_pc@/none?host=/tmp/frostel-none-%1")
                .arg(QCoreApplication::applicationPid())));
        rig.start_with_reader();
        sim::load_mission(rig.logger, eight_bit_mission(50));
        rig.load_data();
        QCOMPARE(message_shown("kept_offline"),
                 QString("kept on this PC, not yet in the shared archive"));
        const std::string named =
            accounts ? "not signed in: server out of reach" : os_user.full_name;
        QCOMPARE(test::pending_people(archive::archive_path(rig.folder.path())),
                 std::vector<std::string>{os_user.user_id + ", " + named});

        rig.open_programming().programming_button().click();
        QCOMPARE(rig.held_questions.size(), accounts ? 0 : 1);
        QCOMPARE(message_shown("archive_warning")
                     .startsWith("Programming a logger is refused until the shared archive can "
                                 "be reached: cannot reach the shared archive "),
                 accounts);
    }

    // The whole trail newest first, by UTC days, person and record, a page at a time, and
    // on paper with the chain's head.
    void auditTrailWindowFiltersAndPrints() {
        QTemporaryDir folder;
        TrailWindow trail(archive::archive_path(folder.path()));
        archive::MissionArchive& store = trail.store;
        AuditTrailWindow& window = trail.window;
        QTableWidget& table = window.table();
        const QDate any = window.since_box().minimumDate();
        const struct {
            const char* name;
            QDate since, until;
            QString user, record;
            int rows, newest;  // the newest's sequence number
        } cases[] = {
            {"to a day", any, QDate(2026, 3, 1), "", "", 4, 4},
            {"from a day, person and record", QDate(2026, 4, 20), any, "os:bo", "2", 1, 206},
            {"nobody", any, any, "os:nobody", "", 0, 0},
            // Last, so that the next page follows it.
            {"all, first page", any, any, "", "", AuditTrailWindow::kPage, 210},
        };
        for (const auto& c : cases) {
            window.since_box().setDate(c.since);
            window.until_box().setDate(c.until);
            window.user_box().setText(c.user);
            window.record_box().setText(c.record);
            QVERIFY2(table.rowCount() == c.rows, c.name);
            for (int row = 1; row < table.rowCount(); ++row) {
                QVERIFY2(
                    table.item(row, 0)->text().toInt() < table.item(row - 1, 0)->text().toInt(),
                    c.name);
            }
            QVERIFY2(c.rows == 0 || table.item(0, 0)->text().toInt() == c.newest, c.name);
            QVERIFY2(window.more_button().isEnabled() == (c.rows == AuditTrailWindow::kPage),
                     c.name);
        }
        window.more_button().click();
        QCOMPARE(table.rowCount(), 210);
        QVERIFY(!window.more_button().isEnabled());
        // The columns of frostel-cli's list.
        QCOMPARE(table.item(209, 1)->text(), QString("2026-03-01T00:00:00.000Z"));
        QCOMPARE(table.item(209, 2)->text() + ' ' + table.item(209, 4)->text() + ' ' +
                     table.item(209, 5)->text() + ' ' + table.item(209, 7)->text(),
                 QString("os:anna verified record:1 INTACT"));

        const QString pdf = folder.filePath("trail.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(pdf);
        window.print_to(printer);
        const QString printed = test::pdf_text(pdf);
        QVERIFY(printed.contains(
            "Audit trail at printing: " +
            QString::fromStdString(archive::anchor_text(store.audit_head().value()))));
        QVERIFY(printed.contains("206 2026-04-21T06:00:00.000Z os:bo pc-1"));
        QVERIFY(window.findChild<QMessageBox*>("audit_trail_not_printed") == nullptr);
        // A printer that cannot print, here to a file in a folder that is not there, says so.
        printer.setOutputFileName(folder.filePath("gone/trail.pdf"));
        window.print_to(printer);
        const auto* refused = window.findChild<QMessageBox*>("audit_trail_not_printed");
        QVERIFY(refused != nullptr && refused->isVisible());
        QCOMPARE(refused->text(),
                 "The file could not be saved as " + folder.filePath("gone/trail.pdf") + ".");
    }

    // Accounts turned on for an archive file from the window: it says first what a file its
    // PC's users can write can promise, and takes two passwords that agree.
    void accountsDialogSaysWhatAnArchiveFileCanPromise() {
        QTemporaryDir folder;
        archive::MissionArchive store(archive::archive_path(folder.path()));
        AccountsDialog dialog(store);
        dialog.show();
        const auto* promise = dialog.findChild<QLabel*>("local_archive_promise");
        QVERIFY(promise != nullptr && promise->isVisible());
        QVERIFY(promise->text().contains("found only against a head kept elsewhere"));
        const auto type = [&](const char* name, const QString& text) {
            dialog.findChild<QLineEdit*>(name)->setText(text);
        };
        type("user_id", "rita");
        type("full_name", "Rita Berg");
        type("password", "a long password 1");
        type("password_again", "a long password 2");
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QCOMPARE(archive::AccountBook(store).accounts_on(), std::optional(false));
        type("password", "a long password 1");
        type("password_again", "a long password 1");
        dialog.accept();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(archive::AccountBook(store).accounts_on(), std::optional(true));
    }

    // A head pasted from a printout, checked against the whole trail in the window.
    void auditTrailWindowChecksAnAnchor() {
        QTemporaryDir folder;
        TrailWindow trail(archive::archive_path(folder.path()));
        AuditTrailWindow& window = trail.window;
        const QString head =
            QString::fromStdString(archive::anchor_text(trail.store.audit_head().value()));
        const QString elsewhere(64, QLatin1Char('a'));
        const struct {
            QString typed;
            QString said;
        } cases[] = {
            {"Audit trail at printing: " + head, "ANCHOR 210 HELD: "},
            {"5:" + elsewhere, "ANCHOR 5 NOT HELD: "},
            {"HEAD 211:" + elsewhere, "ANCHOR 211 NOT HELD: "},
            {"HEAD 5", "Not an anchor: "},
        };
        for (const auto& c : cases) {
            window.anchor_box().setText(c.typed);
            QVERIFY(window.anchor_line().text().isEmpty());
            QTest::keyClick(&window.anchor_box(), Qt::Key_Return);
            QVERIFY2(window.anchor_line().text().startsWith(c.said),
                     qPrintable(c.typed + " said " + window.anchor_line().text()));
        }
    }
};

}  // namespace
}  // namespace frostel::app

QTEST_MAIN(frostel::app::DownloadArchiveProgrammingActionsTest)
#include "download_archive_programming_actions_test.moc"
