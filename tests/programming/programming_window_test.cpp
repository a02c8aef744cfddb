#include <QButtonGroup>
#include <QCalendarWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "programming/programming_ds1922t.h"
#include "support/sim_rig.h"

namespace frostel::programming {
namespace {

constexpr std::size_t kConfigurationAddress = 0x0226;

// A window on the simulated reader with a running "L" logger in it.
struct WindowRig {
    test::SimRig rig;
    int port = 1;
    std::vector<bool> busy_calls;
    std::vector<bool> button_enabled_while_busy;
    std::function<void()> while_busy;
    QPointer<Programming_DS1922T> window;

    WindowRig() {
        rig.logger.memory()[kConfigurationAddress] = 0x40;
        rig.logger.memory()[sim::kStatusAddress] = sim::kMissionRunning;
        window = new Programming_DS1922T(
            rig.commands, rig.clock, [this] { return port; },
            [this](bool busy) {
                busy_calls.push_back(busy);
                button_enabled_while_busy.push_back(get<QPushButton>("Command1")->isEnabled());
                if (busy && while_busy) {
                    while_busy();
                }
            });
    }
    ~WindowRig() { delete window.data(); }

    template <typename Control>
    Control* get(const char* name) const {
        auto* control = window->findChild<Control*>(QLatin1String(name));
        if (control == nullptr) {
            qFatal("no control %s", name);
        }
        return control;
    }
    QRadioButton* option(const char* name) const { return get<QRadioButton>(name); }
    QString text(const char* label) const { return get<QLabel>(label)->text(); }
    void set_slider(int value) const { get<QScrollBar>("HScroll1")->setValue(value); }
    void program() const { get<QPushButton>("Command1")->click(); }
    [[nodiscard]] bool logger_running() const {
        return (rig.logger.status() & sim::kMissionRunning) != 0;
    }
};

QRect twips(int left, int top, int width, int height) {
    const auto px = [](int t) { return (t + 7) / 15; };
    return {px(left), px(top), px(width), px(height)};
}

}  // namespace

class ProgrammingWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void defaults() {
        WindowRig w;
        QCOMPARE(w.window->windowTitle(), QStringLiteral("Programming"));
        QCOMPARE(w.window->size(), QSize(441, 497));
        QCOMPARE(w.text("Label1"), QStringLiteral("10 seconds"));
        QCOMPARE(w.text("Label4"), QStringLiteral("0 Days - 22 Hours - 45 Minutes"));
        QCOMPARE(w.text("Label6"), QStringLiteral("0"));
        for (const char* selected : {"Option1(0)", "Option2(1)", "Option3(0)", "Option4(0)"}) {
            QVERIFY2(w.option(selected)->isChecked(), selected);
        }
        for (const char* disabled : {"Option2(0)", "Option3(1)", "Option4(1)", "Frame6", "Text1(0)",
                                     "Text1(1)", "Frame7", "MonthView1", "MaskEdBox1"}) {
            QVERIFY2(!w.get<QWidget>(disabled)->isEnabled(), disabled);
        }
        QCOMPARE(w.get<QLineEdit>("Text1(0)")->text(), QStringLiteral("0"));
        QCOMPARE(w.get<QLineEdit>("Text1(1)")->text(), QStringLiteral("85"));
        QCOMPARE(w.get<QLineEdit>("MaskEdBox1")->displayText(), QStringLiteral("__:__"));
        const auto* interval = w.get<QScrollBar>("HScroll1");
        QCOMPARE(interval->minimum(), 10);
        QCOMPARE(interval->maximum(), 59);
        QCOMPARE(interval->value(), 10);
        const auto* calibration = w.get<QScrollBar>("HScroll2");
        QCOMPARE(calibration->minimum(), -127);
        QCOMPARE(calibration->maximum(), 127);
        QVERIFY(!w.get<QWidget>("Frame10")->isVisibleTo(w.window));
    }

