#include "cli/cli_users.h"

#include <QDateTime>
#include <QTimeZone>
#include <fstream>

#include "archive/account_book.h"
#include "archive/audit_chain.h"
#include "archive/audit_trail.h"
#include "archive/mission_archive.h"
#include "archive/pg_address.h"
#include "cli/cli_archive.h"
#include "cli/cli_commands.h"
#include "link/clock.h"

namespace frostel::cli {

namespace {

using archive::AccountAnswer;
using archive::MissionArchive;
using archive::Person;
using Kind = AccountAnswer::Kind;

// Texts the person reads where a refusal must not say more.
constexpr const char* kSignInRefused = "sign-in refused";
constexpr const char* kMustChange = "password must be changed";
constexpr const char* kAdministratorsOnly =
    "frostel-cli: only an administrator may change accounts";

std::optional<std::string> line_of(std::istream& in) {
    std::string line;
    if (!std::getline(in, line)) {
        return std::nullopt;
    }
    if (line.ends_with('\r')) {
        line.pop_back();
    }
    return line;
}

bool usable(MissionArchive& archive, std::ostream& err) {
    link::SystemClock clock;
    const ArchiveContext context{archive, clock, err, err};
    say_notice(context);
    return archive_is_open(context);
}

// The exit code of an answer, and what it says on `err`; `refusal` for a refused one.
int exit_code(const AccountAnswer& answer, std::ostream& err,
              const char* refusal = kAdministratorsOnly) {
    switch (answer.kind) {
        case Kind::kDone:
            return kExitOk;
        case Kind::kRefused:
            err << refusal << '\n';
            return kExitRefused;
        case Kind::kRejected:
        case Kind::kFailed:
            break;
    }
    err << "frostel-cli: " << answer.why << '\n';
    return kExitFailed;
}

// Says why whether accounts are on cannot be told (a shared archive out of reach, say).
int accounts_unknown(MissionArchive& archive, std::ostream& err) {
    if (usable(archive, err)) {
        err << "frostel-cli: whether accounts are on cannot be read: "
            << archive.error().toStdString() << '\n';
    }
    return kExitFailed;
}

bool has_user(const CliOptions& options, std::ostream& err) {
    if (options.user.empty()) {
        err << "frostel-cli: accounts are on: give --user ID and the password\n";
    }
    return !options.user.empty();
}

// The person signed in, or the exit code that ends the command, said on `err`.
std::variant<Person, int> signed_in(archive::AccountBook& book, const std::string& id,
                                    const std::optional<std::string>& password,
                                    bool only_to_change_it, std::ostream& err) {
    if (!password) {
        err << "frostel-cli: no password was given\n";
        return kExitUsage;
    }
    const AccountAnswer answer = book.sign_in(id, *password);
    if (!answer.done()) {
        return exit_code(answer, err, kSignInRefused);
    }
    if (answer.person->state == archive::AccountState::kMustChange && !only_to_change_it) {
        err << kMustChange << '\n';
        return kExitRefused;
    }
    return *answer.person;
}

std::optional<archive::Right> archive_right(ArchiveAction action) {
    switch (action) {
        case ArchiveAction::kSync:
            return archive::Right::kDownload;
        case ArchiveAction::kExport:
        case ArchiveAction::kBundle:
            return archive::Right::kExport;
        case ArchiveAction::kLimits:
            return archive::Right::kSetLimits;
        case ArchiveAction::kUse:
            return archive::Right::kChangeAccounts;
        case ArchiveAction::kList:
        case ArchiveAction::kShow:
        case ArchiveAction::kVerify:
        case ArchiveAction::kMigrate:
            break;
    }
    return std::nullopt;
}

std::optional<archive::Right> right_needed(const CliOptions& options) {
    switch (options.command) {
        case Command::kId:
        case Command::kStatus:
        case Command::kReadPage:
        case Command::kDownload:
            return archive::Right::kDownload;
        case Command::kProgram:
            return archive::Right::kProgram;
        case Command::kSummary:
            return options.report.file ? std::optional(archive::Right::kExport) : std::nullopt;
        case Command::kArchive:
            return archive_right(options.archive.action);
        case Command::kAudit:
            return archive::Right::kReadAuditTrail;
        case Command::kUsers:
        case Command::kSign:
        case Command::kBundle:
            break;
    }
    return std::nullopt;
}

const char* command_name(Command command) {
    switch (command) {
        case Command::kId:
            return "id";
        case Command::kStatus:
            return "status";
        case Command::kReadPage:
            return "read-page";
        case Command::kDownload:
            return "download";
        case Command::kProgram:
            return "program";
        case Command::kSummary:
            return "summary";
        case Command::kArchive:
            return "archive";
        case Command::kAudit:
            return "audit";
        case Command::kSign:
            return "sign";
        case Command::kBundle:
            return "bundle";
        case Command::kUsers:
            break;
    }
    return "users";
}

// The command as the person gave it, an archive command with its action: "archive limits".
std::string refused_work(const CliOptions& options) {
    std::string work = command_name(options.command);
    if (options.command == Command::kArchive) {
        work += ' ' + std::string(archive_action_name(options.archive.action));
    }
    return work;
}

// "2026-02-01T09:00:00Z"
std::string utc_text(std::int64_t utc_ms) {
    return QDateTime::fromMSecsSinceEpoch(utc_ms, QTimeZone::utc())
               .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
               .toStdString() +
           'Z';
}

int list(archive::AccountBook& book, const Person& by, std::ostream& out, std::ostream& err) {
    std::vector<Person> everyone;
    const AccountAnswer answer = book.people(by, everyone);
    for (const Person& person : everyone) {
        out << person.id << '\t' << archive::escape_field(person.full_name) << '\t'
            << archive::role_name(person.role) << '\t' << archive::state_name(person.state) << '\t'
            << utc_text(person.created_utc_ms) << '\n';
    }
    return exit_code(answer, err);
}

// The one-time password alone on its line, for the administrator to pass on.
int with_one_time_password(const AccountAnswer& answer, std::ostream& out, std::ostream& err) {
    if (answer.done()) {
        out << answer.one_time_password << '\n';
    }
    return exit_code(answer, err);
}

int init(const UsersRequest& request, MissionArchive& archive, PasswordLines& passwords,
         std::ostream& out, std::ostream& err) {
    const std::optional<std::string> password = passwords.next();
    const std::optional<std::string> again = passwords.next();
    if (!password || !again) {
        err << "frostel-cli: users init reads the password twice, a line each\n";
        return kExitUsage;
    }
    if (*password != *again) {
        err << "frostel-cli: the two passwords differ\n";
        return kExitFailed;
    }
    if (!usable(archive, err)) {
        return kExitFailed;
    }
    const int done = exit_code(
        archive::AccountBook(archive).turn_on(request.id, request.full_name, *password), err);
    if (done == kExitOk && !archive::looks_like_pg_uri(archive.path().toStdString())) {
        out << archive::kLocalArchivePromise << '\n';
    }
    return done;
}

int change(archive::AccountBook& book, const Person& by, const UsersRequest& request,
           const std::string& password, PasswordLines& passwords, std::ostream& out,
           std::ostream& err) {
    const archive::Role role =
        archive::role_from_name(request.role).value_or(archive::Role::kOperator);
    switch (request.action) {
        case UsersAction::kList:
            return list(book, by, out, err);
        case UsersAction::kAdd:
            return with_one_time_password(book.add(by, request.id, request.full_name, role), out,
                                          err);
        case UsersAction::kReset:
            return with_one_time_password(book.reset(by, request.id), out, err);
        case UsersAction::kRole:
            return exit_code(book.set_role(by, request.id, role), err);
        case UsersAction::kUnlock:
            return exit_code(book.unlock(by, request.id), err);
        case UsersAction::kDeactivate:
            return exit_code(book.deactivate(by, request.id), err);
        case UsersAction::kSetting:
            return exit_code(book.change_setting(by, request.setting, request.value), err);
        case UsersAction::kPasswd: {
            const std::optional<std::string> chosen = passwords.next();
            if (!chosen) {
                err << "frostel-cli: users passwd reads the new password on the second line\n";
                return kExitUsage;
            }
            return exit_code(book.change_password(by.id, password, *chosen), err, kSignInRefused);
        }
        case UsersAction::kInit:
            break;
    }
    return kExitUsage;
}

}  // namespace

std::optional<std::string> PasswordLines::next() {
    if (!file_) {
        return line_of(in_);
    }
    std::ifstream file(*file_);
    file_.reset();
    return line_of(file);
}

std::variant<archive::Person, int> sign_in_person(const CliOptions& options,
                                                  archive::MissionArchive& archive,
                                                  const std::optional<std::string>& password,
                                                  std::ostream& err) {
    if (!usable(archive, err)) {
        return kExitFailed;
    }
    if (!has_user(options, err)) {
        return kExitUsage;
    }
    archive::AccountBook book(archive);
    std::variant<Person, int> person = signed_in(book, options.user, password, false, err);
    if (const auto* who = std::get_if<Person>(&person)) {
        archive.act_as(archive::actor_of(*who, archive.actor().workstation));
    }
    return person;
}

std::optional<int> sign_in_for(const CliOptions& options, RunArchive& run, PasswordLines& passwords,
                               std::ostream& err) {
    const std::optional<bool> on = run.accounts_on();
    if (!on) {
        return accounts_unknown(run.archive(), err);
    }
    if (!*on) {
        return std::nullopt;
    }
    MissionArchive& archive = run.archive();
    const std::variant<Person, int> person =
        sign_in_person(options, archive, passwords.next(), err);
    if (const int* refused = std::get_if<int>(&person)) {
        return *refused;
    }
    const auto& who = std::get<Person>(person);
    const std::optional<archive::Right> needed = right_needed(options);
    if (needed && !archive::has_right(who.role, *needed)) {
        const std::string work = refused_work(options);
        const std::optional<std::int64_t> record =
            options.command == Command::kArchive ? options.archive.id : std::nullopt;
        const AccountAnswer refusal = archive::AccountBook(archive).refuse(
            who, work, record ? archive::record_object(*record) : std::string());
        err << "frostel-cli: the role " << archive::role_name(who.role) << " may not run " << work
            << '\n';
        return refusal.kind == Kind::kFailed ? exit_code(refusal, err) : kExitRefused;
    }
    return std::nullopt;
}

int run_users(const CliOptions& options, RunArchive& run, PasswordLines& passwords,
              std::ostream& out, std::ostream& err) {
    const UsersRequest& request = options.users;
    const std::optional<bool> on = run.accounts_on();
    if (!on) {
        return accounts_unknown(run.archive(), err);
    }
    if (request.action == UsersAction::kInit) {
        if (*on) {
            err << "frostel-cli: accounts are on already\n";
            return kExitFailed;
        }
        return init(request, run.archive(), passwords, out, err);
    }
    if (!*on) {
        err << "frostel-cli: accounts are off; users init turns them on\n";
        return kExitFailed;
    }
    if (!has_user(options, err)) {
        return kExitUsage;
    }
    MissionArchive& archive = run.archive();
    if (!usable(archive, err)) {
        return kExitFailed;
    }
    archive::AccountBook book(archive);
    const std::optional<std::string> password = passwords.next();
    const std::variant<Person, int> person =
        signed_in(book, options.user, password, request.action == UsersAction::kPasswd, err);
    if (const int* refused = std::get_if<int>(&person)) {
        return *refused;
    }
    const auto& who = std::get<Person>(person);
    archive.act_as(archive::actor_of(who, archive.actor().workstation));
    return change(book, who, request, *password, passwords, out, err);
}

}  // namespace frostel::cli
