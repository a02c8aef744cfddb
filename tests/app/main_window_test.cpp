#include "app/main_window.h"

#include <QAbstractButton>
#include <QCategoryAxis>
#include <QChart>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRubberBand>
#include <QSpinBox>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QValueAxis>
#include <numeric>

#include "app/archive_actions.h"
#include "app/archive_window.h"
#include "app/chart_view.h"
#include "app/command_bar.h"
#include "app/download_actions.h"
#include "app/file_name_dialogs.h"
#include "app/sign_in_dialog.h"
#include "app/summary_preferences.h"
#include "app/window_placement.h"
#include "app/window_session.h"
#include "archive/account_book.h"
#include "datafile/chart_document.h"
#include "link/port_scan.h"
#include "sim/mission/mission_loader.h"
#include "tests/support/sign_in_typing.h"
#include "tests/support/window_rig.h"

namespace frostel::app {
namespace {

using test::indexed;
using test::kDocuments;
using test::sign_in_as;
using test::top_level;

struct Rig : test::WindowRig {
    QByteArray settings_file() const { return test::file_bytes(path("SETUP.FRG")); }
    QList<int> checked_ports() const {
        QList<int> checked;
        for (QAction* entry : window->findChildren<QAction*>("com_menu")) {
            if (entry->isChecked()) {
                checked.append(entry->property("index").toInt());
            }
        }
        return checked;
    }
    [[nodiscard]] QValueAxis* left_axis() const {
        return qobject_cast<QValueAxis*>(chart().chart()->axes(Qt::Vertical)[0]);
    }
    // A point of the plot area as fractions of its width and height, in viewport pixels.
    [[nodiscard]] QPoint at(QPointF f) const {
        const QRectF plot = chart().chart()->plotArea();
        return chart().mapFromScene(plot.topLeft() +
                                    QPointF(f.x() * plot.width(), f.y() * plot.height()));
    }
    QRubberBand* press_and_move(QPointF from, QPointF to) const {
        QTest::mousePress(chart().viewport(), Qt::LeftButton, {}, at(from));
        QTest::mouseMove(chart().viewport(), at(to));
        return chart().findChild<QRubberBand*>();
    }
    void release(QPointF at_point) const {
        QTest::mouseRelease(chart().viewport(), Qt::LeftButton, {}, at(at_point));
    }
    void trigger(const char* tool) const { find<QAction>(tool)->trigger(); }
};

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Start-up and exit for each form of the settings file: line 3 goes back as it was read.
    void startUpAndExitFollowTheSettingsFile() {
        struct Case {
            const char* settings;  // nullptr: no file
            QList<int> checked;
            QString folder;
            QByteArray written;
        };
        const QByteArray documents = kDocuments.toUtf8();  // no folder named: the default
        const Case cases[] = {
            {"Dansk\r\n/data/cold\r\n3\r\n", {3}, "/data/cold", "English\r\n/data/cold\r\n3\r\n"},
            {nullptr, {}, kDocuments, "English\r\n" + documents + "\r\n\r\n"},
            {"English\r\n\r\n 31 \r\n", {}, kDocuments, "English\r\n" + documents + "\r\n 31 \r\n"},
            {"English\r\n/cold", {}, "/cold", "English\r\n/cold\r\n\r\n"},
        };
        for (const Case& c : cases) {
            Rig rig;
            rig.ports.attach(3, rig.box);
            if (c.settings != nullptr) {
                rig.put_file("SETUP.FRG", c.settings);
            }
            MainWindow& window = rig.start();
            QCOMPARE(window.windowTitle(), QString("Frostel   Version 3.27.56"));
            QCOMPARE(rig.ports.open_port_number(), c.checked.isEmpty() ? 0 : c.checked[0]);
            QCOMPARE(rig.checked_ports(), c.checked);
            QVERIFY(rig.chart().isVisible());
            QCOMPARE(rig.chart().left_axis_title(), QString("CELSIUS"));
            QCOMPARE(rig.table().grid().headings(),
                     (QStringList{"DATE          TIME     ", "TEMPERATURE "}));
            QCOMPARE(window.settings().data_folder, c.folder);
            rig.window->close();
            QCOMPARE(rig.settings_file(), c.written);
            QCOMPARE(rig.ended, 1);
        }
    }

