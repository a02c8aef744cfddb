#include "app/busy_state.h"

#include <algorithm>

namespace frostel::app {

void BusyState::guard(QWidget* control, std::function<bool()> permitted) {
    guard_object(control, std::move(permitted));
}

void BusyState::guard(QAction* control) {
    guard_object(control, {});
}

// QWidget and QAction both carry the "enabled" property.
void BusyState::guard_object(QObject* control, std::function<bool()> permitted) {
    std::erase_if(controls_, [](const Guarded& g) { return g.control.isNull(); });
    controls_.push_back({control, std::move(permitted)});
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
    if (!guarded.control.isNull()) {
        guarded.control->setProperty("enabled",
                                     !busy() && (!guarded.permitted || guarded.permitted()));
    }
}

}  // namespace frostel::app
