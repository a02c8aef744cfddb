#include "archive/signature_book.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <iterator>

namespace frostel::archive {

namespace {

using Kind = SigningAnswer::Kind;

constexpr const char* kSigned = "signed";
constexpr const char* kSigningRefused = "signing-refused";

std::string object_of(std::int64_t id) {
    return "record:" + std::to_string(id);
}

// Record `id`'s digest and signatures read within the caller's transaction; `found` false
// for an unknown record.
QString read_record(MissionArchive& archive, QSqlDatabase& db, std::int64_t id,
                    RecordSignatures& record, bool& found) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT record_digest FROM missions WHERE id = ?"));
    query.addBindValue(static_cast<qlonglong>(id));
    if (!query.exec()) {
        return query.lastError().text();
    }
    found = query.next();
    if (!found) {
        return {};
    }
    record.record_digest = query.value(0).toString().toStdString();
    const std::optional<RecordLimits> in_force = archive.record_limits(id);
    if (!in_force) {
        return archive.error();
    }
    record.limits_in_force = limits_lines(in_force->limits, in_force->delta_h_kj_per_mol);
    AuditFilter filter;
    filter.object = object_of(id);
    return list_events(db, filter, [&](const AuditEntry& entry) {
        const AuditRow& row = entry.chained.row;
        const std::optional<SignedTerms> terms =
            row.action == kSigned ? parse_signed_value(row.new_value) : std::nullopt;
        if (terms) {
            record.signatures.push_back({row.sequence, row.utc_ms, entry.local_time, row.user_id,
                                         *terms, row.reason, hash_holds(entry.chained)});
        }
    });
}

template <typename Test>
std::vector<Signature> signatures_where(const std::vector<Signature>& signatures, Test test) {
    std::vector<Signature> found;
    std::copy_if(signatures.begin(), signatures.end(), std::back_inserter(found), test);
    return found;
}

SigningAnswer failed(const MissionArchive& archive) {
    return {Kind::kFailed, archive.error().toStdString()};
}

AuditEvent refusal_event(std::int64_t id, Meaning meaning, const std::string& why) {
    return {kSigningRefused, object_of(id), {}, std::string(meaning_name(meaning)), why};
}

}  // namespace

std::vector<Signature> RecordSignatures::misplaced() const {
    return signatures_where(signatures, [&](const Signature& signature) {
        return signature.terms.record_digest != record_digest;
    });
}

std::vector<Signature> RecordSignatures::edited() const {
    return signatures_where(signatures,
                            [](const Signature& signature) { return !signature.row_intact; });
}

std::optional<RecordSignatures> SignatureBook::of_record(std::int64_t id) {
    RecordSignatures record;
    bool found = false;
    if (!archive_.read(
            [&](QSqlDatabase& db) { return read_record(archive_, db, id, record, found); })) {
        return std::nullopt;
    }
    return found ? std::optional(record) : std::nullopt;
}

SigningAnswer SignatureBook::sign(const Person& person, std::int64_t id, Meaning meaning,
                                  const std::string& comment) {
    // Checked before the transaction: verifying reads every page of the record.
    const std::optional<Verification> verdict = archive_.verify(id);
    if (!verdict) {
        return failed(archive_);
    }
    SigningAnswer answer;
    const Actor actor = actor_of(person, archive_.actor().workstation);
    const bool written = archive_.write([&](QSqlDatabase& db) {
        RecordSignatures record;
        bool found = false;
        if (QString error = read_record(archive_, db, id, record, found); !error.isEmpty()) {
            return error;
        }
        std::optional<std::string> why;
        if (*verdict != Verification::kIntact) {
            why = "record " + std::to_string(id) +
                  (verifies(*verdict) ? " was kept before records had a digest"
                                      : " was altered after it was archived");
        } else {
            why = signing_refusal(person.id, person.full_name, person.role, meaning,
                                  record.signatures, record.record_digest, record.limits_in_force);
        }
        const std::int64_t now = QDateTime::currentMSecsSinceEpoch();
        if (why) {
            answer = {Kind::kRefused, *why};
            return append_event(db, actor, refusal_event(id, meaning, *why), now);
        }
        const SignedTerms terms{record.record_digest, meaning, record.limits_in_force,
                                person.full_name};
        return append_event(db, actor, {kSigned, object_of(id), {}, signed_value(terms), comment},
                            now);
    });
    return written ? answer : failed(archive_);
}

SigningAnswer SignatureBook::refuse(std::int64_t id, Meaning meaning, const std::string& why) {
    if (!archive_.record_event(refusal_event(id, meaning, why))) {
        return failed(archive_);
    }
    return {Kind::kRefused, why};
}

}  // namespace frostel::archive
