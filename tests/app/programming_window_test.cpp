#include <QCalendarWidget>
#include <QCheckBox>
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

#include "app/programming_ds1922t.h"
#include "tests/support/sim_rig.h"

namespace frostel::app {
namespace {

// A window on the simulated reader with a running "L" logger in it.
struct WindowRig {
    test::SimRig rig;
    int port = 1;
    std::vector<bool> busy_calls;
    std::function<void()> while_busy;
    QPointer<Programming_DS1922T> window;

    WindowRig() {
        rig.logger.memory()[0x0226] = 0x40;
        rig.logger.memory()[sim::kStatusAddress] = sim::kMissionRunning;
        window = new Programming_DS1922T(
            rig.commands, rig.clock, [this] { return port; },
            [this](bool busy) {
                busy_calls.push_back(busy);
                if (busy && while_busy) {
                    while_busy();
                }
            });
    }
    ~WindowRig() { delete window.data(); }

    template <typename Control = QWidget>
    Control* get(const char* name) const {
        auto* control = window->findChild<Control*>(QLatin1String(name));
        if (control == nullptr) {
            qFatal("no control %s", name);
        }
        return control;
    }
    void click(const char* option) const { get<QRadioButton>(option)->click(); }
    QString text(const char* label) const { return get<QLabel>(label)->text(); }
    QScrollBar* interval() const { return get<QScrollBar>("HScroll1"); }
    void program() const { get<QPushButton>("Command1")->click(); }
    [[nodiscard]] bool result_shown() const { return get("Frame10")->isVisibleTo(window); }
    // '1' or '0' for each control of the blank-separated `names`: whether `holds` of it.
    template <typename Control = QWidget, typename Test>
    QString each(const char* names, const Test& holds) const {
        QString result;
        for (const QByteArray& name : QByteArray(names).split(' ')) {
            result += std::invoke(holds, *get<Control>(name.constData())) ? '1' : '0';
        }
        return result;
    }
    QString checked(const char* names) const {
        return each<QRadioButton>(names, &QRadioButton::isChecked);
    }
    QString enabled(const char* names) const { return each(names, &QWidget::isEnabled); }
    // Whether each says in its tooltip why it is greyed.
    QString explained(const char* names) const {
        return each(names,
                    [](const QWidget& w) { return w.toolTip().startsWith("Needs Minutes: "); });
    }
};

}  // namespace

class ProgrammingWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // From the defaults, placed in twips, through every choice that enables or resets others.
    void defaults_placement_and_choices() {
        WindowRig w;
        QCOMPARE(w.text("Label1"), QStringLiteral("10 seconds"));
        QCOMPARE(w.text("Label4"), QStringLiteral("0 Days - 22 Hours - 45 Minutes"));
        QCOMPARE(w.checked("Option1(0) Option2(1) Option3(0) Option4(0)"), QStringLiteral("1111"));
        QCOMPARE(w.enabled("Option2(0) Option3(1) Option4(1) Frame6 Text1(0) Text1(1) Frame7 "
                           "MonthView1 MaskEdBox1"),
                 QStringLiteral("000000000"));
        QCOMPARE(w.get<QLineEdit>("Text1(0)")->text(), QStringLiteral("0"));
        QCOMPARE(w.get<QLineEdit>("Text1(1)")->text(), QStringLiteral("85"));
        QCOMPARE(w.get<QLineEdit>("MaskEdBox1")->displayText(), QStringLiteral("__:__"));
        QVERIFY(!w.result_shown());
        QCOMPARE(w.explained("Option2(0) Option3(1) Option4(1)"), QStringLiteral("111"));
        QCOMPARE(w.get<QRadioButton>("Option4(2)")->text(), QStringLiteral("Date && Time"));
        // Twips to pixels at 15 a pixel, rounded, also inside nested frames; the logger line
        // below the rest, three lines high.
        QCOMPARE(w.window->size(), QSize(441, 549));
        QCOMPARE(w.get("Frame11")->geometry(), QRect(8, 8, 81, 113));
        QCOMPARE(w.get("Command1")->geometry(), QRect(8, 457, 217, 33));
        QCOMPARE(w.get("MaskEdBox1")->geometry(), QRect(56, 188, 49, 17));

        w.interval()->setValue(30);
        w.click("Option1(1)");
        QCOMPARE(w.interval()->value(), 30);
        QCOMPARE(w.interval()->minimum(), 1);
        QCOMPARE(w.interval()->maximum(), 240);
        QCOMPARE(w.text("Label1"), QStringLiteral("30 minutes"));
        // Minutes enable the choices that need them without selecting any.
        QCOMPARE(w.enabled("Option2(0) Option3(1) Option4(1)"), QStringLiteral("111"));
        QCOMPARE(w.explained("Option2(0) Option3(1) Option4(1)"), QStringLiteral("000"));
        QCOMPARE(w.checked("Option2(1) Option3(0) Option4(0)"), QStringLiteral("111"));
        w.interval()->setValue(1);
        w.click("Option2(0)");
        QCOMPARE(w.text("Label4"), QStringLiteral(" 2 Days - 20 Hours - 16 Minutes"));

        // A start mode enables its own group; the other keeps its contents.
        w.click("Option4(1)");
        QCOMPARE(w.enabled("Frame6 Text1(1) Label2(0) Frame7"), QStringLiteral("1110"));
        w.get<QLineEdit>("Text1(1)")->setText(QStringLiteral("30"));
        w.click("Option4(2)");
        QCOMPARE(w.enabled("Text1(1) MaskEdBox1 Label3 MonthView1"), QStringLiteral("0111"));
        w.click("Option4(0)");
        QCOMPARE(w.enabled("Frame6 Frame7"), QStringLiteral("00"));
        QCOMPARE(w.get<QLineEdit>("Text1(1)")->text(), QStringLiteral("30"));
        QCOMPARE(w.window->settings().high_threshold, "30");

        // Seconds undo every choice that needs minutes and clamp the interval (the rule's own
        // cases are the rules' tests).
        w.interval()->setValue(200);
        w.click("Option3(1)");
        w.click("Option4(2)");
        w.click("Option1(0)");
        QCOMPARE(w.checked("Option2(1) Option3(0) Option4(0)"), QStringLiteral("111"));
        QCOMPARE(w.enabled("Option2(0) Option3(1) Option4(1) Frame7 MonthView1 MaskEdBox1"),
                 QStringLiteral("000000"));
        QCOMPARE(w.explained("Option2(0) Option3(1) Option4(1)"), QStringLiteral("111"));
        QCOMPARE(w.interval()->value(), 59);
        QCOMPARE(w.text("Label1"), QStringLiteral("59 seconds"));

        // A typed break is CR LF; Delete empties the text alone, while opening the window
        // empties it and sets the calendar to today; the calibration runs from -128 to 127.
        auto* text = w.get<QPlainTextEdit>("RichTextBox1");
        QTest::keyClicks(text, QStringLiteral("ab"));
        QTest::keyClick(text, Qt::Key_Return);
        QTest::keyClicks(text, QStringLiteral("c"));
        text->insertPlainText(QStringLiteral("\u00e9"));
        QCOMPARE(w.window->settings().mission_text, std::string("ab\r\nc\xC3\xA9"));
        auto* calendar = w.get<QCalendarWidget>("MonthView1");
        calendar->setSelectedDate(QDate(2020, 2, 2));
        w.get<QPushButton>("Command2")->click();
        QVERIFY(text->toPlainText().isEmpty());
        QCOMPARE(w.window->focusWidget(), text);
        QCOMPARE(calendar->selectedDate(), QDate(2020, 2, 2));

        w.window->preset_calibration(-25);
        text->setPlainText(QStringLiteral("old mission"));
        w.window->open_for_new_mission();
        QVERIFY(w.window->isVisible());
        QVERIFY(w.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(text->toPlainText().isEmpty());
        const platform::LocalDateTime today = w.rig.clock.local_now();
        QCOMPARE(calendar->selectedDate(), QDate(today.year, today.month, today.day));
        auto* slider = w.get<QScrollBar>("HScroll2");
        QCOMPARE(slider->value(), -25);
        QCOMPARE(w.text("Label6"), QStringLiteral("-2.5"));
        slider->setValue(-129);
        QCOMPARE(w.text("Label6"), QStringLiteral("-12.8"));
        slider->setValue(128);
        QCOMPARE(slider->value(), 127);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        slider->setValue(-15);
        QCOMPARE(w.text("Label6"), QStringLiteral("-1,5"));
    }

    // "Alarms" opens the thresholds with any start and the run enables both alarms; a
    // temperature start has them anyway, so the choice is closed there and says why.
    void alarms_with_any_start() {
        WindowRig w;
        auto* alarms = w.get<QCheckBox>("alarms_check");
        QCOMPARE(alarms->text(), QStringLiteral("Alarms"));
        QVERIFY(!alarms->isChecked());
        QVERIFY(alarms->isEnabled());
        QVERIFY(!w.window->settings().alarms);
        alarms->click();
        QCOMPARE(w.enabled("Frame6 Text1(0) Text1(1) Frame7"), QStringLiteral("1110"));
        w.get<QLineEdit>("Text1(0)")->setText(QStringLiteral("2"));
        w.get<QLineEdit>("Text1(1)")->setText(QStringLiteral("8"));
        w.program();
        QCOMPARE(w.text("Label5"), QStringLiteral("PROGRAMMING OK"));
        const auto& memory = w.rig.logger.memory();
        QCOMPARE(int(memory[0x0210]), 3);
        QCOMPARE(int(memory[0x0208]), 86);
        QCOMPARE(int(memory[0x0209]), 98);

        w.click("Option4(2)");
        QCOMPARE(w.enabled("Frame6 Frame7 alarms_check"), QStringLiteral("111"));
        w.click("Option1(1)");
        w.click("Option4(1)");
        QCOMPARE(w.enabled("Frame6 alarms_check"), QStringLiteral("10"));
        QVERIFY(!alarms->toolTip().isEmpty());
        w.click("Option4(0)");
        alarms->click();
        QCOMPARE(w.enabled("Frame6 Text1(0) alarms_check"), QStringLiteral("001"));
        QVERIFY(alarms->toolTip().isEmpty());
        w.program();
        QCOMPARE(int(memory[0x0210]), 0);
    }

    // A run keeps the window open and shows OK in dark blue, a failure in yellow on red;
    // without a port, nothing.
    void runs_show_their_result_line() {
        WindowRig w;
        QSignalSpy types(w.window.data(), &Programming_DS1922T::loggerTypeRead);
        w.window->show();
        // Neither a close nor a second click gets in while the run lets events through.
        w.while_busy = [&w] {
            QVERIFY(!w.window->close());
            w.get<QPushButton>("Command1")->click();
        };
        w.program();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!w.window.isNull());
        QCOMPARE(w.text("Label5"), QStringLiteral("PROGRAMMING OK"));
        QVERIFY(w.result_shown());
        const QPalette colours = w.get<QLabel>("Label5")->palette();
        QCOMPARE(colours.color(QPalette::WindowText), QColor(0, 0, 0x8b));
        QCOMPARE(colours.color(QPalette::Window),
                 QGuiApplication::palette().color(QPalette::Button));
        QCOMPARE(w.get<QProgressBar>("ProgressBar1")->value(), 18);
        QCOMPARE(w.get<QProgressBar>("ProgressBar1")->maximum(), 18);
        QCOMPARE(w.busy_calls, (std::vector<bool>{true, false}));
        QCOMPARE(types.count(), 1);
        QCOMPARE(types.at(0).at(0).value<mission::LoggerType>(), mission::LoggerType::kL);

        w.click("Option4(2)");
        QTest::keyClicks(w.get<QLineEdit>("MaskEdBox1"), QStringLiteral("123"));
        w.program();
        QCOMPARE(w.text("Label5"), QStringLiteral("STARTTIME ! (12:3_)"));
        w.click("Option4(0)");
        w.get<QLineEdit>("Text1(0)")->setText(QStringLiteral("-55"));
        w.get<QLineEdit>("Text1(1)")->setText(QStringLiteral("99"));
        w.rig.box.add_fault(
            {.letter = 'D', .kind = sim::ReplyFault::Kind::kCorrupt, .byte_index = 5});
        w.program();
        QCOMPARE(w.text("Label5"), QStringLiteral("PROGRAMMING ERROR !"));
        QCOMPARE(w.get<QLabel>("Label5")->toolTip(),
                 QStringLiteral("port 1 (simulated reader): page 1 never read back as written"));
        const QPalette alarm = w.get<QLabel>("Label5")->palette();
        QCOMPARE(alarm.color(QPalette::Window), QColor(255, 0, 0));
        QCOMPARE(alarm.color(QPalette::WindowText), QColor(255, 255, 0));
        QCOMPARE(w.get<QLineEdit>("Text1(0)")->text(), QStringLiteral("-40"));
        QCOMPARE(w.get<QLineEdit>("Text1(1)")->text(), QStringLiteral("85"));
        QVERIFY(w.get<QPushButton>("Command1")->isEnabled());

        w.port = 0;
        w.program();
        QVERIFY(!w.result_shown());
        w.window->open_for_new_mission();
        QCOMPARE(w.text("logger_line"),
                 QStringLiteral("No port is chosen: use COMMUNICATION PORT or FIND COMMPORT."));
        QVERIFY(w.window->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.window.isNull());
    }
};

}  // namespace frostel::app

QTEST_MAIN(frostel::app::ProgrammingWindowTest)
#include "programming_window_test.moc"
