#pragma once

#include <QAction>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/busy_guard.h"

namespace frostel::app {

// The program's one busy state. While a logger operation runs (a download, a programming
// run, a port search) every guarded control in every window is disabled, and all are
// enabled again when the last operation ends, however it ends.
//
// A window guards each control that would start another logger operation, open or save a
// file, change the unit, the port or the data folder, or start the driver installer:
//
//     busy.guard(export_button);       // a QWidget: a button, or a whole dialog
//     busy.guard(archive_menu_entry);  // a QAction: a menu entry or a tool
//
// A control guarded while an operation runs is disabled at once. Controls are held weakly:
// a window that is closed and deleted needs nothing undone. A guarded control is enabled
// whenever no operation runs and, when guarded with a Permission, that permission is granted
// (a right of the person at the window); refused, its tooltip says why. Guard only controls
// that have no other reason to be off.
//
// An operation holds an Operation for as long as it runs; code that cannot hold one across
// a layer (a callback) calls set_busy(true) and set_busy(false) in pairs.
class BusyState {
  public:
    using Operation = platform::BusyGuard<BusyState>;
    // Whether the person at the window may use a control, and the tooltip it shows when not.
    struct Permission {
        std::function<bool()> granted;
        QString refused_tip;
    };

    void guard(QWidget* control, Permission permission = {});
    void guard(QAction* control, Permission permission = {});
    // Asks each permission again: the person at the window changed.
    void show_state();
    // Nested: the controls come on again when the last operation left.
    void set_busy(bool busy);
    [[nodiscard]] bool busy() const { return depth_ > 0; }

  private:
    struct Guarded {
        QPointer<QObject> control;
        Permission permission;
        // The control's tooltip while it is permitted.
        QString own_tip;
    };
    void guard_object(QObject* control, Permission permission);
    void show_state(const Guarded& guarded) const;

    int depth_ = 0;
    std::vector<Guarded> controls_;
};

}  // namespace frostel::app
