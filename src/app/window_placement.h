#pragma once

#include <QByteArray>
#include <QString>

namespace frostel::app {

// The main window's size and place, in a settings file of its own beside SETUP.FRG, whose
// three lines are the program's and keep their form.
inline const QString kWindowPlacementFileName = QStringLiteral("window.ini");

// The geometry as QWidget::saveGeometry gave it; empty without a file or a value in it, which
// leaves the window at its designed size.
[[nodiscard]] QByteArray read_window_geometry(const QString& path);
// Whether the file was written.
[[nodiscard]] bool write_window_geometry(const QString& path, const QByteArray& geometry);

}  // namespace frostel::app
