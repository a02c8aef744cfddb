#include "app/mission_actions.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app/archive_window.h"
#include "app/chart_view.h"
#include "app/export_actions.h"
#include "app/file_name_dialogs.h"
#include "app/main_window.h"
#include "app/mission_text_box.h"
#include "app/programming_ds1922t.h"
#include "app/summary_actions.h"
#include "app/topmost.h"
#include "archive/fingerprint.h"
#include "archive/logger_history.h"
#include "datafile/data_file.h"
#include "platform/local_date_time.h"
#include "platform/program_folder.h"
#include "platform/time_zone.h"
#include "report/report_source.h"

namespace frostel::app {

namespace {

// Logger text is one byte per character.
QString from_bytes(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

MissionActions::MissionActions(MainWindow& window) : QObject(&window), window_(window) {
    connect(&window.load_data_button(), &QPushButton::clicked, this,
            &MissionActions::Command10_Click);
    connect(&window.retrieve_button(), &QPushButton::clicked, this,
            &MissionActions::Command2_Click);
    connect(&window.programming_button(), &QPushButton::clicked, this,
            &MissionActions::Command8_Click);
    connect(&window.archive_button(), &QPushButton::clicked, this,
            [this] { show_topmost(&archive_window()); });
    connect(&window.summary(), &SummaryActions::limitsChanged, this, &MissionActions::keep_limits);
}

MissionActions::~MissionActions() {
    delete programming_.data();
}

// A download that fails puts the previous mission's identity back: one logger's caption,
// title and text never stand over another logger's points.
void MissionActions::Command10_Click() {
    const std::optional<int> port = window_.settings().comm_port_number.number();
    if (!port) {
        // On a first start nothing would happen: the user is told why at once.
        show_error(true);
        window_.error_frame().setToolTip(
            tr("No port is chosen: use COMMUNICATION PORT or FIND COMMPORT."));
        return;
    }
    const ShownIdentity before = shown_identity();
    const std::optional<mission::DownloadedMission> mission = mission::download_mission(
        {window_.logger_commands(), window_.clock(), *port,
         QFile::encodeName(window_.program_folder()).toStdString(), platform::pc_time_zone(),
         [this](const mission::MissionHeader& header) {
             return mission_archive().clock_setting(header.logger_id, header.start_time);
         }},
        *this);
    if (!mission) {
        show_identity(before);
        return;
    }
    programming_window().note_logger_read(*port, mission->header);
}

MissionActions::ShownIdentity MissionActions::shown_identity() const {
    return {window_.logger_label().text(), window_.chart().document().title_lines.value(0),
            window_.mission_text().text(),
            programming_.isNull() ? 0 : programming_->settings().calibration, shown_.mission_text};
}

void MissionActions::show_identity(const ShownIdentity& identity) {
    window_.logger_label().setText(identity.caption);
    window_.chart().set_title_line(identity.title_line);
    window_.mission_text().set_text(identity.mission_text);
    shown_.mission_text = identity.shown_text;
    if (!programming_.isNull()) {
        programming_->preset_calibration(identity.calibration);
    }
}

// A pair whose chart document is missing or cannot be read leaves the mission shown whole:
// its text, points and fingerprint.
void MissionActions::Command2_Click() {
    const QString name = window_.file_dialogs().open_name(&window_, window_.settings().data_folder,
                                                          kOpenDataFileFilter);
    if (name.isEmpty()) {
        return;
    }
    const QString chart_name = datafile::chart_document_name(name);
    std::optional<datafile::ChartDocument> document = datafile::read_chart_document(chart_name);
    if (!document) {
        show_warning(
            &window_, "retrieve_failed", tr("Retrieve Data From Disk"),
            tr("%1 cannot be read as a Frostel chart; the mission shown stays.").arg(chart_name));
        return;
    }
    const std::optional<report::ReportInput> pair = report::saved_pair_report_input(name);
    window_.logger_label().clear();
    window_.mission_text().set_text(datafile::read_data_file(name).value_or(QString()));
    window_.chart().set_document(std::move(*document));
    shown_ = {pair ? pair->mission_text : std::string(), pair ? pair->fingerprint : std::string(),
              report::saved_pair_basis(name), std::nullopt};
    QCoreApplication::processEvents();
    window_.refill_table(false);
    window_.show_value_range();
}

void MissionActions::Command8_Click() {
    programming_window().open_for_new_mission();
}

Programming_DS1922T& MissionActions::programming_window() {
    if (programming_.isNull()) {
        programming_ = new Programming_DS1922T(
            window_.logger_commands(), window_.clock(),
            [this] { return window_.settings().comm_port_number.number().value_or(0); },
            [this](bool busy) { set_busy(busy); });
        window_.busy_state().guard(&programming_->programming_button());
        programming_->set_run_keeping(
            {[this](const mission::HeldMission& mission) { return held_mission_choice(mission); },
             [this](const programming::ProgrammingSettings& settings,
                    const programming::RunResult& result) { record_run(settings, result); },
             [this](const mission::HeldMission& mission) {
                 return mission_archive().holds(
                     mission.logger_id, platform::format_iso(mission.start), mission.sample_count);
             },
             [this] { Command10_Click(); }});
    }
    return *programming_;
}

archive::MissionArchive& MissionActions::mission_archive() {
    const QString path = archive::archive_path(window_.settings().data_folder);
    const archive::Actor actor = window_.actor();
    if (!archive_ || !archive_->is_open() || archive_->path() != path ||
        archive_->actor().user_id != actor.user_id) {
        archive_ = std::make_unique<archive::MissionArchive>(
            path, archive::MissionArchive::Access::kReadWrite, actor);
        if (!archive_->notice().isEmpty()) {
            warn(archive_->notice());
        }
    }
    return *archive_;
}

ArchiveWindow& MissionActions::archive_window() {
    if (archive_window_.isNull()) {
        archive_window_ =
            new ArchiveWindow({[this]() -> archive::MissionArchive& { return mission_archive(); },
                               [this](std::int64_t id) { open_archived(id); },
                               [this](std::int64_t id) { save_archived(id); },
                               [this](const archive::AuditEvent& event) { note_event(event); }},
                              &window_);
        window_.busy_state().guard(&archive_window_->open_button());
        window_.busy_state().guard(&archive_window_->save_button());
    }
    return *archive_window_;
}

void MissionActions::data_folder_changed() {
    if (!archive_window_.isNull() && archive_window_->isVisible()) {
        archive_window_->refresh();
    }
}

// Through the download's own view: the same caption, chart, table, text and calibration.
// An altered record is shown with a warning; its fingerprint is the pages' own.
bool MissionActions::show_archived(std::int64_t id) {
    archive::MissionArchive& store = mission_archive();
    const std::optional<archive::StoredMission> stored = store.load(id);
    if (!stored ||
        !mission::show_recorded_mission(stored->record.logger_id, stored->pages, stored->zone(),
                                        stored->clock, window_.clock(), *this)) {
        warn(tr("Record %1 cannot be shown: %2").arg(id).arg(store.error()));
        return false;
    }
    shown_.fingerprint = archive::mission_fingerprint(stored->pages);
    shown_.fingerprint_basis = std::string(report::kPagesFingerprintBasis);
    shown_.archived_id = id;
    if (const std::optional<archive::RecordLimits> kept = store.record_limits(id)) {
        window_.summary().show_kept_limits(*kept);
    }
    window_.chart().set_download_origin(
        datafile::DownloadOrigin{shown_.fingerprint, stored->record.downloaded_at, {}, {}});
    const std::optional<archive::Verification> verdict = store.verify(id);
    if (!verdict || !archive::verifies(*verdict)) {
        warn(tr("Record %1 was altered after it was archived: what the archive lists may not be "
                "what was downloaded.\nThe pages shown have the fingerprint %2.")
                 .arg(id)
                 .arg(QString::fromStdString(shown_.fingerprint)));
    }
    return true;
}

void MissionActions::open_archived(std::int64_t id) {
    (void)show_archived(id);
}

// The pair, or the mission report when the name chosen is a PDF's. The record is shown only
// while it is written; then the mission shown before is back.
void MissionActions::save_archived(std::int64_t id) {
    const ShownIdentity identity = shown_identity();
    datafile::ChartDocument document = window_.chart().document();
    const ShownSource source = shown_;
    write_archived(id);
    window_.chart().set_document(std::move(document));
    show_identity(identity);
    shown_ = source;
    window_.refill_table(true);
}

void MissionActions::write_archived(std::int64_t id) {
    if (!show_archived(id)) {
        return;
    }
    const QString name = window_.file_dialogs().save_name(
        &window_, window_.export_actions().suggested_name(QStringLiteral("frd")),
        kDataFileFilter + ";;" + kPdfFilter);
    if (QFileInfo(name).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0) {
        window_.export_actions().write_report(name);
    } else if (!name.isEmpty()) {
        save_mission(name);
    }
}

void MissionActions::note_event(const archive::AuditEvent& event) {
    archive::MissionArchive& store = mission_archive();
    if (!store.record_event(event)) {
        warn(tr("The %1 event was not entered in the audit trail: %2")
                 .arg(QString::fromStdString(event.action), store.error()));
    }
}

// Limits changed for a mission opened from the archive are kept with its record.
void MissionActions::keep_limits(const archive::RecordLimits& limits) {
    if (!shown_.archived_id) {
        return;
    }
    archive::MissionArchive& store = mission_archive();
    // Nobody is asked for a reason while the window has no one signed in.
    const bool reason_required = false;
    if (store.set_limits(*shown_.archived_id, limits, {}, reason_required) !=
        archive::MissionArchive::LimitsChange::kSet) {
        warn(tr("The limits of record %1 were not kept: %2")
                 .arg(*shown_.archived_id)
                 .arg(store.error()));
    }
}

void MissionActions::note_file_written(const std::string& kind, const QString& path) {
    note_event(archive::file_written(kind, QFileInfo(path).absoluteFilePath().toStdString(),
                                     shown_.fingerprint));
}

void MissionActions::record_run(const programming::ProgrammingSettings& settings,
                                const programming::RunResult& result) {
    const auto run = archive::programming_record(
        archive::stamp_now(window_.clock()),
        {result.logger_id, result.logger_type, programming::setting_rows(settings),
         result.written_pages, result.line ? std::optional(result.line->text) : std::nullopt});
    if (run && !mission_archive().record_programming(*run)) {
        warn(tr("The programming run was not recorded in the archive: %1")
                 .arg(mission_archive().error()));
    }
}

// A mission the archive keeps may go; one it does not is the user's to decide.
programming::HeldMissionChoice MissionActions::held_mission_choice(
    const mission::HeldMission& mission) {
    const std::optional<std::string> question =
        archive::held_mission_question(mission_archive(), mission);
    if (!question) {
        return programming::HeldMissionChoice::kProgramAnyway;
    }
    return window_.ask_held_mission(&programming_window(), QString::fromStdString(*question));
}

void MissionActions::warn(const QString& text) {
    show_warning(&window_, "archive_warning", tr("Archive"), text);
}

void MissionActions::set_busy(bool busy) {
    if (busy) {
        window_.busy_state().enter();
    } else {
        window_.busy_state().leave();
    }
}

void MissionActions::process_events() {
    QCoreApplication::processEvents();
}

void MissionActions::show_error(bool visible) {
    if (visible) {
        window_.error_label().setText(QString::fromLatin1(mission::kLoadingErrorText));
    }
    // The cause, for the user who asks: the port, its device and what happened there.
    const link::Failure failure = window_.logger_commands().link().failure();
    window_.error_frame().setToolTip(visible && failure.cause != link::FailureCause::kNone
                                         ? QString::fromStdString(link::failure_text(failure))
                                         : QString());
    window_.error_frame().setVisible(visible);
}

void MissionActions::set_progress_maximum(int maximum) {
    window_.progress_bar().setMaximum(maximum);
}

void MissionActions::set_progress(int value) {
    window_.progress_bar().setValue(value);
}

void MissionActions::set_logger_caption(const std::string& caption) {
    window_.logger_label().setText(from_bytes(caption));
}

void MissionActions::set_chart_title(const std::string& logger_id) {
    window_.chart().set_title_line(from_bytes(logger_id));
}

void MissionActions::set_mission_text(const std::string& text) {
    window_.mission_text().set_text(from_bytes(text));
    shown_.mission_text = text;
}

void MissionActions::set_calibration_offset(int tenths) {
    programming_window().preset_calibration(tenths);
}

std::string MissionActions::unit_title() {
    return window_.chart().left_axis_title().toStdString();
}

void MissionActions::set_unit_title(std::string_view title) {
    window_.chart().set_left_axis_title(
        QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size())));
}

void MissionActions::show_record(const mission::MissionRecord& record) {
    window_.summary().show_downloaded(record);
}

// A download or an archived mission sets the value axis afresh: a range fitted to the
// previous mission's data does not fit this one.
void MissionActions::show_points(const std::vector<mission::ChartPoint>& points) {
    ChartView& chart = window_.chart();
    chart.clear();
    for (const mission::ChartPoint& point : points) {
        chart.add_xy(point.x, point.y, from_bytes(point.label));
    }
    window_.show_value_range();
}

void MissionActions::refill_table() {
    window_.refill_table(true);
}

// Kept before the save dialog opens, so a cancelled dialog costs nothing; an archive that
// cannot take it leaves the download on screen and says so.
void MissionActions::record_download(const mission::DownloadedMission& mission) {
    // Said before the save dialog: what is on screen is now the mission's only copy.
    if (mission.cleared_during_download) {
        show_warning(&window_, "mission_cleared_warning", tr("Load Data"),
                     QString::fromLatin1(mission::kMissionClearedText));
    }
    const std::vector<std::string> clock_warnings = mission::clock_warnings(mission.record.clock);
    if (!clock_warnings.empty()) {
        QStringList lines;
        for (const std::string& warning : clock_warnings) {
            lines.append(QString::fromStdString(warning));
        }
        show_warning(&window_, "clock_warning", tr("Load Data"), lines.join('\n'));
    }
    const archive::Stamp stamp = archive::stamp_now(window_.clock());
    shown_.fingerprint = archive::mission_fingerprint(mission.pages);
    shown_.fingerprint_basis = std::string(report::kPagesFingerprintBasis);
    shown_.archived_id.reset();
    window_.chart().set_download_origin(
        datafile::DownloadOrigin{shown_.fingerprint, platform::format_iso(stamp.local_time),
                                 platform::pc_user_at_host().toStdString(), std::nullopt});
    archive::MissionArchive& store = mission_archive();
    if (!store.archive(mission, stamp)) {
        const QString why = store.is_open()
                                ? store.error()
                                : tr("%1 cannot be used: %2").arg(store.path(), store.error());
        warn(tr("This download was not archived: %1\nIt stays on screen; save it to keep it.")
                 .arg(why));
        (void)store.record_event(archive::download_not_archived(why.toStdString()));
        return;
    }
    if (!archive_window_.isNull() && archive_window_->isVisible()) {
        archive_window_->refresh();
    }
}

void MissionActions::offer_save() {
    const QString name =
        window_.file_dialogs().save_name(&window_, window_.settings().data_folder, kDataFileFilter);
    if (!name.isEmpty()) {
        save_mission(name);
    }
}

void MissionActions::save_mission(const QString& chosen_name) {
    const QString data_file_name = datafile::data_file_name(chosen_name);
    // Each half is skipped on its own when it cannot be written; neither ever half-writes.
    const QString chart_document = datafile::chart_document_name(data_file_name);
    const bool data = datafile::write_data_file(data_file_name, window_.mission_text().text());
    const bool chart = window_.chart().export_template(chart_document);
    if (data && chart) {
        note_file_written("pair", data_file_name);
    } else if (data || chart) {
        note_file_written(data ? "data file" : "chart document",
                          data ? data_file_name : chart_document);
    }
}

}  // namespace frostel::app
