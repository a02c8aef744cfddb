#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/account_book.h"
#include "archive/mission_archive.h"
#include "archive/signature_rules.h"

namespace frostel::archive {

// A record's signatures with what decides whether each holds.
struct RecordSignatures {
    std::string record_digest;          // empty for a record kept before digests
    std::string limits_in_force;        // as limits_lines writes them
    std::vector<Signature> signatures;  // oldest first
    [[nodiscard]] bool holds(const Signature& signature) const {
        return signature_holds(signature, record_digest, limits_in_force);
    }
    [[nodiscard]] bool changed_after_signing() const {
        return archive::changed_after_signing(signatures, record_digest, limits_in_force);
    }
    // Signatures entered on this record that name another record's digest.
    [[nodiscard]] std::vector<Signature> misplaced() const;
    // Signatures whose event was edited after it was entered.
    [[nodiscard]] std::vector<Signature> edited() const;
};

struct SigningAnswer {
    enum class Kind { kSigned, kRefused, kFailed };
    Kind kind = Kind::kSigned;
    std::string why;  // refused: for the person to read; failed: what went wrong
};

// Signatures are audit events ("signed", "signing-refused") on a record, entered in one
// transaction with the checks that allow them.
class SignatureBook {
  public:
    explicit SignatureBook(MissionArchive& archive) : archive_(archive) {}

    // Nothing for an unknown record or an archive that cannot be read (see the archive's
    // error()).
    [[nodiscard]] std::optional<RecordSignatures> of_record(std::int64_t id);
    // `person`, signed in, signs record `id`; a refusal is entered in the trail as theirs.
    [[nodiscard]] SigningAnswer sign(const Person& person, std::int64_t id, Meaning meaning,
                                     const std::string& comment);
    // A signing refused before any person could be asked (accounts off), entered in the trail
    // as the archive's actor's.
    [[nodiscard]] SigningAnswer refuse(std::int64_t id, Meaning meaning, const std::string& why);

  private:
    MissionArchive& archive_;
};

}  // namespace frostel::archive
