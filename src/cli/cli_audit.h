#pragma once

#include <optional>
#include <string>

#include "cli/cli_archive.h"
#include "cli/cli_options.h"

namespace frostel::cli {

// "audit list|verify|export|anchor"; verify exits 1 when the chain is broken or an anchor
// is not held.
[[nodiscard]] int run_audit(const ArchiveContext& context, const AuditRequest& request);

// The trail's chain checked, as audit verify and archive verify say it: where it breaks
// printed as "BROKEN AT <sequence>: <why>", and why it could not be read as an error;
// nothing in either case.
[[nodiscard]] std::optional<archive::TrailCheck> intact_chain(
    const ArchiveContext& context, const std::vector<archive::Anchor>& anchors = {});

// "bundle check": "BUNDLE HOLDS: N FILES, M EVENTS, HEAD S:H", or a line for each problem
// and exit 1.
[[nodiscard]] int run_bundle_check(const BundleRequest& request, std::ostream& out);

}  // namespace frostel::cli