    // The settings, the summary's preferences and the chart's template that cannot be written
    // (a folder in each file's place) are said, naming the file: as the dialog or the button
    // that changed them is used, and at exit in a warning read before the process ends.
    void settingsPreferencesAndTemplateThatCannotBeWrittenAreSaid() {
        Rig rig;
        for (const QString& file :
             {QString("SETUP.FRG"), kSummaryPreferencesFileName, kChartTemplateFileName}) {
            QVERIFY(QDir(rig.folder.path()).mkpath(file));
        }
        rig.start();
        const QString not_saved = ": The file could not be saved as ";
        rig.open_unit_option(1)->click();
        top_level("Temperature_Unit")->close();
        QCOMPARE(rig.said("settings_not_saved"),
                 QStringList{"Select Temperature Unit" + not_saved + rig.path("SETUP.FRG") + "."});
        rig.find<QPushButton>("Command1")->click();
        top_level("Data_Path")->close();
        QCOMPARE(rig.said("settings_not_saved"),
                 QStringList{"Set Path" + not_saved + rig.path("SETUP.FRG") + "."});
        rig.find<QPushButton>("fit_to_data_button")->click();
        QCOMPARE(rig.said("summary_preferences_not_saved"),
                 QStringList{"Mission Summary" + not_saved + rig.path(kSummaryPreferencesFileName) +
                             "."});

        const test::ModalBoxCloser at_exit("not_saved_at_exit",
                                           [&rig] { return QString::number(rig.ended); });
        rig.window->close();
        QCOMPARE(rig.ended, 1);
        QCOMPARE(at_exit.seen.size(), 1);
        QCOMPARE(at_exit.seen[0].text, "The file could not be saved as " + rig.path("SETUP.FRG") +
                                           ".\nThe file could not be saved as " +
                                           rig.path(kChartTemplateFileName) + ".");
        QCOMPARE(at_exit.seen[0].at_that_time, QString("0"));
    }

    // The window opens where and as large as it was closed; F1 and the About box's "Manual"
    // open the user's manual, the README from "Using it" on.
    void windowPlaceIsRememberedAndF1OpensTheManual() {
        Rig rig;
        rig.start();
        const QRect left(QPoint(40, 50), rig.window->size() + QSize(130, 90));
        rig.window->setGeometry(left);
        QTRY_COMPARE(rig.window->geometry(), left);
        rig.window->close();
        QVERIFY(!read_window_geometry(rig.path(kWindowPlacementFileName)).isEmpty());
        rig.start();
        QCOMPARE(rig.window->geometry(), left);

        QTest::keyClick(rig.window.get(), Qt::Key_F1);
        auto* manual = top_level<QTextBrowser>("manual");
        QVERIFY(manual != nullptr && manual->isVisible());
        QVERIFY(manual->toPlainText().startsWith("Using it"));
        QVERIFY(manual->toPlainText().contains("Load Data"));
        QVERIFY(!manual->toPlainText().contains("scripts/demo.sh"));
        manual->close();
        rig.find<QPushButton>("Command6")->click();
        auto* about = top_level("About");
        about->findChild<QPushButton*>("manual_button")->click();
        QVERIFY(manual->isVisible());
        QVERIFY(!about->isVisible());
    }

