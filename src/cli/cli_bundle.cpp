#include "cli/cli_bundle.h"

#include <QCryptographicHash>
#include <QFile>

#include "archive/fingerprint.h"
#include "archive/signature_book.h"
#include "cli/cli_audit.h"
#include "cli/cli_download.h"
#include "cli/cli_report.h"
#include "cli/cli_sign.h"
#include "cli/summary_json.h"
#include "insight/summary.h"
#include "platform/whole_file.h"

namespace frostel::cli {

namespace {

namespace fs = std::filesystem;

bool usable_folder(const fs::path& folder, std::ostream& err) {
    std::error_code error;
    if (fs::exists(folder, error) &&
        (!fs::is_directory(folder, error) || !fs::is_empty(folder, error))) {
        err << "frostel-cli: a bundle needs a new or empty folder: " << folder.string() << '\n';
        return false;
    }
    return true;
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

}  // namespace

int write_bundle(const ArchiveContext& context, const archive::StoredMission& stored,
                 const fs::path& folder) {
    if (!usable_folder(folder, context.err)) {
        return kExitUsage;
    }
    // A bundle checks with sha256sum alone, so one of an altered record would pass as sound.
    const std::optional<archive::Verification> verdict = context.archive.verify(stored.record.id);
    if (!verdict || !archive::verifies(*verdict)) {
        context.err << "frostel-cli: record " << stored.record.id
                    << " does not verify; it is not bundled\n";
        return kExitFailed;
    }
    std::error_code error;
    fs::create_directories(folder, error);
    const std::optional<mission::DownloadedMission> mission =
        mission::decode_recorded_mission(stored.record.logger_id, stored.pages, stored.zone(),
                                         stored.clock, mission::TemperatureUnit::kCelsius);
    const std::optional<report::ReportInput> input = report_input(context, stored);
    const std::int64_t id = stored.record.id;
    report::ReportOptions marks;
    marks.audit_head = context.archive.audit_head().value_or(std::string());
    archive::AuditFilter events;
    events.object = "record:" + std::to_string(id);
    const std::optional<std::string> audit = audit_csv(context.archive, events);
    const std::optional<std::string> signatures = signatures_csv(context.archive, id);
    if (!mission || !input || !audit || !signatures ||
        !add_signatures(context.archive, id, marks, context.err)) {
        context.err << "frostel-cli: record " << id
                    << " cannot be bundled: " << context.archive.error().toStdString() << '\n';
        return kExitFailed;
    }
    const QByteArray pages = archive::page_record(stored.pages);
    const std::vector<std::pair<std::string, std::string>> files{
        {"pages.bin", pages.toStdString()},
        {"mission.csv", mission_csv(*mission)},
        {"summary.json", summary_json(insight::summarize(input->summary)).toStdString()},
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
            context.err << "frostel-cli: cannot write " << (folder / name).string() << '\n';
            return kExitFailed;
        }
        listed(name, QByteArray::fromStdString(bytes));
    }
    const fs::path report = folder / "report.pdf";
    if (write_report(*input, {report, false}, context.err, marks) != kExitOk) {
        return kExitFailed;
    }
    QFile painted(QString::fromStdString(report.string()));
    if (!painted.open(QIODevice::ReadOnly)) {
        context.err << "frostel-cli: cannot read " << report.string() << '\n';
        return kExitFailed;
    }
    listed("report.pdf", painted.readAll());
    sums += "# audit chain head " + marks.audit_head + '\n';
    if (!platform::write_whole_file(folder / "SHA256SUMS", sums)) {
        context.err << "frostel-cli: cannot write " << (folder / "SHA256SUMS").string() << '\n';
        return kExitFailed;
    }
    note_event(context, cli_file_written("bundle", folder, stored.record.fingerprint));
    return kExitOk;
}

}  // namespace frostel::cli
