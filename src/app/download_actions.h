#pragma once

#include <QObject>
#include <cstdint>

#include "app/controller_ties.h"
#include "app/mission_views.h"
#include "archive/mission_archive.h"
#include "archive/record_limits.h"
#include "mission/download.h"

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace frostel::app {

class ArchiveActions;
class ExportActions;
class ProgrammingActions;

inline const QString kDataFileFilter = QStringLiteral("Frostel Datafile (FRD) (*.frd)");
// Pairs saved under a name without an extension ("mission" with "misstee") open too.
inline const QString kOpenDataFileFilter = kDataFileFilter + QStringLiteral(";;All files (*)");

// The controls a download reports its progress on.
struct DownloadControls {
    QPushButton& load_data;
    QPushButton& retrieve;
    QFrame& error_frame;
    QLabel& error_label;
    QProgressBar& progress_bar;
};

// What brings a mission on screen: "Load Data" downloads the logger's mission and offers to
// save it, "Retrieve Data From Disk" opens a saved pair, the Archive window opens or saves a
// kept record. Each builds a new mission and swaps it in only once it succeeded.
class DownloadActions final : public QObject, private mission::DownloadView {
    Q_OBJECT

  public:
    DownloadActions(const ControllerTies& ties, ShownMission& shown, const MissionViews& views,
                    const DownloadControls& controls, ArchiveActions& archive,
                    ProgrammingActions& programming, ExportActions& exports);

    void load_data();
    void retrieve_data();
    // The chart document at `path` shown as the mission, its looks with it, as a saved pair
    // without its data file; false, and nothing changed, when it cannot be read.
    [[nodiscard]] bool import_template(const QString& path);
    // An archived mission shown as after its download.
    void open_archived(std::int64_t id);
    // Its pair, or its report when the name chosen is a PDF's; then the mission shown before
    // is back.
    void save_archived(std::int64_t id);

  private:
    void set_busy(bool busy) override;
    void process_events() override;
    void show_error(bool visible) override;
    void set_progress_maximum(int maximum) override;
    void set_progress(int value) override;
    void set_logger_caption(const std::string& caption) override;
    // Why "LOADING ERROR !" shows, in the status line and the error frame's tooltip; empty
    // clears both.
    void show_reason(const QString& reason);

    void show_mission(ShownMission mission, bool erase_table);
    void show_charted(ShownMission mission, datafile::ChartDocument looks);
    [[nodiscard]] ShownMission downloaded(const mission::DownloadedMission& mission,
                                          MissionOrigin origin, std::string fingerprint) const;
    // Whether the archive kept it.
    bool keep_download(const mission::DownloadedMission& mission);
    [[nodiscard]] bool show_archived(std::int64_t id);
    void write_archived(std::int64_t id);
    [[nodiscard]] bool keep_limits(const archive::RecordLimits& limits);
    void offer_save();
    // The pair under `chosen_name`; a half not written is said under `command`'s name.
    void save_mission(const QString& chosen_name, const QString& command);

    ControllerTies ties_;
    ShownMission& shown_;
    MissionViews views_;
    DownloadControls controls_;
    ArchiveActions& archive_;
    ProgrammingActions& programming_;
    ExportActions& exports_;
};

}  // namespace frostel::app
