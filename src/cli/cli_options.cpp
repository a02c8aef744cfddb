#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <utility>

#include "archive/account_rules.h"
#include "archive/pg_address.h"
#include "archive/signature_rules.h"
#include "cli/program_arguments.h"
#include "cli/whole_number.h"
#include "insight/statistics.h"
#include "mission/temperature_unit.h"
#include "platform/local_date_time.h"

namespace frostel::cli {

namespace {

constexpr std::array<std::pair<const char*, ArchiveAction>, 9> kArchiveActions{{
    {"list", ArchiveAction::kList},
    {"show", ArchiveAction::kShow},
    {"export", ArchiveAction::kExport},
    {"verify", ArchiveAction::kVerify},
    {"limits", ArchiveAction::kLimits},
    {"bundle", ArchiveAction::kBundle},
    {"migrate", ArchiveAction::kMigrate},
    {"sync", ArchiveAction::kSync},
    {"use", ArchiveAction::kUse},
}};

std::optional<Command> parse_command(const std::string& name) {
    if (name == "id") {
        return Command::kId;
    }
    if (name == "status") {
        return Command::kStatus;
    }
    if (name == "read-page") {
        return Command::kReadPage;
    }
    if (name == "download") {
        return Command::kDownload;
    }
    if (name == "program") {
        return Command::kProgram;
    }
    if (name == "summary") {
        return Command::kSummary;
    }
    if (name == "archive") {
        return Command::kArchive;
    }
    if (name == "audit") {
        return Command::kAudit;
    }
    if (name == "users") {
        return Command::kUsers;
    }
    if (name == "sign") {
        return Command::kSign;
    }
    if (name == "bundle") {
        return Command::kBundle;
    }
    return std::nullopt;
}

// A whole text that is a finite number.
std::optional<double> parse_number(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// A unit name in any case; the correct spelling FAHRENHEIT is taken beside the program's own.
std::optional<std::string> unit_name(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (text == "FAHRENHEIT") {
        text = "FARENHEIT";
    }
    if (!mission::unit_from_token(text)) {
        return std::nullopt;
    }
    return text;
}

// "LOW:HIGH", either side may be empty.
std::optional<insight::Limits> parse_limits(const std::string& text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    insight::Limits limits;
    for (const auto& [side, part] : {std::pair{&limits.low, text.substr(0, colon)},
                                     std::pair{&limits.high, text.substr(colon + 1)}}) {
        if (part.empty()) {
            continue;
        }
        *side = parse_number(part);
        if (!*side) {
            return std::nullopt;
        }
    }
    if (limits.low && limits.high && *limits.low > *limits.high) {
        return std::nullopt;
    }
    limits.source = limits.any() ? insight::LimitSource::kUser : insight::LimitSource::kNone;
    return limits;
}

// The summary's options of download and summary; false for a name that is not one of them
// or a value it refuses.
bool parse_summary_option(SummaryOptions& options, const std::string& name,
                          const std::string& value) {
    if (name == "--summary") {
        options.file = value;
        return true;
    }
    if (name == "--limits") {
        const auto limits = parse_limits(value);
        options.limits = limits.value_or(insight::Limits{});
        return limits.has_value();
    }
    if (name == "--delta-h") {
        options.delta_h_kj_per_mol = parse_number(value);
        return options.delta_h_kj_per_mol && insight::delta_h_in_range(*options.delta_h_kj_per_mol);
    }
    return false;
}

// The report's options of download and summary; false for a name that is not one of them.
bool parse_report_option(ReportRequest& report, const std::string& name, const std::string& value) {
    if (name != "--report") {
        return false;
    }
    report.file = value;
    return true;
}

// A flag stands alone among options that come in pairs: whether `words` held it, which
// are left without it.
bool take_flag(std::vector<std::string>& words, std::string_view flag) {
    return std::erase(words, flag) > 0;
}

std::string parse_download_arguments(CliOptions& options, std::span<const std::string> words) {
    std::vector<std::string> rest(words.begin(), words.end());
    options.report.all_samples = take_flag(rest, "--all-samples");
    options.keep_in_archive = !take_flag(rest, "--no-archive");
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        if (i + 1 >= rest.size()) {
            return "missing value for " + rest[i];
        }
        const std::string& value = rest[i + 1];
        if (rest[i] == "--csv") {
            options.csv_file = value;
        } else if (const auto unit = unit_name(value); rest[i] == "--unit" && unit) {
            options.unit = *unit;
        } else if (!parse_summary_option(options.summary, rest[i], value) &&
                   !parse_report_option(options.report, rest[i], value)) {
            return "bad download option: " + rest[i] + " " + value;
        }
    }
    return "";
}

std::string parse_summary_arguments(CliOptions& options, std::span<const std::string> words) {
    std::vector<std::string> rest(words.begin(), words.end());
    options.report.all_samples = take_flag(rest, "--all-samples");
    if (rest.empty() || rest.front().starts_with("--")) {
        return "summary needs the data file of a saved mission";
    }
    options.saved_mission = rest.front();
    for (std::size_t i = 1; i < rest.size(); i += 2) {
        if (i + 1 >= rest.size()) {
            return "missing value for " + rest[i];
        }
        if (!parse_summary_option(options.summary, rest[i], rest[i + 1]) &&
            !parse_report_option(options.report, rest[i], rest[i + 1])) {
            return "bad summary option: " + rest[i] + " " + rest[i + 1];
        }
    }
    return "";
}

std::string parse_program_command(CliOptions& options, std::span<const std::string> words) {
    std::vector<std::string> settings(words.begin(), words.end());
    options.force = take_flag(settings, "--force");
    auto parsed = parse_program_arguments(settings);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        return error->message;
    }
    options.program = std::get<programming::ProgrammingSettings>(std::move(parsed));
    return "";
}

// A day of the calendar, "2027-02-30" not among them.
bool is_day(const std::string& text) {
    return text.size() == 10 && whole_number(text.substr(0, 4), 2000, 2099) &&
           platform::parse_iso(text + " 00:00:00").has_value();
}

std::string parse_archive_list(ArchiveRequest& request, std::span<const std::string> rest) {
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        if (i + 1 >= rest.size()) {
            return "missing value for " + rest[i];
        }
        const std::string& value = rest[i + 1];
        if (rest[i] == "--logger") {
            request.logger_id = value;
        } else if (rest[i] == "--since" && is_day(value)) {
            request.since = value;
        } else {
            return "bad archive list option: " + rest[i] + " " + value;
        }
    }
    return "";
}

