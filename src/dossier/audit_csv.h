#pragma once

#include <optional>
#include <string>

#include "archive/mission_archive.h"

namespace frostel::dossier {

// A text field as no spreadsheet runs it (report::spreadsheet_text), then as RFC 4180
// writes it: quoted when it holds a comma, a quote or a line break; quotes doubled.
[[nodiscard]] std::string csv_field(const std::string& text);

// The events `filter` picks as CSV with the header
// "sequence,utc,user,workstation,action,object,old,new,reason,hash", the fields unescaped, so
// that anyone can recompute the chain once each text field's leading apostrophe is undone;
// nothing when the trail cannot be read.
[[nodiscard]] std::optional<std::string> audit_csv(archive::MissionArchive& archive,
                                                   const archive::AuditFilter& filter);

}  // namespace frostel::dossier
