#include "cli_summary.h"

#include <QString>

#include "cli_commands.h"
#include "datafile/chart_document.h"
#include "datafile/data_file.h"
#include "insight/chart_summary.h"
#include "mission/whole_file.h"
#include "summary_json.h"

namespace frostel::cli {

int write_summary(insight::SummaryInput input, const SummaryOptions& options, std::ostream& out,
                  std::ostream& err) {
    if (options.limits.any()) {
        input.user_limits = options.limits;
    }
    input.delta_h_kj_per_mol = options.delta_h_kj_per_mol.value_or(input.delta_h_kj_per_mol);
    const QByteArray json = summary_json(insight::summarize(input));
    if (!options.file) {
        out << json.toStdString();
        return kExitOk;
    }
    if (!mission::write_whole_file(*options.file, json.toStdString())) {
        err << "frostel-cli: cannot write " << options.file->string() << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

int run_summary(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const QString data_file = QString::fromStdString(options.saved_mission.string());
    const QString chart_file = datafile::chart_document_name(data_file);
    const std::optional<datafile::ChartDocument> document =
        datafile::read_data_file(data_file) ? datafile::read_chart_document(chart_file)
                                            : std::nullopt;
    if (!document) {
        err << "frostel-cli: not a saved mission: " << options.saved_mission.string() << " with "
            << chart_file.toStdString() << '\n';
        return kExitFailed;
    }
    return write_summary(insight::summary_input(*document), options.summary, out, err);
}

}  // namespace frostel::cli