// "--limits LOW:HIGH" (required), "--delta-h KJ_PER_MOL", "--reason TEXT".
std::string parse_archive_limits(ArchiveRequest& request, std::span<const std::string> rest) {
    bool limits_given = false;
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        if (i + 1 >= rest.size()) {
            return "missing value for " + rest[i];
        }
        const std::string& value = rest[i + 1];
        const auto limits = parse_limits(value);
        const auto delta_h = parse_number(value);
        if (rest[i] == "--limits" && limits) {
            request.limits = *limits;
            limits_given = true;
        } else if (rest[i] == "--delta-h" && delta_h && insight::delta_h_in_range(*delta_h)) {
            request.delta_h_kj_per_mol = delta_h;
        } else if (rest[i] == "--reason") {
            request.reason = value;
        } else {
            return "bad archive limits option: " + rest[i] + " " + value;
        }
    }
    return limits_given ? "" : "archive limits needs --limits LOW:HIGH";
}

std::string parse_archive_arguments(ArchiveRequest& request, std::span<const std::string> rest) {
    const auto action =
        std::find_if(kArchiveActions.begin(), kArchiveActions.end(),
                     [&](const auto& a) { return !rest.empty() && rest.front() == a.first; });
    if (action == kArchiveActions.end()) {
        return "archive needs list, show, export, verify, limits, bundle, migrate, sync or use";
    }
    request.action = action->second;
    rest = rest.subspan(1);
    if (request.action == ArchiveAction::kList) {
        return parse_archive_list(request, rest);
    }
    if (request.action == ArchiveAction::kMigrate || request.action == ArchiveAction::kSync) {
        return rest.empty() ? "" : "unexpected argument: " + rest.front();
    }
    if (request.action == ArchiveAction::kUse) {
        if (rest.size() != 1) {
            return "archive use needs one address or file (\"\" for the data folder's own archive)";
        }
        request.location = rest.front();
        return "";
    }
    if (!rest.empty()) {
        const auto id = whole_number(rest.front(), 1, std::numeric_limits<int>::max());
        if (!id) {
            return "not a record number: " + rest.front();
        }
        request.id = *id;
        rest = rest.subspan(1);
    }
    if (!request.id && request.action != ArchiveAction::kVerify) {
        return "archive " + std::string(action->first) + " needs a record number";
    }
    if (request.action == ArchiveAction::kBundle) {
        if (rest.size() != 1) {
            return "archive bundle needs a record number and a folder";
        }
        request.bundle_folder = rest.front();
        return "";
    }
    if (request.action == ArchiveAction::kLimits) {
        return parse_archive_limits(request, rest);
    }
    if (request.action != ArchiveAction::kExport) {
        return rest.empty() ? "" : "unexpected argument: " + rest.front();
    }
    if (rest.size() == 2 && rest[0] == "--frd") {
        request.frd_file = rest[1];
    } else if (rest.size() == 2 && rest[0] == "--csv") {
        request.csv_file = rest[1];
    } else if (rest.size() == 2 && rest[0] == "--pdf") {
        request.pdf_file = rest[1];
    } else {
        return "archive export needs --frd FILE, --csv FILE or --pdf FILE";
    }
    return "";
}

