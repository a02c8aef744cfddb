#include "cli/cli_archive.h"

#include <QFile>
#include <algorithm>

#include "archive/fingerprint.h"
#include "archive/logger_history.h"
#include "archive/outbox.h"
#include "archive/verification_token.h"
#include "cli/cli_audit.h"
#include "cli/cli_download.h"
#include "cli/cli_report.h"
#include "cli/cli_sign.h"
#include "datafile/chart_document.h"
#include "datafile/data_file.h"
#include "dossier/archived_record.h"
#include "dossier/record_bundle.h"
#include "insight/excursions.h"
#include "insight/summary.h"
#include "mission/download.h"
#include "platform/latin1.h"
#include "platform/whole_file.h"
#include "report/csv_export.h"
#include "report/report_source.h"

namespace frostel::cli {

namespace {

std::string fixed(const std::optional<double>& value) {
    return value ? insight::temperature_text(*value) : std::string();
}

int cannot(const ArchiveContext& context, const std::string& what) {
    context.err << "frostel-cli: " << what << ": " << context.archive.error().toStdString() << '\n';
    return kExitFailed;
}

int list(const ArchiveContext& context, const ArchiveRequest& request) {
    archive::MissionFilter filter;
    filter.logger_id = request.logger_id;
    filter.since = QDate::fromString(QString::fromStdString(request.since), Qt::ISODate);
    const auto records = context.archive.find(filter);
    if (!records) {
        return cannot(context, "the list of records cannot be read");
    }
    for (const archive::ArchiveEntry& r : *records) {
        context.out << r.id << '\t' << r.logger_id << '\t' << r.start_time << '\t' << r.sample_count
                    << '\t' << r.downloaded_at << '\t' << r.fingerprint << '\n';
    }
    return kExitOk;
}

// Whatever a record's columns say, its pages are what is shown and exported.
void warn_if_altered(const ArchiveContext& context, const archive::StoredMission& stored) {
    const auto verdict = context.archive.verify(stored.record.id);
    if (!verdict || !archive::verifies(*verdict)) {
        context.err << "frostel-cli: record " << stored.record.id
                    << " was altered after it was archived; the pages shown have the fingerprint "
                    << archive::mission_fingerprint(stored.pages) << '\n';
    }
}

}  // namespace

std::optional<report::ReportInput> report_input(const ArchiveContext& context,
                                                const archive::StoredMission& stored) {
    std::string why;
    std::optional<report::ReportInput> input =
        dossier::record_report_input(context.archive, stored, why);
    if (!input) {
        context.err << "frostel-cli: " << why << '\n';
    }
    return input;
}

namespace {

std::string limits_line(const insight::Summary& summary) {
    if (!summary.limits.any()) {
        return "none";
    }
    return fixed(summary.limits.low) + ':' + fixed(summary.limits.high) + " (" +
           summary.limits_source() + ')';
}

int show(const ArchiveContext& context, const archive::StoredMission& stored) {
    const std::optional<report::ReportInput> input = report_input(context, stored);
    if (!input) {
        return kExitFailed;
    }
    const insight::Summary summary = insight::summarize(input->summary);
    const archive::ArchiveEntry& r = stored.record;
    std::ostream& out = context.out;
    out << "id: " << r.id << '\n'
        << "logger: " << r.logger_id << '\n'
        << "type: " << stored.logger_type << '\n'
        << "start: " << r.start_time << '\n'
        << "samples: " << r.sample_count << '\n'
        << "mission samples: " << r.mission_sample_count << '\n'
        << "interval: " << insight::interval_text(r.interval_seconds) << '\n'
        << "calibration offset: " << stored.calibration_offset_tenths << " tenths\n"
        << "minimum: " << fixed(r.minimum) << '\n'
        << "maximum: " << fixed(r.maximum) << '\n'
        << "verdict: " << summary.verdict << '\n'
        << "limits: " << limits_line(summary) << '\n'
        << "dH: " << summary.delta_h_kj_per_mol << " kJ/mol\n"
        << "text: " << r.first_line << '\n'
        << "downloaded: " << r.downloaded_at << '\n'
        << "reader device: " << mission::reader_device_shown(stored.reader_device) << '\n'
        << "time zone: " << stored.time_zone << '\n'
        << "utc offset: " << stored.utc_offset_seconds << " s\n"
        << "program version: " << stored.program_version << '\n'
        << "downloads: " << r.download_count << '\n'
        << "last downloaded: " << stored.last_downloaded_at << '\n'
        << "later download of: "
        << (r.later_download_of ? std::to_string(*r.later_download_of) : std::string("none"))
        << '\n'
        << "pages: " << stored.pages.size() << '\n'
        << "fingerprint: " << archive::mission_fingerprint(stored.pages) << '\n';
    print_clock(out, stored.clock);
    print_clock_warnings(context.err, stored.clock);
    return print_signatures(context.archive, r.id, out, context.err) ? kExitOk : kExitFailed;
}

// The pair a download followed by a save would write, in degrees Celsius, with the logger's
// record for the summary and the archive's fingerprint and time of the download.
bool write_pair(const std::filesystem::path& file, const mission::DownloadedMission& mission,
                const archive::ArchiveEntry& kept, const link::Clock& clock) {
    datafile::ChartDocument document;
    document.title_lines = {QString::fromStdString(mission.header.logger_id)};
    document.points = mission::chart_points(mission, clock);
    document.mission = mission.record;
    document.download =
        datafile::DownloadOrigin{kept.fingerprint, kept.downloaded_at, {}, std::nullopt};
    const mission::AxisRange range = mission::axis_range(mission.unit);
    document.left = {QString::fromLatin1(mission::unit_token(mission.unit)), range.minimum,
                     range.maximum, false};
    const QString name = datafile::data_file_name(QFile::decodeName(file.c_str()));
    const std::string& text = mission.header.mission_text;
    return datafile::write_data_file(name, platform::latin1_text(text)) &&
           datafile::write_chart_document(datafile::chart_document_name(name), document);
}

int export_mission(const ArchiveContext& context, const ArchiveRequest& request,
                   const archive::StoredMission& stored) {
    if (request.pdf_file) {
        const std::optional<report::ReportInput> input = report_input(context, stored);
        report::ReportOptions marks;
        marks.audit_head = context.archive.audit_head_text();
        const int written =
            input && add_signatures(context.archive, stored.record.id, marks, context.err)
                ? write_report(*input, {request.pdf_file, false}, context.err, marks)
                : kExitFailed;
        if (written == kExitOk) {
            note_event(context,
                       cli_file_written("report", *request.pdf_file, stored.record.fingerprint));
        }
        return written;
    }
    const std::optional<mission::DownloadedMission> mission =
        mission::decode_recorded_mission(stored.record.logger_id, stored.pages, stored.zone(),
                                         stored.clock, mission::TemperatureUnit::kCelsius);
    // The pair is named by its data file, ".frd" added where the chosen name lacks it.
    const std::filesystem::path file =
        request.frd_file
            ? std::filesystem::path(QFile::encodeName(datafile::data_file_name(QFile::decodeName(
                                                          request.frd_file->c_str())))
                                        .toStdString())
            : *request.csv_file;
    const bool written =
        mission &&
        (request.frd_file ? write_pair(file, *mission, stored.record, context.clock)
                          : platform::write_whole_file(file, report::mission_csv(*mission)));
    if (!written) {
        context.err << "frostel-cli: cannot write " << file.string() << '\n';
        return kExitFailed;
    }
    note_event(context, cli_file_written(request.frd_file ? "pair" : "CSV", file,
                                         stored.record.fingerprint));
    return kExitOk;
}

// The records the trail names that are gone: a removed record is no less a change.
int report_missing_records(const ArchiveContext& context,
                           std::vector<archive::AuditEvent>& events) {
    const std::optional<std::vector<std::int64_t>> missing = context.archive.missing_records();
    if (!missing) {
        return cannot(context, "the audit trail cannot be read");
    }
    for (const std::int64_t id : *missing) {
        context.out << id << "\tMISSING\n";
        events.push_back(archive::record_verified(id, "MISSING"));
    }
    return missing->empty() ? kExitOk : kExitFailed;
}

int verify(const ArchiveContext& context, const ArchiveRequest& request) {
    std::vector<std::int64_t> ids;
    if (request.id) {
        ids.push_back(*request.id);
    } else {
        const auto records = context.archive.find({});
        if (!records) {
            return cannot(context, "the list of records cannot be read");
        }
        for (const archive::ArchiveEntry& record : *records) {
            ids.push_back(record.id);
        }
    }
    int exit_code = kExitOk;
    std::vector<archive::AuditEvent> events;
    for (const std::int64_t id : ids) {
        const std::optional<archive::Verification> verdict = context.archive.verify(id);
        if (!verdict) {
            exit_code = cannot(context, "record " + std::to_string(id) + " cannot be read");
            continue;
        }
        context.out << id << '\t' << archive::verification_token(*verdict) << '\n';
        events.push_back(archive::record_verified(id, archive::verification_token(*verdict)));
        if (!archive::verifies(*verdict) ||
            !signatures_in_place(context.archive, id, context.out, context.err)) {
            exit_code = kExitFailed;
        }
    }
    if (!request.id) {
        exit_code = std::max(exit_code, report_missing_records(context, events));
    }
    // The chain covers every record's events: a record is no better than the trail behind it.
    if (!intact_chain(context)) {
        exit_code = kExitFailed;
    }
    note_events(context, events);
    return exit_code;
}

// The limits given, and the dH given or else the one in force.
int set_limits(const ArchiveContext& context, const ArchiveRequest& request) {
    const std::int64_t id = *request.id;
    if (!archive::reason_suffices(request.reason, context.reasons_required)) {
        context.err << "frostel-cli: archive limits needs --reason TEXT\n";
        return kExitUsage;
    }
    std::optional<archive::RecordLimits> limits = context.archive.record_limits(id);
    if (!limits) {
        return cannot(context, "record " + std::to_string(id) + " cannot be read");
    }
    limits->limits = request.limits;
    limits->delta_h_kj_per_mol = request.delta_h_kj_per_mol.value_or(limits->delta_h_kj_per_mol);
    switch (context.archive.set_limits(id, *limits, request.reason, context.reasons_required)) {
        case archive::MissionArchive::LimitsChange::kSet:
            return kExitOk;
        case archive::MissionArchive::LimitsChange::kReasonMissing:
        case archive::MissionArchive::LimitsChange::kFailed:
            break;
    }
    return cannot(context, "the limits of record " + std::to_string(id) + " were not set");
}

// The record's files for an inspector; a folder that holds files exits 2.
int bundle(const ArchiveContext& context, const archive::StoredMission& stored,
           const std::filesystem::path& folder) {
    const dossier::BundleAnswer answer = dossier::write_bundle(context.archive, stored, folder);
    if (answer.kind != dossier::BundleAnswer::Kind::kWritten) {
        context.err << "frostel-cli: " << answer.why << '\n';
        return answer.kind == dossier::BundleAnswer::Kind::kFolderInUse ? kExitUsage : kExitFailed;
    }
    note_event(context, cli_file_written("bundle", folder, stored.record.fingerprint));
    return kExitOk;
}

}  // namespace

bool archive_is_open(const ArchiveContext& context) {
    if (!context.archive.is_open()) {
        context.err << "frostel-cli: the archive " << context.archive.path().toStdString()
                    << " cannot be used: " << context.archive.error().toStdString() << '\n';
    }
    return context.archive.is_open();
}

int run_archive(const ArchiveContext& context, const ArchiveRequest& request) {
    say_notice(context);
    if (!archive_is_open(context)) {
        return kExitFailed;
    }
    if (request.action == ArchiveAction::kList) {
        return list(context, request);
    }
    if (request.action == ArchiveAction::kVerify) {
        return verify(context, request);
    }
    if (request.action == ArchiveAction::kLimits) {
        return set_limits(context, request);
    }
    const std::optional<archive::StoredMission> stored = context.archive.load(*request.id);
    if (!stored) {
        return cannot(context, "record " + std::to_string(*request.id) + " cannot be read");
    }
    warn_if_altered(context, *stored);
    if (request.action == ArchiveAction::kBundle) {
        return bundle(context, *stored, request.bundle_folder);
    }
    return request.action == ArchiveAction::kShow ? show(context, *stored)
                                                  : export_mission(context, request, *stored);
}

int run_sync(archive::MissionArchive& shared, const QString& local_path, std::ostream& out,
             std::ostream& err) {
    link::SystemClock clock;
    if (!archive_is_open({shared, clock, out, err})) {
        return kExitFailed;
    }
    // A PC that never kept anything has nothing to send, and no archive is made for it.
    std::optional<archive::SyncCount> count = archive::SyncCount{};
    if (QFile::exists(local_path)) {
        archive::MissionArchive local(local_path);
        count = archive::upload_pending(local, shared);
    }
    if (!count) {
        err << "frostel-cli: " << shared.error().toStdString() << '\n';
        return kExitFailed;
    }
    out << "UPLOADED " << count->uploaded << ", PENDING " << count->pending << '\n';
    return kExitOk;
}

void say_notice(const ArchiveContext& context) {
    if (!context.archive.notice().isEmpty()) {
        context.err << "frostel-cli: " << context.archive.notice().toStdString() << '\n';
    }
}

archive::KeptDownload::Where keep_download(const ArchiveContext& context, const QString& outbox,
                                           const archive::Actor& offline,
                                           const mission::DownloadedMission& mission) {
    const archive::KeptDownload kept = archive::keep_download(
        context.archive, outbox, offline, mission, archive::stamp_now(context.clock));
    say_notice(context);
    if (kept.where == archive::KeptDownload::Where::kNowhere) {
        std::string why = kept.why.toStdString();
        if (!kept.unreachable.isEmpty()) {
            why = kept.unreachable.toStdString() +
                  ", and this PC's archive could not keep it: " + why;
        }
        context.err << "frostel-cli: the mission was not archived: " << why << '\n';
        note_event(context, archive::download_not_archived(why));
        return kept.where;
    }
    const archive::Archived made = kept.archived->first;
    context.err << "archive: record " << kept.archived->second
                << (made == archive::Archived::kDownloadedAgain ? " (downloaded again)"
                    : made == archive::Archived::kLaterDownload ? " (a later download)"
                                                                : "")
                << '\n';
    return kept.where;
}

void note_events(const ArchiveContext& context, const std::vector<archive::AuditEvent>& events) {
    if (events.empty()) {
        return;
    }
    // An older file read as it is stays as it is: opened to write, it would be brought forward.
    if (context.archive.read_as_it_is()) {
        for (const archive::AuditEvent& event : events) {
            context.err << "frostel-cli: the " << event.action
                        << " event was not entered in the audit trail: the archive is read as "
                           "it is\n";
        }
        return;
    }
    // An archive opened only to read takes its events through a connection that may write.
    std::optional<archive::MissionArchive> writer;
    archive::MissionArchive& trail =
        context.archive.read_only()
            ? writer.emplace(context.archive.path(), archive::MissionArchive::Access::kReadWrite,
                             context.archive.actor())
            : context.archive;
    for (const archive::AuditEvent& event : events) {
        if (!trail.record_event(event)) {
            context.err << "frostel-cli: the " << event.action
                        << " event was not entered in the audit trail: "
                        << trail.error().toStdString() << '\n';
        }
    }
}

void note_event(const ArchiveContext& context, const archive::AuditEvent& event) {
    note_events(context, {event});
}

programming::HeldMissionChoice held_mission_choice(const ArchiveContext& context,
                                                   const mission::HeldMission& mission,
                                                   bool force) {
    const std::optional<std::string> question =
        force ? std::nullopt : archive::held_mission_question(context.archive, mission);
    if (!question) {
        return programming::HeldMissionChoice::kProgramAnyway;
    }
    context.err << *question << '\n';
    return programming::HeldMissionChoice::kCancel;
}

void record_run(const ArchiveContext& context, const programming::ProgrammingSettings& settings,
                const programming::RunResult& result) {
    const auto run = archive::programming_record(
        archive::stamp_now(context.clock),
        {result.logger_id, result.logger_type, programming::setting_rows(settings),
         result.written_pages, programming::recorded_result(result)});
    if (run && !context.archive.record_programming(*run)) {
        context.err << "frostel-cli: the programming run was not archived: "
                    << context.archive.error().toStdString() << '\n';
    }
}

}  // namespace frostel::cli
