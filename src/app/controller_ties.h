#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "archive/account_book.h"
#include "link/clock.h"
#include "link/logger_commands.h"
#include "platform/settings_file.h"

class QWidget;

namespace frostel::app {

class BusyState;
class FileNameDialogs;

// Who works at the window, for the audit trail: the operating-system user without accounts.
[[nodiscard]] archive::Actor actor_at_window(const std::optional<archive::Person>& person);
// Whether the person at the window holds `right`: without accounts, nobody signs in and
// everyone may do everything.
[[nodiscard]] bool holds_right(const std::optional<archive::Person>& person, archive::Right right);

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
    // With accounts on, the person signed in at the window; nobody without accounts.
    std::function<std::optional<archive::Person>()> person;

    [[nodiscard]] std::optional<archive::Person> signed_in() const {
        return person ? person() : std::nullopt;
    }
    [[nodiscard]] archive::Actor actor() const { return actor_at_window(signed_in()); }
};

}  // namespace frostel::app
