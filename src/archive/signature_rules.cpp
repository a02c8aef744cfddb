#include "archive/signature_rules.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include <QString>

#include "platform/fixed_text.h"

namespace frostel::archive {

namespace {

constexpr std::array<std::pair<Meaning, std::string_view>, 2> kMeaningNames{{
    {Meaning::kReviewed, "reviewed"},
    {Meaning::kApproved, "approved"},
}};

constexpr std::array<std::pair<SignatureState, std::string_view>, 5> kStateWords{{
    {SignatureState::kNotOfThisRecord, "IS NOT OF THIS RECORD"},
    {SignatureState::kEdited, "not valid, its event was edited"},
    {SignatureState::kLimitsChanged, "not valid for the current limits"},
    {SignatureState::kReviewGone, "not valid, no earlier review by another person holds"},
    {SignatureState::kHolds, "valid"},
}};

constexpr int kLimitsLines = 4;

// Limits are kept to a millionth, so a signature binds them to a millionth too.
constexpr int kDecimals = 6;
constexpr double kMillionths = 1e6;

std::string side_text(const std::optional<double>& value) {
    return value ? platform::fixed_text(*value, kDecimals) : std::string("none");
}

std::vector<std::string_view> lines_of(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    lines.push_back(text);
    return lines;
}

std::string joined(const std::vector<std::string_view>& lines) {
    std::string text;
    for (const std::string_view line : lines) {
        text += (text.empty() ? "" : "\n") + std::string(line);
    }
    return text;
}

std::optional<double> number_of(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Two lines of limits say the same: equal texts, or numbers equal to a millionth however
// many decimals each was written with.
bool same_line(std::string_view a, std::string_view b) {
    const std::optional<double> x = number_of(a);
    const std::optional<double> y = number_of(b);
    return a == b || (x && y && std::llround(*x * kMillionths) == std::llround(*y * kMillionths));
}

bool same_limits(std::string_view signed_limits, std::string_view in_force) {
    const std::vector<std::string_view> a = lines_of(signed_limits);
    const std::vector<std::string_view> b = lines_of(in_force);
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), same_line);
}

// One person may hold two ids (an account made again), so a name that differs only in case
// or blanks names the same person.
bool same_person(const Signature& signature, const std::string& id, const std::string& name) {
    const auto folded = [](const std::string& text) {
        return QString::fromStdString(text).simplified().toCaseFolded();
    };
    return signature.user_id == id || folded(signature.terms.full_name) == folded(name);
}

// A signature by its own terms and event, whatever the others of the record say.
SignatureState own_state(const Signature& signature, const std::string& record_digest,
                         const std::string& limits_in_force) {
    if (signature.terms.record_digest != record_digest) {
        return SignatureState::kNotOfThisRecord;
    }
    if (!signature.row_intact) {
        return SignatureState::kEdited;
    }
    return same_limits(signature.terms.limits, limits_in_force) ? SignatureState::kHolds
                                                                : SignatureState::kLimitsChanged;
}

// Whether a review entered before `sequence` by another person than `id` (full name `name`)
// holds: what an approval stands on.
bool reviewed_by_another(const std::vector<Signature>& signatures, std::int64_t sequence,
                         const std::string& id, const std::string& name,
                         const std::string& record_digest, const std::string& limits_in_force) {
    return std::any_of(signatures.begin(), signatures.end(), [&](const Signature& review) {
        return review.sequence < sequence && review.terms.meaning == Meaning::kReviewed &&
               !same_person(review, id, name) &&
               own_state(review, record_digest, limits_in_force) == SignatureState::kHolds;
    });
}

Right right_for(Meaning meaning) {
    return meaning == Meaning::kApproved ? Right::kSignApproved : Right::kSignReviewed;
}

}  // namespace

std::string_view meaning_name(Meaning meaning) {
    for (const auto& [known, name] : kMeaningNames) {
        if (known == meaning) {
            return name;
        }
    }
    return {};
}

