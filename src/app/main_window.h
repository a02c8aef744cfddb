#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "app/busy_state.h"
#include "app/controller_ties.h"
#include "app/file_name_dialogs.h"
#include "app/held_mission_question.h"
#include "app/main_layout.h"
#include "app/mission_views.h"
#include "app/shown_mission.h"
#include "archive/audit_trail.h"
#include "link/clock.h"
#include "link/logger_commands.h"
#include "link/port_scan.h"
#include "link/reader_link.h"
#include "link/serial_port.h"
#include "mission/temperature_unit.h"
#include "platform/settings_file.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QStatusBar;
class QPushButton;
class QToolButton;

namespace frostel::app {

class AboutBox;
class ArchiveActions;
class ChartEditor;
class ChartView;
class CommandBar;
class DataPathDialog;
class DownloadActions;
class ExportActions;
class LanguageDialog;
class ManualWindow;
class MissionTextBox;
class ProgramLauncher;
class ProgrammingActions;
class SummaryActions;
class TableView;
class TemperatureUnitDialog;
class WindowArchive;

inline const QString kChartTemplateFileName = QStringLiteral("standard.tee");
// "TEMPERATURE" padded to twelve characters; the blanks set the columns' widths.
inline const QString kTableHeadings = QStringLiteral("DATE          TIME     |TEMPERATURE ");

// Everything outside the program that the main window works through, handed in so that
// tests can put the simulator, a virtual clock and a temporary folder in their place.
struct MainWindowTies {
    link::SerialPort& port;
    link::Clock& clock;
    // Where SETUP.FRG, install.usb, standard.tee and the side files live.
    QString program_folder;
    FileNameDialogs& file_dialogs;
    ProgramLauncher& launcher;
    // Ends the process once the exit has written its files: end_process_at_once in the
    // program.
    std::function<void()> end_process;
    // The data folder while the settings file names none: the user's documents folder.
    QString default_data_folder;
    // Asked before a programming run overwrites a mission the archive does not keep:
    // ask_in_message_box in the program. Left empty, such a run is cancelled.
    HeldMissionQuestion ask_held_mission = {};
    // With accounts on, the person signed in. Left empty, nobody: the operating-system user
    // works at the window.
    std::function<std::optional<archive::Person>()> person = {};
    // The archive the sign-in opened. Left empty, the window opens one of its own.
    WindowArchive* archive = nullptr;
};

// Ends the process there and then: nothing that runs (a download, a search, a programming
// run inside the closed window's event processing) goes on holding the serial port or
// shows a dialog. The files are written whole before, so nothing is left half-done.
[[noreturn]] void end_process_at_once();

// The main window: the chart, the table and the mission text, the port menu and its search,
// the tool buttons and the small dialogs. It owns the reader link for the whole run.
class MainWindow final : public QMainWindow, private link::PortScanDisplay {
    Q_OBJECT

  public:
    explicit MainWindow(MainWindowTies ties);
    ~MainWindow() override;

    [[nodiscard]] const platform::Settings& settings() const { return settings_; }
    // Who works at the window, for the audit trail.
    [[nodiscard]] archive::Actor actor() const { return actor_at_window(signed_in()); }
    // With accounts on, the person signed in; nobody without accounts.
    [[nodiscard]] std::optional<archive::Person> signed_in() const {
        return ties_.person ? ties_.person() : std::nullopt;
    }
    // Enables what the person at the window may do, and says why the rest is off: run when
    // that person changed.
    void show_rights();
    // The commands on the reader link the window owns, for a test's second user of it.
    [[nodiscard]] link::LoggerCommands& logger_commands() { return commands_; }
    // The one busy state of every logger operation, for this window and all others.
    [[nodiscard]] BusyState& busy_state() { return busy_; }
    // The mission on screen and the controllers that change it, for tests and benchmarks.
    [[nodiscard]] const ShownMission& shown_mission() const { return shown_; }
    [[nodiscard]] DownloadActions& download_actions() const { return *download_actions_; }
    [[nodiscard]] ArchiveActions& archive_actions() const { return *archive_actions_; }
    [[nodiscard]] ProgrammingActions& programming_actions() const { return *programming_actions_; }

    [[nodiscard]] bool started() const { return started_; }
    // `name` in the program folder.
    [[nodiscard]] QString program_file(const QString& name) const;

