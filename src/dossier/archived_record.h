#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

#include "archive/mission_archive.h"
#include "archive/signature_book.h"
#include "report/report_model.h"

namespace frostel::dossier {

// A kept record as its report shows it, in degrees Celsius, judged by the limits and dH in
// force for it; nothing when it cannot be decoded or its limits cannot be read (`why`).
[[nodiscard]] std::optional<report::ReportInput> record_report_input(
    archive::MissionArchive& archive, const archive::StoredMission& stored, std::string& why);

// A signature as the report prints it.
[[nodiscard]] report::PrintedSignature printed(const archive::Signature& signature);

// Record `id`'s signatures that hold, and whether it changed after signing, for its report;
// false when they cannot be read (see the archive's error()).
[[nodiscard]] bool add_signatures(archive::MissionArchive& archive, std::int64_t id,
                                  report::ReportOptions& marks);

// Every signature of a record as the report prints it, oldest first; one that does not hold
// says why in capitals ("IS NOT OF THIS RECORD", "NOT VALID FOR THE CURRENT LIMITS", ...).
[[nodiscard]] QStringList signature_lines(const archive::RecordSignatures& record);

}  // namespace frostel::dossier