    void layout_in_twips() {
        WindowRig w;
        const std::pair<const char*, QRect> places[] = {
            {"Frame11", twips(120, 120, 1215, 1695)},
            {"Label6", twips(120, 600, 975, 255)},
            {"HScroll2", twips(120, 840, 975, 255)},
            {"Frame9", twips(1440, 120, 5055, 1695)},
            {"RichTextBox1", twips(120, 240, 3735, 1335)},
            {"Command2", twips(3960, 240, 975, 1335)},
            {"Frame1", twips(120, 1920, 3255, 1695)},
            {"Frame5", twips(240, 360, 2775, 615)},
            {"Option1(0)", twips(120, 240, 1335, 255)},
            {"Option1(1)", twips(1440, 240, 1215, 255)},
            {"Label1", twips(240, 1080, 2775, 255)},
            {"HScroll1", twips(240, 1320, 2775, 255)},
            {"Frame3", twips(120, 3720, 3255, 855)},
            {"Option3(0)", twips(360, 480, 1215, 255)},
            {"Option3(1)", twips(2040, 480, 1095, 255)},
            {"Frame2", twips(120, 4680, 3255, 855)},
            {"Option2(0)", twips(360, 480, 1215, 255)},
            {"Option2(1)", twips(2160, 480, 855, 255)},
            {"Frame8", twips(120, 5640, 3255, 855)},
            {"Label4", twips(120, 480, 3015, 255)},
            {"ProgressBar1", twips(120, 6600, 3255, 255)},
            {"Frame10", twips(120, 6600, 3255, 255)},
            {"Label5", twips(0, 0, 3255, 255)},
            {"Command1", twips(120, 6855, 3255, 495)},
            {"Frame4", twips(3480, 1920, 3015, 5415)},
            {"Option4(0)", twips(240, 360, 1695, 255)},
            {"Option4(1)", twips(240, 720, 1695, 255)},
            {"Frame6", twips(240, 960, 2610, 855)},
            {"Label2(0)", twips(120, 360, 495, 255)},
            {"Text1(0)", twips(720, 360, 495, 285)},
            {"Label2(1)", twips(1320, 360, 495, 255)},
            {"Text1(1)", twips(1920, 360, 495, 285)},
            {"Option4(2)", twips(240, 1920, 1815, 255)},
            {"Frame7", twips(120, 2160, 2780, 3135)},
            {"Label3", twips(120, 2820, 615, 255)},
            {"MaskEdBox1", twips(840, 2820, 735, 255)},
        };
        for (const auto& [name, geometry] : places) {
            QVERIFY2(w.get<QWidget>(name)->geometry() == geometry, name);
        }
        QCOMPARE(w.get<QWidget>("MonthView1")->pos(), QPoint(0, 0));
        QCOMPARE(w.option("Option4(2)")->text(), QStringLiteral("Date && Time"));
        QCOMPARE(w.get<QGroupBox>("Frame4")->title(), QStringLiteral("Logging Start"));
    }

    void maximum_logging_time_follows_slider_unit_and_resolution() {
        WindowRig w;
        w.set_slider(59);
        QCOMPARE(w.text("Label4"), QStringLiteral(" 5 Days - 14 Hours - 15 Minutes"));
        w.option("Option1(1)")->click();
        w.set_slider(1);
        QCOMPARE(w.text("Label1"), QStringLiteral("1 minutes"));
        w.option("Option2(0)")->click();
        QCOMPARE(w.text("Label4"), QStringLiteral(" 2 Days - 20 Hours - 16 Minutes"));
    }

    void seconds_undo_every_choice_that_needs_minutes() {
        WindowRig w;
        w.option("Option1(1)")->click();
        w.set_slider(200);
        w.option("Option2(0)")->click();
        w.option("Option3(1)")->click();
        w.option("Option4(2)")->click();
        QVERIFY(w.get<QWidget>("MonthView1")->isEnabled());
        w.option("Option1(0)")->click();
        for (const char* selected : {"Option2(1)", "Option3(0)", "Option4(0)"}) {
            QVERIFY2(w.option(selected)->isChecked(), selected);
        }
        for (const char* disabled :
             {"Option2(0)", "Option3(1)", "Option4(1)", "Frame7", "MonthView1", "MaskEdBox1"}) {
            QVERIFY2(!w.get<QWidget>(disabled)->isEnabled(), disabled);
        }
        QCOMPARE(w.get<QScrollBar>("HScroll1")->value(), 59);
        QCOMPARE(w.text("Label1"), QStringLiteral("59 seconds"));
        QCOMPARE(w.text("Label4"), QStringLiteral(" 5 Days - 14 Hours - 15 Minutes"));

        w.option("Option1(1)")->click();
        w.set_slider(5);
        w.option("Option1(0)")->click();
        QCOMPARE(w.get<QScrollBar>("HScroll1")->value(), 10);
    }

