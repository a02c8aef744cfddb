#include "app/programming_ds1922t.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>

#include "app/pixel_geometry.h"
#include "programming/programming_rules.h"
#include "programming/programming_run.h"
#include "report/result_palette.h"

namespace frostel::app {

using programming::HeldMissionChoice;
using programming::IntervalRange;
using programming::IntervalUnit;
using programming::ProgrammingSettings;
using programming::Resolution;
using programming::ResultLine;
using programming::StartMode;

namespace {

constexpr int kFontPointSize = 8;
constexpr int kSecondsEntry = 0;
constexpr int kSixteenthEntry = 0;
constexpr int kHalfEntry = 1;
constexpr int kEarliestEntry = 0;
constexpr int kLatestEntry = 1;
constexpr int kImmediateEntry = 0;
constexpr int kTemperatureEntry = 1;
constexpr int kLowEntry = 0;
constexpr int kHighEntry = 1;
// Below the controls' own area, which ends at 7455, three lines naming the port and the logger.
constexpr int kLoggerLineTop = 7455;
constexpr int kLoggerLineHeight = 720;
constexpr int kWindowHeight = kLoggerLineTop + kLoggerLineHeight + 60;

QRect twips(int left, int top, int width, int height) {
    return pixel_rect({left, top, width, height});
}

template <typename Widget>
Widget* place(Widget* widget, const QString& name, const QRect& geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QString entry_name(const char* array, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index);
}

QButtonGroup* option_array(QWidget* owner, const char* name) {
    auto* group = new QButtonGroup(owner);
    group->setObjectName(QLatin1String(name));
    return group;
}

QRadioButton* add_option(QButtonGroup* group, QWidget* parent, int index, const QString& caption,
                         const QRect& geometry) {
    auto* option = place(new QRadioButton(caption, parent),
                         entry_name(group->objectName().toLatin1().constData(), index), geometry);
    group->addButton(option, index);
    return option;
}

QLabel* centred_label(QWidget* parent, const QString& name, const QString& text,
                      const QRect& geometry) {
    auto* label = place(new QLabel(text, parent), name, geometry);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QScrollBar* slider(QWidget* parent, const QString& name, const QRect& geometry, int minimum,
                   int maximum, int value) {
    auto* bar = place(new QScrollBar(Qt::Horizontal, parent), name, geometry);
    bar->setRange(minimum, maximum);
    bar->setPageStep(1);
    bar->setValue(value);
    return bar;
}

// Selects `entry`; a change of selection runs the entry's own handler, as a click would.
void check_entry(QButtonGroup* group, int entry) {
    group->button(entry)->setChecked(true);
}

void on_selection(QButtonGroup* group, std::function<void(int)> handler) {
    QObject::connect(group, &QButtonGroup::idToggled, group,
                     [handler = std::move(handler)](int id, bool checked) {
                         if (checked) {
                             handler(id);
                         }
                     });
}

// The text as it goes to the logger: each line break as the CR LF that Enter typed.
std::string logger_text(const QPlainTextEdit& edit) {
    QString text = edit.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text.toStdString();
}

// A control the rules grey out says why in its tooltip.
void enable_or_say_why(QAbstractButton* control, bool enabled, const QString& why) {
    control->setEnabled(enabled);
    control->setToolTip(enabled ? QString() : why);
}

// "logger 4100000ABCDEF1AA, type L, mission running, 100 samples held"
QString logger_state(const mission::MissionHeader& header) {
    return QCoreApplication::translate("Programming_DS1922T",
                                       "logger %1, type %2, %3, %4 samples held")
        .arg(QString::fromStdString(header.logger_id))
        .arg(QChar::fromLatin1(static_cast<char>(header.logger_type)))
        .arg((header.general_status & link::kStatusMissionRunning) != 0
                 ? QCoreApplication::translate("Programming_DS1922T", "mission running")
                 : QCoreApplication::translate("Programming_DS1922T", "stopped"))
        .arg(header.mission_sample_count);
}

}  // namespace

Programming_DS1922T::Programming_DS1922T(link::LoggerCommands& commands, link::Clock& clock,
                                         std::function<int()> comm_port_number,
                                         std::function<void(bool)> set_busy, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      commands_(commands),
      clock_(clock),
      comm_port_number_(std::move(comm_port_number)),
      set_busy_(std::move(set_busy)) {
    setObjectName(QStringLiteral("Programming_DS1922T"));
    setWindowTitle(QStringLiteral("Programming"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twips_to_pixels(6615), twips_to_pixels(kWindowHeight));
    // The positions are laid out for a small dialog font.
    QFont font = this->font();
    font.setPointSize(kFontPointSize);
    setFont(font);
    build_calibration_group();
    build_text_group();
    build_interval_group();
    build_option_groups();
    build_result_strip();
    build_start_group();
    build_logger_line();
    show_port_line();
    show_minutes_only_choices(programming::unit_rule(IntervalUnit::kSeconds));
    // Handlers come last so the defaults stand as set, texts included.
    connect_handlers();
    if (const QScreen* where = screen()) {
        move(where->availableGeometry().center() - rect().center());
    }
}

void Programming_DS1922T::build_calibration_group() {
    auto* frame = place(new QGroupBox(QStringLiteral("Calibration"), this),
                        QStringLiteral("Frame11"), twips(120, 120, 1215, 1695));
    calibrationLabel_ = centred_label(frame, QStringLiteral("Label6"), QStringLiteral("0"),
                                      twips(120, 600, 975, 255));
    calibrationSlider_ =
        slider(frame, QStringLiteral("HScroll2"), twips(120, 840, 975, 255),
               programming::kCalibrationMinimum, programming::kCalibrationMaximum, 0);
}

void Programming_DS1922T::build_text_group() {
    auto* frame = place(new QGroupBox(QStringLiteral("Mission Information Text"), this),
                        QStringLiteral("Frame9"), twips(1440, 120, 5055, 1695));
    missionText_ = place(new QPlainTextEdit(frame), QStringLiteral("RichTextBox1"),
                         twips(120, 240, 3735, 1335));
    auto* clear = place(new QPushButton(QStringLiteral("Delete Text"), frame),
                        QStringLiteral("Command2"), twips(3960, 240, 975, 1335));
    connect(clear, &QPushButton::clicked, this, &Programming_DS1922T::Command2_Click);
}

void Programming_DS1922T::build_interval_group() {
    auto* frame = place(new QGroupBox(QStringLiteral("Log Interval"), this),
                        QStringLiteral("Frame1"), twips(120, 1920, 3255, 1695));
    auto* units = place(new QGroupBox(QStringLiteral("Units"), frame), QStringLiteral("Frame5"),
                        twips(240, 360, 2775, 615));
    unitGroup_ = option_array(this, "Option1");
    add_option(unitGroup_, units, 0, QStringLiteral("Seconds"), twips(120, 240, 1335, 255))
        ->setChecked(true);
    add_option(unitGroup_, units, 1, QStringLiteral("Minutes"), twips(1440, 240, 1215, 255));
    intervalLabel_ = centred_label(frame, QStringLiteral("Label1"), QStringLiteral("10 seconds"),
                                   twips(240, 1080, 2775, 255));
    const IntervalRange seconds = programming::unit_rule(IntervalUnit::kSeconds).interval_range;
    intervalSlider_ = slider(frame, QStringLiteral("HScroll1"), twips(240, 1320, 2775, 255),
                             seconds.minimum, seconds.maximum, 10);
}

void Programming_DS1922T::build_option_groups() {
    auto* mode = place(new QGroupBox(QStringLiteral("Logging Mode"), this),
                       QStringLiteral("Frame3"), twips(120, 3720, 3255, 855));
    loggingModeGroup_ = option_array(this, "Option3");
    add_option(loggingModeGroup_, mode, kEarliestEntry, QStringLiteral("Earliest"),
               twips(360, 480, 1215, 255))
        ->setChecked(true);
    add_option(loggingModeGroup_, mode, kLatestEntry, QStringLiteral("Latest"),
               twips(2040, 480, 1095, 255));

    auto* resolution = place(new QGroupBox(QStringLiteral("Temperature Resolution"), this),
                             QStringLiteral("Frame2"), twips(120, 4680, 3255, 855));
    resolutionGroup_ = option_array(this, "Option2");
    add_option(resolutionGroup_, resolution, kSixteenthEntry, QStringLiteral("0.0625'C"),
               twips(360, 480, 1215, 255));
    add_option(resolutionGroup_, resolution, kHalfEntry, QStringLiteral("0.5'C"),
               twips(2160, 480, 855, 255))
        ->setChecked(true);

    auto* duration = place(new QGroupBox(QStringLiteral("Max Logging Time"), this),
                           QStringLiteral("Frame8"), twips(120, 5640, 3255, 855));
    // Without the leading blank that every computed text has.
    maxLoggingTimeLabel_ =
        centred_label(duration, QStringLiteral("Label4"),
                      QStringLiteral("0 Days - 22 Hours - 45 Minutes"), twips(120, 480, 3015, 255));
}

void Programming_DS1922T::build_result_strip() {
    progressBar_ =
        place(new QProgressBar(this), QStringLiteral("ProgressBar1"), twips(120, 6600, 3255, 255));
    progressBar_->setRange(0, programming::kProgressSteps);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    resultStrip_ = place(new QFrame(this), QStringLiteral("Frame10"), twips(120, 6600, 3255, 255));
    resultStrip_->setFrameShape(QFrame::NoFrame);
    resultLabel_ =
        centred_label(resultStrip_, QStringLiteral("Label5"), QString(), twips(0, 0, 3255, 255));
    resultLabel_->setAutoFillBackground(true);
    resultStrip_->hide();
    programButton_ = place(new QPushButton(QStringLiteral("Programming Logger"), this),
                           QStringLiteral("Command1"), twips(120, 6855, 3255, 495));
    connect(programButton_, &QPushButton::clicked, this, &Programming_DS1922T::Command1_Click);
}

void Programming_DS1922T::build_start_group() {
    auto* frame = place(new QGroupBox(QStringLiteral("Logging Start"), this),
                        QStringLiteral("Frame4"), twips(3480, 1920, 3015, 5415));
    startGroup_ = option_array(this, "Option4");
    add_option(startGroup_, frame, kImmediateEntry, QStringLiteral("Immidiate"),
               twips(240, 360, 1695, 255))
        ->setChecked(true);
    add_option(startGroup_, frame, kTemperatureEntry, QStringLiteral("Temperature"),
               twips(240, 720, 1695, 255));
    // Beside the thresholds, so that a mission that starts at once can flag them too.
    alarmsCheck_ = place(new QCheckBox(tr("Alarms"), frame), QStringLiteral("alarms_check"),
                         twips(1980, 720, 915, 255));
    build_threshold_group(frame);
    add_option(startGroup_, frame, 2, QStringLiteral("Date && Time"), twips(240, 1920, 1815, 255));
    build_date_time_group(frame);
}

void Programming_DS1922T::build_threshold_group(QGroupBox* start) {
    thresholdGroup_ =
        place(new QGroupBox(start), QStringLiteral("Frame6"), twips(240, 960, 2610, 855));
    const std::array<const char*, 2> captions{"Low", "High"};
    const std::array<const char*, 2> defaults{"0", "85"};
    for (int entry : {kLowEntry, kHighEntry}) {
        const int left = 120 + 1200 * entry;
        thresholdLabels_[entry] = place(new QLabel(QLatin1String(captions[entry]), thresholdGroup_),
                                        entry_name("Label2", entry), twips(left, 360, 495, 255));
        thresholdLabels_[entry]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        thresholdTexts_[entry] =
            place(new QLineEdit(QLatin1String(defaults[entry]), thresholdGroup_),
                  entry_name("Text1", entry), twips(left + 600, 360, 495, 285));
        thresholdTexts_[entry]->setAlignment(Qt::AlignCenter);
    }
    thresholdGroup_->setEnabled(false);
}

void Programming_DS1922T::build_date_time_group(QGroupBox* start) {
    dateTimeGroup_ =
        place(new QGroupBox(start), QStringLiteral("Frame7"), twips(120, 2160, 2780, 3135));
    calendar_ = place(new QCalendarWidget(dateTimeGroup_), QStringLiteral("MonthView1"),
                      twips(0, 0, 2780, 2760));
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar_->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    const platform::LocalDateTime today = clock_.local_now();
    calendar_->setSelectedDate(QDate(today.year, today.month, today.day));
    timeLabel_ = place(new QLabel(QStringLiteral("Time"), dateTimeGroup_), QStringLiteral("Label3"),
                       twips(120, 2820, 615, 255));
    startTime_ = place(new QLineEdit(dateTimeGroup_), QStringLiteral("MaskEdBox1"),
                       twips(840, 2820, 735, 255));
    startTime_->setInputMask(QStringLiteral("99:99;_"));
    dateTimeGroup_->setEnabled(false);
}

void Programming_DS1922T::build_logger_line() {
    loggerLine_ = place(new QLabel(this), QStringLiteral("logger_line"),
                        twips(120, kLoggerLineTop, 6375, kLoggerLineHeight));
    loggerLine_->setWordWrap(true);
    loggerLine_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Programming_DS1922T::connect_handlers() {
    connect(intervalSlider_, &QScrollBar::valueChanged, this,
            &Programming_DS1922T::UpdateIntervalDisplay);
    connect(calibrationSlider_, &QScrollBar::valueChanged, this,
            &Programming_DS1922T::HScroll2_Change);
    on_selection(resolutionGroup_, [this](int) { UpdateIntervalDisplay(); });
    on_selection(unitGroup_, [this](int entry) { Option1_Click(entry); });
    on_selection(startGroup_, [this](int entry) { Option4_Click(entry); });
    connect(alarmsCheck_, &QCheckBox::toggled, this, &Programming_DS1922T::show_start_choices);
}

void Programming_DS1922T::open_for_new_mission() {
    missionText_->clear();
    const platform::LocalDateTime today = clock_.local_now();
    calendar_->setSelectedDate(QDate(today.year, today.month, today.day));
    show_port_line();
    show();
    raise();
    activateWindow();
}

void Programming_DS1922T::set_busy(bool busy) {
    running_ = busy;
    if (set_busy_) {
        set_busy_(busy);
    }
}

void Programming_DS1922T::note_logger_read(int port, const mission::MissionHeader& header) {
    last_read_.insert_or_assign(port, header);
    show_port_line();
}

void Programming_DS1922T::show_port_line() {
    const int port = comm_port_number_();
    if (port == 0) {
        loggerLine_->setText(tr("No port is chosen: use COMMUNICATION PORT or FIND COMMPORT."));
        return;
    }
    const auto found = last_read_.find(port);
    loggerLine_->setText(
        tr("Port %1. Last logger read there: %2.")
            .arg(port)
            .arg(found == last_read_.end() ? tr("not read yet") : logger_state(found->second)));
}

void Programming_DS1922T::show_logger_found(int port, const mission::MissionHeader& header) {
    last_read_.insert_or_assign(port, header);
    QString archived;
    if (header.mission_sample_count > 0 && keeping_.archived) {
        const std::optional<bool> holds =
            keeping_.archived({header.logger_id, header.start_time, header.mission_sample_count});
        archived = !holds   ? tr(", the archive cannot be checked")
                   : *holds ? tr(", in the archive")
                            : tr(", not in the archive");
    }
    loggerLine_->setText(
        tr("Port %1. This logger: %2%3.").arg(port).arg(logger_state(header), archived));
}

void Programming_DS1922T::show_logger_after(int port, const programming::RunResult& result) {
    const auto found = last_read_.find(port);
    if (found == last_read_.end()) {
        return;
    }
    if (result.line && result.line->kind == programming::ResultKind::kOk) {
        show_logger_found(port, programming::programmed_logger(found->second));
    } else if (result.kept_held_mission == HeldMissionChoice::kCancel) {
        loggerLine_->setText(loggerLine_->text() + ' ' +
                             tr("It stays stopped, its samples kept, and nothing was written: "
                                "program it to record again."));
    }
}

void Programming_DS1922T::preset_calibration(int tenths) {
    calibrationSlider_->setValue(tenths);
}

ProgrammingSettings Programming_DS1922T::settings() const {
    ProgrammingSettings settings;
    settings.unit =
        unitGroup_->checkedId() == kSecondsEntry ? IntervalUnit::kSeconds : IntervalUnit::kMinutes;
    settings.interval = intervalSlider_->value();
    settings.resolution = resolutionGroup_->checkedId() == kSixteenthEntry ? Resolution::kSixteenth
                                                                           : Resolution::kHalf;
    settings.rollover = loggingModeGroup_->checkedId() == kLatestEntry;
    // The entries stand in the order of the start modes.
    settings.start_mode = static_cast<StartMode>(startGroup_->checkedId());
    settings.low_threshold = thresholdTexts_[kLowEntry]->text().toStdString();
    settings.high_threshold = thresholdTexts_[kHighEntry]->text().toStdString();
    settings.alarms = alarmsCheck_->isChecked();
    const QDate date = calendar_->selectedDate();
    settings.start_date = {date.year(), date.month(), date.day()};
    settings.start_time = startTime_->displayText().toStdString();
    settings.calibration = calibrationSlider_->value();
    settings.mission_text = logger_text(*missionText_);
    return settings;
}

void Programming_DS1922T::closeEvent(QCloseEvent* event) {
    // The run lets events through between pages; the window must outlive it.
    if (running_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void Programming_DS1922T::UpdateIntervalDisplay() {
    const ProgrammingSettings now = settings();
    const programming::IntervalDisplay display =
        programming::interval_display(now.interval, now.unit, now.resolution);
    intervalLabel_->setText(QString::fromStdString(display.interval));
    maxLoggingTimeLabel_->setText(QString::fromStdString(display.max_logging_time));
}

void Programming_DS1922T::Option1_Click(int index) {
    const IntervalUnit unit =
        index == kSecondsEntry ? IntervalUnit::kSeconds : IntervalUnit::kMinutes;
    // The rules decide what the unit forces; the window only shows it.
    ProgrammingSettings chosen = settings();
    programming::apply_unit_rule(chosen, unit);
    const programming::UnitRule rule = programming::unit_rule(unit);
    // Minimum first: the slider moves its value into the new range as it narrows.
    intervalSlider_->setMinimum(rule.interval_range.minimum);
    intervalSlider_->setMaximum(rule.interval_range.maximum);
    intervalSlider_->setValue(chosen.interval);
    check_entry(resolutionGroup_,
                chosen.resolution == Resolution::kSixteenth ? kSixteenthEntry : kHalfEntry);
    check_entry(startGroup_, static_cast<int>(chosen.start_mode));
    check_entry(loggingModeGroup_, chosen.rollover ? kLatestEntry : kEarliestEntry);
    show_minutes_only_choices(rule);
    UpdateIntervalDisplay();
}

void Programming_DS1922T::show_minutes_only_choices(const programming::UnitRule& rule) {
    enable_or_say_why(resolutionGroup_->button(kSixteenthEntry), rule.sixteenth_enabled,
                      tr("Needs Minutes: with an interval in seconds the logger keeps "
                         "half-degree samples."));
    enable_or_say_why(startGroup_->button(kTemperatureEntry), rule.temperature_start_enabled,
                      tr("Needs Minutes: a start on temperature is for intervals in minutes."));
    enable_or_say_why(loggingModeGroup_->button(kLatestEntry), rule.rollover_enabled,
                      tr("Needs Minutes: overwriting the oldest samples is for intervals in "
                         "minutes."));
}

void Programming_DS1922T::Option4_Click(int /*index*/) {
    show_start_choices();
}

void Programming_DS1922T::show_start_choices() {
    const ProgrammingSettings chosen = settings();
    const programming::StartModeEnabling enabling =
        programming::start_mode_enabling(chosen.start_mode, chosen.alarms);
    enable_or_say_why(alarmsCheck_, enabling.alarms_choice,
                      tr("A start on temperature always sets the alarms."));
    const std::initializer_list<QWidget*> threshold_controls{
        thresholdGroup_, thresholdLabels_[0], thresholdLabels_[1], thresholdTexts_[0],
        thresholdTexts_[1]};
    for (QWidget* control : threshold_controls) {
        control->setEnabled(enabling.thresholds);
    }
    const std::initializer_list<QWidget*> date_time_controls{dateTimeGroup_, calendar_, timeLabel_,
                                                             startTime_};
    for (QWidget* control : date_time_controls) {
        control->setEnabled(enabling.date_time);
    }
}

void Programming_DS1922T::HScroll2_Change() {
    calibrationLabel_->setText(QString::fromStdString(programming::calibration_text(
        calibrationSlider_->value(), QLocale().decimalPoint().toStdString())));
}

void Programming_DS1922T::Command2_Click() {
    missionText_->clear();
    missionText_->setFocus();
}

void Programming_DS1922T::Command1_Click() {
    // A click let in by the run's own event processing starts nothing.
    if (running_ || (keeping_.permitted && !keeping_.permitted())) {
        return;
    }
    resultStrip_->hide();
    progressBar_->setValue(0);
    const int port = comm_port_number_();
    const programming::RunResult result = run(port);
    if (result.logger_type) {
        emit loggerTypeRead(*result.logger_type);
    }
    const std::optional<ResultLine> line =
        result.kept_held_mission ? programming::nothing_written() : result.line;
    show_logger_after(port, result);
    if (line) {
        ShowResult(*line);
        resultLabel_->setToolTip(result.failure
                                     ? QString::fromStdString(link::failure_text(*result.failure))
                                     : QString());
    }
    // The mission stays in the logger, stopped, and goes to the main window at once, this
    // window out of its way meanwhile; every field stays as typed, the calibration too, so
    // the run can follow.
    if (result.kept_held_mission == HeldMissionChoice::kDownloadFirst && keeping_.download_first) {
        const QPointer<Programming_DS1922T> self(this);
        const int calibration = calibrationSlider_->value();
        hide();
        keeping_.download_first();
        if (!self.isNull()) {
            calibrationSlider_->setValue(calibration);
            show();
            raise();
        }
    }
}

programming::RunResult Programming_DS1922T::run(int port) {
    // The busy state entered for the run, and left however the run ends.
    const platform::BusyGuard busy(*this);
    const programming::RunHooks hooks{
        [this](const programming::ThresholdTexts& corrected) {
            thresholdTexts_[kLowEntry]->setText(QString::fromStdString(corrected.low));
            thresholdTexts_[kHighEntry]->setText(QString::fromStdString(corrected.high));
        },
        [this](int value) { progressBar_->setValue(value); },
        [] { QCoreApplication::processEvents(); }, keeping_.held_mission,
        [this, port](const mission::MissionHeader& header) { show_logger_found(port, header); }};
    const ProgrammingSettings run_settings = settings();
    programming::RunResult result =
        programming::run_programming(commands_, clock_, port, run_settings, hooks);
    if (keeping_.finished) {
        keeping_.finished(run_settings, result);
    }
    return result;
}

void Programming_DS1922T::ShowResult(const ResultLine& line) {
    resultLabel_->setText(QString::fromStdString(line.text));
    QPalette colours = resultLabel_->palette();
    colours.setColor(QPalette::Window, line.is_failure()
                                           ? report::alarm_background()
                                           : QGuiApplication::palette().color(QPalette::Button));
    colours.setColor(QPalette::WindowText, line.is_failure()
                                               ? report::alarm_text()
                                               : report::result_colour(report::ResultKind::kPass));
    resultLabel_->setPalette(colours);
    resultStrip_->show();
    resultStrip_->raise();
}

}  // namespace frostel::app
