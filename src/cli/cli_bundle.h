#pragma once

#include <filesystem>

#include "cli/cli_archive.h"

namespace frostel::cli {

// The record's inspection bundle in `folder` (made when missing; one that holds files is
// refused, exit 2): pages.bin (the fingerprint's input), mission.csv, report.pdf,
// summary.json, audit.csv (the record's events), signatures.csv, and SHA256SUMS listing
// them in sha256sum's format, then the audit chain's head as a comment.
[[nodiscard]] int write_bundle(const ArchiveContext& context, const archive::StoredMission& stored,
                               const std::filesystem::path& folder);

}  // namespace frostel::cli
