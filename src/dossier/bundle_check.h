#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "archive/audit_chain.h"

namespace frostel::dossier {

// What a bundle holds, checked from its files alone: each file against SHA256SUMS, each event
// of audit.csv against its own hash (and the event before it, where that is in the bundle),
// each signature of signatures.csv against its event, and the head SHA256SUMS names against
// `anchor`, a head kept elsewhere.
struct BundleCheck {
    std::vector<std::string> problems;  // a line each, for the person to read
    std::optional<archive::Anchor> head;
    int files = 0;
    int events = 0;
};
[[nodiscard]] BundleCheck check_bundle(const std::filesystem::path& folder,
                                       const std::optional<archive::Anchor>& anchor);

}  // namespace frostel::dossier
