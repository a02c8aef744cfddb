// The mission summary on the simulated cold room: the window, the chart's limits, the
// table's tint, and the same figures from frostel-cli for the saved pair.
#include "app/summary_window.h"

#include <QCategoryAxis>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QValueAxis>
#include <sstream>

#include "app/archive_actions.h"
#include "app/archive_list_model.h"
#include "app/archive_window.h"
#include "app/chart_view.h"
#include "app/download_actions.h"
#include "app/sign_dialog.h"
#include "app/signatures_box.h"
#include "app/summary_preferences.h"
#include "archive/account_book.h"
#include "archive/mission_archive.h"
#include "cli/cli_commands.h"
#include "cli/cli_summary.h"
#include "platform/archive_setting.h"
#include "report/chart_summary.h"
#include "report/report_source.h"
#include "report/result_palette.h"
#include "report/summary_json.h"
#include "sim/pty/sample_missions.h"
#include "tests/support/pdf_text.h"
#include "tests/support/window_rig.h"

namespace frostel::app {
namespace {

using test::top_level;

struct Rig : test::WindowRig {
    explicit Rig(std::function<std::optional<archive::Person>()> signed_in = {}) {
        person = std::move(signed_in);
        start_with_reader();
        sim::load_mission(logger, *sim::sample_mission("cold-room", {2026, 3, 9, 12, 0, 0}));
    }
    SummaryWindow& open_summary() const {
        find<QPushButton>("mission_summary_button")->click();
        return *top_level<SummaryWindow>("Mission_Summary");
    }
    static QLineEdit* field(const char* name) {
        return top_level("Mission_Summary")->findChild<QLineEdit*>(name);
    }
    // `text` typed over what the summary's field `name` holds, the focus moved there first.
    static void type_into(const char* name, const QString& text) {
        QWidget* window = top_level("Mission_Summary");
        window->activateWindow();
        QTRY_VERIFY(window->isActiveWindow());
        QLineEdit* typed_in = field(name);
        typed_in->setFocus(Qt::MouseFocusReason);
        QVERIFY(typed_in->hasFocus());
        typed_in->selectAll();
        QTest::keyClick(typed_in, Qt::Key_Backspace);
        QTest::keyClicks(typed_in, text);
    }
    // `low` and `high` typed into the summary's limit fields as a person does: low, Tab,
    // high; then Enter.
    static void type_pair(const QString& low, const QString& high) {
        type_into("low_limit", low);
        QTest::keyClick(field("low_limit"), Qt::Key_Tab);
        QVERIFY(field("high_limit")->hasFocus());
        type_into("high_limit", high);
    }
    static void type_limits(const char* low, const char* high) {
        type_pair(low, high);
        QTest::keyClick(field("high_limit"), Qt::Key_Return);
    }
    QString verdict() const {
        return top_level("Mission_Summary")->findChild<QLabel*>("verdict")->text();
    }
    int tinted_rows() const {
        const StringGridModel& model = table().grid_model();
        int tinted = 0;
        for (int row = 0; row < model.rowCount(); ++row) {
            tinted += model.data(model.index(row, 1), Qt::BackgroundRole).isValid() ? 1 : 0;
        }
        return tinted;
    }
};

class SummaryWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void coldRoomDoorExcursionFollowsTheChartAndTheSavedPair() {
        Rig rig;
        rig.dialogs.save_names = {rig.path("coldroom")};
        rig.load_data();
        ChartView& view = rig.chart();
        // The main window carries the verdict in its colour; a click on it opens the summary.
        QLabel& line = *rig.find<QLabel>("verdict_line");
        QTRY_COMPARE(line.text(), "1 EXCURSION, 1 h 0 min OUT OF LIMITS");
        QVERIFY(line.isVisible() && line.styleSheet().contains("background-color: #ff0000"));
        QVERIFY(!line.geometry().intersects(rig.find<QLabel>("Label1")->geometry()));
        QTest::mouseClick(&line, Qt::LeftButton);
        SummaryWindow& window = *top_level<SummaryWindow>("Mission_Summary");
        QVERIFY(window.isVisible());
        // A large window: kept above the others, it would hide them.
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        window.showMinimized();
        QCOMPARE(&rig.open_summary(), &window);
        QVERIFY(!window.isMinimized());
        QCOMPARE(rig.verdict(), "1 EXCURSION, 1 h 0 min OUT OF LIMITS");
        QVERIFY(window.findChild<QLabel*>("verdict")->styleSheet().contains(
            "background-color: #ff0000"));
        QVERIFY(window.findChild<QLabel*>("limit_source")->text().contains("alarm thresholds"));
        QCOMPARE(rig.tinted_rows(), 6);
        QCOMPARE(view.limits(), (insight::Limits{2.0, 8.0, insight::LimitSource::kLogger}));

