#include "archive/archive_store.h"

#include <algorithm>
#include <iterator>

#include "archive/pg_address.h"
#include "archive/pg_store.h"
#include "archive/sqlite_store.h"

namespace frostel::archive {

Actor actor_of(const Person& person, const std::string& workstation) {
    return {person.id, person.full_name, workstation};
}

namespace {

template <typename Test>
std::vector<Signature> signatures_where(const std::vector<Signature>& signatures, Test test) {
    std::vector<Signature> found;
    std::copy_if(signatures.begin(), signatures.end(), std::back_inserter(found), test);
    return found;
}

}  // namespace

std::vector<Signature> RecordSignatures::misplaced() const {
    return signatures_where(signatures, [&](const Signature& signature) {
        return signature.terms.record_digest != record_digest;
    });
}

SigningState RecordSignatures::state() const {
    SigningState state;
    for (const Signature& signature : signatures) {
        if (holds(signature) && (!state.highest || signature.terms.meaning > *state.highest)) {
            state.highest = signature.terms.meaning;
        }
    }
    state.changed_after_signing = changed_after_signing();
    return state;
}

std::vector<Signature> RecordSignatures::edited() const {
    return signatures_where(signatures,
                            [](const Signature& signature) { return !signature.row_intact; });
}

std::unique_ptr<ArchiveStore> open_store(const QString& location, StoreAccess access, Actor actor) {
    if (looks_like_pg_uri(location.toStdString())) {
        return std::make_unique<PgStore>(location, access, std::move(actor));
    }
    return std::make_unique<SqliteStore>(location, access, std::move(actor));
}

}  // namespace frostel::archive