    void portMenuChoiceAndSearch() {
        Rig rig;
        rig.write_settings("3", "/d");
        MainWindow& first = rig.start();
        auto* menu = rig.find<QMenu>("communication_port_menu");
        QCOMPARE(menu->title(), QString("COMMUNICATION PORT"));
        const QList<QAction*> actions = menu->actions();
        QCOMPARE(actions.size(), 32);
        QCOMPARE((QStringList{actions[0]->text(), actions[11]->text(), actions[29]->text(),
                              actions[31]->text()}),
                 (QStringList{"COM-1", "COM12", "COM-30", "FIND COMMPORT"}));
        QVERIFY(actions[30]->isSeparator());
        QCOMPARE(actions[31], rig.find<QAction>("find_commport_menu"));
        QCOMPARE(first.menuBar()->actions()[1]->text(), QString("USB-Driver"));

        // Nothing found: the port read from the settings is back, and so is its line.
        rig.find<QAction>("find_commport_menu")->trigger();
        QCOMPARE(rig.find<QLabel>("Label3")->text(), QString("FROSTEL IS NOT CONNECTED!"));
        QCOMPARE(rig.checked_ports(), QList<int>{3});
        rig.window->close();
        QCOMPARE(rig.settings_file(), QByteArray("English\r\n/d\r\n3\r\n"));

        // Second run with readers on ports 3 and 12; a choice leaves only it checked.
        rig.ports.attach(3, rig.box);
        rig.ports.attach(12, rig.box);
        rig.start();
        rig.port_entry(12)->trigger();
        QCOMPARE(rig.checked_ports(), QList<int>{12});
        QCOMPARE(rig.ports.open_port_number(), 12);
        rig.port_entry(5)->trigger();
        rig.port_entry(5)->trigger();
        QCOMPARE(rig.checked_ports(), QList<int>{5});
        // Each port opened with its status text in the search frame on show.
        QStringList seen;
        rig.port.on_open = [&](int number) {
            seen.append(QString::number(number) + ' ' + rig.find<QLabel>("Label3")->text() +
                        (rig.find("Frame1")->isVisible() ? " shown" : " hidden"));
        };
        const auto search_start = rig.clock.now();
        rig.find<QAction>("find_commport_menu")->trigger();
        QCOMPARE(seen, (QStringList{"1 CHECKING COMMPORT 1 shown", "2 CHECKING COMMPORT 2 shown",
                                    "3 CHECKING COMMPORT 3 shown"}));
        QCOMPARE(rig.find<QLabel>("Label3")->text(), QString("FIND FROSTEL ON COMMPORT 3"));
        QCOMPARE(rig.find<QAction>("find_commport_menu")->toolTip(),
                 QString("Reader found on COM-3"));
        QCOMPARE(rig.checked_ports(), QList<int>{3});
        QVERIFY(!rig.find("Frame1")->isVisible());
        // Every pause went by the link's clock, none by a real sleep.
        QVERIFY(rig.clock.now() - search_start >=
                3 * link::kPortScanOpenPause + link::kPortScanResultDisplay);
        rig.window->close();
        QCOMPARE(rig.settings_file(), QByteArray("English\r\n/d\r\n 3 \r\n"));
    }

