#pragma once

#include <QString>

#include "app/program_launcher.h"

namespace frostel::app {

inline const QString kInstallMarkerFileName = QStringLiteral("install.usb");
inline const QString kDriverInstallerFileName = QStringLiteral("CP210x_Drivers.exe");

// The marker's first line is exactly "USB": the driver installer was started from this
// folder before.
[[nodiscard]] bool driver_installer_ran(const QString& program_folder);
[[nodiscard]] bool write_install_marker(const QString& program_folder);
[[nodiscard]] QString driver_installer_path(const QString& program_folder);

enum class LoadOutcome { kShowMainWindow, kEndProgram };

// Before the main window is shown. On the first run in a folder the marker is written and
// the driver installer started; the program then ends, for the user to start it again once
// the driver is in. Where the installer cannot be started (it is not there, as on a system
// whose kernel carries the bridge's driver) the program goes on to its main window instead.
[[nodiscard]] LoadOutcome run_load_phase(const QString& program_folder, ProgramLauncher& launcher);

}  // namespace frostel::app
