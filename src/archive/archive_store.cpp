#include "archive/archive_store.h"

#include "archive/pg_address.h"
#include "archive/pg_store.h"
#include "archive/sqlite_store.h"

namespace frostel::archive {

Actor actor_of(const Person& person, const std::string& workstation) {
    return {person.id, person.full_name, workstation};
}

std::vector<Signature> RecordSignatures::misplaced() const {
    std::vector<Signature> found;
    for (const Signature& signature : signatures) {
        if (signature.terms.record_digest != record_digest) {
            found.push_back(signature);
        }
    }
    return found;
}

std::unique_ptr<ArchiveStore> open_store(const QString& location, StoreAccess access, Actor actor) {
    if (looks_like_pg_uri(location.toStdString())) {
        return std::make_unique<PgStore>(location, access, std::move(actor));
    }
    return std::make_unique<SqliteStore>(location, access, std::move(actor));
}

}  // namespace frostel::archive
