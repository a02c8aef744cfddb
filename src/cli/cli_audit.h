#pragma once

#include "cli_archive.h"
#include "cli_options.h"

namespace frostel::cli {

// "audit list|verify|export"; verify exits 1 when the chain is broken.
[[nodiscard]] int run_audit(const ArchiveContext& context, const AuditRequest& request);

}  // namespace frostel::cli
