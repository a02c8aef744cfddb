#pragma once

#include <filesystem>
#include <optional>
#include <ostream>

#include "cli_options.h"
#include "insight/summary.h"

namespace frostel::cli {

// The summary of `input` under `options`' limits (when either side is set) and dH, as JSON
// to the options' file or to `out` without one; the exit code.
[[nodiscard]] int write_summary(insight::SummaryInput input, const SummaryOptions& options,
                                std::ostream& out, std::ostream& err);

// The summary of the saved pair whose data file is `options.saved_mission`.
[[nodiscard]] int run_summary(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace frostel::cli
