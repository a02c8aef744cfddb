#include "app/download_actions.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app/archive_actions.h"
#include "app/busy_state.h"
#include "app/chart_view.h"
#include "app/export_actions.h"
#include "app/file_name_dialogs.h"
#include "app/mission_text_box.h"
#include "app/programming_actions.h"
#include "app/reason_dialog.h"
#include "app/summary_actions.h"
#include "app/summary_window.h"
#include "app/topmost.h"
#include "archive/audit_trail.h"
#include "archive/fingerprint.h"
#include "datafile/data_file.h"
#include "platform/latin1.h"
#include "platform/local_date_time.h"
#include "platform/program_folder.h"
#include "platform/time_zone.h"
#include "report/report_source.h"

namespace frostel::app {

namespace {

// The mission a saved chart keeps: its points in its unit, the record, the limits and dH.
ShownMission charted(const datafile::ChartDocument& document, std::string mission_text,
                     MissionOrigin origin) {
    ShownMission shown(document.points, mission::unit_or_celsius(document.left.title.toStdString()),
                       document.mission,
                       {QString(), document.title_lines.value(0), std::move(mission_text), 0},
                       std::move(origin));
    shown.set_user_limits({document.low_limit, document.high_limit, document.limits_set_on});
    shown.set_delta_h(document.delta_h_kj_per_mol);
    return shown;
}

}  // namespace

DownloadActions::DownloadActions(const ControllerTies& ties, ShownMission& shown,
                                 const MissionViews& views, const DownloadControls& controls,
                                 ArchiveActions& archive, ProgrammingActions& programming,
                                 ExportActions& exports)
    : QObject(&ties.window),
      ties_(ties),
      shown_(shown),
      views_(views),
      controls_(controls),
      archive_(archive),
      programming_(programming),
      exports_(exports) {
    connect(&controls.load_data, &QPushButton::clicked, this, &DownloadActions::load_data);
    connect(&controls.retrieve, &QPushButton::clicked, this, &DownloadActions::retrieve_data);
    views.summary.set_limits_keeper(
        [this](const archive::RecordLimits& limits) { return keep_limits(limits); });
}

// A download that fails drops the caption it showed: one logger's caption never stands over
// another logger's points.
void DownloadActions::load_data() {
    const std::optional<int> port = ties_.settings.comm_port_number.number();
    if (!port) {
        // On a first start nothing would happen: the user is told why at once.
        show_error(true);
        show_reason(tr("No port is chosen: use COMMUNICATION PORT or FIND COMMPORT."));
        return;
    }
    const std::optional<mission::DownloadedMission> mission = mission::download_mission(
        {ties_.commands, ties_.clock, *port, QFile::encodeName(ties_.program_folder).toStdString(),
         platform::pc_time_zone(),
         [this](const mission::MissionHeader& header) {
             return archive_.mission_archive().clock_setting(header.logger_id, header.start_time);
         },
         shown_.unit()},
        *this);
    if (!mission) {
        views_.caption.setText(shown_.identity().caption);
        return;
    }
    // Said first: the warnings and the save dialog that follow would otherwise bury it.
    ties_.say(platform::latin1_text(mission::kMissionStoppedText));
    // Those who may not write files from a mission (administrators) are not asked where to
    // save a download the archive kept: it is there for good. One it could not keep is
    // offered to them too, as a file is then its only copy.
    if (!keep_download(*mission) || ties_.may(archive::Right::kExport)) {
        offer_save();
    }
    programming_.note_logger_read(*port, mission->header);
}

// Shown first, then said when the logger cleared it meanwhile, then kept for good before the
// save dialog opens, so a cancelled dialog costs nothing; a download the archive could not
// keep is said, and the warning closed, before that dialog asks to save it.
bool DownloadActions::keep_download(const mission::DownloadedMission& mission) {
    const archive::Stamp stamp = archive::stamp_now(ties_.clock);
    MissionOrigin origin{
        MissionOrigin::Kind::kDownload,
        datafile::DownloadOrigin{archive::mission_fingerprint(mission.pages),
                                 platform::format_iso(stamp.local_time),
                                 platform::pc_user_at_host().toStdString(), std::nullopt},
        mission.record.time_zone,
        {},
        0,
        mission.reader_device};
    std::string fingerprint = origin.download->page_fingerprint;
    show_mission(downloaded(mission, std::move(origin), std::move(fingerprint)), true);
    if (mission.cleared_during_download) {
        show_warning(&ties_.window, "mission_cleared_warning", tr("Load Data"),
                     platform::latin1_text(mission::kMissionClearedText));
    }
    const std::vector<std::string> clock_warnings = mission::clock_warnings(mission.record.clock);
    if (!clock_warnings.empty()) {
        QStringList lines;
        for (const std::string& warning : clock_warnings) {
            lines.append(QString::fromStdString(warning));
        }
        show_warning(&ties_.window, "clock_warning", tr("Load Data"), lines.join('\n'));
    }
    if (!mission.side_file_written) {
        show_not_saved(&ties_.window, "side_file_not_saved", tr("Load Data"),
                       QFile::decodeName(mission::side_file_path(
                                             QFile::encodeName(ties_.program_folder).toStdString(),
                                             mission.header.logger_id)
                                             .c_str()));
    }
    const ArchiveActions::KeptDownload kept = archive_.keep_download(mission, stamp);
    if (kept.id) {
        shown_.set_archived_as(*kept.id);
    }
    return kept.kept;
}

// A download or an archived record: its points placed from the PC's clock, the limits last
// set for its logger and the user's dH, the programming window's calibration preset.
ShownMission DownloadActions::downloaded(const mission::DownloadedMission& mission,
                                         MissionOrigin origin, std::string fingerprint) const {
    const mission::MissionHeader& header = mission.header;
    ShownMission shown(
        mission::chart_points(mission, ties_.clock), mission.unit, mission.record,
        {platform::latin1_text(header.caption), platform::latin1_text(header.logger_id),
         header.mission_text, header.calibration_offset_tenths},
        std::move(origin));
    shown.set_fingerprint(std::move(fingerprint), std::string(report::kPagesFingerprintBasis));
    views_.summary.take_remembered(shown);
    return shown;
}

void DownloadActions::show_mission(ShownMission mission, bool erase_table) {
    const MissionOrigin::Kind kind = mission.origin().kind;
    const bool from_logger =
        kind == MissionOrigin::Kind::kDownload || kind == MissionOrigin::Kind::kArchive;
    shown_ = std::move(mission);
    views_.show(shown_, erase_table);
    if (from_logger) {
        programming_.preset_calibration(shown_.identity().calibration_tenths);
    }
}

// A pair whose chart document is missing or cannot be read leaves the mission shown whole.
void DownloadActions::retrieve_data() {
    const QString name = ties_.file_dialogs.open_name(&ties_.window, ties_.settings.data_folder,
                                                      kOpenDataFileFilter);
    if (name.isEmpty()) {
        return;
    }
    const QString chart_name = datafile::chart_document_name(name);
    std::optional<datafile::ChartDocument> document = datafile::read_chart_document(chart_name);
    if (!document) {
        show_warning(
            &ties_.window, "retrieve_failed", tr("Retrieve Data From Disk"),
            tr("%1 cannot be read as a Frostel chart; the mission shown stays.").arg(chart_name));
        return;
    }
    const std::optional<report::ReportInput> pair = report::saved_pair_report_input(name);
    ShownMission saved = charted(*document, pair ? pair->mission_text : std::string(),
                                 {MissionOrigin::Kind::kSavedPair,
                                  document->download,
                                  {},
                                  name.toStdString(),
                                  0,
                                  std::nullopt});
    saved.set_fingerprint(pair ? pair->fingerprint : std::string(), report::saved_pair_basis(name));
    show_charted(std::move(saved), std::move(*document));
}

bool DownloadActions::import_template(const QString& path) {
    std::optional<datafile::ChartDocument> document = datafile::read_chart_document(path);
    if (!document) {
        return false;
    }
    ShownMission imported = charted(*document, {},
                                    {MissionOrigin::Kind::kSavedPair,
                                     document->download,
                                     {},
                                     path.toStdString(),
                                     0,
                                     std::nullopt});
    show_charted(std::move(imported), std::move(*document));
    return true;
}

// The chart's looks come with a saved chart.
void DownloadActions::show_charted(ShownMission mission, datafile::ChartDocument looks) {
    views_.chart.set_document(std::move(looks));
    show_mission(std::move(mission), false);
}

// Through the download's own decoding: the same caption, chart, table, text and calibration.
// An altered record is shown with a warning; its fingerprint is the pages' own.
bool DownloadActions::show_archived(std::int64_t id) {
    archive::MissionArchive& store = archive_.mission_archive();
    const std::optional<archive::StoredMission> stored = store.load(id);
    const std::optional<mission::DownloadedMission> mission =
        stored ? mission::decode_recorded_mission(stored->record.logger_id, stored->pages,
                                                  stored->zone(), stored->clock, shown_.unit())
               : std::nullopt;
    if (!mission) {
        archive_.warn(tr("Record %1 cannot be shown: %2").arg(id).arg(store.error()));
        return false;
    }
    const std::string fingerprint = archive::mission_fingerprint(stored->pages);
    ShownMission archived =
        downloaded(*mission,
                   {MissionOrigin::Kind::kArchive,
                    datafile::DownloadOrigin{fingerprint, stored->record.downloaded_at, {}, {}},
                    stored->zone(),
                    {},
                    id,
                    stored->reader_device},
                   fingerprint);
    if (const std::optional<archive::RecordLimits> kept = store.record_limits(id)) {
        SummaryActions::take_kept(archived, *kept);
    }
    show_mission(std::move(archived), true);
    const std::optional<archive::Verification> verdict = store.verify(id);
    if (!verdict || !archive::verifies(*verdict)) {
        archive_.warn(
            tr("Record %1 was altered after it was archived: what the archive lists may not be "
               "what was downloaded.\nThe pages shown have the fingerprint %2.")
                .arg(id)
                .arg(QString::fromStdString(fingerprint)));
    }
    return true;
}

void DownloadActions::open_archived(std::int64_t id) {
    (void)show_archived(id);
}

void DownloadActions::save_archived(std::int64_t id) {
    if (!archive_.allows(archive::Right::kExport, "save a record")) {
        return;
    }
    ShownMission before = shown_;
    datafile::ChartDocument looks = views_.chart.document();
    write_archived(id);
    views_.chart.set_document(std::move(looks));
    show_mission(std::move(before), true);
}

void DownloadActions::write_archived(std::int64_t id) {
    if (!show_archived(id)) {
        return;
    }
    const QString name =
        ties_.file_dialogs.save_name(&ties_.window, exports_.suggested_name(QStringLiteral("frd")),
                                     kDataFileFilter + ";;" + kPdfFilter);
    if (QFileInfo(name).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0) {
        exports_.write_report(name);
    } else if (!name.isEmpty()) {
        save_mission(name, tr("Save As"));
    }
}

// Limits changed for an archived mission are kept with its record, by those who may set a
// record's limits. With accounts on the person says why; without a reason, or while the
// shared archive cannot be reached, nothing changes.
bool DownloadActions::keep_limits(const archive::RecordLimits& limits) {
    const std::int64_t id = shown_.origin().archive_id;
    if (id == 0) {
        return true;
    }
    if (!archive_.server_answers(tr("Changing the limits of record %1").arg(id))) {
        return false;
    }
    archive::MissionArchive& store = archive_.mission_archive();
    // Typed in another unit, the limits in force come back a few bits off.
    const std::optional<archive::RecordLimits> in_force = store.record_limits(id);
    if (in_force && archive::limits_value(*in_force) == archive::limits_value(limits)) {
        return true;
    }
    if (!archive_.allows(archive::Right::kSetLimits, "set a record's limits",
                         archive::record_object(id))) {
        return false;
    }
    if (!signatures_may_end(views_.summary.window(), store, id, limits)) {
        return false;
    }
    const bool reason_required = ties_.signed_in().has_value();
    std::optional<std::string> reason = std::string();
    if (reason_required) {
        reason = ask_reason(views_.summary.window(),
                            tr("Why are the limits or dH of record %1 being changed? The reason "
                               "is kept in the audit trail with the change.")
                                .arg(id));
    }
    if (!reason) {
        return false;
    }
    if (store.set_limits(id, limits, *reason, reason_required) !=
        archive::MissionArchive::LimitsChange::kSet) {
        archive_.warn(tr("The limits of record %1 were not kept: %2").arg(id).arg(store.error()));
    }
    return true;
}

void DownloadActions::offer_save() {
    // The report's name for the mission, in the data folder.
    const QString name = ties_.file_dialogs.save_name(
        &ties_.window, exports_.suggested_name(QStringLiteral("frd")), kDataFileFilter);
    if (!name.isEmpty()) {
        save_mission(name, tr("Load Data"));
    }
}

void DownloadActions::save_mission(const QString& chosen_name, const QString& command) {
    const QString data_file_name = datafile::data_file_name(chosen_name);
    // Each half is skipped, and said, on its own when it cannot be written; neither ever
    // half-writes.
    const QString chart_document = datafile::chart_document_name(data_file_name);
    const bool data = datafile::write_data_file(data_file_name, views_.text.text());
    const bool chart = datafile::write_chart_document(
        chart_document, shown_.chart_document(views_.chart.document()));
    if (!data) {
        show_not_saved(&ties_.window, "data_file_not_saved", command, data_file_name);
    }
    if (!chart) {
        show_not_saved(&ties_.window, "chart_document_not_saved", command, chart_document);
    }
    const std::string& fingerprint = shown_.fingerprint();
    if (data && chart) {
        archive_.note_file_written("pair", data_file_name, fingerprint);
    } else if (data || chart) {
        archive_.note_file_written(data ? "data file" : "chart document",
                                   data ? data_file_name : chart_document, fingerprint);
    }
}

void DownloadActions::set_busy(bool busy) {
    ties_.busy.set_busy(busy);
}

void DownloadActions::process_events() {
    QCoreApplication::processEvents();
}

void DownloadActions::show_error(bool visible) {
    if (visible) {
        controls_.error_label.setText(platform::latin1_text(mission::kLoadingErrorText));
    }
    // The cause: the port, its device and what happened there.
    const link::Failure failure = ties_.commands.link().failure();
    show_reason(visible && failure.cause != link::FailureCause::kNone
                    ? QString::fromStdString(link::failure_text(failure))
                    : QString());
    controls_.error_frame.setVisible(visible);
}

void DownloadActions::show_reason(const QString& reason) {
    controls_.error_frame.setToolTip(reason);
    ties_.say(reason);
}

void DownloadActions::set_progress_maximum(int maximum) {
    controls_.progress_bar.setMaximum(maximum);
}

void DownloadActions::set_progress(int value) {
    controls_.progress_bar.setValue(value);
}

void DownloadActions::set_logger_caption(const std::string& caption) {
    views_.caption.setText(platform::latin1_text(caption));
}

}  // namespace frostel::app
