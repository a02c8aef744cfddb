#pragma once

#include <cstdint>
#include <ostream>

#include "archive/mission_archive.h"
#include "cli/cli_options.h"
#include "cli/cli_users.h"
#include "report/report_model.h"

namespace frostel::cli {

// "sign": the person that --user names signs in and signs the record; a refusal (accounts
// off, the role, the order of signatures) exits 3 saying why. Either is entered in the trail.
[[nodiscard]] int run_sign(const CliOptions& options, RunArchive& run, PasswordLines& passwords,
                           std::ostream& out, std::ostream& err);

// A "signature: " line for each of record `id`'s signatures, ending in its state's words
// ("valid", "IS NOT OF THIS RECORD", ...), and "status: CHANGED AFTER SIGNING" when that
// holds; false, said on `err`, when they cannot be read.
[[nodiscard]] bool print_signatures(archive::MissionArchive& archive, std::int64_t id,
                                    std::ostream& out, std::ostream& err);

// Record `id`'s signatures that hold, and whether it changed after signing, for its report;
// false, said on `err`, when they cannot be read.
[[nodiscard]] bool add_signatures(archive::MissionArchive& archive, std::int64_t id,
                                  report::ReportOptions& marks, std::ostream& err);

// Whether every signature entered on record `id` names its digest; each that does not is
// said on `out` as "ID<TAB>SIGNATURE <sequence> IS NOT OF THIS RECORD".
[[nodiscard]] bool signatures_in_place(archive::MissionArchive& archive, std::int64_t id,
                                       std::ostream& out, std::ostream& err);

}  // namespace frostel::cli
