#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/account_rules.h"
#include "archive/audit_trail.h"
#include "insight/limits.h"
#include "insight/statistics.h"

namespace frostel::archive {

enum class Meaning { kReviewed, kApproved };
[[nodiscard]] std::string_view meaning_name(Meaning meaning);
[[nodiscard]] std::optional<Meaning> meaning_from_name(std::string_view name);

// What a signature binds: its new value in the audit trail, the terms joined by line feeds.
struct SignedTerms {
    std::string record_digest;
    Meaning meaning = Meaning::kReviewed;
    // Low, high, source and dH, a line each, as limits_lines writes them.
    std::string limits;
    std::string full_name;
};
// The limits (degrees Celsius) and dH that judge a record: low and high to a millionth of
// a degree ("none" for a side not set), the source's name and dH, joined by line feeds. A
// signature holds for limits whose numbers are equal to a millionth, however written.
[[nodiscard]] std::string limits_lines(const insight::Limits& limits, double delta_h_kj_per_mol);
[[nodiscard]] std::string signed_value(const SignedTerms& terms);
// Nothing for a text signed_value did not write.
[[nodiscard]] std::optional<SignedTerms> parse_signed_value(std::string_view value);

// A signature as the trail keeps it: its terms, who signed, when, and the comment.
struct Signature {
    std::int64_t sequence = 0;
    std::int64_t utc_ms = 0;
    std::string local_time;  // ISO 8601 in the zone of the record signed
    std::string user_id;
    SignedTerms terms;
    std::string comment;
    bool row_intact = true;  // its event's own hash holds (hash_holds)
};

// Where a signature stands for the record it was entered on, the first that applies.
enum class SignatureState {
    kNotOfThisRecord,  // it names another record's digest: copied onto this one
    kEdited,           // its event was edited after it was entered
    kLimitsChanged,    // the limits in force are not those it bound
    kReviewGone,       // an approval while no earlier review by another person holds
    kHolds,
};
// The state of `signature`, one of the `signatures` entered on a record with `record_digest`
// and `limits_in_force`. A signer deactivated since changes nothing.
[[nodiscard]] SignatureState signature_state(const Signature& signature,
                                             const std::vector<Signature>& signatures,
                                             const std::string& record_digest,
                                             const std::string& limits_in_force);
// The words for a state wherever a signature is listed: "valid", "IS NOT OF THIS RECORD", ...
[[nodiscard]] std::string_view state_words(SignatureState state);
// Some signature of the record no longer holds because its limits changed.
[[nodiscard]] bool changed_after_signing(const std::vector<Signature>& signatures,
                                         const std::string& record_digest,
                                         const std::string& limits_in_force);

// The word for a record some of whose signatures its limits no longer hold.
inline constexpr std::string_view kChangedAfterSigning = "CHANGED AFTER SIGNING";

// What a record's signatures come to.
struct SigningState {
    std::optional<Meaning> highest;  // the highest meaning among those that hold
    bool changed_after_signing = false;
    bool operator==(const SigningState&) const = default;
    // kChangedAfterSigning, which outweighs any signature that still holds, else the highest
    // meaning's name, else nothing.
    [[nodiscard]] std::string text() const;
};

// Why `signer_id` (full name `signer_name`) with `role` may not sign a record as `meaning`,
// given its signatures so far; nothing when they may. An approval needs a review by someone
// else: another id under another full name.
[[nodiscard]] std::optional<std::string> signing_refusal(const std::string& signer_id,
                                                         const std::string& signer_name, Role role,
                                                         Meaning meaning,
                                                         const std::vector<Signature>& earlier,
                                                         const std::string& record_digest,
                                                         const std::string& limits_in_force);

// The audit actions a signing is entered as.
inline constexpr const char* kSigned = "signed";
inline constexpr const char* kSigningRefused = "signing-refused";
// Record `id`'s signing as `meaning` refused, and why, as its event.
[[nodiscard]] AuditEvent signing_refused(std::int64_t id, Meaning meaning, const std::string& why);

}  // namespace frostel::archive
