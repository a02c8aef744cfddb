#include "app/controller_ties.h"

#include <QObject>

#include "platform/os_user.h"

namespace frostel::app {

namespace {

QString who_may(archive::Right right) {
    switch (right) {
        case archive::Right::kProgram:
            return QObject::tr("only operators, reviewers and approvers may program a logger");
        case archive::Right::kExport:
            return QObject::tr(
                "only operators, reviewers and approvers may save, copy or print a mission");
        case archive::Right::kChangeAccounts:
            return QObject::tr("only an administrator may change the data folder");
        case archive::Right::kReadAuditTrail:
        case archive::Right::kSetLimits:
        case archive::Right::kDownload:
        case archive::Right::kSignReviewed:
        case archive::Right::kSignApproved:
            break;
    }
    return QObject::tr("not for the role of the person signed in");
}

}  // namespace

archive::Actor actor_at_window(const std::optional<archive::Person>& person) {
    return person ? archive::actor_of(*person, platform::host_name()) : archive::os_actor();
}

bool holds_right(const std::optional<archive::Person>& person, archive::Right right) {
    return !person || archive::has_right(person->role, right);
}

BusyState::Permission right_permission(std::function<std::optional<archive::Person>()> person,
                                       archive::Right right, const QString& control) {
    return {[person = std::move(person), right] {
                return holds_right(person ? person() : std::nullopt, right);
            },
            control + QStringLiteral(": ") + who_may(right)};
}

}  // namespace frostel::app