    // Values and limits go through the units together from the numbers kept: back in
    // Celsius, a sample on a limit is on it still, with the very numbers and texts as before.
    // Then a full chart's labels, edits and template, and the chart's tools.
    void unitsThenAFullChartAndTheChartTools() {
        Rig rig;
        rig.write_settings("4", "/x");
        rig.start();
        ChartView& chart = rig.chart();
        QCOMPARE(chart.first_value_index(), -1);
        QCOMPARE(chart.last_value_index(), -1);
        datafile::ChartDocument pair;
        // The last value lies a hair below the tie 4.225, as a download's sample plus offset.
        for (const double value : {25.0, -40.0, 0.0, 100.0, 2.0, 12.5, -3.0, 4.125 + 0.1}) {
            pair.points.push_back(
                {46000.0 + static_cast<double>(pair.points.size()), value, "2026-01-15 10:00:00"});
        }
        pair.low_limit = 2.0;
        pair.high_limit = 30.0;
        rig.retrieve(pair);
        const datafile::ChartDocument celsius = chart.document();
        const UserLimits celsius_limits = rig.window->shown_mission().user_limits();
        const QStringList celsius_texts = rig.table_column(1);
        QCOMPARE(celsius_texts.last(2), (QStringList{"4.22", ""}));
        // The same unit again resets the range only.
        QRadioButton* celsius_option = rig.open_unit_option(0);
        chart.set_left_axis_range(-10, 10);
        celsius_option->click();
        QCOMPARE(chart.document().left.maximum, 125.0);

        // Zoomed in, the switch still reaches every point and shows the new range.
        QCoreApplication::processEvents();
        chart.chart()->zoom(4);
        rig.open_unit_option(1)->click();
        QCOMPARE(chart.y(0), 77.0);
        QCOMPARE(rig.window->shown_mission().user_limits().low, 35.6);
        QCOMPARE(chart.left_axis_title(), QString("FARENHEIT"));
        QCOMPARE(rig.left_axis()->min(), 32.0);
        QCOMPARE(rig.left_axis()->max(), 257.0);
        QCOMPARE(rig.table_column(1), (QStringList{"77.00", "-40.00", "32.00", "212.00", "35.60",
                                                   "54.50", "26.60", "39.60", ""}));

        for (const int unit : {3, 2, 0}) {
            rig.open_unit_option(unit)->click();
        }
        QCOMPARE(chart.points(), celsius.points);
        QCOMPARE(rig.window->shown_mission().user_limits(), celsius_limits);
        QCOMPARE(rig.table_column(1), celsius_texts);
        QCOMPARE(chart.limits(), (insight::Limits{2.0, 30.0, insight::LimitSource::kUser}));

        // A choice that comes in while the Fahrenheit one lets pending events run waits for it.
        QRadioButton* kelvin = rig.open_unit_option(2);
        QTimer::singleShot(0, kelvin, [kelvin] { kelvin->click(); });
        rig.open_unit_option(1)->click();
        QTRY_COMPARE(chart.left_axis_title(), QString("KELVIN"));
        QVERIFY(std::abs(chart.y(0) - 298.15) < 1e-9);

        // Closing the dialog writes the settings; it reopens on the unit shown.
        rig.open_unit_option(3)->click();
        top_level("Temperature_Unit")->close();
        QTRY_VERIFY(top_level("Temperature_Unit") == nullptr);
        QCOMPARE(rig.settings_file(), QByteArray("English\r\n/x\r\n4\r\n"));
        QVERIFY(rig.open_unit_option(3)->isChecked());

        QStringList labels;
        datafile::ChartDocument full;
        for (int i = 0; i < 8193; ++i) {
            labels.append(QString("2026-%1 %2:00").arg(1 + i / 24).arg(i % 24));
            full.points.push_back({46000 + i / 96.0, -20 + i * 0.01, labels.back().toStdString()});
        }
        rig.retrieve(full);
        QCoreApplication::processEvents();
        auto* axis = qobject_cast<QCategoryAxis*>(chart.chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(axis != nullptr);
        QVERIFY(axis->count() >= 2);
        for (QString shown : axis->categoriesLabels()) {
            // Date over time, as two lines of rich text.
            shown.replace("<br>", " ");
            QVERIFY2(labels.contains(shown), qPrintable(shown));
        }
        QCOMPARE(axis->min(), 46000.0);
        QCOMPARE(axis->max(), 46000 + 8192 / 96.0);

        // The editor changes the looks but never the points; a minimum above the maximum
        // is refused and the axis keeps its range.
        chart.set_y(8193, 99);
        chart.set_y(-1, 99);
        QCOMPARE(chart.label(9000), QString());
        rig.find<QAction>("edit_tool")->trigger();
        auto* editor = top_level("TeeEditor1");
        QVERIFY(editor != nullptr && editor->isVisible());
        const auto press_ok = [editor] {
            editor->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        };
        editor->findChild<QLineEdit*>("right_title")->setText("NOTHING");
        editor->findChild<QSpinBox*>("line_width")->setValue(5);
        editor->findChild<QDoubleSpinBox*>("left_minimum")->setValue(100);
        editor->findChild<QDoubleSpinBox*>("left_maximum")->setValue(50);
        press_ok();
        QVERIFY(!editor->isVisible());
        QCOMPARE(chart.document().right.title, QString("NOTHING"));
        QCOMPARE(chart.document().line_width, 5);
        QCOMPARE(chart.document().left.minimum, 0.0);
        QCOMPARE(chart.document().left.maximum, 125.0);
        QCOMPARE(chart.document().points.size(), std::size_t{8193});
        QCOMPARE(chart.y(8192), -20 + 8192 * 0.01);

        // Open, the editor follows the chart: a unit switched under it stays switched by OK,
        // and what was typed meanwhile in another field is kept. The unit is not editable.
        rig.find<QAction>("edit_tool")->trigger();
        auto* left_title = editor->findChild<QLineEdit*>("left_title");
        QVERIFY(left_title->isReadOnly());
        editor->findChild<QLineEdit*>("bottom_title")->setText("TIME");
        rig.open_unit_option(1)->click();
        QCOMPARE(left_title->text(), QString("FARENHEIT"));
        QCOMPARE(editor->findChild<QDoubleSpinBox*>("left_minimum")->value(), 32.0);
        press_ok();
        QCOMPARE(chart.left_axis_title(), QString("FARENHEIT"));
        QCOMPARE(chart.document().left.minimum, 32.0);
        QCOMPARE(chart.document().left.maximum, 257.0);
        QCOMPARE(chart.document().bottom.title, QString("TIME"));

        // Reopened, it shows the chart as it is; no title grows beyond what a document holds.
        chart.set_title_line("LOGGER 2");
        rig.find<QAction>("edit_tool")->trigger();
        auto* title = editor->findChild<QPlainTextEdit*>("title_lines");
        QCOMPARE(title->toPlainText(), QString("LOGGER 2"));
        title->setPlainText(QString(3000, 'T') + "\nsecond");
        editor->findChild<QLineEdit*>("right_title")->setText(QString(3000, 'R'));
        press_ok();
        QCOMPARE(chart.document().title_lines,
                 (QStringList{QString(datafile::kMaxChartTextLength, 'T'), "second"}));
        QCOMPARE(chart.document().right.title.size(), datafile::kMaxChartTextLength);

        rig.open_unit_option(2)->click();
        const datafile::ChartDocument shown = chart.document();
        QVERIFY(chart.export_template(rig.path("full.tee")));
        chart.clear();
        chart.set_left_axis_title("CELSIUS");
        QVERIFY(rig.window->download_actions().import_template(rig.path("full.tee")));
        QVERIFY(chart.document() == shown);
        QCOMPARE(rig.window->shown_mission().points(), shown.points);
        QCOMPARE(rig.window->shown_mission().unit(), mission::TemperatureUnit::kKelvin);

        QCOMPARE(chart.add_xy(46000.001, 7, "between"), 1);
        QCOMPARE(chart.label(1), QString("between"));

        // The chart's tools on a hundred points from 0 to 99: zoom frame, undo zoom and pan;
        // the picture copied, saved as PNG and printed, a failed save said.
        std::vector<double> values(100);
        std::iota(values.begin(), values.end(), 0.0);
        rig.retrieve_values(values);
        QCoreApplication::processEvents();
        QRubberBand* band = rig.press_and_move({0.2, 0.2}, {0.6, 0.5});
        QVERIFY(band != nullptr && band->isVisible());
        // A dotted frame: many runs of drawn and undrawn pixels along its top edge.
        QImage frame(band->size(), QImage::Format_ARGB32);
        frame.fill(Qt::transparent);
        band->render(&frame, {}, {}, QWidget::DrawChildren);
        int runs = 0;
        for (int x = 0, previous = 0; x < frame.width(); ++x) {
            const int drawn = qAlpha(frame.pixel(x, 0)) > 128 && qGray(frame.pixel(x, 0)) < 128;
            runs += drawn != previous ? 1 : 0;
            previous = drawn;
        }
        QVERIFY2(runs > 10, "the zoom frame is drawn dotted");
        rig.release({0.6, 0.5});
        QVERIFY(rig.left_axis()->min() > 10);
        QVERIFY(rig.left_axis()->max() < 120);
        rig.trigger("undo_zoom_tool");
        QCOMPARE(rig.left_axis()->min(), 0.0);
        QCOMPARE(rig.left_axis()->max(), 125.0);
        QCOMPARE(rig.chart().points().size(), std::size_t{100});

        // Panning shifts the axes without zooming; the zoom tool then works again.
        rig.trigger("pan_tool");
        QVERIFY(rig.press_and_move({0.5, 0.5}, {0.5, 0.3}) == nullptr);
        rig.release({0.5, 0.3});
        QVERIFY(rig.left_axis()->min() < 0);
        QCOMPARE(rig.left_axis()->max() - rig.left_axis()->min(), 125.0);
        rig.trigger("zoom_tool");
        band = rig.press_and_move({0.2, 0.2}, {0.4, 0.4});
        QVERIFY(band != nullptr && band->isVisible());
        rig.release({0.4, 0.4});
        QVERIFY(rig.left_axis()->max() - rig.left_axis()->min() < 100);

        QGuiApplication::clipboard()->clear();
        rig.trigger("copy_tool");
        const QImage copied = QGuiApplication::clipboard()->image();
        QVERIFY(!copied.isNull());
        QCOMPARE(copied.size() / copied.devicePixelRatio(), chart.size());

        QTemporaryDir folder;
        rig.trigger("save_picture_tool");  // cancelled
        QVERIFY(QDir(folder.path()).isEmpty());
        QVERIFY(rig.window->findChild<QMessageBox*>("picture_not_saved") == nullptr);

        rig.dialogs.save_names = {QDir(folder.path()).filePath("no such folder/chart.png")};
        rig.trigger("save_picture_tool");
        QVERIFY(QDir(folder.path()).isEmpty());
        auto* refused = rig.window->findChild<QMessageBox*>("picture_not_saved");
        QVERIFY(refused != nullptr && refused->isVisible());
        QVERIFY(refused->text().contains("no such folder"));
        refused->close();

        // A name without an extension gets ".png".
        rig.dialogs.save_names = {QDir(folder.path()).filePath("chart")};
        rig.trigger("save_picture_tool");
        QImage saved;
        QVERIFY(saved.load(QDir(folder.path()).filePath("chart.png"), "PNG"));
        QCOMPARE(saved.size(), chart.size() * chart.devicePixelRatio());

        // Printing: a chart twice as wide as the page is halved, not cut at the page's edge.
        chart.resize(800, 400);
        QImage page(400, 400, QImage::Format_ARGB32);
        page.fill(Qt::transparent);
        QVERIFY(paint_to_fit(chart, page));
        QVERIFY(qAlpha(page.pixel(399, 100)) > 0);
        QVERIFY(qAlpha(page.pixel(0, 199)) > 0);
        QCOMPARE(qAlpha(page.pixel(200, 201)), 0);
        QCOMPARE(qAlpha(page.pixel(399, 399)), 0);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(QDir(folder.path()).filePath("chart.pdf"));
        QVERIFY(paint_to_fit(chart, printer));
        QVERIFY(test::file_bytes(printer.outputFileName()).startsWith("%PDF-"));
        // A printer that cannot print, here to a file in a folder that is not there, says so.
        printer.setOutputFileName(QDir(folder.path()).filePath("no such folder/chart.pdf"));
        QVERIFY(!paint_to_fit(chart, printer));

        // Closing the main window with the dialog open writes the template once and ends.
        rig.open_unit_option(2)->click();
        auto* dialog = top_level("Temperature_Unit");
        rig.window->close();
        QCOMPARE(rig.ended, 1);
        QVERIFY(dialog->isVisible());
        const auto standard = datafile::read_chart_document(rig.path("standard.tee"));
        QVERIFY(standard.has_value());
        QCOMPARE(standard->left.title, QString("KELVIN"));
        QCOMPARE(standard->points.size(), std::size_t{100});
    }

    // The data folder follows the folder list and is written on close. The file dialogs stay
    // above the windows that stay on top, and a name typed without its extension finds the
    // file that has it.
    void dataPathLayoutAboutLanguageDriverInstallAndFileDialogs() {
        Rig rig;
        QDir(rig.folder.path()).mkpath("missions/cold");
        const QString missions = rig.path("missions");
        rig.write_settings("3", missions);
        MainWindow& window = rig.start();
        rig.find<QPushButton>("Command1")->click();
        auto* dialog = top_level("Data_Path");
        QVERIFY(dialog != nullptr && dialog->isVisible());
        QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(dialog->windowTitle(), QString("Data Path"));
        auto* drives = dialog->findChild<QComboBox*>("Drive1");
        QCOMPARE(drives->currentData().toString(), QDir::rootPath());
        auto* folders = dialog->findChild<QTreeView*>("Dir1");
        QCOMPARE(window.settings().data_folder, missions);

        QTRY_VERIFY(folders->model()->rowCount(folders->currentIndex()) == 1);
        folders->setCurrentIndex(folders->model()->index(0, 0, folders->currentIndex()));
        QCOMPARE(window.settings().data_folder, QDir(missions).filePath("cold"));

        emit drives->activated(drives->currentIndex());
        QCOMPARE(window.settings().data_folder, QDir::rootPath());
        dialog->close();
        QCOMPARE(rig.settings_file(), QByteArray("English\r\n/\r\n3\r\n"));

        // A folder that is not there is left as the data folder.
        rig.write_settings("", "/no/such/folder");
        rig.start();
        rig.find<QPushButton>("Command1")->click();
        QCOMPARE(rig.window->settings().data_folder, QString("/no/such/folder"));

        // At the first size every chart tool shows (none behind an overflow arrow) and the
        // error frame holds its text.
        auto* chart_tools = rig.find<QToolBar>("chart_tools");
        for (QAction* tool : chart_tools->actions()) {
            QVERIFY(chart_tools->widgetForAction(tool)->isVisible());
        }
        QLabel& error = *rig.find<QLabel>("Label2");
        error.ensurePolished();
        QVERIFY(error.fontMetrics().horizontalAdvance("LOADING ERROR !") < error.width());
        // Resizing applies the layout rules (their own test) to the views and the command bar.
        QWidget* chart = rig.find("TChart1");
        const int chart_width = chart->width();
        const int table_x = rig.find("MSFlexGrid1")->x();
        const int programming_x = rig.find("Command8")->x();
        rig.window->resize(rig.window->width() + 67, rig.window->height());
        QTRY_COMPARE(chart->width(), chart_width + 67);
        QCOMPARE(rig.find("MSFlexGrid1")->x(), table_x + 67);
        QCOMPARE(rig.find("Command8")->x(), programming_x + 67);

        rig.find<QPushButton>("Command6")->click();
        auto* about = top_level("About");
        QVERIFY(about->isVisible() && !about->isModal());
        QVERIFY(about->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(about->findChild<QLabel*>("Label2")->text(), QString("Version 3.27.56"));
        about->findChild<QPushButton*>("Command1")->click();
        QVERIFY(!about->isVisible());

        auto* language_button = rig.find<QAbstractButton>("Command3");
        const qint64 english_picture = language_button->icon().cacheKey();
        language_button->click();
        auto* language = top_level("Language");
        QCOMPARE(language->windowTitle(), QString("Form1"));
        const auto buttons = language->findChildren<QAbstractButton*>("Command1");
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

        // Without an installer the status frame says why; no message box.
        rig.find<QAction>("install_usb_driver_menu")->trigger();
        QCOMPARE(rig.launcher.started, QStringList{rig.path("CP210x_Drivers.exe")});
        QVERIFY(rig.find("Frame1")->isVisible());
        QCOMPARE(rig.find<QLabel>("Label3")->text(), QString("NO USB-DRIVER INSTALLER HERE!"));
        rig.window->close();
        QVERIFY(rig.settings_file().startsWith("English\r\n"));

        rig.put_file("week49.frd", {});
        QtFileNameDialogs dialogs;
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            QVERIFY(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText("week49");
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(dialogs.open_name(nullptr, rig.folder.path(), kOpenDataFileFilter),
                 rig.path("week49.frd"));
    }

    // With accounts on, the data folder is the administrators' to change, the audit trail
    // theirs, the approvers' and the reviewers' to read, and programming and every file
    // written from a mission everyone's but theirs; what a role may not do is off, with a
    // tooltip saying why, even once a logger operation ends, and refused and audited when
    // asked for all the same. An administrator's download is not offered for saving: the
    // archive keeps it. Without accounts all is on.
    void rightsFollowTheRoleOfThePersonSignedIn() {
        using archive::Role;
        struct Case {
            std::optional<Role> role;
            bool set_path, audit_trail, program_and_export;
        };
        const Case cases[] = {{std::nullopt, true, true, true},
                              {Role::kOperator, false, false, true},
                              {Role::kReviewer, false, true, true},
                              {Role::kApprover, false, true, true},
                              {Role::kAdministrator, true, true, false}};
        for (const Case& c : cases) {
            Rig rig;
            if (c.role) {
                rig.person = [role = *c.role] {
                    return std::optional(archive::Person{"pat", "Pat Lee", role});
                };
            }
            sim::SimMission mission;
            mission.temperatures = {4.0, 4.5, 5.0};
            sim::load_mission(rig.logger, mission);
            MainWindow& window = rig.start_with_reader();
            rig.load_data();
            QCOMPARE(rig.dialogs.asked.size(), c.program_and_export ? 1 : 0);
            QCOMPARE(window.shown_mission().origin().archive_id, 1);
            auto* set_path = rig.find<QPushButton>("Command1");
            QCOMPARE(set_path->isEnabled(), c.set_path);
            QCOMPARE(set_path->toolTip().contains("only an administrator"), !c.set_path);
            rig.find<QPushButton>("archive_button")->click();
            ArchiveWindow& archive_window = window.archive_actions().archive_window();
            const QLineEdit& shared_archive = archive_window.shared_location_box();
            QCOMPARE(shared_archive.isEnabled(), c.set_path);
            QCOMPARE(shared_archive.toolTip().contains("Only an administrator"), !c.set_path);
            const QPushButton& audit_trail = archive_window.audit_trail_button();
            QCOMPARE(audit_trail.isEnabled(), c.audit_trail);
            QCOMPARE(audit_trail.toolTip().isEmpty(), c.audit_trail);
            const QList<QObject*> for_others = {rig.find("Command8"),
                                                &rig.programming_window().programming_button(),
                                                rig.find("export_csv_button"),
                                                rig.find("mission_report_button"),
                                                rig.find<QAction>("export_spreadsheet_csv"),
                                                rig.find<QAction>("copy_tool"),
                                                rig.find<QAction>("print_tool"),
                                                &archive_window.save_button(),
                                                &archive_window.bundle_button()};
            for (QObject* control : for_others) {
                QCOMPARE(control->property("enabled").toBool(), c.program_and_export);
                QCOMPARE(control->property("toolTip").toString().contains(
                             "only operators, reviewers and approvers may"),
                         !c.program_and_export);
            }
            if (!c.program_and_export) {
                window.download_actions().save_archived(1);
                QCOMPARE(test::audit_lines(window.archive_actions().mission_archive(),
                                           [](const archive::AuditRow& row) {
                                               return row.action == "access-refused"
                                                          ? QString::fromStdString(
                                                                row.user_id + ' ' + row.new_value)
                                                          : QString();
                                           }),
                         QStringList{"pat save a record"});
            }
            rig.window->close();
            QCOMPARE(QFile::exists(rig.path("standard.tee")), c.program_and_export);
        }
    }

    // With accounts on: a sign-in before the window, the person's name in its title, a lock
    // once the idle limit has passed on the window's clock, and the session's events, each
    // once and as its person's: the same person resumes, another person ends the session.
    void signInNamesThePersonAndTheWindowLocksWhenIdle() {
        Rig rig;
        rig.write_settings("");
        const QString archive_file = archive::archive_path(rig.folder.path());
        {
            archive::MissionArchive archive(archive_file);
            archive::AccountBook book(archive);
            const archive::AccountAnswer rita = book.turn_on("rita", "Rita Root", "ritas-password");
            const archive::AccountAnswer otto =
                book.add(*rita.person, "otto", "Otto Operator", archive::Role::kOperator);
            QVERIFY(book.change_password("otto", otto.one_time_password, "ottos-password").done());
        }
        WindowArchive shared(rig.folder.path(), rig.clock);
        WindowSession session(shared, rig.folder.path(), rig.clock);
        QVERIFY(session.accounts_on());
        QString refusal;
        QTimer::singleShot(0, [&] {
            sign_in_as("rita", "not-her-password");
            refusal = QApplication::activeModalWidget()->findChild<QLabel*>("message")->text();
            sign_in_as({}, "ritas-password");
        });
        QVERIFY(session.sign_in());
        QCOMPARE(refusal, QString("sign-in refused"));

        rig.person = [&session] { return session.person(); };
        rig.archive = &shared;
        MainWindow& window = rig.start();
        session.watch(window);
        QCOMPARE(window.windowTitle(), QString("Frostel   Version 3.27.56   Rita Root"));
        // Input starts the idle time again.
        const auto idle_for = [&](int minutes) {
            rig.clock.advance_by(std::chrono::minutes(minutes));
            session.check_idle();
        };
        idle_for(14);
        QTest::keyClick(&window, Qt::Key_Shift);
        idle_for(14);
        QVERIFY(session.lock_dialog() == nullptr);
        idle_for(1);
        QVERIFY(session.lock_dialog() != nullptr && session.lock_dialog()->isVisible());
        QCOMPARE(session.lock_dialog()->findChild<QLineEdit*>("user_id")->text(), QString("rita"));
        sign_in_as({}, "ritas-password");
        QTRY_VERIFY(session.lock_dialog() == nullptr);
        // Another person at the lock: the window is theirs, with their rights.
        QVERIFY(rig.find<QPushButton>("Command1")->isEnabled());
        idle_for(15);
        sign_in_as("otto", "ottos-password");
        QTRY_VERIFY(session.lock_dialog() == nullptr);
        QCOMPARE(window.windowTitle(), QString("Frostel   Version 3.27.56   Otto Operator"));
        QVERIFY(!rig.find<QPushButton>("Command1")->isEnabled());
        rig.window->close();

        archive::MissionArchive archive(archive_file, archive::MissionArchive::Access::kReadOnly);
        QCOMPARE(
            test::audit_lines(archive,
                              [](const archive::AuditRow& row) {
                                  return QString::fromStdString(row.action + ' ' + row.user_id);
                              }),
            (QStringList{"accounts-enabled rita", "account-created rita", "account-created rita",
                         "password-changed otto", "sign-in-refused rita", "sign-in rita",
                         "session-locked rita", "session-resumed rita", "session-locked rita",
                         "sign-in otto", "sign-out rita", "sign-out otto"}));
    }
};

}  // namespace
}  // namespace frostel::app

QTEST_MAIN(frostel::app::MainWindowTest)
#include "main_window_test.moc"