        // The saved pair gives the same summary through frostel-cli.
        std::ostringstream out, err;
        cli::CliOptions saved;
        saved.saved_mission = QFile::encodeName(rig.path("coldroom.frd")).toStdString();
        QCOMPARE(cli::run_summary(saved, out, err), cli::kExitOk);
        QCOMPARE(out.str(), report::summary_json(
                                insight::summarize(rig.window->shown_mission().summary_input()))
                                .toStdString());
        // And the same rows as its report.
        expect_rows(window, report::build_report(
                                *report::saved_pair_report_input(rig.path("coldroom.frd")), {}));

        // A click on the excursion narrows the time axis to it; the tooltip names a point.
        QTreeWidget* list = window.findChild<QTreeWidget*>("excursions");
        QCOMPARE(list->topLevelItemCount(), 1);
        QTRY_VERIFY(list->header()->length() <= list->viewport()->width());
        QVERIFY(plain_text(window, "mission_settings").contains("Low threshold 2.00 CELSIUS"));
        emit list->itemClicked(list->topLevelItem(0), 0);
        const auto* time_axis = qobject_cast<QCategoryAxis*>(view.chart()->axes(Qt::Horizontal)[0]);
        const auto& points = view.points();
        QVERIFY(time_axis->min() >= points[226].x && time_axis->max() <= points[237].x);
        // The value axis closes in on the excursion with the high limit in view; the table
        // starts at the excursion's first row.
        const auto* value_axis = qobject_cast<QValueAxis*>(view.chart()->axes(Qt::Vertical)[0]);
        QVERIFY(value_axis->min() < 8.0 && value_axis->min() > 2.0);
        QVERIFY(value_axis->max() > points[232].y && value_axis->max() < 20.0);
        const int first = list->topLevelItem(0)->data(0, Qt::UserRole).toInt();
        QCOMPARE(rig.table().rowAt(0), first);
        QCOMPARE(rig.table().selectionModel()->selectedRows(0).value(0).row(), first);
        // The pointer resting near the line names the point's time and value, in zoom mode and
        // in pan mode; away from the line, nothing.
        const QString tip = QString::fromLatin1(points[232].label) + "\n" +
                            format_temperature(points[232].y) + " CELSIUS";
        const auto rest_at = [&view](const mission::ChartPoint& p, QPoint off) {
            const QPointF at = view.chart()->mapToPosition({p.x, p.y}, view.chart()->series()[0]);
            const QPoint pointer = view.mapFromScene(view.chart()->mapToScene(at)) + off;
            QMouseEvent move(QEvent::MouseMove, pointer, view.viewport()->mapToGlobal(pointer),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(view.viewport(), &move);
        };
        rest_at(points[232], {0, 3});
        QTRY_COMPARE(QToolTip::text(), tip);
        rest_at(points[232], {0, 40});
        QTRY_VERIFY(!QToolTip::isVisible());
        view.set_pan_mode(true);
        rest_at(points[232], {1, -2});
        QTRY_COMPARE(QToolTip::text(), tip);
        view.set_pan_mode(false);
        // Fit to Data: the value axis closes in on the data and the limits, and stays fitted
        // through a unit switch.
        rig.find<QPushButton>("fit_to_data_button")->click();
        QVERIFY(view.document().left.minimum < 2.0 && view.document().left.minimum > 0.5);
        QVERIFY(view.document().left.maximum > points[232].y);

        // A unit switch: same verdict, limits in Fahrenheit.
        rig.open_unit_option(1)->click();
        QTRY_VERIFY(window.findChild<QLabel*>("limit_source")->text().contains("FARENHEIT"));
        QVERIFY(view.document().left.minimum > 33.0);
        QVERIFY(plain_text(window, "mission_settings").contains("High threshold 46.40 FARENHEIT"));
        expect_rows(window, report::build_report(
                                report::chart_report_input(
                                    rig.window->shown_mission().chart_document({}), "", "", ""),
                                {}));
        QCOMPARE(rig.verdict(), "1 EXCURSION, 1 h 0 min OUT OF LIMITS");
        // Never wider than the screen in Fahrenheit; the unit window over the summary, beside
        // its figures, its caption whole.
        const QRect screen = window.screen()->availableGeometry();
        QVERIFY(window.frameGeometry().width() <= screen.width());
        QWidget* unit = top_level("Temperature_Unit");
        QCOMPARE(unit->parentWidget(), &window);
        QVERIFY(!unit->frameGeometry().intersects(window.frameGeometry()));
        QVERIFY(screen.contains(unit->frameGeometry()));
        QFont caption = unit->font();
        caption.setBold(true);
        QVERIFY(QFontMetrics(caption).horizontalAdvance(unit->windowTitle()) + 80 < unit->width());

        // The user's limits win, follow the unit, and are kept as typed for this logger.
        rig.type_limits("", "50");
        QTRY_COMPARE(rig.verdict(), "1 EXCURSION, 0 h 40 min OUT OF LIMITS");
        QCOMPARE(line.text(), rig.verdict());
        QCOMPARE(rig.tinted_rows(), 4);
        const RememberedLimits typed =
            read_summary_preferences(rig.path(kSummaryPreferencesFileName))
                .limits.at(rig.window->shown_mission().record()->logger_id);
        QVERIFY(!typed.low && typed.high == 50.0);
        QCOMPARE(typed.unit, mission::TemperatureUnit::kFahrenheit);
        rig.open_unit_option(0)->click();
        QTRY_COMPARE(rig.field("high_limit")->text(), "10");

        // A limit above the other, or a dH out of 10 to 500 kJ/mol, is refused and the fields
        // show the ones in force.
        for (const auto& [name, entered, in_force] :
             {std::tuple{"low_limit", "20", ""}, {"delta_h", "500.5", "83.144"}}) {
            rig.type_into(name, entered);
            QTest::keyClick(rig.field(name), Qt::Key_Return);
            QCOMPARE(rig.field(name)->text(), in_force);
        }

        // A limit set beyond the fitted value axis widens it at once.
        QVERIFY(view.document().left.minimum > -30.0);
        rig.type_limits("-30", "");
        QTRY_VERIFY(view.document().left.minimum < -30.0);

        // "Fit to Data" stays on for the next download and the next run, until switched off.
        rig.load_data();
        QTRY_VERIFY(view.document().left.maximum < 20.0);
        rig.start();
        auto* fit = rig.find<QPushButton>("fit_to_data_button");
        QVERIFY(fit->isChecked());
        fit->click();
        QCOMPARE(rig.chart().document().left.maximum,
                 mission::axis_range(mission::TemperatureUnit::kCelsius).maximum);
    }

