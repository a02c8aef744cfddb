#pragma once

#include <QString>

class QPrinter;
class QWidget;

namespace frostel::app {

// Keeps `window` above all others, centres it on its screen and shows it modeless, at its
// own size when it set one, else at its contents'; a window already shown is only brought
// up again, out of its minimized state.
void show_topmost(QWidget* window);

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
