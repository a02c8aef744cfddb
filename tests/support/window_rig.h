#pragma once

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include <QPushButton>
#include <QRadioButton>

#include "app/chart_view.h"
#include "app/file_name_dialogs.h"
#include "app/main_window.h"
#include "app/mission_text_box.h"
#include "app/programming_actions.h"
#include "app/programming_ds1922t.h"
#include "app/table_view.h"
#include "app/window_archive.h"
#include "archive/mission_archive.h"
#include "datafile/chart_document.h"
#include "datafile/data_file.h"
#include "sim/logger_model.h"
#include "sim/reader_box.h"
#include "sim/sim_serial_port.h"
#include "tests/support/forwarding_port.h"
#include "tests/support/window_support.h"

namespace frostel::test {

// Answers each dialog with the next prepared name (none left: cancelled), noting the question.
struct ScriptedDialogs final : app::FileNameDialogs {
    QStringList save_names, open_names, folder_names, asked;
    QString save_name(QWidget*, const QString& folder, const QString& filter) override {
        asked.append("save " + folder + " " + filter);
        return save_names.isEmpty() ? QString() : save_names.takeFirst();
    }
    QString open_name(QWidget*, const QString& folder, const QString& filter) override {
        asked.append("open " + folder + " " + filter);
        return open_names.isEmpty() ? QString() : open_names.takeFirst();
    }
    QString folder_name(QWidget*, const QString& folder) override {
        asked.append("folder " + folder);
        return folder_names.isEmpty() ? QString() : folder_names.takeFirst();
    }
};

// The data folder the program starts with while the settings file names none.
inline const QString kDocuments = QStringLiteral("/home/user/Documents");

// The program on a simulated PC: thirty ports on virtual time, a temporary program folder.
struct WindowRig {
    WindowRig() = default;
    // The program folder made inside `parent`, for a child process whose files the test reads.
    explicit WindowRig(const QString& parent) : folder(parent + "/program-XXXXXX") {}

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
    // The window's exit; the program's own ends the process.
    std::function<void()> end_process = [this] { ++ended; };
    // With accounts on, the person signed in; left empty, accounts are off.
    std::function<std::optional<archive::Person>()> person;
    // The archive a sign-in opened; left empty, the window opens its own.
    app::WindowArchive* archive = nullptr;
    std::unique_ptr<app::MainWindow> window;

    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }
    void put_file(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    // Settings naming the port as `port_line` and the data folder, by default the rig's own.
    void write_settings(const QByteArray& port_line, const QString& data_folder = {}) const {
        const QString data = data_folder.isEmpty() ? folder.path() : data_folder;
        put_file("SETUP.FRG",
                 "English\r\n" + QFile::encodeName(data) + "\r\n" + port_line + "\r\n");
    }
    app::MainWindow& start() { return start_on(port, clock); }
    // The program with the reader on port 1 and the settings `write_settings` writes.
    app::MainWindow& start_with_reader(const QByteArray& port_line = " 1 ",
                                       const QString& data_folder = {}) {
        ports.attach(1, box);
        write_settings(port_line, data_folder);
        return start();
    }
    // The program on another port and clock, such as the real adapter's.
    app::MainWindow& start_on(link::SerialPort& serial_port, link::Clock& time) {
        window = std::make_unique<app::MainWindow>(app::MainWindowTies{
            serial_port, time, folder.path(), dialogs, launcher, end_process, kDocuments,
            [this](QWidget*, const QString& question) {
                held_questions.append(question);
                return held_answers.isEmpty() ? programming::HeldMissionChoice::kProgramAnyway
                                              : held_answers.takeFirst();
            },
            person, archive});
        window->show();
        [this] { QTRY_VERIFY(window->started()); }();
        return *window;
    }
    template <typename T = QWidget>
    T* find(const char* name) const {
        return window->findChild<T*>(name);
    }
    void load_data() const { find<QPushButton>("Command10")->click(); }
    // "title: text" of each message box `name` the window shows, closed once read.
    QStringList said(const char* name) const {
        QStringList boxes;
        for (QMessageBox* box : window->findChildren<QMessageBox*>(name)) {
            if (box->isVisible()) {
                boxes << box->windowTitle() + ": " + box->text();
                box->close();
            }
        }
        return boxes;
    }
    app::Programming_DS1922T& programming_window() const {
        return window->programming_actions().programming_window();
    }
    app::Programming_DS1922T& open_programming() const {
        find<QPushButton>("Command8")->click();
        return programming_window();
    }
    app::ChartView& chart() const { return *find<app::ChartView>("TChart1"); }
    app::TableView& table() const { return *find<app::TableView>("MSFlexGrid1"); }
    app::MissionTextBox& mission_text() const { return *find<app::MissionTextBox>("RichTextBox1"); }
    // The unit dialog's option: 0 Celsius, 1 Fahrenheit, 2 Kelvin, 3 Reaumur.
    QRadioButton* open_unit_option(int index) const {
        find<QPushButton>("Command4")->click();
        return indexed<QRadioButton>(top_level("Temperature_Unit"), "Option1", index);
    }
    // `document` saved as a pair and retrieved from the disk, as the user opens one.
    void retrieve(const datafile::ChartDocument& document) {
        const QString name = path("shown.frd");
        QVERIFY(datafile::write_data_file(name, "retrieved\r\n"));
        QVERIFY(datafile::write_chart_document(datafile::chart_document_name(name), document));
        dialogs.open_names = {name};
        find<QPushButton>("Command2")->click();
    }
    // A pair of these values in Celsius, a minute apart, retrieved.
    void retrieve_values(const std::vector<double>& values) {
        datafile::ChartDocument document;
        const QDateTime first(QDate(2026, 1, 15), QTime(10, 0), Qt::UTC);
        for (int minute = 0; minute < static_cast<int>(values.size()); ++minute) {
            document.points.push_back(
                {46000 + minute / 1440.0, values[minute],
                 first.addSecs(60 * minute).toString("yyyy-MM-dd HH:mm:ss").toStdString()});
        }
        retrieve(document);
    }
    QAction* port_entry(int number) const {
        return indexed<QAction>(window.get(), "com_menu", number);
    }
    QStringList table_column(int column) const {
        QStringList texts;
        const app::StringGrid& grid = table().grid();
        for (int row = 1; row < grid.row_count(); ++row) {
            texts.append(grid.text(row, column));
        }
        return texts;
    }
};

// One line per audit event, as `line` writes it; the events it gives a null line are left out.
inline QStringList audit_lines(archive::MissionArchive& archive,
                               const std::function<QString(const archive::AuditRow&)>& line) {
    QStringList lines;
    const bool read = archive.for_each_event({}, [&](const archive::AuditEntry& entry) {
        if (const QString text = line(entry.chained.row); !text.isNull()) {
            lines << text;
        }
    });
    return read ? lines : QStringList{"<unread: " + archive.error() + ">"};
}

}  // namespace frostel::test
