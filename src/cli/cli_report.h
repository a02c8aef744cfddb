#pragma once

#include <ostream>

#include "cli/cli_options.h"
#include "report/report_model.h"

namespace frostel::cli {

// The mission report of `input` as PDF to the request's file, dated now, on the paper of the
// user's locale, with the audit trail's head and the signatures `marks` gives. Painting needs
// a QGuiApplication (the offscreen platform will do).
[[nodiscard]] int write_report(const report::ReportInput& input, const ReportRequest& request,
                               std::ostream& err, report::ReportOptions marks = {});

}  // namespace frostel::cli
