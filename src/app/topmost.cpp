#include "topmost.h"

#include <QScreen>
#include <QWidget>

namespace frostel::app {

void show_topmost(QWidget* window) {
    if (!window->isVisible()) {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        window->adjustSize();
        if (const QScreen* screen = window->screen()) {
            QRect frame = window->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            window->move(frame.topLeft());
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace frostel::app
