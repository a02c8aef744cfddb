#include "app/load_phase.h"

#include <QDir>
#include <QFile>

#include "platform/qt_whole_file.h"

namespace frostel::app {

namespace {
constexpr qint64 kMarkerLineLimit = 64;
}

bool driver_installer_ran(const QString& program_folder) {
    QFile marker(QDir(program_folder).filePath(kInstallMarkerFileName));
    if (!marker.open(QIODevice::ReadOnly)) {
        return false;
    }
    QByteArray line = marker.readLine(kMarkerLineLimit);
    if (line.endsWith('\n')) {
        line.chop(1);
    }
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return line == "USB";
}

bool write_install_marker(const QString& program_folder) {
    return platform::write_whole_file(QDir(program_folder).filePath(kInstallMarkerFileName),
                                      "USB\r\n");
}

QString driver_installer_path(const QString& program_folder) {
    return QDir(program_folder).filePath(kDriverInstallerFileName);
}

LoadOutcome run_load_phase(const QString& program_folder, ProgramLauncher& launcher) {
    if (driver_installer_ran(program_folder)) {
        return LoadOutcome::kShowMainWindow;
    }
    // A marker that cannot be written only means the installer is offered again next time.
    (void)write_install_marker(program_folder);
    return launcher.start(driver_installer_path(program_folder)) ? LoadOutcome::kEndProgram
                                                                 : LoadOutcome::kShowMainWindow;
}

}  // namespace frostel::app
