#include "cli/cli_download.h"

#include "cli/cli_report.h"
#include "cli/cli_summary.h"
#include "mission/download.h"
#include "platform/local_date_time.h"
#include "platform/program_folder.h"
#include "platform/whole_file.h"
#include "report/csv_export.h"
#include "report/report_source.h"

namespace frostel::cli {

namespace {

void print_summary(std::ostream& err, const mission::DownloadedMission& mission) {
    const mission::MissionHeader& header = mission.header;
    // The interval in seconds, as scripts reading these lines expect (archive show words it
    // for people).
    err << "logger: " << header.logger_id << '\n'
        << "type: " << static_cast<char>(header.logger_type) << '\n'
        << "samples: " << mission.samples.size() << '\n'
        << "interval: " << header.sample_interval << " s\n"
        << "start: " << platform::format_iso(header.start_time) << '\n'
        << "offset: " << report::csv_number(header.calibration_offset) << '\n';
    print_clock(err, mission.record.clock);
}

}  // namespace

void print_clock(std::ostream& out, const std::optional<mission::LoggerClock>& clock) {
    out << "clock utc offset: "
        << (clock ? std::to_string(clock->utc_offset_s) + " s" : std::string("unknown")) << '\n'
        << "clock source: " << mission::source_name(clock) << '\n'
        << "clock drift: "
        << (clock ? std::to_string(clock->drift_s) + " s" : std::string("unknown")) << '\n';
}

archive::AuditEvent cli_file_written(const std::string& kind, const std::filesystem::path& file,
                                     const std::string& fingerprint) {
    std::error_code unresolved;
    const std::filesystem::path absolute = std::filesystem::absolute(file, unresolved);
    return archive::file_written(kind, (unresolved ? file : absolute).string(), fingerprint);
}

void print_clock_warnings(std::ostream& err, const std::optional<mission::LoggerClock>& clock) {
    for (const std::string& warning : mission::clock_warnings(clock)) {
        err << warning << '\n';
    }
}

// The download is kept first; then every output is written that can be, each failure said
// on its own, so that one file that cannot be written costs no other.
int run_download(const CommandContext& context, const DownloadRequest& request) {
    mission::HeadlessDownloadView view;
    const mission::DownloadSetup setup{context.commands,
                                       request.clock,
                                       request.port_number,
                                       request.program_folder,
                                       request.time_zone,
                                       request.clock_setting,
                                       mission::unit_or_celsius(request.unit)};
    const std::optional<mission::DownloadedMission> mission =
        mission::download_mission(setup, view);
    if (!mission) {
        context.err << mission::kLoadingErrorText << '\n'
                    << "frostel-cli: " << link::failure_text(context.commands.link().failure())
                    << '\n';
        return kExitFailed;
    }
    print_summary(context.err, *mission);
    context.err << mission::kMissionStoppedText << '\n';
    if (mission->cleared_during_download) {
        context.err << mission::kMissionClearedText << '\n';
    }
    print_clock_warnings(context.err, mission->record.clock);
    // An archive that cannot keep the download makes the exit 1 too, after every output.
    bool all_written = !request.keep || request.keep(*mission);
    report::ReportInput input = report::download_report_input(
        *mission, request.time_zone, platform::format_iso(request.clock.local_now()),
        platform::pc_user_at_host().toStdString());
    apply_summary_options(input.summary, request.summary);
    if (request.summary.file) {
        all_written &=
            write_summary(input.summary, request.summary, context.out, context.err) == kExitOk;
    }
    const auto audit = [&](const archive::AuditEvent& event) {
        if (request.audit) {
            request.audit(event);
        }
    };
    if (request.report.file) {
        const std::string head = request.audit_head ? request.audit_head() : std::string();
        if (write_report(input, request.report, context.err, {.audit_head = head}) == kExitOk) {
            audit(cli_file_written("report", *request.report.file, input.fingerprint));
        } else {
            all_written = false;
        }
    }
    const std::string csv = report::mission_csv(*mission);
    if (!request.csv_file) {
        context.out << csv;
    } else if (!platform::write_whole_file(*request.csv_file, csv)) {
        context.err << "frostel-cli: cannot write " << request.csv_file->string() << '\n';
        all_written = false;
    } else {
        audit(cli_file_written("CSV", *request.csv_file, input.fingerprint));
    }
    return all_written ? kExitOk : kExitFailed;
}

}  // namespace frostel::cli
