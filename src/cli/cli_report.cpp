#include "cli_report.h"

#include <QLocale>

#include "cli_commands.h"
#include "report/report_pdf.h"

namespace frostel::cli {

int write_report(const report::ReportInput& input, const ReportRequest& request, std::ostream& err,
                 const std::string& audit_head) {
    const report::ReportModel model = report::build_report(
        input, {QDateTime::currentDateTime(), request.all_samples, audit_head});
    const QString path = QString::fromStdString(request.file->string());
    if (!report::write_report_pdf(path, model, report::user_paper(QLocale()))) {
        err << "frostel-cli: cannot write " << request.file->string() << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace frostel::cli
