#pragma once

#include <optional>
#include <string>

#include "archive/mission_archive.h"

namespace frostel::dossier {

// RFC 4180: quoted when it holds a comma, a quote or a line break; quotes doubled.
[[nodiscard]] std::string csv_field(const std::string& field);

// The events `filter` picks as CSV with the header
// "sequence,utc,user,workstation,action,object,old,new,reason,hash", the fields unescaped, so
// that anyone can recompute the chain; nothing when the trail cannot be read.
[[nodiscard]] std::optional<std::string> audit_csv(archive::MissionArchive& archive,
                                                   const archive::AuditFilter& filter);

}  // namespace frostel::dossier