    // A logger clock three minutes off its quarter hour: the main window warns at the
    // download, and the summary states the clock and its drift beside the warning. The report
    // is of the download, judged as the summary judges it; the same pair with a chart document
    // from before limits were kept has none.
    void theLoggersClockTheReportAndAChartDocumentWithoutLimits() {
        Rig rig;
        rig.dialogs.save_names = {rig.path("coldroom"), rig.path("report")};
        rig.clock.set_utc_offset(3600);
        const platform::LocalDateTime ahead =
            platform::from_civil_seconds(platform::to_civil_seconds(rig.clock.local_now()) + 180);
        const int fields[] = {ahead.second, ahead.minute, ahead.hour,
                              ahead.day,    ahead.month,  ahead.year % 100};
        for (std::size_t i = 0; i < std::size(fields); ++i) {
            rig.logger.memory()[sim::kClockRegisters + i] = sim::to_bcd(fields[i]);
        }
        rig.logger.run_clock(rig.clock);
        rig.load_data();
        const auto* warning = qobject_cast<const QMessageBox*>(top_level("clock_warning"));
        QVERIFY(warning != nullptr && warning->isVisible());
        QCOMPARE(warning->text(), "LOGGER CLOCK 3 MIN OFF !");
        rig.find<QToolButton>("mission_report_button")->click();
        const SummaryWindow& summary = rig.open_summary();
        QVERIFY(plain_text(summary, "flags").startsWith("LOGGER CLOCK 3 MIN OFF !"));
        QVERIFY(plain_text(summary, "mission_settings")
                    .endsWith("Clock Logger clock UTC+01:00 (measured at the download) "
                              "Clock drift Logger clock 3 min 0 s ahead at the download"));
        QVERIFY(test::pdf_text(rig.path("report.pdf")).contains(rig.verdict()));

        QJsonObject old =
            QJsonDocument::fromJson(test::file_bytes(rig.path("coldroom.tee"))).object();
        QVERIFY(old.contains("mission"));
        old.remove("mission");
        old.remove("summary");
        old["version"] = 1;
        rig.put_file("coldroom.tee", QJsonDocument(old).toJson());
        rig.dialogs.open_names = {rig.path("coldroom.frd")};
        rig.find<QPushButton>("Command2")->click();
        QTRY_COMPARE(rig.verdict(), "NO LIMITS");
        QCOMPARE(rig.find<QLabel>("verdict_line")->text(), "NO LIMITS");
        QVERIFY(rig.find<QLabel>("verdict_line")->styleSheet().contains("#505050"));
        QCOMPARE(rig.chart().limits(), insight::Limits{});
        QCOMPARE(rig.tinted_rows(), 0);
    }

