#include "cli/cli_audit.h"

#include <QDateTime>
#include <QTimeZone>

#include "cli/cli_commands.h"
#include "dossier/audit_csv.h"
#include "dossier/bundle_check.h"
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

// The chain checked, then each anchor (one the trail no longer holds at its sequence is a
// rewrite or a cut tail that the chain alone cannot show) and the accounts.
int verify(const ArchiveContext& context, const AuditRequest& request) {
    const std::optional<archive::TrailCheck> check = intact_chain(context, request.anchors);
    if (!check) {
        return kExitFailed;
    }
    for (const archive::Anchor& anchor : check->not_held) {
        context.out << "ANCHOR " << anchor.sequence << " NOT HELD\n";
    }
    // An account row changed, added or removed without the event that would do it.
    for (const archive::AccountMismatch& account : check->accounts) {
        context.out << "ACCOUNT " << account.id << " IS NOT AS ITS EVENTS MADE IT: " << account.what
                    << '\n';
    }
    if (!check->not_held.empty() || !check->accounts.empty()) {
        return kExitFailed;
    }
    context.out << "INTACT " << check->events << " EVENTS, "
                << archive::anchor_text({check->events, check->head}) << '\n';
    return kExitOk;
}

int anchor(const ArchiveContext& context) {
    const std::string head = context.archive.audit_head_text();
    if (head.empty()) {
        return fail(context);
    }
    context.out << head << '\n';
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
    // The head the file ends at, to keep beside it.
    return anchor(context);
}

}  // namespace

std::optional<archive::TrailCheck> intact_chain(const ArchiveContext& context,
                                                const std::vector<archive::Anchor>& anchors) {
    std::optional<archive::TrailCheck> check = context.archive.check_audit_trail(anchors);
    if (!check) {
        fail(context);
    } else if (check->broken) {
        context.out << "BROKEN AT " << check->broken->sequence << ": "
                    << archive::break_text(check->broken->why) << '\n';
        check.reset();
    }
    return check;
}

int run_bundle_check(const BundleRequest& request, std::ostream& out) {
    const dossier::BundleCheck check = dossier::check_bundle(request.folder, request.anchor);
    for (const std::string& problem : check.problems) {
        out << problem << '\n';
    }
    if (!check.problems.empty()) {
        return kExitFailed;
    }
    out << "BUNDLE HOLDS: " << check.files << " FILES, " << check.events << " EVENTS, "
        << archive::anchor_text(*check.head) << '\n';
    return kExitOk;
}

int run_audit(const ArchiveContext& context, const AuditRequest& request) {
    if (!archive_is_open(context)) {
        return kExitFailed;
    }
    switch (request.action) {
        case AuditAction::kList:
            return list(context, request);
        case AuditAction::kVerify:
            return verify(context, request);
        case AuditAction::kAnchor:
            return anchor(context);
        case AuditAction::kExport:
            return export_csv(context, request);
    }
    return kExitUsage;
}

}  // namespace frostel::cli
