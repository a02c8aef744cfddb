#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/mission_archive.h"

namespace frostel::dossier {

// A text field as no spreadsheet runs it (report::spreadsheet_text), then as RFC 4180
// writes it: quoted when it holds a comma, a quote or a line break; quotes doubled.
[[nodiscard]] std::string csv_field(const std::string& text);

// Whether each row carries the hash of the row before it, so that a row is checked alone:
// a bundle's few events need it, a whole trail recomputes the chain from its start.
enum class PreviousHash { kLeftOut, kGiven };

// The events `filter` picks as CSV with the header
// "sequence,utc,user,workstation,action,object,old,new,reason,hash" ("previous_hash" before
// "hash" when given), the fields unescaped, so that anyone can recompute the chain once each
// text field's leading apostrophe is undone; nothing when the trail cannot be read.
[[nodiscard]] std::optional<std::string> audit_csv(archive::MissionArchive& archive,
                                                   const archive::AuditFilter& filter,
                                                   PreviousHash previous = PreviousHash::kLeftOut);

// The records of RFC 4180 `csv` as audit_csv writes it, each text field's leading
// apostrophe undone.
[[nodiscard]] std::vector<std::vector<std::string>> csv_records(std::string_view csv);

}  // namespace frostel::dossier
