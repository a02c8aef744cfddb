#pragma once

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "app/file_name_dialogs.h"
#include "app/program_launcher.h"

namespace frostel::test {

// Every file dialog cancelled.
struct NoDialogs final : app::FileNameDialogs {
    QString save_name(QWidget*, const QString&, const QString&) override { return {}; }
    QString open_name(QWidget*, const QString&, const QString&) override { return {}; }
};

// Records every start; by default none succeeds, as on a system without the driver installer.
struct RecordingLauncher final : app::ProgramLauncher {
    QStringList started;
    bool can_start = false;
    bool start(const QString& program) override {
        started.append(program);
        return can_start;
    }
};

inline QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A window of its own (a dialog) by its name.
template <typename T = QWidget>
T* top_level(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name) {
            return qobject_cast<T*>(w);
        }
    }
    return nullptr;
}

// Closes each modal message box named `name` as soon as it shows, while it lives, and notes
// its text, whether it stays on top and what `at_that_time` said then.
struct ModalBoxCloser {
    struct Seen {
        QString text;
        bool on_top = false;
        QString at_that_time;
    };
    QList<Seen> seen;

    explicit ModalBoxCloser(const char* name, std::function<QString()> at_that_time = {}) {
        QObject::connect(&timer, &QTimer::timeout, [this, name, at_that_time] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && box->objectName() == name && box->isVisible()) {
                seen.append({box->text(), box->windowFlags().testFlag(Qt::WindowStaysOnTopHint),
                             at_that_time ? at_that_time() : QString()});
                box->done(QMessageBox::Ok);
            }
        });
        timer.start(0);
    }

  private:
    QTimer timer;
};

// Entry `index` of a control array: the controls share a name and carry their index.
template <typename T>
T* indexed(QObject* parent, const char* name, int index) {
    if (parent == nullptr) {
        return nullptr;
    }
    for (T* child : parent->findChildren<T*>(name)) {
        if (child->property("index").toInt() == index) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace frostel::test