    // Limits and values converted together stay on their numbers through any chain of units;
    // limits typed for one logger come back for its next download, not for another logger's.
    void limitsOnTheirNumbersThroughUnitsAndForTheirOwnLogger() {
        Rig rig;
        sim::SimMission on_the_limits;
        on_the_limits.sixteen_bit = true;
        on_the_limits.start = {2026, 3, 9, 10, 0, 0};
        on_the_limits.temperatures = {2.0, 5.0, 8.0, 6.0};
        on_the_limits.running = false;
        sim::load_mission(rig.logger, on_the_limits);
        rig.load_data();
        SummaryWindow& window = rig.open_summary();
        QCOMPARE(rig.verdict(), "NO LIMITS");
        QVERIFY(!window.findChild<QLabel*>("verdict")->styleSheet().contains("#00008b"));

        rig.type_limits("2", "8");
        QTRY_COMPARE(rig.verdict(), "WITHIN LIMITS");
        for (const int unit : {1, 0, 3, 2, 1}) {  // F, C, Reaumur, K, F
            rig.open_unit_option(unit)->click();
            QTRY_COMPARE(rig.verdict(), "WITHIN LIMITS");
            QCOMPARE(rig.tinted_rows(), 0);
        }
        rig.type_limits("35.6", "46.4");
        QTRY_COMPARE(rig.verdict(), "WITHIN LIMITS");

        // The next download of this logger, in Celsius, by the limits typed in Fahrenheit.
        rig.open_unit_option(0)->click();
        rig.load_data();
        const QString set_on = read_summary_preferences(rig.path(kSummaryPreferencesFileName))
                                   .limits.begin()
                                   ->second.set_on;
        QTRY_VERIFY(window.findChild<QLabel*>("limit_source")
                        ->text()
                        .endsWith("last set for this logger on " + set_on + ")"));
        QCOMPARE(rig.verdict(), "WITHIN LIMITS");
        QCOMPARE(rig.field("high_limit")->text(), "8");

        // Another logger is judged by its own thresholds.
        rig.logger.set_serial(0x0000ABCDEF99);
        on_the_limits.high_alarm = 5.5;
        sim::load_mission(rig.logger, on_the_limits);
        rig.load_data();
        QTRY_VERIFY(window.findChild<QLabel*>("limit_source")->text().contains("alarm thresholds"));
        QCOMPARE(rig.verdict(), "1 EXCURSION, 0 h 20 min OUT OF LIMITS");

        // The archive's list judges each record as the summary does: the first logger's by the
        // limits typed for it (its own thresholds judge nothing), a failure yellow on red, a
        // pass blue.
        archive::MissionArchive kept(archive::archive_path(rig.folder.path()));
        ArchiveListModel list([&kept]() -> archive::MissionArchive& { return kept; });
        list.show({});
        QCOMPARE(list.rowCount(), 2);
        for (const auto& [row, judged, text, background] :
             {std::tuple{0, "1 EXCURSION, 0 h 20 min OUT OF LIMITS", report::alarm_text(),
                         QVariant(report::alarm_background())},
              {1, "WITHIN LIMITS", QColor(0, 0, 0x8b), QVariant()}}) {
            const QModelIndex verdict = list.index(row, ArchiveListModel::kVerdict);
            QCOMPARE(verdict.data().toString(), judged);
            QCOMPARE(verdict.data(Qt::ForegroundRole).value<QColor>(), text);
            QCOMPARE(verdict.data(Qt::BackgroundRole), background);
        }
        // Limits typed for a download are those of the record that keeps it, set once: the
        // same limits typed again in Fahrenheit set nothing.
        QCOMPARE(kept.record_limits(1)->limits,
                 (insight::Limits{2.0, 8.0, insight::LimitSource::kUser}));
        QCOMPARE(limits_events(kept),
                 QStringList{"low=none high=none dH=83.144 > "
                             "low=2 high=8 dH=83.144 () by " +
                             QString::fromStdString(archive::os_actor().user_id)});
    }

