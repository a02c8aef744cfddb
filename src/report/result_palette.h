#pragma once

#include <QColor>
#include <QString>
#include <optional>

#include "insight/excursions.h"

namespace frostel::report {

// What a result says, for its colour: a failure, a pass, or a verdict that judges nothing.
enum class ResultKind { kPass, kFail, kNeutral };

[[nodiscard]] ResultKind result_kind(insight::VerdictKind verdict);

// The program's result colours, in every window and on the report: a failure dark red, a
// pass dark blue, a verdict that judges nothing grey.
[[nodiscard]] QColor result_colour(ResultKind kind);
// A failure that must stand out on screen: yellow on red.
[[nodiscard]] QColor alarm_text();
[[nodiscard]] QColor alarm_background();
// The same, pale: behind dark text on paper.
[[nodiscard]] QColor result_fill(ResultKind kind);
// A result's colours on screen: its own, or for a failure, which must stand out, yellow on
// red.
struct ScreenColours {
    QColor text;
    std::optional<QColor> background;
};
[[nodiscard]] ScreenColours screen_colours(ResultKind kind);
// A result text's style on screen, bold in its screen colours.
[[nodiscard]] QString result_style(ResultKind kind);

}  // namespace frostel::report
