#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "logger_model.h"
#include "main_window.h"
#include "reader_box.h"
#include "sim_serial_port.h"
#include "support/forwarding_port.h"
#include "table_view.h"
#include "window_support.h"

namespace frostel::test {

// Answers each dialog with the next prepared name (empty: cancelled) and remembers how it
// was asked.
struct ScriptedDialogs final : app::FileNameDialogs {
    QStringList save_names, open_names, asked;
    QString save_name(QWidget*, const QString& folder, const QString& filter) override {
        asked.append("save " + folder + " " + filter);
        return save_names.isEmpty() ? QString() : save_names.takeFirst();
    }
    QString open_name(QWidget*, const QString& folder, const QString& filter) override {
        asked.append("open " + folder + " " + filter);
        return open_names.isEmpty() ? QString() : open_names.takeFirst();
    }
};

// The data folder the program starts with while the settings file names none.
inline const QString kDocuments = QStringLiteral("/home/user/Documents");

// The program on a simulated PC: thirty ports on virtual time, a temporary program folder.
struct WindowRig {
    QTemporaryDir folder;
    link::VirtualClock clock;
    sim::SimSerialPort ports{clock};
    ForwardingPort port{ports};  // watched by a port search
    sim::LoggerModel logger;
    sim::ReaderBox box{logger};
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    // The questions before programming over a mission never downloaded, and their answers
    // in turn (none left: "Program anyway").
    QStringList held_questions;
    QList<programming::HeldMissionChoice> held_answers;
    int ended = 0;
    std::unique_ptr<app::MainWindow> window;

    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }
    void put_file(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    app::MainWindow& start() {
        window = std::make_unique<app::MainWindow>(app::MainWindowTies{
            port, clock, folder.path(), dialogs, launcher, [this] { ++ended; }, kDocuments,
            [this](QWidget*, const QString& question) {
                held_questions.append(question);
                return held_answers.isEmpty() ? programming::HeldMissionChoice::kProgramAnyway
                                              : held_answers.takeFirst();
            }});
        window->show();
        [this] { QTRY_VERIFY(window->started()); }();
        return *window;
    }
    template <typename T = QWidget>
    T* find(const char* name) const {
        return window->findChild<T*>(name);
    }
    QAction* port_entry(int number) const {
        return indexed<QAction>(window.get(), "com_menu", number);
    }
    QStringList table_column(int column) const {
        QStringList texts;
        const app::StringGrid& grid = window->table().grid();
        for (int row = 1; row < grid.row_count(); ++row) {
            texts.append(grid.text(row, column));
        }
        return texts;
    }
};

}  // namespace frostel::test