    // With accounts on, limits changed for an archived mission need a reason: Cancel changes
    // nothing, and a reason of blanks is none. A reviewer and then an approver sign the record
    // in the two windows, each after their password; a refusal says why, and limits changed
    // after approval undo both signatures.
    void limitsChangedForAReasonAndSigningAnArchivedRecord() {
        std::optional<archive::Person> at_window;
        Rig rig([&at_window] { return at_window; });
        rig.load_data();
        archive::MissionArchive kept(archive::archive_path(rig.folder.path()));
        const std::int64_t id = kept.find({}).value().front().id;
        const std::string password = "correct horse battery";
        archive::AccountBook book(kept);
        QVERIFY(book.turn_on("ada", "Ada Admin", password).done());
        const archive::Person ada = *book.sign_in("ada", password).person;
        for (const auto& [who, role] : {std::pair{"rolf", archive::Role::kReviewer},
                                        std::pair{"anna", archive::Role::kApprover}}) {
            const archive::AccountAnswer added = book.add(ada, who, who, role);
            QVERIFY(book.change_password(who, added.one_time_password, password).done());
        }
        ArchiveWindow& list = rig.window->archive_actions().archive_window();
        list.show();
        QVERIFY(list.sign_button().isHidden());  // nobody signed in: accounts off at the window

        at_window = ada;
        rig.open_summary();
        QLineEdit* high = rig.field("high_limit");
        bool blank_refused = false;
        // "8" typed as the high limit, and the dialog answered with `reason` (none: Cancel).
        const auto type_high_limit = [&](const char* reason) {
            rig.type_pair("", "8");
            QTimer::singleShot(0, [&blank_refused, reason] {
                QWidget* dialog = QApplication::activeModalWidget();
                QVERIFY(dialog != nullptr && dialog->objectName() == "reason_dialog");
                auto* buttons = dialog->findChild<QDialogButtonBox*>();
                auto* field = dialog->findChild<QLineEdit*>("reason");
                field->setText("   ");
                blank_refused = !buttons->button(QDialogButtonBox::Ok)->isEnabled();
                field->setText(reason);
                buttons->button(reason[0] == 0 ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok)
                    ->click();
            });
            QTest::keyClick(high, Qt::Key_Return);
        };
        type_high_limit("");
        QVERIFY(blank_refused);
        QCOMPARE(high->text(), "");
        QCOMPARE(rig.chart().limits().source, insight::LimitSource::kLogger);
        QVERIFY(read_summary_preferences(rig.path(kSummaryPreferencesFileName)).limits.empty());
        QVERIFY(limits_events(kept).isEmpty());
        type_high_limit("door propped open");
        QTRY_COMPARE(high->text(), "8");
        QCOMPARE(limits_events(kept),
                 QStringList{"low=none high=none dH=83.144 > low=none high=8 dH=83.144 "
                             "(door propped open) by ada"});
        const auto sign = [&](QPushButton& button, const QStringList& passwords, int meaning) {
            QString said;
            QTimer::singleShot(0, [&] {
                auto* dialog = top_level<SignDialog>("sign_dialog");
                dialog->findChild<QComboBox*>("meaning")->setCurrentIndex(meaning);
                for (const QString& typed : passwords) {
                    dialog->findChild<QLineEdit*>("password")->setText(typed);
                    dialog->accept();
                }
                said = dialog->findChild<QLabel*>("message")->text();
                if (dialog->isVisible()) {
                    dialog->reject();
                }
            });
            button.click();
            return said;
        };
        const auto events = [&](const std::string& action, const std::string& object) {
            return test::audit_lines(
                       kept,
                       [](const archive::AuditRow& row) {
                           return QString::fromStdString(row.action + ' ' + row.object);
                       })
                .count(QString::fromStdString(action + ' ' + object));
        };
        const std::string record = "record:" + std::to_string(id);

        at_window = *book.sign_in("rolf", password).person;
        list.refresh();
        QCOMPARE(sign(list.sign_button(), {"wrong password", QString::fromStdString(password)}, 0),
                 "signing refused: wrong password");
        QCOMPARE(events("signed", record), 1);
        const auto signed_column = [&list] {
            list.refresh();
            return list.model().index(0, ArchiveListModel::kSigned).data().toString();
        };
        QCOMPARE(signed_column(), "reviewed");
        QCOMPARE(sign(list.sign_button(), {QString::fromStdString(password)}, 0),
                 "signing refused: rolf has signed this record as reviewed already");
        QCOMPARE(events("signing-refused", record), 2);  // the wrong password too

        at_window = *book.sign_in("anna", password).person;
        rig.window->download_actions().open_archived(id);
        SignaturesBox& box = rig.open_summary().signatures();
        QVERIFY(box.isVisible());
        sign(box.sign_button(), {QString::fromStdString(password)}, 1);
        QCOMPARE(events("signed", record), 2);
        const auto lines = [&box] {
            return box.findChild<QPlainTextEdit*>("signature_lines")->toPlainText();
        };
        QVERIFY(lines().startsWith("Reviewed by rolf (rolf), "));
        QVERIFY(lines().contains("\nApproved by anna (anna), "));
        QCOMPARE(signed_column(), "approved");
        rig.dialogs.save_names = {rig.path("signed.pdf")};
        rig.window->download_actions().save_archived(id);
        QVERIFY(test::pdf_text(rig.path("signed.pdf")).contains("Approved by anna (anna), "));

        QCOMPARE(kept.set_limits(id, {{2.0, 8.0, insight::LimitSource::kUser}}, "new SOP", true),
                 archive::MissionArchive::LimitsChange::kSet);
        rig.open_summary();
        QCOMPARE(lines().count("NOT VALID FOR THE CURRENT LIMITS"), 2);
        const auto* changed = box.findChild<QLabel*>("changed_after_signing");
        QVERIFY(changed->isVisible() && changed->text() == "CHANGED AFTER SIGNING");
        QVERIFY(changed->styleSheet().contains(report::alarm_background().name()));
        QCOMPARE(signed_column(), changed->text());
        QVERIFY(colours_of(*changed, list.model().index(0, ArchiveListModel::kSigned)));

        // Its bundle for an inspector, into a new folder only.
        const QString bundle = rig.path("bundle");
        rig.dialogs.folder_names = {bundle, bundle};
        list.bundle_button().click();
        QCOMPARE(QDir(bundle).entryList(QDir::Files).size(), 7);
        const std::string written = "file:" + bundle.toStdString();
        QCOMPARE(events("file-written", written), 1);
        list.bundle_button().click();
        QVERIFY(top_level<QMessageBox>("bundle_refused")
                    ->text()
                    .contains("a bundle needs a new or empty folder"));
        QCOMPARE(events("file-written", written), 1);
    }