    void minutes_enable_without_selecting() {
        WindowRig w;
        w.set_slider(30);
        w.option("Option1(1)")->click();
        QCOMPARE(w.get<QScrollBar>("HScroll1")->value(), 30);
        QCOMPARE(w.get<QScrollBar>("HScroll1")->minimum(), 1);
        QCOMPARE(w.get<QScrollBar>("HScroll1")->maximum(), 240);
        QCOMPARE(w.text("Label1"), QStringLiteral("30 minutes"));
        for (const char* enabled : {"Option2(0)", "Option3(1)", "Option4(1)"}) {
            QVERIFY2(w.option(enabled)->isEnabled(), enabled);
        }
        QVERIFY(w.option("Option3(0)")->isChecked());
        QVERIFY(w.option("Option2(1)")->isChecked());
        QVERIFY(w.option("Option4(0)")->isChecked());
    }

    void start_mode_enables_its_own_group_and_keeps_contents() {
        WindowRig w;
        w.option("Option1(1)")->click();
        w.option("Option4(1)")->click();
        QVERIFY(w.get<QWidget>("Frame6")->isEnabled());
        QVERIFY(w.get<QWidget>("Text1(1)")->isEnabled());
        QVERIFY(w.get<QWidget>("Label2(0)")->isEnabled());
        QVERIFY(!w.get<QWidget>("Frame7")->isEnabled());
        w.get<QLineEdit>("Text1(1)")->setText(QStringLiteral("30"));
        w.option("Option4(2)")->click();
        QVERIFY(!w.get<QWidget>("Text1(1)")->isEnabled());
        QVERIFY(w.get<QWidget>("MaskEdBox1")->isEnabled());
        QVERIFY(w.get<QWidget>("Label3")->isEnabled());
        w.option("Option4(0)")->click();
        QVERIFY(!w.get<QWidget>("Frame6")->isEnabled());
        QVERIFY(!w.get<QWidget>("Frame7")->isEnabled());
        QCOMPARE(w.get<QLineEdit>("Text1(1)")->text(), QStringLiteral("30"));
        QCOMPARE(w.window->settings().high_threshold, "30");
    }

