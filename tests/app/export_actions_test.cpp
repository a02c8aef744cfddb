// The window's exports: the mission report, CSV as frostel-cli writes it and for a
// spreadsheet, the table's copy and context menu; on the simulated reader, headless.
#include "app/export_actions.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <sstream>

#include "app/mission_text_box.h"
#include "cli/cli_download.h"
#include "platform/program_folder.h"
#include "sim/mission/mission_loader.h"
#include "tests/support/pdf_text.h"
#include "tests/support/window_rig.h"

namespace frostel::app {
namespace {

using test::file_bytes;

class ExportActionsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // The report of a download, then with every sample; both CSV forms from the button's menu
    // and the table's, and Ctrl+C copying the headings and the selected rows as tab-separated
    // text; then the report of the pair the download was saved as.
    void reportCsvAndCopyOfADownloadAndTheReportOfItsSavedPair() {
        test::WindowRig rig;
        rig.start_with_reader();
        sim::SimMission mission;
        mission.configuration = sim::kConfigurationL;
        mission.start = {2026, 2, 1, 6, 0, 0};
        for (int i = 0; i < 40; ++i) {
            mission.temperatures.push_back(-2.0 + (i % 9) * 1.5);
        }
        sim::load_mission(rig.logger, mission);
        auto& button = *rig.find<QToolButton>("mission_report_button");
        rig.dialogs.save_names = {rig.path("pair.frd"),  rig.path("week"),
                                  rig.path("all.pdf"),   rig.path("plain"),
                                  rig.path("sheet.CSV"), rig.path("gone/x.csv")};
        button.click();
        QVERIFY2(rig.dialogs.asked.isEmpty(), "nothing shown, nothing to report");
        rig.load_data();
        // The report tells the mission as downloaded, not as since edited in the text box.
        const QString downloaded_text = rig.mission_text().text();
        rig.mission_text().set_text("edited");
        button.click();
        rig.mission_text().set_text(downloaded_text);
        QCOMPARE(rig.dialogs.asked.last(),
                 "save " + rig.path("4100000ABCDEF1AA_20260201-0600.pdf") + " PDF (*.pdf)");
        const QString week = test::pdf_text(rig.path("week.pdf"));
        QVERIFY(!week.contains("edited"));
        QVERIFY(week.contains("Downloaded by " + platform::pc_user_at_host()));
        QVERIFY2(week.contains("Reader device " +
                               QString::fromStdString(
                                   rig.window->logger_commands().link().device_identity())),
                 qPrintable(week));
        const QString downloaded = test::report_fingerprint(rig.path("week.pdf"));
        QCOMPARE(downloaded.size(), 64);

        rig.find<QAction>("include_all_samples")->setChecked(true);
        button.click();
        QVERIFY(test::pdf_text(rig.path("all.pdf"), 2).startsWith("All samples"));

        const QMenu* menu = rig.find<QToolButton>("export_csv_button")->menu();
        QVERIFY(menu != nullptr);
        QCOMPARE(menu->actions().size(), 2);
        QStringList table_menu;
        for (const QAction* entry : rig.table().actions()) {
            table_menu.append(entry->text());
        }
        QCOMPARE(table_menu, (QStringList{"Copy", "Export CSV", "Export CSV for Spreadsheet"}));
        rig.find<QAction>("export_csv")->trigger();
        rig.find<QAction>("export_spreadsheet_csv")->trigger();
        QCOMPARE(rig.dialogs.asked.mid(3),
                 QStringList(
                     2, "save " + rig.path("4100000ABCDEF1AA_20260201-0600.csv") + " CSV (*.csv)"));
        // What frostel-cli writes for the logger in the reader.
        std::ostringstream out, err;
        link::VirtualClock cli_clock;
        QCOMPARE(cli::run_download(
                     {rig.window->logger_commands(), out, err},
                     {.clock = cli_clock, .program_folder = rig.folder.path().toStdString()}),
                 cli::kExitOk);
        const QByteArray plain = file_bytes(rig.path("plain.csv"));
        QCOMPARE(plain, QByteArray::fromStdString(out.str()));
        QByteArray sheet = plain;
        sheet.replace(',', ';').replace('.', ',');
        QCOMPARE(file_bytes(rig.path("sheet.CSV")), sheet);

        // A folder that is not there: the file is not written and the user is told.
        rig.find<QAction>("export_csv")->trigger();
        QVERIFY(rig.window->findChild<QMessageBox*>("csv_not_saved") != nullptr);

        TableView& table = rig.table();
        table.selectRow(2);
        table.selectionModel()->select(table.model()->index(0, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        table.setFocus();
        QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString("DATE TIME\tTEMPERATURE\n2026-02-01 06:00:00\t-2,00\n"
                         "2026-02-01 06:20:00\t1,00\n"));

        // The saved pair shown again: its report names the download's pages, as the archive
        // does.
        rig.dialogs.open_names = {rig.path("pair.frd")};
        rig.find<QPushButton>("Command2")->click();
        rig.dialogs.save_names = {rig.path("pair.pdf")};
        button.click();
        QCOMPARE(test::report_fingerprint(rig.path("pair.pdf")), downloaded);
        // A pair does not keep the device, so its report does not claim one.
        QVERIFY(!test::pdf_text(rig.path("pair.pdf")).contains("Reader device"));
    }

    // No save goes over the archive's files, whatever the chosen name leads to: a pair whose
    // chart document links to the archive, a report through a link, a CSV through a link to
    // the archive's folder. Each is refused with a warning, and the archive keeps its record.
    void noSaveWritesOverTheArchive() {
        test::WindowRig rig;
        rig.start_with_reader();
        sim::SimMission mission;
        mission.start = {2026, 2, 1, 6, 0, 0};
        mission.temperatures.assign(20, 4.0);
        sim::load_mission(rig.logger, mission);
        const QString archive = rig.path("frostel-archive.sqlite");
        QVERIFY(QFile::link(archive, rig.path("week.tee")));
        QVERIFY(QFile::link(archive, rig.path("report.pdf")));
        QVERIFY(QFile::link(rig.folder.path(), rig.path("data")));
        const QString journal = rig.path("data/frostel-archive.sqlite-journal");
        rig.dialogs.save_names = {rig.path("week"), rig.path("report"), journal};
        const auto refused = [](const QString& name) {
            auto* box = test::top_level<QMessageBox>("archive_file_refused");
            const bool said = box != nullptr && box->text().contains(name);
            if (box != nullptr) {
                box->setObjectName({});
                box->close();
            }
            return said;
        };
        rig.load_data();
        QVERIFY(refused(rig.path("week.tee")));
        rig.find<QToolButton>("mission_report_button")->click();
        QVERIFY(refused(rig.path("report.pdf")));
        rig.find<QAction>("export_csv")->trigger();
        QVERIFY(refused(journal));
        QVERIFY(rig.dialogs.save_names.isEmpty());

        QVERIFY(!QFile::exists(rig.path("week.frd")));
        QVERIFY(QFileInfo(rig.path("report.pdf")).isSymLink());
        QVERIFY(!QFile::exists(archive + "-journal"));
        archive::MissionArchive kept(archive);
        QCOMPARE(kept.verify(1), std::optional(archive::Verification::kIntact));
    }
};

}  // namespace
}  // namespace frostel::app

QTEST_MAIN(frostel::app::ExportActionsTest)
#include "export_actions_test.moc"