std::optional<Meaning> meaning_from_name(std::string_view name) {
    for (const auto& [meaning, known] : kMeaningNames) {
        if (known == name) {
            return meaning;
        }
    }
    return std::nullopt;
}

std::string limits_lines(const insight::Limits& limits, double delta_h_kj_per_mol) {
    return side_text(limits.low) + '\n' + side_text(limits.high) + '\n' +
           std::string(insight::source_name(limits.source)) + '\n' +
           platform::fixed_text(delta_h_kj_per_mol, kDecimals);
}

std::string signed_value(const SignedTerms& terms) {
    return terms.record_digest + '\n' + std::string(meaning_name(terms.meaning)) + '\n' +
           terms.limits + '\n' + terms.full_name;
}

std::optional<SignedTerms> parse_signed_value(std::string_view value) {
    const std::vector<std::string_view> lines = lines_of(value);
    if (lines.size() != 3 + kLimitsLines) {
        return std::nullopt;
    }
    const std::optional<Meaning> meaning = meaning_from_name(lines[1]);
    if (!meaning) {
        return std::nullopt;
    }
    return SignedTerms{std::string(lines[0]), *meaning,
                       joined({lines.begin() + 2, lines.begin() + 2 + kLimitsLines}),
                       std::string(lines.back())};
}

SignatureState signature_state(const Signature& signature, const std::vector<Signature>& signatures,
                               const std::string& record_digest,
                               const std::string& limits_in_force) {
    const SignatureState own = own_state(signature, record_digest, limits_in_force);
    if (own != SignatureState::kHolds || signature.terms.meaning != Meaning::kApproved) {
        return own;
    }
    return reviewed_by_another(signatures, signature.sequence, signature.user_id,
                               signature.terms.full_name, record_digest, limits_in_force)
               ? SignatureState::kHolds
               : SignatureState::kReviewGone;
}

std::string_view state_words(SignatureState state) {
    for (const auto& [known, words] : kStateWords) {
        if (known == state) {
            return words;
        }
    }
    return {};
}

bool changed_after_signing(const std::vector<Signature>& signatures,
                           const std::string& record_digest, const std::string& limits_in_force) {
    return std::any_of(signatures.begin(), signatures.end(), [&](const Signature& signature) {
        return signature_state(signature, signatures, record_digest, limits_in_force) ==
               SignatureState::kLimitsChanged;
    });
}

std::string SigningState::text() const {
    if (changed_after_signing) {
        return std::string(kChangedAfterSigning);
    }
    return highest ? std::string(meaning_name(*highest)) : std::string();
}

std::optional<std::string> signing_refusal(const std::string& signer_id,
                                           const std::string& signer_name, Role role,
                                           Meaning meaning, const std::vector<Signature>& earlier,
                                           const std::string& record_digest,
                                           const std::string& limits_in_force) {
    const std::string as = std::string(meaning_name(meaning));
    if (!has_right(role, right_for(meaning))) {
        return "the role " + std::string(role_name(role)) + " may not sign as " + as;
    }
    // Only signatures that hold count: limits changed since, or an approval whose review
    // no longer holds, call for signing again.
    if (std::any_of(earlier.begin(), earlier.end(), [&](const Signature& signature) {
            return signature.terms.meaning == meaning && signature.user_id == signer_id &&
                   signature_state(signature, earlier, record_digest, limits_in_force) ==
                       SignatureState::kHolds;
        })) {
        return signer_id + " has signed this record as " + as + " already";
    }
    if (meaning == Meaning::kApproved &&
        !reviewed_by_another(earlier, std::numeric_limits<std::int64_t>::max(), signer_id,
                             signer_name, record_digest, limits_in_force)) {
        return "an approval needs an earlier valid review by another person";
    }
    return std::nullopt;
}

AuditEvent signing_refused(std::int64_t id, Meaning meaning, const std::string& why) {
    return {kSigningRefused, record_object(id), {}, std::string(meaning_name(meaning)), why};
}

}  // namespace frostel::archive
