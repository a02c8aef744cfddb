#include "main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QValueAxis>
#include <memory>

#include "chart_view.h"
#include "datafile/chart_document.h"
#include "file_name_dialogs.h"
#include "forwarding_port.h"
#include "logger_model.h"
#include "program_launcher.h"
#include "reader_box.h"
#include "sim_serial_port.h"
#include "table_view.h"
#include "window_support.h"

namespace frostel::app {
namespace {

using mission::TemperatureUnit;
using test::file_bytes;
using test::indexed;
using test::top_level;

// Calls back at every port opening, while the search is between two steps.
struct ObservedPort final : test::ForwardingPort {
    using ForwardingPort::ForwardingPort;
    link::PortStatus open(int number) override {
        if (on_open) {
            on_open(number);
        }
        return ForwardingPort::open(number);
    }
    std::function<void(int)> on_open;
};

// The program on a simulated PC: thirty ports on virtual time, a temporary program folder.
struct Rig {
    QTemporaryDir folder;
    link::VirtualClock clock;
    sim::SimSerialPort ports{clock};
    ObservedPort port{ports};
    sim::LoggerModel logger;
    sim::ReaderBox box{logger};
    test::NoDialogs dialogs;
    test::RecordingLauncher launcher;
    int ended = 0;
    std::unique_ptr<MainWindow> window;

    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }
    void put_settings(const QByteArray& bytes) const {
        QFile file(path("SETUP.FRG"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    MainWindow& start() {
        window = std::make_unique<MainWindow>(
            MainWindowTies{port, clock, folder.path(), dialogs, launcher, [this] { ++ended; }});
        window->show();
        [this] { QTRY_VERIFY(window->started()); }();
        return *window;
    }
    void close() { window->close(); }
    QByteArray settings_file() const { return file_bytes(path("SETUP.FRG")); }

    template <typename T = QWidget>
    T* find(const char* name) const {
        return window->findChild<T*>(name);
    }
    QAction* port_entry(int number) const {
        return indexed<QAction>(window.get(), "com_menu", number);
    }
    QList<int> checked_ports() const {
        QList<int> checked;
        for (QAction* entry : window->findChildren<QAction*>("com_menu")) {
            if (entry->isChecked()) {
                checked.append(entry->property("index").toInt());
            }
        }
        return checked;
    }
    void add_points(std::initializer_list<double> values) {
        for (double v : values) {
            window->chart().add_xy(
                window->chart().last_value_index() + 1.0, v,
                QStringLiteral("2026-01-15 10:%1:00")
                    .arg(window->chart().last_value_index() + 1, 2, 10, QLatin1Char('0')));
        }
    }
    QRadioButton* open_unit_option(int index) {
        find<QPushButton>("Command4")->click();
        auto* dialog = top_level<QWidget>("Temperature_Unit");
        return dialog == nullptr ? nullptr : indexed<QRadioButton>(dialog, "Option1", index);
    }
    QStringList table_column(int column) const {
        QStringList texts;
        const StringGrid& grid = window->table().grid();
        for (int row = 1; row < grid.row_count(); ++row) {
            texts.append(grid.text(row, column));
        }
        return texts;
    }
};

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void startUpReadsTheSettingsOpensThePortAndChecksItsEntry() {
        Rig rig;
        rig.ports.attach(3, rig.box);
        rig.put_settings("Dansk\r\n/data/cold\r\n3\r\n");
        MainWindow& window = rig.start();

        QCOMPARE(window.windowTitle(), QString("Frostel   Version 3.27.56"));
        QCOMPARE(rig.ports.open_port_number(), 3);
        QCOMPARE(rig.checked_ports(), QList<int>{3});
        QVERIFY(window.chart().isVisible());
        QCOMPARE(window.chart().left_axis_title(), QString("CELSIUS"));
        QCOMPARE(window.table().grid().headings(),
                 (QStringList{"DATE          TIME     ", "TEMPERATURE "}));
        QCOMPARE(window.settings().data_folder, QString("/data/cold"));

        rig.close();
        // "Dansk" went back as English; the hand-written "3" as it was read.
        QCOMPARE(rig.settings_file(), QByteArray("English\r\n/data/cold\r\n3\r\n"));
        QCOMPARE(rig.ended, 1);
        QVERIFY(datafile::read_chart_document(rig.path("standard.tee")).has_value());
    }

    void firstRunWithoutSettingsWritesEnglishAndTwoEmptyLines() {
        Rig rig;
        rig.start();
        QVERIFY(rig.checked_ports().isEmpty());
        rig.close();
        QCOMPARE(rig.settings_file(), QByteArray("English\r\n\r\n\r\n"));
    }

    void portThirtyOneChecksNothingAndIsKept() {
        Rig rig;
        rig.put_settings("English\r\n\r\n 31 \r\n");
        rig.start();
        QVERIFY(rig.checked_ports().isEmpty());
        rig.close();
        QCOMPARE(rig.settings_file(), QByteArray("English\r\n\r\n 31 \r\n"));
    }

    void portMenuListsThirtyPortsThenTheSearch() {
        Rig rig;
        MainWindow& window = rig.start();
        auto* menu = rig.find<QMenu>("communication_port_menu");
        QCOMPARE(menu->title(), QString("COMMUNICATION PORT"));
        const QList<QAction*> actions = menu->actions();
        QCOMPARE(actions.size(), 32);
        QCOMPARE(actions[0]->text(), QString("COM-1"));
        QCOMPARE(actions[11]->text(), QString("COM12"));
        QCOMPARE(actions[29]->text(), QString("COM-30"));
        QVERIFY(actions[30]->isSeparator());
        QCOMPARE(actions[31]->objectName(), QString("find_commport_menu"));
        QCOMPARE(actions[31]->text(), QString("FIND COMMPORT"));
        QCOMPARE(window.menuBar()->actions()[1]->text(), QString("USB-Driver"));
    }

    void choosingAPortLeavesOnlyItChecked() {
        Rig rig;
        rig.ports.attach(12, rig.box);
        rig.put_settings("English\r\n\r\n3\r\n");
        rig.start();
        rig.port_entry(12)->trigger();
        QCOMPARE(rig.checked_ports(), QList<int>{12});
        QCOMPARE(rig.ports.open_port_number(), 12);
        rig.port_entry(5)->trigger();
        rig.port_entry(5)->trigger();
        QCOMPARE(rig.checked_ports(), QList<int>{5});
        rig.close();
        QCOMPARE(rig.settings_file(), QByteArray("English\r\n\r\n 5 \r\n"));
    }

    void searchFindsTheLoggerOnPortThreeWithControlsOffMeanwhile() {
        Rig rig;
        rig.ports.attach(3, rig.box);
        MainWindow& window = rig.start();
        rig.port_entry(7)->trigger();
        QStringList seen;
        rig.port.on_open = [&](int number) {
            const bool any_on =
                window.findChild<QMenu*>("communication_port_menu")->menuAction()->isEnabled() ||
                rig.find("Command10")->isEnabled() || rig.find("Command8")->isEnabled();
            seen.append(QString("%1 %2 %3")
                            .arg(number)
                            .arg(rig.find<QLabel>("Label3")->text())
                            .arg(any_on ? "on" : "off"));
        };
        const auto real_start = std::chrono::steady_clock::now();
        rig.find<QAction>("find_commport_menu")->trigger();

        QCOMPARE(seen, (QStringList{"1 CHECKING COMMPORT 1 off", "2 CHECKING COMMPORT 2 off",
                                    "3 CHECKING COMMPORT 3 off"}));
        QCOMPARE(rig.find<QLabel>("Label3")->text(), QString("FIND FROSTEL ON COMMPORT 3"));
        QCOMPARE(rig.checked_ports(), QList<int>{3});
        QCOMPARE(rig.ports.open_port_number(), 3);
        QVERIFY(!rig.find("Frame1")->isVisible());
        QVERIFY(rig.find("Command10")->isEnabled());
        QVERIFY(rig.find<QMenu>("communication_port_menu")->menuAction()->isEnabled());
        QVERIFY(std::chrono::steady_clock::now() - real_start < std::chrono::seconds(2));
        rig.close();
        QCOMPARE(rig.settings_file(), QByteArray("English\r\n\r\n 3 \r\n"));
    }

    void searchFindingNothingPutsTheChosenPortBack() {
        Rig rig;
        rig.put_settings("English\r\n\r\n3\r\n");
        MainWindow& window = rig.start();
        rig.find<QAction>("find_commport_menu")->trigger();
        QCOMPARE(rig.find<QLabel>("Label3")->text(), QString("FROSTEL IS NOT CONNECTED!"));
        QCOMPARE(window.reader_link().selected_port(), 3);
        QCOMPARE(rig.checked_ports(), QList<int>{3});
        QVERIFY(rig.find("Command8")->isEnabled());
        rig.close();
        QCOMPARE(rig.settings_file(), QByteArray("English\r\n\r\n3\r\n"));
    }

    void unitsConvertEveryPointTheAxisAndTheTable() {
        Rig rig;
        MainWindow& window = rig.start();
        rig.add_points({25, -40, 0, 100, 12.5});
        rig.open_unit_option(1)->click();
        ChartView& chart = window.chart();
        QCOMPARE(chart.y(0), 77.0);
        QCOMPARE(chart.y(1), -40.0);
        QCOMPARE(chart.left_axis_title(), QString("FARENHEIT"));
        QCOMPARE(chart.document().left.minimum, 32.0);
        QCOMPARE(chart.document().left.maximum, 257.0);
        QCOMPARE(rig.table_column(1),
                 (QStringList{"77.00", "-40.00", "32.00", "212.00", "54.50", ""}));
        QCOMPARE(rig.table_column(0)[4], QString("2026-01-15 10:04:00"));

        rig.open_unit_option(3)->click();
        QCOMPARE(chart.y(3), 80.0);
        rig.open_unit_option(2)->click();
        rig.open_unit_option(0)->click();
        const double expected[] = {25, -40, 0, 100, 12.5};
        for (int i = 0; i < 5; ++i) {
            QVERIFY(std::abs(chart.y(i) - expected[i]) < 1e-9);
        }
        QCOMPARE(rig.table_column(1)[4], QString("12.50"));
    }

    void theSameUnitAgainResetsTheRangeOnly() {
        Rig rig;
        MainWindow& window = rig.start();
        rig.add_points({-3});
        rig.open_unit_option(0);
        window.chart().set_left_axis_range(-10, 10);
        rig.open_unit_option(0)->click();
        QCOMPARE(window.chart().y(0), -3.0);
        QCOMPARE(window.chart().document().left.maximum, 125.0);
        QCOMPARE(rig.table_column(1), (QStringList{"-3.00", ""}));
    }

    void aChoiceDuringAConversionWaitsForIt() {
        Rig rig;
        MainWindow& window = rig.start();
        rig.add_points({10, 20});
        QRadioButton* kelvin = rig.open_unit_option(2);
        // Comes in while the Fahrenheit choice lets pending events run.
        QTimer::singleShot(0, kelvin, [kelvin] { kelvin->click(); });
        rig.open_unit_option(1)->click();
        QTRY_COMPARE(window.chart().left_axis_title(), QString("KELVIN"));
        QVERIFY(std::abs(window.chart().y(0) - 283.15) < 1e-9);
        QVERIFY(std::abs(window.chart().y(1) - 293.15) < 1e-9);
    }

    void anUnknownTitleIsResetToCelsiusWhenTheDialogOpens() {
        Rig rig;
        MainWindow& window = rig.start();
        rig.add_points({50});
        rig.open_unit_option(1)->click();
        window.chart().set_left_axis_title("HUMIDITY");
        // With no valid unit the buttons do nothing.
        indexed<QRadioButton>(top_level<QWidget>("Temperature_Unit"), "Option1", 2)->click();
        QCOMPARE(window.chart().left_axis_title(), QString("HUMIDITY"));
        QCOMPARE(window.chart().y(0), 122.0);

        QRadioButton* celsius = rig.open_unit_option(0);
        QVERIFY(celsius->isChecked());
        QCOMPARE(window.chart().left_axis_title(), QString("CELSIUS"));
        QCOMPARE(window.chart().y(0), 122.0);
    }

    void closingTheUnitDialogWritesTheSettingsAndItReopensOnTheUnit() {
        Rig rig;
        rig.put_settings("English\r\n/x\r\n4\r\n");
        MainWindow& window = rig.start();
        rig.add_points({100});
        rig.open_unit_option(3)->click();
        top_level<QWidget>("Temperature_Unit")->close();
        QTRY_VERIFY(top_level<QWidget>("Temperature_Unit") == nullptr);
        QCOMPARE(rig.settings_file(), QByteArray("English\r\n/x\r\n4\r\n"));
        QVERIFY(rig.open_unit_option(3)->isChecked());
        QCOMPARE(window.chart().y(0), 80.0);
    }

    void closingTheMainWindowWithADialogOpenWritesOnceAndEnds() {
        Rig rig;
        MainWindow& window = rig.start();
        rig.add_points({1, 2, 3});
        rig.open_unit_option(2)->click();
        auto* dialog = top_level<QWidget>("Temperature_Unit");
        window.close();
        QCOMPARE(rig.ended, 1);
        QVERIFY(dialog->isVisible());
        const auto saved = datafile::read_chart_document(rig.path("standard.tee"));
        QVERIFY(saved.has_value());
        QCOMPARE(saved->left.title, QString("KELVIN"));
        QCOMPARE(saved->points.size(), std::size_t{3});
    }

    void templateRoundTripOfAFullMission() {
        Rig rig;
        MainWindow& window = rig.start();
        ChartView& chart = window.chart();
        for (int i = 0; i < 8193; ++i) {
            chart.add_xy(46000 + i / 96.0, -20 + i * 0.01, QString("t%1").arg(i));
        }
        rig.open_unit_option(2)->click();
        const datafile::ChartDocument shown = chart.document();
        QVERIFY(chart.export_template(rig.path("full.tee")));
        chart.clear();
        chart.set_left_axis_title("CELSIUS");
        QVERIFY(chart.import_template(rig.path("full.tee")));
        QVERIFY(chart.document() == shown);

        // A file that is not a chart leaves the chart as it was.
        QFile foreign(rig.path("foreign.tee"));
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write(R"({"format":"frostel-chart","version":1,"series":{"count":1e9}})");
        foreign.close();
        QVERIFY(!chart.import_template(rig.path("foreign.tee")));
        QVERIFY(!chart.import_template(rig.path("missing.tee")));
        QVERIFY(chart.document() == shown);
    }

    void theTimeAxisShowsThePointsOwnLabels() {
        Rig rig;
        MainWindow& window = rig.start();
        QStringList labels;
        for (int i = 0; i < 300; ++i) {
            labels.append(QString("2026-02-%1 %2:00").arg(1 + i / 24).arg(i % 24));
            window.chart().add_xy(i * 0.25, 4, labels.back());
        }
        QCoreApplication::processEvents();
        QCategoryAxis* axis = nullptr;
        for (QAbstractAxis* a : window.chart().chart()->axes(Qt::Horizontal)) {
            axis = qobject_cast<QCategoryAxis*>(a);
        }
        QVERIFY(axis != nullptr);
        QVERIFY(axis->count() >= 2);
        for (QString shown : axis->categoriesLabels()) {
            // Date over time, as two lines of rich text.
            shown.replace("<br>", " ");
            QVERIFY2(labels.contains(shown), qPrintable(shown));
        }
        QCOMPARE(axis->min(), 0.0);
        QCOMPARE(axis->max(), 299 * 0.25);
    }

    void viewOperationsOutsideTheSeriesChangeNothing() {
        Rig rig;
        MainWindow& window = rig.start();
        ChartView& chart = window.chart();
        QCOMPARE(chart.first_value_index(), -1);
        QCOMPARE(chart.last_value_index(), -1);
        rig.add_points({5, 6});
        chart.set_y(2, 99);
        chart.set_y(-1, 99);
        QCOMPARE(chart.label(7), QString());
        QCOMPARE(chart.y(1), 6.0);
        QCOMPARE(chart.add_xy(0.5, 7, "between"), 1);
        QCOMPARE(chart.label(1), QString("between"));
        window.refill_table(true);
        QCOMPARE(window.table().grid().row_count(), 5);
    }

    void resizingFollowsTheRuleTable() {
        Rig rig;
        MainWindow& window = rig.start();
        QWidget* chart = rig.find("TChart1");
        QWidget* table = rig.find("MSFlexGrid1");
        QWidget* text = rig.find("RichTextBox1");
        QWidget* programming = rig.find("Command8");
        const QRect chart_before = chart->geometry();
        const QRect table_before = table->geometry();
        const int programming_before = programming->x();
        window.resize(window.width() + 67, window.height());
        QTRY_COMPARE(chart->width(), chart_before.width() + 67);
        QCOMPARE(table->x(), table_before.x() + 67);
        QCOMPARE(text->x(), table_before.x() + 67);
        QCOMPARE(table->width(), table_before.width());
        QCOMPARE(programming->x(), programming_before + 67);

        window.resize(150, 120);
        QTRY_VERIFY(table->x() < table_before.x());
        QCOMPARE(chart->width(), chart_before.width() + 67);
    }

    void dataPathFollowsTheFolderListAndIsWrittenOnClose() {
        Rig rig;
        QDir(rig.folder.path()).mkpath("missions/cold");
        const QString missions = rig.path("missions");
        rig.put_settings("English\r\n" + QFile::encodeName(missions) + "\r\n3\r\n");
        MainWindow& window = rig.start();
        rig.find<QPushButton>("Command1")->click();
        auto* dialog = top_level<QWidget>("Data_Path");
        QVERIFY(dialog != nullptr && dialog->isVisible());
        QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(dialog->windowTitle(), QString("Data Path"));
        auto* drives = dialog->findChild<QComboBox*>("Drive1");
        QCOMPARE(drives->currentData().toString(), QDir::rootPath());
        auto* folders = dialog->findChild<QTreeView*>("Dir1");
        QCOMPARE(window.settings().data_folder, missions);

        // The user opens the one folder inside.
        QTRY_VERIFY(folders->model()->rowCount(folders->currentIndex()) == 1);
        folders->setCurrentIndex(folders->model()->index(0, 0, folders->currentIndex()));
        QCOMPARE(window.settings().data_folder, QDir(missions).filePath("cold"));

        emit drives->activated(drives->currentIndex());
        QCOMPARE(window.settings().data_folder, QDir::rootPath());
        dialog->close();
        QCOMPARE(rig.settings_file(), QByteArray("English\r\n/\r\n3\r\n"));
    }

    void aFolderThatIsNotThereLeavesTheDataFolder() {
        Rig rig;
        rig.put_settings("English\r\n/no/such/folder\r\n\r\n");
        MainWindow& window = rig.start();
        rig.find<QPushButton>("Command1")->click();
        QCOMPARE(window.settings().data_folder, QString("/no/such/folder"));
    }

    void aboutAndLanguageDialogs() {
        Rig rig;
        MainWindow& window = rig.start();
        rig.find<QPushButton>("Command6")->click();
        auto* about = top_level<QWidget>("About");
        QVERIFY(about->isVisible() && !about->isModal());
        QVERIFY(about->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(about->findChild<QLabel*>("Label2")->text(), QString("Version 3.27.56"));
        about->findChild<QPushButton*>("Command1")->click();
        QVERIFY(!about->isVisible());

        auto* language_button = rig.find<QAbstractButton>("Command3");
        const qint64 english_picture = language_button->icon().cacheKey();
        language_button->click();
        auto* language = top_level<QWidget>("Language");
        QCOMPARE(language->windowTitle(), QString("Form1"));
        const QList<QAbstractButton*> buttons =
            language->findChildren<QAbstractButton*>("Command1");
        QCOMPARE(buttons.size(), 9);
        QStringList enabled;
        for (QAbstractButton* b : buttons) {
            if (b->isEnabled()) {
                enabled.append(b->text());
            }
        }
        QCOMPARE(enabled, (QStringList{"English", "Dansk"}));
        indexed<QAbstractButton>(language, "Command1", 3)->click();
        QVERIFY(!language->isVisible());
        QVERIFY(language_button->icon().cacheKey() != english_picture);
        rig.close();
        QVERIFY(rig.settings_file().startsWith("English\r\n"));
        Q_UNUSED(window);
    }

    void theEditorChangesTheLooksButNeverThePoints() {
        Rig rig;
        MainWindow& window = rig.start();
        rig.add_points({5, 6, 7});
        rig.find<QAction>("edit_tool")->trigger();
        auto* editor = top_level<QWidget>("TeeEditor1");
        QVERIFY(editor != nullptr && editor->isVisible());
        editor->findChild<QLineEdit*>("right_title")->setText("NOTHING");
        editor->findChild<QSpinBox*>("line_width")->setValue(5);
        // A minimum above the maximum is refused; the axis keeps its range.
        editor->findChild<QDoubleSpinBox*>("left_minimum")->setValue(100);
        editor->findChild<QDoubleSpinBox*>("left_maximum")->setValue(50);
        editor->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        const datafile::ChartDocument& document = window.chart().document();
        QCOMPARE(document.right.title, QString("NOTHING"));
        QCOMPARE(document.line_width, 5);
        QCOMPARE(document.left.minimum, 0.0);
        QCOMPARE(document.left.maximum, 125.0);
        QCOMPARE(document.points.size(), std::size_t{3});
        QVERIFY(!editor->isVisible());
    }

    void aUnitSwitchReachesPointsOutsideAZoomAndShowsTheNewRange() {
        Rig rig;
        MainWindow& window = rig.start();
        rig.add_points({0, 50, 100, 125});
        QCoreApplication::processEvents();
        window.chart().chart()->zoom(4);
        rig.open_unit_option(2)->click();
        QCOMPARE(window.chart().y(3), 398.15);
        QCOMPARE(window.chart().y(0), 273.15);
        auto* left = qobject_cast<QValueAxis*>(window.chart().chart()->axes(Qt::Vertical)[0]);
        QCOMPARE(left->min(), 273.15);
        QCOMPARE(left->max(), 398.15);
    }

    void installingTheDriverWithoutAnInstallerSaysSoInTheStatusFrame() {
        Rig rig;
        rig.start();
        rig.find<QAction>("install_usb_driver_menu")->trigger();
        QCOMPARE(rig.launcher.started, QStringList{rig.path("CP210x_Drivers.exe")});
        QVERIFY(rig.find("Frame1")->isVisible());
        QCOMPARE(rig.find<QLabel>("Label3")->text(), QString("NO USB-DRIVER INSTALLER HERE!"));
    }
};

}  // namespace
}  // namespace frostel::app

QTEST_MAIN(frostel::app::MainWindowTest)
#include "main_window_test.moc"
