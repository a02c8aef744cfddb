#include "cli/cli_summary.h"

#include <QString>

#include "cli/cli_commands.h"
#include "cli/cli_download.h"
#include "cli/cli_report.h"
#include "datafile/data_file.h"
#include "platform/whole_file.h"
#include "report/report_source.h"
#include "report/summary_json.h"

namespace frostel::cli {

void apply_summary_options(insight::SummaryInput& input, const SummaryOptions& options) {
    if (options.limits.any()) {
        input.user_limits = options.limits;
    }
    input.delta_h_kj_per_mol = options.delta_h_kj_per_mol.value_or(input.delta_h_kj_per_mol);
}

int write_summary(insight::SummaryInput input, const SummaryOptions& options, std::ostream& out,
                  std::ostream& err) {
    apply_summary_options(input, options);
    const QByteArray json = report::summary_json(insight::summarize(input));
    if (!options.file) {
        out << json.toStdString();
        return kExitOk;
    }
    if (!platform::write_whole_file(*options.file, json.toStdString())) {
        err << "frostel-cli: cannot write " << options.file->string() << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

int run_summary(const CliOptions& options, std::ostream& out, std::ostream& err,
                const std::function<void(const archive::AuditEvent&)>& audit,
                const std::function<std::string()>& audit_head) {
    const QString data_file = QString::fromStdString(options.saved_mission.string());
    std::optional<report::ReportInput> input = report::saved_pair_report_input(data_file);
    if (!input) {
        err << "frostel-cli: not a saved mission: " << options.saved_mission.string() << " with "
            << datafile::chart_document_name(data_file).toStdString() << '\n';
        return kExitFailed;
    }
    apply_summary_options(input->summary, options.summary);
    if (options.report.file) {
        const std::string head = audit_head ? audit_head() : std::string();
        if (write_report(*input, options.report, err, {.audit_head = head}) != kExitOk) {
            return kExitFailed;
        }
        if (audit) {
            audit(cli_file_written("report", *options.report.file, input->fingerprint));
        }
    }
    if (options.report.file && !options.summary.file) {
        return kExitOk;
    }
    return write_summary(input->summary, options.summary, out, err);
}

}  // namespace frostel::cli
