#include "app/busy_state.h"

#include <algorithm>

namespace frostel::app {

void BusyState::guard(QWidget* control) {
    guard_object(control);
}

void BusyState::guard(QAction* control) {
    guard_object(control);
}

// QWidget and QAction both carry the "enabled" property.
void BusyState::guard_object(QObject* control) {
    std::erase_if(controls_, [](const QPointer<QObject>& c) { return c.isNull(); });
    controls_.emplace_back(control);
    control->setProperty("enabled", !busy());
}

void BusyState::set_busy(bool busy) {
    if (busy ? depth_++ == 0 : depth_ > 0 && --depth_ == 0) {
        show_state();
    }
}

void BusyState::show_state() {
    for (const QPointer<QObject>& control : controls_) {
        if (!control.isNull()) {
            control->setProperty("enabled", !busy());
        }
    }
}

}  // namespace frostel::app
