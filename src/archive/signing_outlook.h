#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/signature_rules.h"

namespace frostel::archive {

// The meaning `signer_id` would sign the record as next: the highest that their role and
// the record's signatures so far allow, nothing when they allow none.
[[nodiscard]] std::optional<Meaning> next_meaning(const std::string& signer_id,
                                                  const std::string& signer_name, Role role,
                                                  const std::vector<Signature>& earlier,
                                                  const std::string& record_digest,
                                                  const std::string& limits_in_force);
// How many of the signatures that hold under `limits_in_force` would no longer hold under
// `new_limits` (both as limits_lines writes them).
[[nodiscard]] int signatures_ended(const std::vector<Signature>& signatures,
                                   const std::string& record_digest,
                                   const std::string& limits_in_force,
                                   const std::string& new_limits);

}  // namespace frostel::archive
