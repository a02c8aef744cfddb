#include "app/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "app/about_box.h"
#include "app/app_version.h"
#include "app/archive_actions.h"
#include "app/chart_editor.h"
#include "app/chart_view.h"
#include "app/command_bar.h"
#include "app/data_path_dialog.h"
#include "app/download_actions.h"
#include "app/export_actions.h"
#include "app/language_dialog.h"
#include "app/load_phase.h"
#include "app/manual_window.h"
#include "app/mission_text_box.h"
#include "app/pictures.h"
#include "app/pixel_geometry.h"
#include "app/programming_actions.h"
#include "app/summary_actions.h"
#include "app/summary_preferences.h"
#include "app/summary_window.h"
#include "app/table_view.h"
#include "app/temperature_unit_dialog.h"
#include "app/topmost.h"
#include "app/window_archive.h"
#include "app/window_placement.h"
#include "report/result_palette.h"

namespace frostel::app {

namespace {

constexpr std::chrono::milliseconds kNoticeDisplay{3000};

QString port_caption(int number) {
    // Entry 12 has always read "COM12"; the others carry a hyphen.
    return number == 12 ? QStringLiteral("COM12") : QStringLiteral("COM-%1").arg(number);
}

bool has_menu_entry(std::optional<int> port) {
    return port && *port >= link::kFirstPortNumber && *port <= link::kLastPortNumber;
}

// A port number as the audit trail keeps it; empty for none.
QString port_text(std::optional<int> port) {
    return port ? QString::number(*port) : QString();
}

template <typename Button>
Button* tool_button(QWidget* parent, const char* name, const QIcon& icon, const QString& tip) {
    auto* button = new Button(parent);
    button->setObjectName(name);
    button->setIcon(icon);
    button->setToolTip(tip);
    return button;
}

QPushButton* text_button(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

}  // namespace

MainWindow::MainWindow(MainWindowTies ties)
    : ties_(std::move(ties)),
      link_(ties_.port, ties_.clock),
      commands_(link_),
      // The archive in use and the data folder's own, which keeps downloads for a shared one.
      file_dialogs_(ties_.file_dialogs, [this] {
          return QStringList{archive_location(ties_.program_folder, settings_.data_folder),
                             archive::archive_path(settings_.data_folder)};
      }) {
    setObjectName("Frostel");
    setWindowTitle("Frostel   Version " + kVersion);
    client_ = new QWidget(this);
    client_->setObjectName("client");
    setCentralWidget(client_);
    build_menus();
    build_views();
    build_command_bar();
    summary_ = new SummaryActions(shown_, *chart_, *table_, *verdict_line_,
                                  program_file(kSummaryPreferencesFileName), this);
    connect(summary_button_, &QPushButton::clicked, summary_, &SummaryActions::open);
    fit_to_data_->setChecked(summary_->fit_to_data());
    connect(fit_to_data_, &QPushButton::toggled, this, [this](bool on) {
        summary_->set_fit_to_data(on);
        mission_views().show_value_range(shown_.unit());
    });
    command_bar_->raise();
    guard_controls();
    build_controllers();
    editor_ = std::make_unique<ChartEditor>();
    client_->installEventFilter(this);
    auto* help = new QShortcut(QKeySequence::HelpContents, this, this, &MainWindow::open_manual);
    help->setContext(Qt::ApplicationShortcut);
    resize(twips_to_pixels(kClientWidth), twips_to_pixels(kClientHeight) +
                                              menuBar()->sizeHint().height() +
                                              statusBar()->sizeHint().height());
    // Where the user left it last; Qt keeps a remembered place on the screens there are now.
    restoreGeometry(read_window_geometry(program_file(kWindowPlacementFileName)));

    show_rights();

    startup_timer_.setObjectName("Timer1");
    startup_timer_.setSingleShot(true);
    startup_timer_.setInterval(1);
    connect(&startup_timer_, &QTimer::timeout, this, &MainWindow::start_up);
    notice_timer_.setSingleShot(true);
    notice_timer_.setInterval(kNoticeDisplay);
    connect(&notice_timer_, &QTimer::timeout, search_frame_, &QWidget::hide);
}

MainWindow::~MainWindow() {
    delete unit_dialog_.data();
}

void MainWindow::build_menus() {
    port_menu_ = menuBar()->addMenu("COMMUNICATION PORT");
    port_menu_->setObjectName("communication_port_menu");
    for (int number = link::kFirstPortNumber; number <= link::kLastPortNumber; ++number) {
        QAction* entry = port_menu_->addAction(port_caption(number));
        entry->setObjectName("com_menu");
        entry->setProperty("index", number);
        entry->setCheckable(true);
        connect(entry, &QAction::triggered, this, [this, number] { choose_port(number); });
        port_entries_.push_back(entry);
    }
    port_menu_->addSeparator();
    find_port_ = port_menu_->addAction("FIND COMMPORT");
    find_port_->setObjectName("find_commport_menu");
    port_menu_->setToolTipsVisible(true);
    connect(find_port_, &QAction::triggered, this, &MainWindow::find_reader_port);

    QMenu* driver_menu = menuBar()->addMenu("USB-Driver");
    driver_menu->setObjectName("usb_driver_menu");
    install_driver_ = driver_menu->addAction("Install USB-Driver");
    install_driver_->setObjectName("install_usb_driver_menu");
    connect(install_driver_, &QAction::triggered, this, &MainWindow::install_usb_driver);
}

// What would start another logger operation, open or save a file, change the unit, the
// port or the data folder, or start the driver installer. The dialogs are guarded as they
// are made, the chart's file tools once they work.
void MainWindow::guard_controls() {
    for (QAction* action : {port_menu_->menuAction(), find_port_, install_driver_}) {
        busy_.guard(action);
    }
    for (QWidget* button : std::initializer_list<QWidget*>{load_data_, retrieve_, unit_}) {
        busy_.guard(button);
    }
    using archive::Right;
    const std::tuple<QWidget*, Right, QString> for_some_roles[] = {
        {programming_, Right::kProgram, programming_->text()},
        {report_, Right::kExport, report_->toolTip()},
        {export_, Right::kExport, export_->toolTip()},
        {set_path_, Right::kChangeAccounts, set_path_->toolTip()}};
    for (const auto& [control, right, name] : for_some_roles) {
        busy_.guard(control, permission(right, name));
    }
}

BusyState::Permission MainWindow::permission(archive::Right right, const QString& control) const {
    return right_permission([this] { return signed_in(); }, right, control);
}

void MainWindow::build_command_bar() {
    command_bar_ = new CommandBar(file_dialogs_, client_);
    QStyle* look = style();
    language_frame_ = new QFrame(command_bar_);
    language_frame_->setObjectName("Frame2");
    language_ = tool_button<QToolButton>(language_frame_, "Command3", flag_icon(Flag::kEnglish),
                                         "Change Language");
    language_->setIconSize({28, 22});
    about_ = tool_button<QPushButton>(command_bar_, "Command6",
                                      look->standardIcon(QStyle::SP_MessageBoxInformation),
                                      "About Frostel");
    set_path_ = tool_button<QPushButton>(command_bar_, "Command1",
                                         look->standardIcon(QStyle::SP_DirIcon), "Set Path");
    retrieve_ = tool_button<QPushButton>(command_bar_, "Command2",
                                         look->standardIcon(QStyle::SP_DialogOpenButton),
                                         "Retrieve Data From Disk");
    unit_ = tool_button<QPushButton>(command_bar_, "Command4", thermometer_icon(),
                                     "Select Temperature Unit");
    fit_to_data_ =
        tool_button<QPushButton>(command_bar_, "fit_to_data_button", fit_icon(), "Fit to Data");
    summary_button_ = tool_button<QPushButton>(command_bar_, "mission_summary_button",
                                               summary_icon(), "Mission Summary");
    report_ = tool_button<QToolButton>(command_bar_, "mission_report_button", report_icon(),
                                       "Mission Report");
    report_->setPopupMode(QToolButton::MenuButtonPopup);
    export_ =
        tool_button<QToolButton>(command_bar_, "export_csv_button", table_icon(), "Export CSV");
    export_->setPopupMode(QToolButton::InstantPopup);
    archive_ = tool_button<QPushButton>(command_bar_, "archive_button", archive_icon(), "Archive");
    load_data_ = text_button(command_bar_, "Command10", "Load Data");
    programming_ = text_button(command_bar_, "Command8", "Programming");
    progress_bar_ = new QProgressBar(command_bar_);
    progress_bar_->setObjectName("ProgressBar1");
    progress_bar_->setTextVisible(false);
    progress_bar_->setValue(0);
    error_frame_ = new QFrame(command_bar_);
    error_frame_->setObjectName("Frame4");
    error_frame_->hide();
    error_label_ = new QLabel(error_frame_);
    error_label_->setObjectName("Label2");
    error_label_->setAlignment(Qt::AlignCenter);
    error_label_->setStyleSheet(report::result_style(report::ResultKind::kFail));

    connect(set_path_, &QPushButton::clicked, this, &MainWindow::open_data_path);
    connect(about_, &QPushButton::clicked, this, &MainWindow::open_about);
    connect(language_, &QToolButton::clicked, this, &MainWindow::open_language);
    connect(unit_, &QPushButton::clicked, this, &MainWindow::open_unit_dialog);
    fit_to_data_->setCheckable(true);
}

void MainWindow::build_views() {
    chart_ = new ChartView(client_);
    chart_->hide();
    logger_label_ = new QLabel(chart_);
    logger_label_->setObjectName("Label1");
    logger_label_->setStyleSheet("font-weight: bold; background: transparent;");
    // The type caption and the identity are wider than the label; the identity wraps.
    logger_label_->setWordWrap(true);
    logger_label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    verdict_line_ = new QLabel(chart_);
    verdict_line_->setObjectName("verdict_line");
    verdict_line_->setWordWrap(true);
    verdict_line_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    verdict_line_->setCursor(Qt::PointingHandCursor);
    verdict_line_->setToolTip(QStringLiteral("Mission Summary"));
    verdict_line_->installEventFilter(this);
    verdict_line_->hide();
    // Placed in the chart's coordinates but a child of the window, so that the part of
    // it that reaches past the chart's right edge is not cut off.
    search_frame_ = new QFrame(client_);
    search_frame_->setObjectName("Frame1");
    search_frame_->setFrameShape(QFrame::Panel);
    search_frame_->setFrameShadow(QFrame::Raised);
    search_frame_->setLineWidth(2);
    search_frame_->setAutoFillBackground(true);
    search_frame_->hide();
    search_label_ = new QLabel(search_frame_);
    search_label_->setObjectName("Label3");
    search_label_->setAlignment(Qt::AlignCenter);
    search_label_->setStyleSheet("font-weight: bold; color: #00008b;");
    mission_text_ = new MissionTextBox(client_);
    table_ = new TableView(client_);
    // Below the designed window, so that nothing of its layout moves for it.
    status_line_ = new QLabel(statusBar());
    status_line_->setObjectName("status_line");
    status_line_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->addWidget(status_line_, 1);
    statusBar()->setSizeGripEnabled(false);
}

// Each controller is handed the model and the views it works on; those that meet are
// handed each other, never the window.
void MainWindow::build_controllers() {
    const ControllerTies ties{*this,
                              settings_,
                              commands_,
                              ties_.clock,
                              busy_,
                              file_dialogs_,
                              ties_.program_folder,
                              [this] { return signed_in(); },
                              [this](const QString& outcome) { say(outcome); }};
    if (ties_.archive == nullptr) {
        own_archive_ = std::make_unique<WindowArchive>(ties_.program_folder, ties_.clock);
    }
    archive_actions_ = new ArchiveActions(
        ties, ties_.archive != nullptr ? *ties_.archive : *own_archive_, *archive_,
        [this](std::int64_t id) {
            download_actions_->open_archived(id);
            // Opened from the Archive window, the record is shown in front of it.
            bring_to_front(this);
        },
        [this](std::int64_t id) { download_actions_->save_archived(id); });
    programming_actions_ =
        new ProgrammingActions(ties, *programming_, *archive_actions_, ties_.ask_held_mission,
                               [this] { download_actions_->load_data(); });
    summary_->sign_through(
        {[this]() -> archive::MissionArchive& { return archive_actions_->mission_archive(); },
         [this] { return signed_in(); }});
    export_actions_ =
        new ExportActions(ties, shown_, *chart_, *table_, *report_, *export_, *archive_actions_);
    download_actions_ =
        new DownloadActions(ties, shown_, mission_views(),
                            {*load_data_, *retrieve_, *error_frame_, *error_label_, *progress_bar_},
                            *archive_actions_, *programming_actions_, *export_actions_);
}

MissionViews MainWindow::mission_views() const {
    return {*logger_label_, *chart_, *mission_text_, *table_, *summary_};
}

TwipsRect MainWindow::in_chart(TwipsRect rect) const {
    rect.left += layout_.chart.left;
    rect.top += layout_.chart.top;
    return rect;
}

void MainWindow::place_controls() {
    const std::pair<QWidget*, TwipsRect> placements[] = {
        {command_bar_, layout_.command_bar},
        {language_frame_, layout_.language_frame},
        {language_, layout_.language},
        {about_, layout_.about},
        {command_bar_->tools(), layout_.chart_tools},
        {fit_to_data_, layout_.fit_to_data},
        {set_path_, layout_.set_path},
        {retrieve_, layout_.retrieve},
        {unit_, layout_.unit},
        {summary_button_, layout_.summary},
        {report_, layout_.report},
        {export_, layout_.export_csv},
        {archive_, layout_.archive},
        {load_data_, layout_.load_data},
        {progress_bar_, layout_.progress_bar},
        {error_frame_, layout_.error_frame},
        {error_label_, layout_.error_label},
        {programming_, layout_.programming},
        {chart_, layout_.chart},
        {logger_label_, layout_.logger_label},
        {verdict_line_, layout_.verdict},
        {search_frame_, in_chart(layout_.search_frame)},
        {search_label_, layout_.search_label},
        {mission_text_, layout_.mission_text},
        {table_, layout_.table}};
    for (const auto& [control, rect] : placements) {
        control->setGeometry(pixel_rect(rect));
    }
    search_frame_->raise();
}

void MainWindow::lay_out(QSize client_pixels) {
    layout_ = resized_layout(layout_, client_pixels.width() * kTwipsPerPixel + kFrameExtraWidth,
                             client_pixels.height() * kTwipsPerPixel + kFrameExtraHeight);
    place_controls();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) {
        lay_out(static_cast<QResizeEvent*>(event)->size());
    }
    if (watched == verdict_line_ && event->type() == QEvent::MouseButtonRelease) {
        summary_->open();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!started_ && !startup_timer_.isActive()) {
        startup_timer_.start();
    }
}

// The start-up tick: runs once, after the window is shown.
void MainWindow::start_up() {
    if (started_) {
        return;
    }
    command_bar_->attach(chart_, [this](const std::string& what) {
        return archive_actions_->allows(archive::Right::kExport, what);
    });
    for (QAction* tool : command_bar_->file_tools()) {
        busy_.guard(tool, permission(archive::Right::kExport, tool->toolTip()));
    }
    editor_->attach(chart_);
    command_bar_->set_editor(editor_.get());
    chart_->clear();
    chart_->set_bottom_axis_automatic();
    chart_->show();
    settings_ = platform::read_settings_file(program_file(platform::kSettingsFileName));
    if (settings_.data_folder.isEmpty()) {
        settings_.data_folder = ties_.default_data_folder;
    }
    const std::optional<int> port = settings_.comm_port_number.number();
    // No valid number keeps the port the link had; opening is still attempted.
    link_.open_port(port.value_or(0));
    if (has_menu_entry(port)) {
        port_entries_[*port - 1]->setChecked(true);
    }
    settings_.language_name = QStringLiteral("English");
    table_->set_headings(kTableHeadings);
    started_ = true;
    QCoreApplication::processEvents();
    emit startedUp();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Before the start-up tick nothing was read, and writing would wipe the settings.
    if (started_) {
        QStringList not_saved;
        if (!write_settings()) {
            not_saved << not_saved_text(program_file(platform::kSettingsFileName));
        }
        // The chart's template holds the mission's points: a file like any export.
        const QString chart_template = program_file(kChartTemplateFileName);
        if (template_at_exit_ && !chart_->export_template(chart_template)) {
            not_saved << not_saved_text(chart_template);
        }
        const QString placement = program_file(kWindowPlacementFileName);
        if (!write_window_geometry(placement, saveGeometry())) {
            not_saved << not_saved_text(placement);
        }
        // Read before the process ends: no window is left to say it later.
        if (!not_saved.isEmpty()) {
            show_warning_and_wait(this, "not_saved_at_exit", QStringLiteral("Frostel"),
                                  not_saved.join('\n'));
        }
    }
    event->accept();
    ties_.end_process();
}

void end_process_at_once() {
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

bool MainWindow::write_settings() {
    return platform::write_settings_file(program_file(platform::kSettingsFileName), settings_);
}

void MainWindow::save_settings(const QString& command) {
    if (!write_settings()) {
        show_not_saved(this, "settings_not_saved", command,
                       program_file(platform::kSettingsFileName));
    }
}

QString MainWindow::program_file(const QString& name) const {
    return QDir(ties_.program_folder).filePath(name);
}

void MainWindow::note_setting(const std::string& name, const QString& old_value,
                              const QString& new_value) {
    if (old_value != new_value) {
        archive_actions_->note_event(
            archive::setting_changed(name, old_value.toStdString(), new_value.toStdString()));
    }
}

void MainWindow::choose_port(int number) {
    note_setting("port", port_text(settings_.comm_port_number.number()), port_text(number));
    settings_.comm_port_number = platform::CommPortNumber::chosen(number);
    link_.open_port(number);
    check_only(number);
    say({});
    programming_actions_->port_changed();
}

void MainWindow::find_reader_port() {
    notice_timer_.stop();
    const BusyState::Operation operation(busy_);
    search_frame_->show();
    QCoreApplication::processEvents();
    const std::optional<int> found = link::find_reader_port(commands_, *this);
    // The frame goes away at the end of the search; the port found stays said.
    const QString result =
        found ? tr("Reader found on %1").arg(port_caption(*found)) : tr("No reader found");
    find_port_->setToolTip(result);
    say(tr("FIND COMMPORT: %1.").arg(result));
    if (found) {
        note_setting("port", port_text(settings_.comm_port_number.number()), port_text(found));
        settings_.comm_port_number = platform::CommPortNumber::chosen(*found);
    } else {
        // The port chosen before the search is open again; so is its mark.
        const std::optional<int> before = settings_.comm_port_number.number();
        if (has_menu_entry(before)) {
            check_only(before);
        }
    }
    search_frame_->hide();
    programming_actions_->port_changed();
}

void MainWindow::show_status(const std::string& text) {
    search_label_->setText(QString::fromStdString(text));
    QCoreApplication::processEvents();
}

void MainWindow::check_only(std::optional<int> port) {
    for (QAction* entry : port_entries_) {
        entry->setChecked(port && entry->property("index").toInt() == *port);
    }
}

void MainWindow::open_unit_dialog() {
    // Beside an open summary's figures rather than on them.
    QWidget* summary = summary_->window();
    if (summary != nullptr && !summary->isVisible()) {
        summary = nullptr;
    }
    if (unit_dialog_.isNull()) {
        unit_dialog_ = new TemperatureUnitDialog(summary);
        busy_.guard(unit_dialog_.data());
        connect(unit_dialog_, &TemperatureUnitDialog::unitChosen, this, &MainWindow::choose_unit);
        connect(unit_dialog_, &TemperatureUnitDialog::closed, this,
                [this] { save_settings(unit_->toolTip()); });
    } else if (!unit_dialog_->isVisible() && unit_dialog_->parentWidget() != summary) {
        unit_dialog_->setParent(summary, unit_dialog_->windowFlags());
    }
    unit_dialog_->select(shown_.unit());
    const bool was_visible = unit_dialog_->isVisible();
    show_topmost(unit_dialog_);
    if (summary != nullptr && !was_visible) {
        place_beside(unit_dialog_, *summary);
    }
}

// A choice that comes in while a conversion runs (events are let in before converting)
// waits for it to end and then runs on the converted mission.
void MainWindow::choose_unit(mission::TemperatureUnit unit) {
    if (converting_) {
        queued_unit_ = unit;
        return;
    }
    converting_ = true;
    std::optional<mission::TemperatureUnit> next = unit;
    while (next) {
        const mission::TemperatureUnit chosen = *next;
        queued_unit_.reset();
        QCoreApplication::processEvents();
        shown_.set_unit(chosen);
        mission_views().show_unit(shown_);
        next = queued_unit_;
    }
    queued_unit_.reset();
    converting_ = false;
}

void MainWindow::open_data_path() {
    if (!data_path_) {
        data_path_ = std::make_unique<DataPathDialog>();
        busy_.guard(data_path_.get());
        connect(data_path_.get(), &DataPathDialog::folderChanged, this,
                [this](const QString& folder) {
                    settings_.data_folder = folder;
                    archive_actions_->refresh_window();
                });
        connect(data_path_.get(), &DataPathDialog::closed, this, [this] {
            save_settings(set_path_->toolTip());
            note_setting("data folder", data_folder_before_, settings_.data_folder);
        });
    }
    data_folder_before_ = settings_.data_folder;
    data_path_->open_on(settings_.data_folder);
    show_topmost(data_path_.get());
}

void MainWindow::show_rights() {
    template_at_exit_ = holds_right(signed_in(), archive::Right::kExport);
    if (!holds_right(signed_in(), archive::Right::kChangeAccounts) && data_path_) {
        data_path_->close();
    }
    busy_.show_state();
    archive_actions_->refresh_window();
}

void MainWindow::open_about() {
    if (!about_box_) {
        about_box_ = std::make_unique<AboutBox>();
        connect(about_box_.get(), &AboutBox::manualRequested, this, &MainWindow::open_manual);
    }
    show_topmost(about_box_.get());
}

void MainWindow::open_manual() {
    if (!manual_) {
        manual_ = std::make_unique<ManualWindow>(
            manual_locations(QCoreApplication::applicationDirPath()));
    }
    manual_->show();
    manual_->raise();
    manual_->activateWindow();
}

void MainWindow::open_language() {
    if (!language_dialog_) {
        language_dialog_ = std::make_unique<LanguageDialog>();
        connect(language_dialog_.get(), &LanguageDialog::pictureChosen, this,
                [this](const QIcon& picture) {
                    language_->setIcon(picture);
                    chart_->setFocus();
                });
    }
    show_topmost(language_dialog_.get());
}

void MainWindow::install_usb_driver() {
    const QString installer = driver_installer_path(ties_.program_folder);
    if (ties_.launcher.start(installer)) {
        return;
    }
    show_notice(QFileInfo::exists(installer) ? "USB-DRIVER INSTALLER DID NOT START!"
                                             : "NO USB-DRIVER INSTALLER HERE!");
}

void MainWindow::say(const QString& outcome) {
    status_line_->setText(outcome);
}

// A short text in the search frame that goes away by itself; nothing waits for it.
void MainWindow::show_notice(const QString& text) {
    search_label_->setText(text);
    search_frame_->show();
    notice_timer_.start();
}

}  // namespace frostel::app