    void calibration_in_degrees_stopping_at_127() {
        WindowRig w;
        auto* slider = w.get<QScrollBar>("HScroll2");
        slider->setValue(-127);
        QCOMPARE(w.text("Label6"), QStringLiteral("-12.7"));
        slider->setValue(5);
        QCOMPARE(w.text("Label6"), QStringLiteral("0.5"));
        slider->setValue(128);
        QCOMPARE(slider->value(), 127);
        QCOMPARE(w.text("Label6"), QStringLiteral("12.7"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        slider->setValue(-15);
        QCOMPARE(w.text("Label6"), QStringLiteral("-1,5"));
    }

    void delete_text_empties_only_the_text() {
        WindowRig w;
        auto* text = w.get<QPlainTextEdit>("RichTextBox1");
        text->setPlainText(QStringLiteral("Freezer 2"));
        auto* calendar = w.get<QCalendarWidget>("MonthView1");
        calendar->setSelectedDate(QDate(2027, 5, 1));
        w.get<QPushButton>("Command2")->click();
        QVERIFY(text->toPlainText().isEmpty());
        QCOMPARE(w.window->focusWidget(), text);
        QCOMPARE(calendar->selectedDate(), QDate(2027, 5, 1));
    }

    void enter_in_the_mission_text_is_cr_lf() {
        WindowRig w;
        auto* text = w.get<QPlainTextEdit>("RichTextBox1");
        QTest::keyClicks(text, QStringLiteral("ab"));
        QTest::keyClick(text, Qt::Key_Return);
        QTest::keyClicks(text, QStringLiteral("c"));
        text->insertPlainText(QStringLiteral("\u00e9"));
        QCOMPARE(w.window->settings().mission_text, std::string("ab\r\nc\xC3\xA9"));
    }

    void opening_resets_text_and_calendar_and_keeps_a_preset_calibration() {
        WindowRig w;
        w.window->preset_calibration(-25);
        w.get<QPlainTextEdit>("RichTextBox1")->setPlainText(QStringLiteral("old mission"));
        w.get<QCalendarWidget>("MonthView1")->setSelectedDate(QDate(2020, 2, 2));
        w.window->open_for_new_mission();
        QVERIFY(w.window->isVisible());
        QVERIFY(w.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w.get<QPlainTextEdit>("RichTextBox1")->toPlainText().isEmpty());
        const link::LocalDateTime today = w.rig.clock.local_now();
        QCOMPARE(w.get<QCalendarWidget>("MonthView1")->selectedDate(),
                 QDate(today.year, today.month, today.day));
        QCOMPARE(w.get<QScrollBar>("HScroll2")->value(), -25);
        QCOMPARE(w.text("Label6"), QStringLiteral("-2.5"));
    }

    void a_run_starts_the_mission_and_shows_ok_in_dark_blue() {
        WindowRig w;
        QSignalSpy types(w.window.data(), &Programming_DS1922T::loggerTypeRead);
        w.program();
        QCOMPARE(w.text("Label5"), QStringLiteral("PROGRAMMING OK"));
        QVERIFY(w.get<QWidget>("Frame10")->isVisibleTo(w.window));
        const QPalette colours = w.get<QLabel>("Label5")->palette();
        QCOMPARE(colours.color(QPalette::WindowText), QColor(0, 0, 192));
        QCOMPARE(colours.color(QPalette::Window),
                 QGuiApplication::palette().color(QPalette::Button));
        QCOMPARE(w.get<QProgressBar>("ProgressBar1")->value(), 18);
        QCOMPARE(w.get<QProgressBar>("ProgressBar1")->maximum(), 18);
        QVERIFY(w.logger_running());
        QCOMPARE(w.busy_calls, (std::vector<bool>{true, false}));
        QCOMPARE(w.button_enabled_while_busy, (std::vector<bool>{false, true}));
        QCOMPARE(types.count(), 1);
        QCOMPARE(types.at(0).at(0).value<mission::LoggerType>(), mission::LoggerType::kL);
    }

    void a_failed_run_shows_its_line_in_yellow_on_red_with_corrected_thresholds() {
        WindowRig w;
        w.get<QLineEdit>("Text1(0)")->setText(QStringLiteral("-55"));
        w.get<QLineEdit>("Text1(1)")->setText(QStringLiteral("99"));
        w.rig.box.add_fault(
            {.letter = 'D', .kind = sim::ReplyFault::Kind::kCorrupt, .byte_index = 5});
        w.program();
        QCOMPARE(w.text("Label5"), QStringLiteral("PROGRAMMING ERROR !"));
        const QPalette colours = w.get<QLabel>("Label5")->palette();
        QCOMPARE(colours.color(QPalette::Window), QColor(255, 0, 0));
        QCOMPARE(colours.color(QPalette::WindowText), QColor(255, 255, 0));
        QCOMPARE(w.get<QLineEdit>("Text1(0)")->text(), QStringLiteral("-40"));
        QCOMPARE(w.get<QLineEdit>("Text1(1)")->text(), QStringLiteral("85"));
        QVERIFY(w.get<QPushButton>("Command1")->isEnabled());
    }

    void a_half_typed_start_time_is_refused_with_its_text() {
        WindowRig w;
        w.option("Option4(2)")->click();
        QTest::keyClicks(w.get<QLineEdit>("MaskEdBox1"), QStringLiteral("123"));
        w.program();
        QCOMPARE(w.text("Label5"), QStringLiteral("STARTTIME ! (12:3_)"));
        QVERIFY(!w.logger_running());
        QCOMPARE(w.rig.box.count('C'), 0);
    }

    void without_a_port_a_run_only_hides_the_last_line() {
        WindowRig w;
        w.program();
        QVERIFY(w.get<QWidget>("Frame10")->isVisibleTo(w.window));
        w.port = 0;
        w.rig.wire.clear();
        w.program();
        QVERIFY(!w.get<QWidget>("Frame10")->isVisibleTo(w.window));
        QVERIFY(w.rig.wire.entries().empty());
    }

    void the_window_stays_open_while_it_programs() {
        WindowRig w;
        w.window->show();
        w.while_busy = [&w] { QVERIFY(!w.window->close()); };
        w.program();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!w.window.isNull());
        QCOMPARE(w.text("Label5"), QStringLiteral("PROGRAMMING OK"));
        w.while_busy = nullptr;
        QVERIFY(w.window->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.window.isNull());
    }
};

}  // namespace frostel::programming

QTEST_MAIN(frostel::programming::ProgrammingWindowTest)
#include "programming_window_test.moc"
