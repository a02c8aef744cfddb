#pragma once

class QWidget;

namespace frostel::app {

// Keeps `window` above all others, centres it on its screen and shows it modeless; a window
// already shown is only brought up again.
void show_topmost(QWidget* window);

}  // namespace frostel::app
