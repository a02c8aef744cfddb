#pragma once

#include <QObject>
#include <QPointer>

#include "app/controller_ties.h"
#include "app/held_mission_question.h"
#include "mission/held_mission.h"
#include "mission/mission_header.h"

class QPushButton;

namespace frostel::app {

class ArchiveActions;
class Programming_DS1922T;

// "Programming": the programming window, each run kept in the archive; a mission the logger
// holds and the archive does not is the user's to decide on, through `ask_held_mission`, and
// `download_first` downloads it when the user so decides.
class ProgrammingActions final : public QObject {
    Q_OBJECT

  public:
    ProgrammingActions(const ControllerTies& ties, QPushButton& programming_button,
                       ArchiveActions& archive, HeldMissionQuestion ask_held_mission,
                       std::function<void()> download_first);
    ~ProgrammingActions() override;

    // Made hidden when a download hands it a calibration first.
    [[nodiscard]] Programming_DS1922T& programming_window();
    // The calibration a download read, in tenths of a degree.
    void preset_calibration(int tenths);
    // A download read this logger on `port`.
    void note_logger_read(int port, const mission::MissionHeader& header);
    // Another port was chosen: an open programming window names it.
    void port_changed();

  private:
    [[nodiscard]] programming::HeldMissionChoice held_mission_choice(
        const mission::HeldMission& mission);

    ControllerTies ties_;
    ArchiveActions& archive_;
    HeldMissionQuestion ask_held_mission_;
    std::function<void()> download_first_;
    QPointer<Programming_DS1922T> window_;
};

}  // namespace frostel::app
