#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <filesystem>

#include "app/file_name_dialogs.h"
#include "app/load_phase.h"
#include "app/main_window.h"
#include "app/program_launcher.h"
#include "app/termination_requests.h"
#include "app/window_archive.h"
#include "app/window_session.h"
#include "link/clock.h"
#include "link/port_devices.h"
#include "link/qt_serial_port.h"
#include "platform/program_folder.h"
#include "platform/settings_file.h"

int main(int argc, char** argv) {
    using namespace frostel;
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(FROSTEL_DESKTOP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/frostel-256.png")));
    QCoreApplication::setApplicationName(QString::fromLatin1(platform::kApplicationName));
    // Ending the session or `kill` closes the window as the user would, once it has started.
    app::TerminationRequests termination;
    const platform::ProgramFolder chosen = platform::program_folder();
    if (chosen.path.isEmpty()) {
        QMessageBox::critical(nullptr, QStringLiteral("Frostel"), chosen.problem);
        return 1;
    }
    const QString& folder = chosen.path;
    app::QtProgramLauncher launcher;
    if (app::run_load_phase(folder, launcher) == app::LoadOutcome::kEndProgram) {
        return 0;
    }
    const std::filesystem::path program_folder(QFile::encodeName(folder).toStdString());
    link::QtSerialPort port(
        [program_folder](int number) { return link::device_for_port(program_folder, number); });
    link::SystemClock clock;
    // With accounts on, a person signs in before the window shows anything.
    const platform::Settings settings =
        platform::read_settings_file(QDir(folder).filePath(platform::kSettingsFileName));
    app::WindowArchive archive(folder, clock);
    if (const QString refused = app::archive_refusal(archive.location(settings.data_folder));
        !refused.isEmpty()) {
        QMessageBox::critical(nullptr, QObject::tr("Archive"), refused);
        return 1;
    }
    app::WindowSession session(archive, settings.data_folder, clock);
    if (session.accounts_on() && !session.sign_in()) {
        return 0;
    }
    app::QtFileNameDialogs dialogs;
    app::MainWindow window({port, clock, folder, dialogs, launcher, app::end_process_at_once,
                            platform::default_data_folder(), app::ask_in_message_box,
                            [&session] { return session.person(); }, &archive});
    session.watch(window);
    QObject::connect(&termination, &app::TerminationRequests::requested, &window, &QWidget::close);
    QObject::connect(&window, &app::MainWindow::startedUp, &termination,
                     &app::TerminationRequests::listen);
    window.show();
    return QApplication::exec();
}
