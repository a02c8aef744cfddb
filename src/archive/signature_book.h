#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "archive/mission_archive.h"

namespace frostel::archive {

// Signatures are audit events ("signed", "signing-refused") on a record, entered in one
// transaction with the checks that allow them.
class SignatureBook {
  public:
    explicit SignatureBook(MissionArchive& archive) : archive_(archive) {}

    // Nothing for an unknown record or an archive that cannot be read (see the archive's
    // error()).
    [[nodiscard]] std::optional<RecordSignatures> of_record(std::int64_t id);
    // `person`, signed in, signs record `id`; a refusal is entered in the trail as theirs.
    // `password`: the one the signing asked for (see SigningRequest).
    [[nodiscard]] SigningAnswer sign(const Person& person, std::int64_t id, Meaning meaning,
                                     const std::string& comment,
                                     std::optional<std::string> password = std::nullopt);
    // A signing refused before any person could be asked (accounts off), entered in the trail
    // as the archive's actor's.
    [[nodiscard]] SigningAnswer refuse(std::int64_t id, Meaning meaning, const std::string& why);

  private:
    MissionArchive& archive_;
};

}  // namespace frostel::archive
