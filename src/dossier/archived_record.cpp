#include "dossier/archived_record.h"

#include "archive/audit_trail.h"
#include "report/report_source.h"

namespace frostel::dossier {

std::optional<report::ReportInput> record_report_input(archive::MissionArchive& archive,
                                                       const archive::StoredMission& stored,
                                                       std::string& why) {
    const std::string record = "record " + std::to_string(stored.record.id);
    const std::optional<mission::DownloadedMission> mission =
        mission::decode_recorded_mission(stored.record.logger_id, stored.pages, stored.zone(),
                                         stored.clock, mission::TemperatureUnit::kCelsius);
    if (!mission) {
        why = record + " cannot be decoded";
        return std::nullopt;
    }
    const std::optional<archive::RecordLimits> kept = archive.record_limits(stored.record.id);
    if (!kept) {
        why = "the limits of " + record + " cannot be read: " + archive.error().toStdString();
        return std::nullopt;
    }
    report::ReportInput input =
        report::download_report_input(*mission, stored.zone(), stored.record.downloaded_at);
    input.summary.user_limits = kept->limits;
    input.summary.delta_h_kj_per_mol = kept->delta_h_kj_per_mol;
    input.reader_device = stored.reader_device;
    return input;
}

report::PrintedSignature printed(const archive::Signature& signature) {
    return {std::string(archive::meaning_name(signature.terms.meaning)),
            signature.terms.full_name,
            signature.user_id,
            signature.local_time,
            archive::utc_text(signature.utc_ms),
            signature.comment};
}

bool add_signatures(archive::MissionArchive& archive, std::int64_t id,
                    report::ReportOptions& marks) {
    const std::optional<archive::RecordSignatures> record =
        archive::SignatureBook(archive).of_record(id);
    if (!record) {
        return false;
    }
    for (const archive::Signature& signature : record->signatures) {
        if (record->holds(signature)) {
            marks.signatures.push_back(printed(signature));
        }
    }
    marks.changed_after_signing = record->changed_after_signing();
    return true;
}

QStringList signature_lines(const archive::RecordSignatures& record) {
    QStringList lines;
    for (const archive::Signature& signature : record.signatures) {
        QString line = report::signature_line(printed(signature));
        if (const archive::SignatureState state = record.state_of(signature);
            state != archive::SignatureState::kHolds) {
            const std::string_view words = archive::state_words(state);
            line += QStringLiteral(" \u2014 ") +
                    QString::fromUtf8(words.data(), static_cast<qsizetype>(words.size())).toUpper();
        }
        lines << line;
    }
    return lines;
}

}  // namespace frostel::dossier
