#include "archive/signing_outlook.h"

#include <algorithm>

namespace frostel::archive {

std::optional<Meaning> next_meaning(const std::string& signer_id, const std::string& signer_name,
                                    Role role, const std::vector<Signature>& earlier,
                                    const std::string& record_digest,
                                    const std::string& limits_in_force) {
    for (const Meaning meaning : {Meaning::kApproved, Meaning::kReviewed}) {
        if (!signing_refusal(signer_id, signer_name, role, meaning, earlier, record_digest,
                             limits_in_force)) {
            return meaning;
        }
    }
    return std::nullopt;
}

int signatures_ended(const std::vector<Signature>& signatures, const std::string& record_digest,
                     const std::string& limits_in_force, const std::string& new_limits) {
    const auto holds = [&](const Signature& signature, const std::string& limits) {
        return signature_state(signature, signatures, record_digest, limits) ==
               SignatureState::kHolds;
    };
    return static_cast<int>(
        std::count_if(signatures.begin(), signatures.end(), [&](const Signature& signature) {
            return holds(signature, limits_in_force) && !holds(signature, new_limits);
        }));
}

}  // namespace frostel::archive