std::string parse_audit_list(AuditRequest& request, std::span<const std::string> rest) {
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        if (i + 1 >= rest.size()) {
            return "missing value for " + rest[i];
        }
        const std::string& value = rest[i + 1];
        const auto record = whole_number(value, 1, std::numeric_limits<int>::max());
        if (rest[i] == "--since" && is_day(value)) {
            request.since = value;
        } else if (rest[i] == "--user" && !value.empty()) {
            request.user_id = value;
        } else if (rest[i] == "--record" && record) {
            request.record_id = *record;
        } else {
            return "bad audit list option: " + rest[i] + " " + value;
        }
    }
    return "";
}

// "--anchor SEQUENCE:HASH" and "--anchors FILE" (one a line, blank lines skipped), each
// repeatable.
std::string parse_anchors(std::vector<archive::Anchor>& anchors,
                          std::span<const std::string> rest) {
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        if (i + 1 >= rest.size() || (rest[i] != "--anchor" && rest[i] != "--anchors")) {
            return "audit verify takes --anchor SEQUENCE:HASH or --anchors FILE";
        }
        std::vector<std::string> lines{rest[i + 1]};
        if (rest[i] == "--anchors") {
            std::ifstream file(rest[i + 1]);
            if (!file) {
                return "cannot read " + rest[i + 1];
            }
            lines.clear();
            for (std::string line; std::getline(file, line);) {
                if (line.find_first_not_of(" \t\r") != std::string::npos) {
                    lines.push_back(line);
                }
            }
        }
        for (const std::string& line : lines) {
            const std::optional<archive::Anchor> anchor = archive::parse_anchor(line);
            if (!anchor) {
                return "not an anchor (SEQUENCE:HASH): " + line;
            }
            anchors.push_back(*anchor);
        }
    }
    return "";
}

std::string parse_audit_arguments(AuditRequest& request, std::span<const std::string> rest) {
    const std::string action = rest.empty() ? "" : rest.front();
    rest = rest.subspan(rest.empty() ? 0 : 1);
    if (action == "list") {
        request.action = AuditAction::kList;
        return parse_audit_list(request, rest);
    }
    if (action == "verify") {
        request.action = AuditAction::kVerify;
        return parse_anchors(request.anchors, rest);
    }
    if (action == "anchor") {
        request.action = AuditAction::kAnchor;
        return rest.empty() ? "" : "unexpected argument: " + rest.front();
    }
    if (action == "export") {
        request.action = AuditAction::kExport;
        if (rest.size() != 1) {
            return "audit export needs one FILE.csv";
        }
        request.csv_file = rest.front();
        return "";
    }
    return "audit needs list, verify, export or anchor";
}

