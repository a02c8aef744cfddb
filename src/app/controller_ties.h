#pragma once

#include <QString>

#include "link/clock.h"
#include "link/logger_commands.h"
#include "platform/settings_file.h"

class QWidget;

namespace frostel::app {

class BusyState;
class FileNameDialogs;

// What the main window's controllers work through, all owned by the window for the whole run.
struct ControllerTies {
    // The parent of their dialogs and warnings.
    QWidget& window;
    const platform::Settings& settings;
    link::LoggerCommands& commands;
    link::Clock& clock;
    BusyState& busy;
    FileNameDialogs& file_dialogs;
    // Where the side files go.
    QString program_folder;
};

}  // namespace frostel::app
