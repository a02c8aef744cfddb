#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>

#include "archive/audit_trail.h"
#include "cli_options.h"
#include "insight/summary.h"

namespace frostel::cli {

// The user's limits (when either side is set) and dH from the options, over the mission's.
void apply_summary_options(insight::SummaryInput& input, const SummaryOptions& options);

// The summary of `input` under `options`' limits (when either side is set) and dH, as JSON
// to the options' file or to `out` without one; the exit code.
[[nodiscard]] int write_summary(insight::SummaryInput input, const SummaryOptions& options,
                                std::ostream& out, std::ostream& err);

// The summary of the saved pair whose data file is `options.saved_mission`, as JSON to the
// summary's file or `out`, and its report when one is asked for (then JSON only to a file),
// which `audit` enters in the audit trail and which prints the trail's `audit_head`.
[[nodiscard]] int run_summary(const CliOptions& options, std::ostream& out, std::ostream& err,
                              const std::function<void(const archive::AuditEvent&)>& audit = {},
                              const std::function<std::string()>& audit_head = {});

}  // namespace frostel::cli
