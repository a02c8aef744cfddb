#pragma once

#include <ostream>

#include "cli_options.h"
#include "report/report_model.h"

namespace frostel::cli {

// The mission report of `input` as PDF to the request's file, dated now, on the paper of the
// user's locale, with the audit trail's head when one is given. Painting needs a
// QGuiApplication (the offscreen platform will do).
[[nodiscard]] int write_report(const report::ReportInput& input, const ReportRequest& request,
                               std::ostream& err, const std::string& audit_head = {});

}  // namespace frostel::cli
