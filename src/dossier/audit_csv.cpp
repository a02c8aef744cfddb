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
                                     const archive::AuditFilter& filter, PreviousHash previous) {
    const bool given = previous == PreviousHash::kGiven;
    std::string csv = std::string("sequence,utc,user,workstation,action,object,old,new,reason,") +
                      (given ? "previous_hash," : "") + "hash\r\n";
    const bool read = archive.for_each_event(filter, [&](const archive::AuditEntry& entry) {
        const archive::AuditRow& row = entry.chained.row;
        csv += std::to_string(row.sequence) + ',' + archive::utc_text(row.utc_ms);
        for (const std::string* field : {&row.user_id, &row.workstation, &row.action, &row.object,
                                         &row.old_value, &row.new_value, &row.reason}) {
            csv += ',' + csv_field(*field);
        }
        if (given) {
            csv += ',' + entry.chained.previous_hash;
        }
        csv += ',' + entry.chained.hash + "\r\n";
    });
    return read ? std::optional(csv) : std::nullopt;
}

std::vector<std::vector<std::string>> csv_records(std::string_view csv) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;
    const auto end_field = [&] {
        record.push_back(field.starts_with('\'') ? field.substr(1) : field);
        field.clear();
    };
    for (std::size_t i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        if (quoted) {
            if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            end_field();
        } else if (c == '\n') {
            end_field();
            records.push_back(std::move(record));
            record.clear();
        } else if (c != '\r') {
            field += c;
        }
    }
    if (!field.empty() || !record.empty()) {
        end_field();
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace frostel::dossier