    // An operator may not change an archived record's limits or dH from the summary: no reason
    // is asked, the fields show those in force again, and the refusal is said and entered
    // against the record. A reviewer may.
    void anOperatorIsRefusedTheLimitsOfAnArchivedRecord() {
        std::optional<archive::Person> at_window;
        Rig rig([&at_window] { return at_window; });
        rig.load_data();
        archive::MissionArchive kept(archive::archive_path(rig.folder.path()));
        const std::int64_t id = rig.window->shown_mission().origin().archive_id;
        QVERIFY(id > 0);
        int asked = 0;
        QTimer answering;  // gives each reason dialog the reason "colder"
        connect(&answering, &QTimer::timeout, [&asked] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog != nullptr && dialog->objectName() == "reason_dialog") {
                ++asked;
                dialog->findChild<QLineEdit*>("reason")->setText("colder");
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            }
        });
        answering.start(10);

        at_window = archive::Person{"otto", "Otto Operator", archive::Role::kOperator};
        rig.open_summary();
        rig.type_limits("", "8");
        QCOMPARE(rig.field("high_limit")->text(), "");
        rig.type_into("delta_h", "100");
        QTest::keyClick(rig.field("delta_h"), Qt::Key_Return);
        QCOMPARE(rig.field("delta_h")->text(), "83.144");
        QCOMPARE(asked, 0);
        QCOMPARE(rig.chart().limits().source, insight::LimitSource::kLogger);
        QVERIFY(limits_events(kept).isEmpty());
        const auto* said = top_level<QMessageBox>("archive_warning");
        QVERIFY(said != nullptr);
        QCOMPARE(said->text(), "The role operator may not set a record's limits.");
        const QString refusal = QStringLiteral("otto record:%1 set a record's limits").arg(id);
        QCOMPARE(test::audit_lines(kept,
                                   [](const archive::AuditRow& row) {
                                       return row.action == "access-refused"
                                                  ? QString::fromStdString(row.user_id + ' ' +
                                                                           row.object + ' ' +
                                                                           row.new_value)
                                                  : QString();
                                   }),
                 (QStringList{refusal, refusal}));

        at_window = archive::Person{"rolf", "Rolf Rahm", archive::Role::kReviewer};
        rig.type_limits("", "8");
        QTRY_COMPARE(rig.field("high_limit")->text(), "8");
        QCOMPARE(asked, 1);
        QCOMPARE(limits_events(kept),
                 QStringList{"low=none high=none dH=83.144 > low=none high=8 dH=83.144 "
                             "(colder) by rolf"});
    }

