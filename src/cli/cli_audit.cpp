#include "cli/cli_audit.h"

#include <QDateTime>
#include <QTimeZone>

#include "cli/cli_commands.h"
#include "dossier/audit_csv.h"
#include "platform/whole_file.h"

namespace frostel::cli {

namespace {

archive::AuditFilter filter_of(const AuditRequest& request) {
    archive::AuditFilter filter;
    if (!request.since.empty()) {
        filter.since_utc_ms = QDate::fromString(QString::fromStdString(request.since), Qt::ISODate)
                                  .startOfDay(QTimeZone::utc())
                                  .toMSecsSinceEpoch();
    }
    filter.user_id = request.user_id;
    if (request.record_id) {
        filter.object = "record:" + std::to_string(*request.record_id);
    }
    return filter;
}

int fail(const ArchiveContext& context) {
    context.err << "frostel-cli: " << context.archive.error().toStdString() << '\n';
    return kExitFailed;
}

int list(const ArchiveContext& context, const AuditRequest& request) {
    const bool read =
        context.archive.for_each_event(filter_of(request), [&](const archive::AuditEntry& entry) {
            const archive::AuditRow& row = entry.chained.row;
            std::ostream& out = context.out;
            out << row.sequence << '\t' << archive::utc_text(row.utc_ms);
            for (const std::string* field :
                 {&row.user_id, &row.workstation, &row.action, &row.object, &row.old_value,
                  &row.new_value, &row.reason}) {
                out << '\t' << archive::escape_field(*field);
            }
            out << '\n';
        });
    return read ? kExitOk : fail(context);
}

int verify(const ArchiveContext& context) {
    const std::optional<archive::TrailCheck> check = intact_chain(context);
    if (!check) {
        return kExitFailed;
    }
    context.out << "INTACT " << check->events << " EVENTS, HEAD " << check->head << '\n';
    return kExitOk;
}

int export_csv(const ArchiveContext& context, const AuditRequest& request) {
    const std::optional<std::string> csv = dossier::audit_csv(context.archive, {});
    if (!csv) {
        return fail(context);
    }
    if (!platform::write_whole_file(request.csv_file, *csv)) {
        context.err << "frostel-cli: cannot write " << request.csv_file.string() << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

std::optional<archive::TrailCheck> intact_chain(const ArchiveContext& context) {
    std::optional<archive::TrailCheck> check = context.archive.check_audit_trail();
    if (!check) {
        fail(context);
    } else if (check->broken) {
        context.out << "BROKEN AT " << check->broken->sequence << ": "
                    << archive::break_text(check->broken->why) << '\n';
        check.reset();
    }
    return check;
}

int run_audit(const ArchiveContext& context, const AuditRequest& request) {
    if (!archive_is_open(context)) {
        return kExitFailed;
    }
    switch (request.action) {
        case AuditAction::kList:
            return list(context, request);
        case AuditAction::kVerify:
            return verify(context);
        case AuditAction::kExport:
            return export_csv(context, request);
    }
    return kExitUsage;
}

}  // namespace frostel::cli