// "--name N --role R" and the like, each name at most once and only those in `allowed`.
std::string parse_users_options(UsersRequest& request, std::span<const std::string> rest,
                                std::initializer_list<std::string_view> allowed) {
    std::vector<std::string_view> seen;
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        const std::string& name = rest[i];
        if (std::find(allowed.begin(), allowed.end(), name) == allowed.end() ||
            std::find(seen.begin(), seen.end(), name) != seen.end()) {
            return "bad users option: " + name;
        }
        if (i + 1 >= rest.size() || rest[i + 1].empty()) {
            return "missing value for " + name;
        }
        seen.push_back(name);
        const std::string& value = rest[i + 1];
        if (name == "--role" && !archive::role_from_name(value)) {
            return "not a role: " + value;
        }
        (name == "--admin"  ? request.id
         : name == "--name" ? request.full_name
                            : request.role) = value;
    }
    if (seen.size() == allowed.size()) {
        return "";
    }
    return "users needs " + std::string(*allowed.begin()) + " and " +
           std::string(*std::prev(allowed.end()));
}

std::string parse_users_arguments(UsersRequest& request, std::span<const std::string> rest) {
    static const std::array<std::pair<const char*, UsersAction>, 9> kActions{{
        {"init", UsersAction::kInit},
        {"add", UsersAction::kAdd},
        {"reset", UsersAction::kReset},
        {"list", UsersAction::kList},
        {"role", UsersAction::kRole},
        {"unlock", UsersAction::kUnlock},
        {"deactivate", UsersAction::kDeactivate},
        {"passwd", UsersAction::kPasswd},
        {"setting", UsersAction::kSetting},
    }};
    const auto action = std::find_if(kActions.begin(), kActions.end(), [&](const auto& a) {
        return !rest.empty() && rest.front() == a.first;
    });
    if (action == kActions.end()) {
        return "users needs init, add, reset, list, role, unlock, deactivate, passwd or setting";
    }
    request.action = action->second;
    rest = rest.subspan(1);
    if (request.action == UsersAction::kInit) {
        return parse_users_options(request, rest, {"--admin", "--name"});
    }
    if (request.action == UsersAction::kSetting) {
        const std::optional<int> value =
            rest.size() == 2 ? whole_number(rest[1], 0, std::numeric_limits<int>::max())
                             : std::nullopt;
        if (!value) {
            return "users setting needs a name and a whole number";
        }
        request.setting = rest[0];
        request.value = *value;
        return "";
    }
    const bool takes_id =
        request.action != UsersAction::kList && request.action != UsersAction::kPasswd;
    if (takes_id) {
        if (rest.empty() || rest.front().starts_with("-")) {
            return "users " + std::string(action->first) + " needs a user id";
        }
        request.id = rest.front();
        rest = rest.subspan(1);
    }
    if (request.action == UsersAction::kAdd) {
        return parse_users_options(request, rest, {"--name", "--role"});
    }
    if (request.action == UsersAction::kRole) {
        if (rest.size() != 1 || !archive::role_from_name(rest.front())) {
            return "users role needs a user id and a role";
        }
        request.role = rest.front();
        return "";
    }
    return rest.empty() ? "" : "unexpected argument: " + rest.front();
}

std::string parse_sign_arguments(SignRequest& request, std::span<const std::string> rest) {
    const auto id = rest.empty() ? std::nullopt
                                 : whole_number(rest.front(), 1, std::numeric_limits<int>::max());
    if (!id) {
        return "sign needs a record number";
    }
    request.id = *id;
    for (std::size_t i = 1; i < rest.size(); i += 2) {
        if (i + 1 >= rest.size()) {
            return "missing value for " + rest[i];
        }
        const std::string& value = rest[i + 1];
        if (rest[i] == "--meaning" && archive::meaning_from_name(value)) {
            request.meaning = value;
        } else if (rest[i] == "--comment") {
            request.comment = value;
        } else {
            return "bad sign option: " + rest[i] + " " + value;
        }
    }
    return request.meaning.empty() ? "sign needs --meaning reviewed or --meaning approved" : "";
}

std::string parse_bundle_arguments(BundleRequest& request, std::span<const std::string> rest) {
    if (rest.size() < 2 || rest[0] != "check") {
        return "bundle needs check DIR";
    }
    request.folder = rest[1];
    if (rest.size() == 2) {
        return "";
    }
    request.anchor =
        rest.size() == 4 && rest[2] == "--anchor" ? archive::parse_anchor(rest[3]) : std::nullopt;
    return request.anchor ? "" : "bundle check takes --anchor SEQUENCE:HASH";
}

