#include "app/programming_actions.h"

#include <QPushButton>

#include "app/archive_actions.h"
#include "app/busy_state.h"
#include "app/programming_ds1922t.h"
#include "archive/logger_history.h"
#include "platform/local_date_time.h"

namespace frostel::app {

ProgrammingActions::ProgrammingActions(const ControllerTies& ties, QPushButton& programming_button,
                                       ArchiveActions& archive,
                                       HeldMissionQuestion ask_held_mission,
                                       std::function<void()> download_first)
    : QObject(&ties.window),
      ties_(ties),
      archive_(archive),
      ask_held_mission_(std::move(ask_held_mission)),
      download_first_(std::move(download_first)) {
    connect(&programming_button, &QPushButton::clicked, this,
            [this] { programming_window().open_for_new_mission(); });
}

ProgrammingActions::~ProgrammingActions() {
    delete window_.data();
}

Programming_DS1922T& ProgrammingActions::programming_window() {
    if (window_.isNull()) {
        BusyState& busy = ties_.busy;
        window_ = new Programming_DS1922T(
            ties_.commands, ties_.clock,
            [this] { return ties_.settings.comm_port_number.number().value_or(0); },
            [&busy](bool on) { busy.set_busy(on); });
        busy.guard(
            &window_->programming_button(),
            ties_.permission(archive::Right::kProgram, window_->programming_button().text()));
        window_->set_run_keeping(
            {[this] {
                 return archive_.allows(archive::Right::kProgram, "program") &&
                        archive_.server_answers(tr("Programming a logger"));
             },
             [this](const mission::HeldMission& mission) { return held_mission_choice(mission); },
             [this](const programming::ProgrammingSettings& settings,
                    const programming::RunResult& result) {
                 archive_.keep_programming_run(settings, result);
                 // What the status line said of the logger before, a stop included, is past.
                 ties_.say({});
             },
             [this](const mission::HeldMission& mission) {
                 return archive_.mission_archive().holds(
                     mission.logger_id, platform::format_iso(mission.start), mission.sample_count);
             },
             download_first_});
    }
    return *window_;
}

void ProgrammingActions::port_changed() {
    if (!window_.isNull()) {
        window_->show_port_line();
    }
}

void ProgrammingActions::preset_calibration(int tenths) {
    programming_window().preset_calibration(tenths);
}

void ProgrammingActions::note_logger_read(int port, const mission::MissionHeader& header) {
    programming_window().note_logger_read(port, header);
}

// A mission the archive keeps may go; one it does not is the user's to decide.
programming::HeldMissionChoice ProgrammingActions::held_mission_choice(
    const mission::HeldMission& mission) {
    const std::optional<std::string> question =
        archive::held_mission_question(archive_.mission_archive(), mission);
    if (!question) {
        return programming::HeldMissionChoice::kProgramAnyway;
    }
    return ask_held_mission_
               ? ask_held_mission_(&programming_window(), QString::fromStdString(*question))
               : programming::HeldMissionChoice::kCancel;
}

}  // namespace frostel::app
