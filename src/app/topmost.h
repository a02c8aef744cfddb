#pragma once

#include <QString>
#include <Qt>

class QPrinter;
class QWidget;

namespace frostel::app {

// How a window stands among the others when it shows.
enum class WindowRole {
    // A small dialog of the program's own (unit, data path, language, About, programming):
    // above every other window, where it is never lost and hides little.
    kAboveAll,
    // A large window (the summary, the archive, a record's history, the audit trail): kept
    // above the rest it would hide them, so it is an ordinary window, brought to the front
    // when opened. Dialogs opened from it are its children and stay above it alone.
    kOrdinary,
};

// The window flags `flags` become for `role`: only the stay-on-top hint changes.
[[nodiscard]] Qt::WindowFlags role_flags(Qt::WindowFlags flags, WindowRole role);

// Shows `window` modeless in `role`; the first time centred on its screen, at its own size
// when it set one, else at its contents'; a window already shown is only brought to the
// front again, out of its minimized state.
void show_in_role(QWidget* window, WindowRole role);
// show_in_role(window, WindowRole::kAboveAll).
void show_topmost(QWidget* window);
// Brings a window already shown, or hidden, to the front and makes it the active one.
void bring_to_front(QWidget* window);

// Moves `window` beside `neighbour` where the screen has room: right of it, left of it,
// below it or above it, in that order. Without room, `neighbour` moves to the screen's top or
// left edge to make some; where even that gives none, both stay where they are.
void place_beside(QWidget* window, QWidget& neighbour);

// A modeless warning over `parent`: `name` is its object name.
void show_warning(QWidget* parent, const char* name, const QString& title, const QString& text);
// A modeless note over `parent` of something done as well as it could be, `detail` under it.
void show_note(QWidget* parent, const char* name, const QString& title, const QString& text,
               const QString& detail = {});

// A warning over `parent` that is read before anything else goes on: modal, above every
// window; returns once it is closed.
void show_warning_and_wait(QWidget* parent, const char* name, const QString& title,
                           const QString& text);

// `path` as the user reads it: absolute, with the system's separators.
[[nodiscard]] QString shown_path(const QString& path);
// "The file could not be saved as PATH."
[[nodiscard]] QString not_saved_text(const QString& path);
// A modeless warning over `parent` that `path` could not be written; `name` is its object
// name, `title` the command that tried.
void show_not_saved(QWidget* parent, const char* name, const QString& title, const QString& path);
// A modeless warning over `parent` that `printer` did not print; it names the file when it
// prints to one.
void show_not_printed(QWidget* parent, const char* name, const QString& title,
                      const QPrinter& printer);

}  // namespace frostel::app