// Parses the words after the command; an empty text means they were fine.
std::string parse_command_arguments(CliOptions& options, std::span<const std::string> rest) {
    if (options.command == Command::kDownload) {
        return parse_download_arguments(options, rest);
    }
    if (options.command == Command::kProgram) {
        return parse_program_command(options, rest);
    }
    if (options.command == Command::kSummary) {
        return parse_summary_arguments(options, rest);
    }
    if (options.command == Command::kArchive) {
        return parse_archive_arguments(options.archive, rest);
    }
    if (options.command == Command::kAudit) {
        return parse_audit_arguments(options.audit, rest);
    }
    if (options.command == Command::kUsers) {
        return parse_users_arguments(options.users, rest);
    }
    if (options.command == Command::kSign) {
        return parse_sign_arguments(options.sign, rest);
    }
    if (options.command == Command::kBundle) {
        return parse_bundle_arguments(options.bundle, rest);
    }
    if (options.command != Command::kReadPage) {
        return rest.empty() ? "" : "unexpected argument: " + rest.front();
    }
    if (rest.empty()) {
        return "read-page needs at least one page number";
    }
    for (const std::string& word : rest) {
        const auto page = whole_number(word, 0, 0xFFFF);
        if (!page) {
            return "not a page number: " + word;
        }
        options.pages.push_back(*page);
    }
    return "";
}

// A shared archive's address must be one; an archive file is named by its ending, so that a
// mistyped address is not taken for a file.
std::string archive_address_problem(const std::string& value) {
    if (archive::looks_like_pg_uri(value)) {
        std::string why;
        return archive::parse_pg_uri(value, why) ? "" : why;
    }
    return value.ends_with(".sqlite") ? ""
                                      : "--archive takes a postgresql:// address, libpq's "
                                        "KEY=VALUE settings or a PATH.sqlite file: " +
                                            value;
}

}  // namespace

const char* archive_action_name(ArchiveAction action) {
    return std::find_if(kArchiveActions.begin(), kArchiveActions.end(),
                        [action](const auto& a) { return a.second == action; })
        ->first;
}

std::variant<CliOptions, std::string> parse_cli_options(std::span<const std::string> args) {
    CliOptions options;
    std::size_t i = 0;
    for (; i < args.size() && args[i].starts_with("-"); i += 2) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h" || name == "--version") {
            options.help = name != "--version";
            options.version = name == "--version";
            return options;
        }
        if (i + 1 >= args.size()) {
            return "missing value for " + name;
        }
        const std::string& value = args[i + 1];
        if (name == "--port") {
            options.port = whole_number(value, 1, 30);
            if (!options.port) {
                return "port must be 1 to 30: " + value;
            }
        } else if (name == "--device") {
            options.device = value;
        } else if (name == "--program-folder") {
            // A mistyped folder would otherwise send the port's bytes to the wrong device.
            if (std::error_code unreadable; !std::filesystem::is_directory(value, unreadable)) {
                return "program folder does not exist: " + value;
            }
            options.program_folder = value;
        } else if (name == "--wire-log") {
            options.wire_log = value;
        } else if (name == "--data-folder") {
            options.data_folder = value;
        } else if (name == "--archive") {
            if (std::string why = archive_address_problem(value); !why.empty()) {
                return why;
            }
            options.archive_address = value;
        } else if (name == "--user") {
            options.user = value;
        } else if (name == "--password-file") {
            options.password_file = value;
        } else {
            return "unknown option: " + name;
        }
    }
    if (options.port && options.device) {
        return "give --port or --device, not both";
    }
    if (options.data_folder && options.archive_address) {
        return "give --data-folder or --archive, not both";
    }
    if (i >= args.size()) {
        return "no command given";
    }
    const auto command = parse_command(args[i]);
    if (!command) {
        return "unknown command: " + args[i];
    }
    options.command = *command;
    const std::string problem = parse_command_arguments(options, args.subspan(i + 1));
    if (!problem.empty()) {
        return problem;
    }
    if (options.report.all_samples && !options.report.file) {
        return "--all-samples needs --report";
    }
    return options;
}

}  // namespace frostel::cli
