#include "app/topmost.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrinter>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace frostel::app {

namespace {

// Moves `window` right of, left of, below or above `taken`, the first place that is on the
// screen, kept along that side; false when none is.
bool move_beside(QWidget* window, const QRect& taken, const QRect& room) {
    const QSize size = window->frameGeometry().size();
    const QPoint candidates[] = {
        {taken.right() + 1, taken.top()},
        {taken.left() - size.width(), taken.top()},
        {taken.left(), taken.bottom() + 1},
        {taken.left(), taken.top() - size.height()},
    };
    for (QPoint corner : candidates) {
        corner.setX(std::clamp(corner.x(), room.left(), room.right() + 1 - size.width()));
        corner.setY(std::clamp(corner.y(), room.top(), room.bottom() + 1 - size.height()));
        const QRect place(corner, size);
        if (room.contains(place) && !place.intersects(taken)) {
            window->move(corner);
            return true;
        }
    }
    return false;
}

QMessageBox* modeless_box(QMessageBox::Icon icon, QWidget* parent, const char* name,
                          const QString& title, const QString& text) {
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent);
    box->setObjectName(name);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

}  // namespace

Qt::WindowFlags role_flags(Qt::WindowFlags flags, WindowRole role) {
    flags.setFlag(Qt::WindowStaysOnTopHint, role == WindowRole::kAboveAll);
    return flags;
}

void show_topmost(QWidget* window) {
    show_in_role(window, WindowRole::kAboveAll);
}

void show_in_role(QWidget* window, WindowRole role) {
    if (!window->isVisible()) {
        window->setWindowFlags(role_flags(window->windowFlags(), role));
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
    bring_to_front(window);
}

void bring_to_front(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void place_beside(QWidget* window, QWidget& neighbour) {
    const QScreen* screen = neighbour.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect room = screen->availableGeometry();
    const QRect taken = neighbour.frameGeometry();
    if (move_beside(window, taken, room)) {
        return;
    }
    // No room as they stand: the neighbour moves to the screen's top edge, else to its left
    // edge, to make some.
    for (const QPoint edge : {QPoint(taken.left(), room.top()), QPoint(room.left(), taken.top())}) {
        if (move_beside(window, QRect(edge, taken.size()), room)) {
            neighbour.move(edge);
            return;
        }
    }
}

void show_warning(QWidget* parent, const char* name, const QString& title, const QString& text) {
    show_topmost(modeless_box(QMessageBox::Warning, parent, name, title, text));
}

void show_note(QWidget* parent, const char* name, const QString& title, const QString& text,
               const QString& detail) {
    QMessageBox* box = modeless_box(QMessageBox::Information, parent, name, title, text);
    box->setInformativeText(detail);
    show_topmost(box);
}

void show_warning_and_wait(QWidget* parent, const char* name, const QString& title,
                           const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.setObjectName(name);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
}

QString shown_path(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString not_saved_text(const QString& path) {
    return QObject::tr("The file could not be saved as %1.").arg(QDir::toNativeSeparators(path));
}

void show_not_saved(QWidget* parent, const char* name, const QString& title, const QString& path) {
    show_warning(parent, name, title, not_saved_text(path));
}

void show_not_printed(QWidget* parent, const char* name, const QString& title,
                      const QPrinter& printer) {
    const QString file = printer.outputFileName();
    show_warning(parent, name, title,
                 file.isEmpty()
                     ? QObject::tr("The printer %1 could not print.").arg(printer.printerName())
                     : not_saved_text(file));
}

}  // namespace frostel::app
