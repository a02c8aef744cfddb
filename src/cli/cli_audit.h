#pragma once

#include <optional>
#include <string>

#include "cli/cli_archive.h"
#include "cli/cli_options.h"

namespace frostel::cli {

// "audit list|verify|export"; verify exits 1 when the chain is broken.
[[nodiscard]] int run_audit(const ArchiveContext& context, const AuditRequest& request);

}  // namespace frostel::cli
