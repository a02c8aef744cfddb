#include "topmost.h"

#include <QDir>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

namespace frostel::app {

void show_topmost(QWidget* window) {
    if (!window->isVisible()) {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        // A window that chose its own size keeps it.
        if (!window->testAttribute(Qt::WA_Resized)) {
            window->adjustSize();
        }
        if (const QScreen* screen = window->screen()) {
            QRect frame = window->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            window->move(frame.topLeft());
        }
    }
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void show_warning(QWidget* parent, const char* name, const QString& title, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box->setObjectName(name);
    box->setAttribute(Qt::WA_DeleteOnClose);
    show_topmost(box);
}

void show_not_saved(QWidget* parent, const char* name, const QString& title, const QString& path) {
    show_warning(
        parent, name, title,
        QObject::tr("The file could not be saved as %1.").arg(QDir::toNativeSeparators(path)));
}

}  // namespace frostel::app
