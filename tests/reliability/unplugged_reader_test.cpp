// A reader unplugged in the middle of a download or a programming run, through
// frostel-reader-sim and the real Qt SerialPort adapter: the run ends with its error text in
// a few seconds, the program stays usable, and the reader plugged back in works again.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "chart_view.h"
#include "file_name_dialogs.h"
#include "link/clock.h"
#include "link/port_devices.h"
#include "link/qt_serial_port.h"
#include "main_window.h"
#include "mission_actions.h"
#include "program_launcher.h"
#include "programming/programming_ds1922t.h"
#include "support/process.h"

namespace frostel::test {
namespace {

constexpr int kPort = 2;
constexpr qint64 kFewSecondsMs = 5000;

struct NoDialogs final : app::FileNameDialogs {
    QString save_name(QWidget*, const QString&, const QString&) override { return {}; }
    QString open_name(QWidget*, const QString&, const QString&) override { return {}; }
};

struct NoLauncher final : app::ProgramLauncher {
    bool start(const QString&) override { return false; }
};

struct PlugRig {
    QTemporaryDir folder;
    std::unique_ptr<ReaderSimProcess> reader;
    std::filesystem::path program_folder{QFile::encodeName(folder.path()).toStdString()};

    void plug_in() {
        reader = std::make_unique<ReaderSimProcess>(std::vector<std::string>{
            FROSTEL_READER_SIM, "--program-folder", program_folder.string(), "--port",
            std::to_string(kPort), "--mission", "cold-room"});
    }
    // Pulling the reader out: its pseudo-terminal goes away with it.
    void unplug() { reader.reset(); }
};

class UnpluggedReaderTest : public QObject {
    Q_OBJECT

  private slots:
    void theLinkFailsFastAndReconnects() {
        PlugRig rig;
        rig.plug_in();
        link::QtSerialPort port(
            [&](int n) { return link::device_for_port(rig.program_folder, n); });
        link::SystemClock clock;
        link::ReaderLink reader(port, clock);
        link::LoggerCommands commands(reader);
        reader.open_port(kPort);
        commands.read_memory(16);
        QCOMPARE(reader.error_number(), link::kNoError);

        rig.unplug();
        QElapsedTimer timer;
        timer.start();
        commands.read_memory(16);
        QCOMPARE(reader.error_number(), link::kLoggerError);
        QVERIFY2(timer.elapsed() < kFewSecondsMs, qPrintable(QString::number(timer.elapsed())));

        rig.plug_in();
        commands.read_memory(16);
        QCOMPARE(reader.error_number(), link::kNoError);
    }

    void aDownloadAndAProgrammingRunSurviveAnUnpluggedReader() {
        PlugRig rig;
        QFile settings(QDir(rig.folder.path()).filePath("SETUP.FRG"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("English\r\n\r\n 2 \r\n");
        settings.close();
        rig.plug_in();

        link::QtSerialPort port(
            [&](int n) { return link::device_for_port(rig.program_folder, n); });
        link::SystemClock clock;
        NoDialogs dialogs;
        NoLauncher launcher;
        app::MainWindow window({port, clock, rig.folder.path(), dialogs, launcher, [] {}});
        auto* actions = new app::MissionActions(window);
        window.show();
        QTRY_VERIFY(window.started());
        auto* load_data = window.findChild<QPushButton*>("Command10");

        // Out in the middle of the log pages.
        QTimer::singleShot(2500, [&] { rig.unplug(); });
        QElapsedTimer timer;
        timer.start();
        load_data->click();
        QVERIFY(window.findChild<QFrame*>("Frame4")->isVisible());
        QVERIFY(window.chart().points().empty());
        QVERIFY2(timer.elapsed() < 2500 + kFewSecondsMs,
                 qPrintable(QString::number(timer.elapsed())));
        QVERIFY(load_data->isEnabled());

        rig.plug_in();
        load_data->click();
        QVERIFY(!window.findChild<QFrame*>("Frame4")->isVisible());
        QCOMPARE(window.chart().points().size(), std::size_t{576});

        programming::Programming_DS1922T& programming = actions->programming_window();
        actions->Command8_Click();
        auto* run = programming.findChild<QPushButton*>("Command1");
        auto* result = programming.findChild<QLabel*>("Label5");
        QTimer::singleShot(2000, [&] { rig.unplug(); });
        timer.restart();
        run->click();
        QCOMPARE(result->text(), QString("PROGRAMMING ERROR !"));
        QVERIFY2(timer.elapsed() < 2000 + kFewSecondsMs,
                 qPrintable(QString::number(timer.elapsed())));

        rig.plug_in();
        run->click();
        QCOMPARE(result->text(), QString("PROGRAMMING OK"));
    }
};

}  // namespace
}  // namespace frostel::test

QTEST_MAIN(frostel::test::UnpluggedReaderTest)
#include "unplugged_reader_test.moc"
