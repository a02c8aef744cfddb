#include "app/busy_state.h"

#include <algorithm>

namespace frostel::app {

void BusyState::guard(QWidget* control, Permission permission) {
    guard_object(control, std::move(permission));
}

void BusyState::guard(QAction* control, Permission permission) {
    guard_object(control, std::move(permission));
}

// QWidget and QAction both carry the "enabled" and "toolTip" properties.
void BusyState::guard_object(QObject* control, Permission permission) {
    std::erase_if(controls_, [](const Guarded& g) { return g.control.isNull(); });
    const QString own_tip = control->property("toolTip").toString();
    controls_.push_back({control, std::move(permission), own_tip});
    show_state(controls_.back());
}

void BusyState::set_busy(bool busy) {
    if (busy ? depth_++ == 0 : depth_ > 0 && --depth_ == 0) {
        show_state();
    }
}

void BusyState::show_state() {
    for (const Guarded& guarded : controls_) {
        show_state(guarded);
    }
}

void BusyState::show_state(const Guarded& guarded) const {
    if (guarded.control.isNull()) {
        return;
    }
    const std::function<bool()>& granted = guarded.permission.granted;
    const bool permitted = !granted || granted();
    guarded.control->setProperty("enabled", !busy() && permitted);
    if (granted) {
        guarded.control->setProperty("toolTip",
                                     permitted ? guarded.own_tip : guarded.permission.refused_tip);
    }
}

}  // namespace frostel::app
