#include "archive/signature_book.h"

namespace frostel::archive {

std::optional<RecordSignatures> SignatureBook::of_record(std::int64_t id) {
    return archive_.store().record_signatures(id);
}

SigningAnswer SignatureBook::sign(const Person& person, std::int64_t id, Meaning meaning,
                                  const std::string& comment, std::optional<std::string> password) {
    // Checked before the store's transaction: verifying reads every page of the record.
    const std::optional<Verification> verdict = archive_.verify(id);
    if (!verdict) {
        return {SigningAnswer::Kind::kFailed, archive_.error().toStdString()};
    }
    SigningRequest request{id, meaning, comment, std::nullopt, std::move(password)};
    if (*verdict != Verification::kIntact) {
        request.refused_because = "record " + std::to_string(id) +
                                  (verifies(*verdict) ? " was kept before records had a digest"
                                                      : " was altered after it was archived");
    }
    return archive_.store().sign(person, request);
}

SigningAnswer SignatureBook::refuse(std::int64_t id, Meaning meaning, const std::string& why) {
    if (!archive_.record_event(signing_refused(id, meaning, why))) {
        return {SigningAnswer::Kind::kFailed, archive_.error().toStdString()};
    }
    return {SigningAnswer::Kind::kRefused, why};
}

}  // namespace frostel::archive