  signals:
    // The start-up tick has run: settings read, port opened, views ready.
    void startedUp();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Whether the settings file was written.
    [[nodiscard]] bool write_settings();
    // Writes the settings file as `command` closes; one that cannot be written is said.
    void save_settings(const QString& command);
    void build_menus();
    void build_command_bar();
    void build_views();
    void build_controllers();
    [[nodiscard]] MissionViews mission_views() const;
    void guard_controls();
    [[nodiscard]] BusyState::Permission permission(archive::Right right,
                                                   const QString& control) const;
    void place_controls();
    [[nodiscard]] TwipsRect in_chart(TwipsRect rect) const;
    void lay_out(QSize client_pixels);

    void start_up();
    void choose_port(int number);
    void find_reader_port();
    void show_status(const std::string& text) override;
    void check_only(std::optional<int> port) override;
    void open_unit_dialog();
    void choose_unit(mission::TemperatureUnit unit);
    void open_data_path();
    // A setting the user changed, entered in the audit trail.
    void note_setting(const std::string& name, const QString& old_value, const QString& new_value);
    void open_about();
    // The user's manual, in a window of its own (F1 anywhere in the program, or the About box).
    void open_manual();
    void open_language();
    void install_usb_driver();
    void show_notice(const QString& text);
    // In the status line, until the next outcome.
    void say(const QString& outcome);

    MainWindowTies ties_;
    link::ReaderLink link_;
    link::LoggerCommands commands_;
    platform::Settings settings_;
    // Every save dialog the window opens, kept off the archive's files.
    ArchiveSafeDialogs file_dialogs_;
    // The data folder when its dialog opened: the change is one event, however many
    // folders the user passed through.
    QString data_folder_before_;
    BusyState busy_;
    MainLayout layout_ = designed_layout();
    bool started_ = false;
    bool converting_ = false;
    // Whether the exit writes the chart's template: the last person at the window may export.
    // Asked before the exit, as closing the window ends the session first.
    bool template_at_exit_ = true;
    std::optional<mission::TemperatureUnit> queued_unit_;
    ShownMission shown_;
    QTimer startup_timer_;
    QTimer notice_timer_;

    QMenu* port_menu_ = nullptr;
    std::vector<QAction*> port_entries_;
    QAction* find_port_ = nullptr;
    QAction* install_driver_ = nullptr;
    QWidget* client_ = nullptr;
    CommandBar* command_bar_ = nullptr;
    QFrame* language_frame_ = nullptr;
    QToolButton* language_ = nullptr;
    QPushButton* about_ = nullptr;
    QPushButton* set_path_ = nullptr;
    QPushButton* retrieve_ = nullptr;
    QPushButton* unit_ = nullptr;
    QPushButton* fit_to_data_ = nullptr;
    QPushButton* summary_button_ = nullptr;
    QToolButton* report_ = nullptr;
    QPushButton* archive_ = nullptr;
    QToolButton* export_ = nullptr;
    QPushButton* load_data_ = nullptr;
    QPushButton* programming_ = nullptr;
    QProgressBar* progress_bar_ = nullptr;
    QFrame* error_frame_ = nullptr;
    QLabel* error_label_ = nullptr;
    ChartView* chart_ = nullptr;
    QLabel* logger_label_ = nullptr;
    QLabel* verdict_line_ = nullptr;
    QFrame* search_frame_ = nullptr;
    QLabel* search_label_ = nullptr;
    QLabel* status_line_ = nullptr;
    MissionTextBox* mission_text_ = nullptr;
    TableView* table_ = nullptr;
    SummaryActions* summary_ = nullptr;
    ArchiveActions* archive_actions_ = nullptr;
    ProgrammingActions* programming_actions_ = nullptr;
    ExportActions* export_actions_ = nullptr;
    DownloadActions* download_actions_ = nullptr;
    std::unique_ptr<WindowArchive> own_archive_;

    // The dialogs are windows of their own, not children, so that each control name is
    // found once among the main window's children.
    std::unique_ptr<ChartEditor> editor_;
    std::unique_ptr<DataPathDialog> data_path_;
    std::unique_ptr<AboutBox> about_box_;
    std::unique_ptr<ManualWindow> manual_;
    std::unique_ptr<LanguageDialog> language_dialog_;
    QPointer<TemperatureUnitDialog> unit_dialog_;
};

}  // namespace frostel::app
