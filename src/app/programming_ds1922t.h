#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <map>

#include "link/clock.h"
#include "link/logger_commands.h"
#include "mission/logger_type.h"
#include "mission/mission_header.h"
#include "platform/busy_guard.h"
#include "programming/programming_rules.h"
#include "programming/programming_run.h"
#include "programming/programming_settings.h"
#include "programming/result_line.h"

class QButtonGroup;
class QCalendarWidget;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace frostel::app {

// The programming window: the settings of the next mission and the button that writes it
// into the logger in the reader. Controls carry their names as objectName; an entry of a
// control array is named with its index, "Option4(2)". Closing the window destroys it.
class Programming_DS1922T : public QWidget {
    Q_OBJECT

  public:
    // `comm_port_number` gives the chosen port (0: none, a run then does nothing);
    // `set_busy` is called with true before a run and with false after it, however it ends:
    // the program's busy state turns every control off that would start another logger
    // operation, this window's own "Programming Logger" included.
    Programming_DS1922T(link::LoggerCommands& commands, link::Clock& clock,
                        std::function<int()> comm_port_number,
                        std::function<void(bool busy)> set_busy, QWidget* parent = nullptr);

    // What the main window's "Programming" button asks: the mission text emptied, the
    // calendar on today, the port and the logger last read there named, the window shown
    // above the others without blocking.
    void open_for_new_mission();
    // A download or a run read this logger on `port`: the one a run there meets next.
    void note_logger_read(int port, const mission::MissionHeader& header);
    // The calibration a download read, in tenths of a degree.
    void preset_calibration(int tenths);
    // The port chosen changed: the line names it, and the logger last read there.
    void show_port_line();
    // The settings as the controls hold them now.
    [[nodiscard]] programming::ProgrammingSettings settings() const;
    // "Programming Logger", for the busy state to guard.
    [[nodiscard]] QPushButton& programming_button() const { return *programButton_; }

    // What the program keeps around a run: whether the person at the window may program at
    // all (a refusal said and kept by it), whether a mission the logger still holds may be
    // overwritten (asked before anything is cleared), each finished run, whether the archive
    // holds a mission (nothing: it cannot be checked), and the download of a mission kept
    // to be downloaded first.
    struct RunKeeping {
        std::function<bool()> permitted;
        std::function<programming::HeldMissionChoice(const mission::HeldMission&)> held_mission;
        std::function<void(const programming::ProgrammingSettings&, const programming::RunResult&)>
            finished;
        std::function<std::optional<bool>(const mission::HeldMission&)> archived;
        std::function<void()> download_first;
    };
    void set_run_keeping(RunKeeping keeping) { keeping_ = std::move(keeping); }

  signals:
    // A run read the logger's type from its configuration byte.
    void loggerTypeRead(frostel::mission::LoggerType type);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void build_calibration_group();
    void build_text_group();
    void build_interval_group();
    void build_option_groups();
    void build_result_strip();
    void build_start_group();
    void build_threshold_group(QGroupBox* start);
    void build_date_time_group(QGroupBox* start);
    void build_logger_line();
    void connect_handlers();
    void show_minutes_only_choices(const programming::UnitRule& rule);
    void show_logger_found(int port, const mission::MissionHeader& header);
    // The line after a run: the logger as the run left it.
    void show_logger_after(int port, const programming::RunResult& result);
    [[nodiscard]] programming::RunResult run(int port);

    void UpdateIntervalDisplay();
    void Option1_Click(int index);
    void Option4_Click(int index);
    // The thresholds and the "Alarms" choice as the start mode and that choice allow.
    void show_start_choices();
    void HScroll2_Change();
    void Command2_Click();
    void Command1_Click();
    void ShowResult(const programming::ResultLine& line);
    friend class platform::BusyGuard<Programming_DS1922T>;
    void set_busy(bool busy);

    link::LoggerCommands& commands_;
    link::Clock& clock_;
    std::function<int()> comm_port_number_;
    std::function<void(bool)> set_busy_;
    RunKeeping keeping_;
    bool running_ = false;

    QScrollBar* calibrationSlider_ = nullptr;     // HScroll2
    QLabel* calibrationLabel_ = nullptr;          // Label6
    QPlainTextEdit* missionText_ = nullptr;       // RichTextBox1
    QButtonGroup* unitGroup_ = nullptr;           // Option1
    QLabel* intervalLabel_ = nullptr;             // Label1
    QScrollBar* intervalSlider_ = nullptr;        // HScroll1
    QButtonGroup* loggingModeGroup_ = nullptr;    // Option3
    QButtonGroup* resolutionGroup_ = nullptr;     // Option2
    QLabel* maxLoggingTimeLabel_ = nullptr;       // Label4
    QProgressBar* progressBar_ = nullptr;         // ProgressBar1
    QFrame* resultStrip_ = nullptr;               // Frame10
    QLabel* resultLabel_ = nullptr;               // Label5
    QPushButton* programButton_ = nullptr;        // Command1
    QButtonGroup* startGroup_ = nullptr;          // Option4
    QGroupBox* thresholdGroup_ = nullptr;         // Frame6
    std::array<QLabel*, 2> thresholdLabels_{};    // Label2
    std::array<QLineEdit*, 2> thresholdTexts_{};  // Text1
    QCheckBox* alarmsCheck_ = nullptr;
    QGroupBox* dateTimeGroup_ = nullptr;   // Frame7
    QCalendarWidget* calendar_ = nullptr;  // MonthView1
    QLabel* timeLabel_ = nullptr;          // Label3
    QLineEdit* startTime_ = nullptr;       // MaskEdBox1
    QLabel* loggerLine_ = nullptr;
    // The logger each port was last read with, by port number.
    std::map<int, mission::MissionHeader> last_read_;
};

}  // namespace frostel::app
