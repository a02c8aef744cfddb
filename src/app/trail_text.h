#pragma once

#include <QString>
#include <string_view>

namespace frostel::app {

// An audit trail field as a window or a printout shows it: its line breaks as line breaks
// (a CR LF pair as one), any other control character as \xHH, so that none can move or hide
// what follows it.
[[nodiscard]] QString trail_text(std::string_view field);

// `text` as HTML, its line breaks kept.
[[nodiscard]] QString html_lines(const QString& text);
// A tooltip that shows `text` as it is, its blanks and line breaks kept: never read as HTML,
// whatever the text looks like.
[[nodiscard]] QString literal_tooltip(const QString& text);

}  // namespace frostel::app
