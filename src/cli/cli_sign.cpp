#include "cli/cli_sign.h"

#include "archive/signature_book.h"
#include "cli/cli_commands.h"
#include "dossier/archived_record.h"

namespace frostel::cli {

namespace {

using archive::SigningAnswer;

int answered(const SigningAnswer& answer, std::ostream& err) {
    switch (answer.kind) {
        case SigningAnswer::Kind::kSigned:
            return kExitOk;
        case SigningAnswer::Kind::kRefused:
            err << "frostel-cli: signing refused: " << answer.why << '\n';
            return kExitRefused;
        case SigningAnswer::Kind::kFailed:
            break;
    }
    err << "frostel-cli: the record was not signed: " << answer.why << '\n';
    return kExitFailed;
}

std::optional<archive::RecordSignatures> signatures_of(archive::MissionArchive& archive,
                                                       std::int64_t id, std::ostream& err) {
    std::optional<archive::RecordSignatures> record = archive::SignatureBook(archive).of_record(id);
    if (!record) {
        err << "frostel-cli: the signatures of record " << id
            << " cannot be read: " << archive.error().toStdString() << '\n';
    }
    return record;
}

}  // namespace

int run_sign(const CliOptions& options, RunArchive& run, PasswordLines& passwords,
             std::ostream& out, std::ostream& err) {
    const SignRequest& request = options.sign;
    const archive::Meaning meaning =
        archive::meaning_from_name(request.meaning).value_or(archive::Meaning::kReviewed);
    const std::optional<bool> on = run.accounts_on();
    archive::MissionArchive& archive = run.archive();
    if (on == false) {
        // Without accounts nobody is known by name to sign as.
        return answered(
            archive::SignatureBook(archive).refuse(
                request.id, meaning, "signing needs accounts; users init turns them on"),
            err);
    }
    const std::optional<std::string> password = passwords.next();
    const std::variant<archive::Person, int> person =
        sign_in_person(options, archive, password, err);
    if (const int* refused = std::get_if<int>(&person)) {
        return *refused;
    }
    const auto& signer = std::get<archive::Person>(person);
    // The shared archive checks the signer's password again with the signature itself.
    const int exit_code = answered(archive::SignatureBook(archive).sign(signer, request.id, meaning,
                                                                        request.comment, password),
                                   err);
    if (exit_code == kExitOk) {
        out << "record " << request.id << " signed as " << request.meaning << " by "
            << signer.full_name << " (" << signer.id << ")\n";
    }
    return exit_code;
}

bool print_signatures(archive::MissionArchive& archive, std::int64_t id, std::ostream& out,
                      std::ostream& err) {
    const std::optional<archive::RecordSignatures> record = signatures_of(archive, id, err);
    if (!record) {
        return false;
    }
    for (const archive::Signature& signature : record->signatures) {
        out << "signature: " << archive::meaning_name(signature.terms.meaning) << ", "
            << signature.terms.full_name << ", " << signature.user_id << ", "
            << signature.local_time << ", " << archive::utc_text(signature.utc_ms) << ", "
            << archive::state_words(record->state_of(signature)) << '\n';
    }
    if (record->changed_after_signing()) {
        out << "status: " << archive::kChangedAfterSigning << '\n';
    }
    return true;
}

bool add_signatures(archive::MissionArchive& archive, std::int64_t id, report::ReportOptions& marks,
                    std::ostream& err) {
    if (!dossier::add_signatures(archive, id, marks)) {
        err << "frostel-cli: the signatures of record " << id
            << " cannot be read: " << archive.error().toStdString() << '\n';
        return false;
    }
    return true;
}

bool signatures_in_place(archive::MissionArchive& archive, std::int64_t id, std::ostream& out,
                         std::ostream& err) {
    const std::optional<archive::RecordSignatures> record = signatures_of(archive, id, err);
    if (!record) {
        return false;
    }
    for (const archive::Signature& signature : record->misplaced()) {
        out << id << "\tSIGNATURE " << signature.sequence << " IS NOT OF THIS RECORD\n";
    }
    for (const archive::Signature& signature : record->edited()) {
        out << id << "\tSIGNATURE " << signature.sequence << " WAS EDITED\n";
    }
    return record->misplaced().empty() && record->edited().empty();
}

}  // namespace frostel::cli