    // With accounts on, limits typed for an archived record while the shared archive cannot
    // be reached are refused and said before any reason is asked, and the shown ones stay.
    void limitsOfARecordWaitForTheSharedArchiveOutOfReach() {
        Rig rig([] {
            return std::optional(archive::Person{"pat", "Pat Lee", archive::Role::kOperator});
        });
        rig.load_data();
        QCOMPARE(rig.window->shown_mission().origin().archive_id, 1);
        QVERIFY(platform::write_archive_setting(
            rig.folder.path(),
            QStringLiteral("postgresql://archive_test_pc@/none?host=/tmp/frostel-none-%1")
                .arg(QCoreApplication::applicationPid())));
        rig.open_summary();
        bool reason_asked = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&reason_asked] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog != nullptr && dialog->objectName() == "reason_dialog") {
                reason_asked = true;
                dialog->close();
            }
        });
        closer.start(0);
        rig.type_limits("", "8");
        QVERIFY(!reason_asked);
        QCOMPARE(Rig::field("high_limit")->text(), QString());
        const auto* warning = top_level<QMessageBox>("archive_warning");
        QVERIFY(warning != nullptr);
        QVERIFY2(warning->text().startsWith("Changing the limits of record 1 is refused until the "
                                            "shared archive can be reached: cannot reach the "
                                            "shared archive "),
                 qPrintable(warning->text()));
    }

    // The archive's list judges a record by the limits in force, as the summary does and in
    // its colours, once the user is back from setting them.
    void theArchiveListSaysWhatTheSummarySays() {
        Rig rig;
        rig.load_data();
        ArchiveWindow& archive = rig.window->archive_actions().archive_window();
        archive.show();
        const SummaryWindow& summary = rig.open_summary();
        const QLabel& verdict = *summary.findChild<QLabel*>("verdict");
        for (const auto& [low, high, judged] :
             {std::tuple{"", "10", "1 EXCURSION, 0 h 40 min OUT OF LIMITS"},
              {"-10", "40", "WITHIN LIMITS"},
              {"", "", "1 EXCURSION, 1 h 0 min OUT OF LIMITS"}}) {
            rig.type_limits(low, high);
            QTRY_COMPARE(rig.verdict(), judged);
            archive.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&archive));
            const QModelIndex row = archive.model().index(0, ArchiveListModel::kVerdict);
            QCOMPARE(row.data().toString(), judged);
            QVERIFY2(colours_of(verdict, row), judged);
        }
    }

    // The two limits are one change, entered when the user confirms them or leaves the pair,
    // whichever way: one event with both values and one reason asked. Limits typed and put
    // back as they were are no change.
    void limitsTypedAsAPairAreOneChange_data() {
        QTest::addColumn<int>("leaving");
        QTest::addColumn<QString>("event");  // the limits it sets; empty: none
        QTest::newRow("Tab on to dH") << int(kTabOnward) << "low=2 high=9";
        QTest::newRow("Enter") << int(kEnter) << "low=2 high=9";
        QTest::newRow("Shift+Tab back to low, then a click on dH")
            << int(kBackThenClickAway) << "low=2 high=9";
        QTest::newRow("the window closed") << int(kWindowClosed) << "low=2 high=9";
        QTest::newRow("typed and put back, then Tab on") << int(kPutBack) << "";
    }
    void limitsTypedAsAPairAreOneChange() {
        QFETCH(int, leaving);
        QFETCH(QString, event);
        std::optional<archive::Person> at_window;
        Rig rig([&at_window] { return at_window; });
        rig.load_data();
        archive::MissionArchive kept(archive::archive_path(rig.folder.path()));
        const std::string password = "correct horse battery";
        archive::AccountBook book(kept);
        QVERIFY(book.turn_on("ada", "Ada Admin", password).done());
        at_window = *book.sign_in("ada", password).person;
        rig.open_summary();
        int asked = 0;
        QTimer answering;  // answers each reason dialog as it opens
        connect(&answering, &QTimer::timeout, [&asked] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog != nullptr && dialog->objectName() == "reason_dialog") {
                ++asked;
                dialog->findChild<QLineEdit*>("reason")->setText("new SOP");
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            }
        });
        answering.start(0);

        rig.type_pair("2", "9");
        QLineEdit* high = rig.field("high_limit");
        switch (leaving) {
            case kTabOnward:
                QTest::keyClick(high, Qt::Key_Tab);
                QCOMPARE(top_level("Mission_Summary")->focusWidget(), rig.field("delta_h"));
                break;
            case kEnter:
                QTest::keyClick(high, Qt::Key_Return);
                break;
            case kBackThenClickAway:
                QTest::keyClick(high, Qt::Key_Tab, Qt::ShiftModifier);
                QVERIFY(rig.field("low_limit")->hasFocus());
                QTest::mouseClick(rig.field("delta_h"), Qt::LeftButton);
                break;
            case kWindowClosed:
                top_level("Mission_Summary")->close();
                break;
            case kPutBack:
                rig.type_pair("", "");
                QTest::keyClick(high, Qt::Key_Tab);
                break;
        }
        const QStringList events = limits_events(kept);
        QCOMPARE(events.size(), event.isEmpty() ? 0 : 1);
        QCOMPARE(asked, events.size());
        if (!events.isEmpty()) {
            QCOMPARE(events.front(),
                     "low=none high=none dH=83.144 > " + event + " dH=83.144 (new SOP) by ada");
        }
    }

    // Stored limits and dH are checked as typed ones are, and typed numbers take no group
    // separators.
    void storedInputsAndTypedNumbersCheckedAlike() {
        const QTemporaryDir folder;
        const QString ini = folder.filePath(kSummaryPreferencesFileName);
        QSettings stored(ini, QSettings::IniFormat);
        for (const auto& [id, low, high, unit] :
             {std::tuple{"A1", "8", "2", "CELSIUS"}, std::tuple{"A2", "x", "8", "CELSIUS"},
              std::tuple{"A3", "2", "8", "CENTIGRADE"}, std::tuple{"A4", "2", "8", "KELVIN"}}) {
            stored.setValue(QStringLiteral("limits_by_logger/%1/low").arg(id), low);
            stored.setValue(QStringLiteral("limits_by_logger/%1/high").arg(id), high);
            stored.setValue(QStringLiteral("limits_by_logger/%1/unit").arg(id), unit);
            stored.setValue(QStringLiteral("limits_by_logger/%1/set_on").arg(id), "2026-12-01");
        }
        stored.setValue("mean_kinetic_temperature/delta_h_kj_per_mol", 9.5);
        stored.sync();
        const SummaryPreferences read = read_summary_preferences(ini);
        QCOMPARE(read.limits.size(), std::size_t{1});
        QCOMPARE(read.limits.at("A4").unit, mission::TemperatureUnit::kKelvin);
        QVERIFY(!read.delta_h_kj_per_mol);

        datafile::ChartDocument document;
        document.low_limit = 8;
        document.high_limit = 2;
        document.delta_h_kj_per_mol = 600;
        const insight::SummaryInput input = report::summary_input(document);
        QVERIFY(!input.user_limits.any() && !input.remembered_limits.any());
        QCOMPARE(input.delta_h_kj_per_mol, insight::kDefaultDeltaH);

        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(typed_number("2.500"), 2.5);  // a point is a decimal point, never a group
        QCOMPARE(typed_number("2,5"), 2.5);
        insight::Summary shown;
        shown.limits = {1500.25, std::nullopt, insight::LimitSource::kUser};
        SummaryWindow window;
        window.show_summary(shown, std::nullopt);
        QCOMPARE(window.findChild<QLineEdit*>("low_limit")->text(), "1500,25");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        bool valid = true;
        QVERIFY(!typed_number("2,500", &valid) && !valid);
    }

  private:
    // How the user leaves the limits typed.
    enum Leaving { kTabOnward, kEnter, kBackThenClickAway, kWindowClosed, kPutBack };
    // Whether `cell` of the archive's list has the colours `label` shows its text in.
    static bool colours_of(const QLabel& label, const QModelIndex& cell) {
        const auto colour = [&cell](int role) { return cell.data(role).value<QColor>(); };
        const QString background = cell.data(Qt::BackgroundRole).isValid()
                                       ? "background-color: " + colour(Qt::BackgroundRole).name()
                                       : QString();
        return label.styleSheet().contains("color: " + colour(Qt::ForegroundRole).name()) &&
               label.styleSheet().contains("background-color") == !background.isEmpty() &&
               label.styleSheet().contains(background);
    }
    // Each limits-set event: old > new (reason) by whom.
    static QStringList limits_events(archive::MissionArchive& archive) {
        return test::audit_lines(archive, [](const archive::AuditRow& row) {
            return row.action == "limits-set"
                       ? QString::fromStdString(row.old_value + " > " + row.new_value + " (" +
                                                row.reason + ") by " + row.user_id)
                       : QString();
        });
    }
    static QString plain_text(const SummaryWindow& window, const char* label) {
        QTextDocument rows;
        rows.setHtml(window.findChild<QLabel*>(label)->text());
        return rows.toPlainText().simplified();
    }
    static void expect_rows(const SummaryWindow& window, const report::SummaryRows& rows) {
        const auto plain = [](const std::vector<report::Field>& fields) {
            QStringList texts;
            for (const report::Field& field : fields) {
                texts << field.label << field.value;
            }
            return texts.join(' ').simplified();
        };
        QCOMPARE(plain_text(window, "statistics"), plain(rows.statistics));
        QCOMPARE(plain_text(window, "mission_settings"), plain(rows.settings));
        QCOMPARE(window.findChild<QLabel*>("limit_source")->text(), rows.limits);
        QCOMPARE(plain_text(window, "flags"), rows.warnings.join(' '));
        const QTreeWidget& list = *window.findChild<QTreeWidget*>("excursions");
        QCOMPARE(std::size_t(list.topLevelItemCount()), rows.excursions.rows.size());
        for (int column = 0; column < list.columnCount(); ++column) {
            QCOMPARE(list.headerItem()->text(column), rows.excursions.headings[column]);
            QCOMPARE(list.topLevelItem(0)->text(column), rows.excursions.rows[0][column]);
        }
    }
};

}  // namespace
}  // namespace frostel::app

QTEST_MAIN(frostel::app::SummaryWindowTest)
#include "summary_window_test.moc"
