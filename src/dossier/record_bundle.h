#pragma once

#include <filesystem>
#include <string>

#include "archive/mission_archive.h"

namespace frostel::dossier {

struct BundleAnswer {
    enum class Kind { kWritten, kFolderInUse, kFailed };
    Kind kind = Kind::kWritten;
    std::string why;  // for the person to read
};

// The record's inspection bundle in `folder` (made when missing; one that holds files is
// refused): pages.bin (the fingerprint's input), mission.csv, report.pdf, summary.json,
// audit.csv (the record's events), signatures.csv, and SHA256SUMS listing them in
// sha256sum's format, then the audit chain's head as a comment. Painting the report needs a
// QGuiApplication (the offscreen platform will do).
[[nodiscard]] BundleAnswer write_bundle(archive::MissionArchive& archive,
                                        const archive::StoredMission& stored,
                                        const std::filesystem::path& folder);

}  // namespace frostel::dossier
