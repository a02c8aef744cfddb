#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "app/busy_state.h"
#include "archive/account_book.h"
#include "link/clock.h"
#include "link/logger_commands.h"
#include "platform/settings_file.h"

class QWidget;

namespace frostel::app {

class FileNameDialogs;

// Who works at the window, for the audit trail: the operating-system user without accounts.
[[nodiscard]] archive::Actor actor_at_window(const std::optional<archive::Person>& person);
// Whether the person at the window holds `right`: without accounts, nobody signs in and
// everyone may do everything.
[[nodiscard]] bool holds_right(const std::optional<archive::Person>& person, archive::Right right);
// A control for those who hold `right` alone: refused, its tooltip is `control` (its name)
// followed by who may use it.
[[nodiscard]] BusyState::Permission right_permission(
    std::function<std::optional<archive::Person>()> person, archive::Right right,
    const QString& control);

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
    // Says how something ended in the window's status line, where it stays until the next
    // outcome replaces it; empty clears it.
    std::function<void(const QString& outcome)> say;

    [[nodiscard]] std::optional<archive::Person> signed_in() const {
        return person ? person() : std::nullopt;
    }
    [[nodiscard]] archive::Actor actor() const { return actor_at_window(signed_in()); }
    [[nodiscard]] bool may(archive::Right right) const { return holds_right(signed_in(), right); }
    [[nodiscard]] BusyState::Permission permission(archive::Right right,
                                                   const QString& control) const {
        return right_permission(person, right, control);
    }
};

}  // namespace frostel::app
