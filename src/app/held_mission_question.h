#pragma once

#include <QString>
#include <functional>

#include "programming/programming_run.h"

class QWidget;

namespace frostel::app {

// Asks, over `parent`, what to do with a mission the logger holds that was never
// downloaded; `question` names it. The program asks in a message box, tests answer.
using HeldMissionQuestion =
    std::function<programming::HeldMissionChoice(QWidget* parent, const QString& question)>;

// "Download first" (the default), "Program anyway" or "Cancel" (also Escape and closing);
// the box says that the logger is stopped, and what Cancel leaves.
[[nodiscard]] programming::HeldMissionChoice ask_in_message_box(QWidget* parent,
                                                                const QString& question);

}  // namespace frostel::app
