#include "cli/cli_report.h"

#include <QLocale>

#include "cli/cli_commands.h"
#include "report/report_pdf.h"

namespace frostel::cli {

int write_report(const report::ReportInput& input, const ReportRequest& request, std::ostream& err,
                 report::ReportOptions marks) {
    marks.generated_at = QDateTime::currentDateTime();
    marks.all_samples = request.all_samples;
    const report::ReportModel model = report::build_report(input, marks);
    const QString path = QString::fromStdString(request.file->string());
    if (!report::write_report_pdf(path, model, report::user_paper(QLocale()))) {
        err << "frostel-cli: cannot write " << request.file->string() << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace frostel::cli
