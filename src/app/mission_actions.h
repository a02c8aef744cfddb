#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <memory>

#include "archive/mission_archive.h"
#include "programming/programming_run.h"

#include "mission/download.h"

namespace frostel::app {

class ArchiveWindow;
class MainWindow;
class Programming_DS1922T;

inline const QString kDataFileFilter = QStringLiteral("Frostel Datafile (FRD) (*.frd)");
// Pairs saved under a name without an extension ("mission" with "misstee") open too.
inline const QString kOpenDataFileFilter = kDataFileFilter + QStringLiteral(";;All files (*)");

// The main window's mission buttons: "Load Data" downloads the logger's mission into the
// chart, table and text box and offers to save it; "Retrieve Data From Disk" opens a saved
// mission; "Programming" opens the programming window.
class MissionActions final : public QObject, private mission::DownloadView {
    Q_OBJECT

  public:
    explicit MissionActions(MainWindow& window);
    ~MissionActions() override;

    void Command10_Click();
    void Command2_Click();
    void Command8_Click();

    // What a report names of the mission shown beyond its chart: the text as downloaded or
    // read (never as since edited in the text box) and the fingerprint of where it came from,
    // over a download's raw pages or over a saved pair's two files; empty before any.
    struct ShownSource {
        std::string mission_text;  // one byte per character
        std::string fingerprint;
        std::string fingerprint_basis;
        std::optional<std::int64_t> archived_id;  // opened from the archive: its record
    };
    [[nodiscard]] const ShownSource& shown_source() const { return shown_; }
    // The archive of the current data folder, opened again when the folder changed or the
    // last opening failed.
    [[nodiscard]] archive::MissionArchive& mission_archive();
    // The "Archive" window, made on first use.
    [[nodiscard]] ArchiveWindow& archive_window();
    // An open Archive window lists the new data folder's archive.
    void data_folder_changed();
    // An archived mission shown as after its download; Save As offers its pair or its
    // report to save.
    void open_archived(std::int64_t id);
    void save_archived(std::int64_t id);
    // Enters `event` in the audit trail of the current data folder's archive; an event that
    // cannot be entered is said.
    void note_event(const archive::AuditEvent& event);
    // A file written from the mission shown, named by its absolute path.
    void note_file_written(const std::string& kind, const QString& path);

    // The programming window, made hidden when a download hands it a calibration first.
    [[nodiscard]] Programming_DS1922T& programming_window();
    [[nodiscard]] bool has_programming_window() const { return !programming_.isNull(); }

  private:
    void set_busy(bool busy) override;
    void process_events() override;
    void show_error(bool visible) override;
    void set_progress_maximum(int maximum) override;
    void set_progress(int value) override;
    void set_logger_caption(const std::string& caption) override;
    void set_chart_title(const std::string& logger_id) override;
    void set_mission_text(const std::string& text) override;
    void set_calibration_offset(int tenths) override;
    [[nodiscard]] std::string unit_title() override;
    void set_unit_title(std::string_view title) override;
    void show_record(const mission::MissionRecord& record) override;
    void show_points(const std::vector<mission::ChartPoint>& points) override;
    void refill_table() override;
    // The value axis at the current unit's fixed range, undoing "Fit to Data".
    void record_download(const mission::DownloadedMission& mission) override;
    void offer_save() override;
    [[nodiscard]] bool show_archived(std::int64_t id);
    void record_run(const programming::ProgrammingSettings& settings,
                    const programming::RunResult& result);
    [[nodiscard]] programming::HeldMissionChoice held_mission_choice(
        const mission::HeldMission& mission);
    void warn(const QString& text);

    // What a download changes before its log read.
    struct ShownIdentity {
        QString caption;
        QString title_line;
        QString mission_text;
        int calibration = 0;
        std::string shown_text;
    };
    [[nodiscard]] ShownIdentity shown_identity() const;
    void show_identity(const ShownIdentity& identity);
    void save_mission(const QString& chosen_name);
    void keep_limits(const archive::RecordLimits& limits);
    void write_archived(std::int64_t id);

    MainWindow& window_;
    QPointer<Programming_DS1922T> programming_;
    ShownSource shown_;
    std::unique_ptr<archive::MissionArchive> archive_;
    QPointer<ArchiveWindow> archive_window_;
};

}  // namespace frostel::app
