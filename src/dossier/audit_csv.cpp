#include "dossier/audit_csv.h"

#include "report/spreadsheet_text.h"

namespace frostel::dossier {

std::string csv_field(const std::string& text) {
    std::string field = report::spreadsheet_text(text);
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string quoted = "\"";
    for (const char c : field) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + '"';
}

std::optional<std::string> audit_csv(archive::MissionArchive& archive,
                                     const archive::AuditFilter& filter) {
    std::string csv = "sequence,utc,user,workstation,action,object,old,new,reason,hash\r\n";
    const bool read = archive.for_each_event(filter, [&](const archive::AuditEntry& entry) {
        const archive::AuditRow& row = entry.chained.row;
        csv += std::to_string(row.sequence) + ',' + archive::utc_text(row.utc_ms);
        for (const std::string* field :
             {&row.user_id, &row.workstation, &row.action, &row.object, &row.old_value,
              &row.new_value, &row.reason, &entry.chained.hash}) {
            csv += ',' + csv_field(*field);
        }
        csv += "\r\n";
    });
    return read ? std::optional(csv) : std::nullopt;
}

}  // namespace frostel::dossier
