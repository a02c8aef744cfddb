#include "dossier/record_bundle.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QLocale>

#include "archive/fingerprint.h"
#include "archive/signature_book.h"
#include "dossier/archived_record.h"
#include "dossier/audit_csv.h"
#include "insight/summary.h"
#include "platform/whole_file.h"
#include "report/csv_export.h"
#include "report/report_pdf.h"
#include "report/summary_json.h"

namespace frostel::dossier {

namespace {

namespace fs = std::filesystem;
using Kind = BundleAnswer::Kind;

bool usable_folder(const fs::path& folder) {
    std::error_code error;
    return !fs::exists(folder, error) ||
           (fs::is_directory(folder, error) && fs::is_empty(folder, error));
}

std::optional<std::string> signatures_csv(archive::MissionArchive& archive, std::int64_t id) {
    const std::optional<archive::RecordSignatures> record =
        archive::SignatureBook(archive).of_record(id);
    if (!record) {
        return std::nullopt;
    }
    std::string csv = "sequence,meaning,user,full_name,local_time,utc_ms,valid,comment\r\n";
    for (const archive::Signature& s : record->signatures) {
        csv += std::to_string(s.sequence) + ',' + std::string(meaning_name(s.terms.meaning)) + ',' +
               csv_field(s.user_id) + ',' + csv_field(s.terms.full_name) + ',' + s.local_time +
               ',' + std::to_string(s.utc_ms) + ',' + (record->holds(s) ? "yes" : "no") + ',' +
               csv_field(s.comment) + "\r\n";
    }
    return csv;
}

BundleAnswer cannot_write(const fs::path& file) {
    return {Kind::kFailed, "cannot write " + file.string()};
}

}  // namespace

BundleAnswer write_bundle(archive::MissionArchive& archive, const archive::StoredMission& stored,
                          const fs::path& folder) {
    if (!usable_folder(folder)) {
        return {Kind::kFolderInUse, "a bundle needs a new or empty folder: " + folder.string()};
    }
    // A bundle checks with sha256sum alone, so one of an altered record would pass as sound.
    const std::optional<archive::Verification> verdict = archive.verify(stored.record.id);
    if (!verdict || !archive::verifies(*verdict)) {
        return {Kind::kFailed, "record " + std::to_string(stored.record.id) +
                                   " does not verify; it is not bundled"};
    }
    std::error_code error;
    fs::create_directories(folder, error);
    const std::int64_t id = stored.record.id;
    const std::optional<mission::DownloadedMission> mission =
        mission::decode_recorded_mission(stored.record.logger_id, stored.pages, stored.zone(),
                                         stored.clock, mission::TemperatureUnit::kCelsius);
    std::string why;
    const std::optional<report::ReportInput> input = record_report_input(archive, stored, why);
    if (!input) {
        return {Kind::kFailed, why};
    }
    report::ReportOptions marks;
    marks.generated_at = QDateTime::currentDateTime();
    marks.audit_head = archive.audit_head_text();
    archive::AuditFilter events;
    events.object = "record:" + std::to_string(id);
    const std::optional<std::string> audit = audit_csv(archive, events, PreviousHash::kGiven);
    const std::optional<std::string> signatures = signatures_csv(archive, id);
    if (!mission || !audit || !signatures || !add_signatures(archive, id, marks)) {
        return {Kind::kFailed, "record " + std::to_string(id) +
                                   " cannot be bundled: " + archive.error().toStdString()};
    }
    const QByteArray pages = archive::page_record(stored.pages);
    const std::vector<std::pair<std::string, std::string>> files{
        {"pages.bin", pages.toStdString()},
        {"mission.csv", report::mission_csv(*mission)},
        {"summary.json", report::summary_json(insight::summarize(input->summary)).toStdString()},
        {"audit.csv", *audit},
        {"signatures.csv", *signatures},
    };
    std::string sums;
    const auto listed = [&](const std::string& name, const QByteArray& bytes) {
        sums += QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString() +
                "  " + name + '\n';
    };
    for (const auto& [name, bytes] : files) {
        if (!platform::write_whole_file(folder / name, bytes)) {
            return cannot_write(folder / name);
        }
        listed(name, QByteArray::fromStdString(bytes));
    }
    const fs::path report = folder / "report.pdf";
    QFile painted(QString::fromStdString(report.string()));
    if (!report::write_report_pdf(painted.fileName(), report::build_report(*input, marks),
                                  report::user_paper(QLocale())) ||
        !painted.open(QIODevice::ReadOnly)) {
        return cannot_write(report);
    }
    listed("report.pdf", painted.readAll());
    sums += "# audit trail " + marks.audit_head + '\n';
    if (!platform::write_whole_file(folder / "SHA256SUMS", sums)) {
        return cannot_write(folder / "SHA256SUMS");
    }
    return {};
}

}  // namespace frostel::dossier
