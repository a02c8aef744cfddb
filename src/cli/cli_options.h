#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "archive/audit_chain.h"
#include "insight/limits.h"
#include "programming/programming_settings.h"

namespace frostel::cli {

enum class Command {
    kId,
    kStatus,
    kReadPage,
    kDownload,
    kProgram,
    kSummary,
    kArchive,
    kAudit,
    kUsers,
    kSign,
    kBundle
};

// download and summary: the summary as JSON to `file` (summary: stdout without it), with the
// user's limits in the download's unit and dH.
struct SummaryOptions {
    std::optional<std::filesystem::path> file;
    insight::Limits limits;
    std::optional<double> delta_h_kj_per_mol;
};

// download and summary: the mission report as PDF to `file`, every sample on pages of
// their own with `all_samples`.
struct ReportRequest {
    std::optional<std::filesystem::path> file;
    bool all_samples = false;
};

enum class ArchiveAction {
    kList,
    kShow,
    kExport,
    kVerify,
    kLimits,
    kBundle,
    kMigrate,
    kSync,
    kUse
};

// "archive list|show|export|verify|limits|bundle|migrate|sync|use" and what follows it.
struct ArchiveRequest {
    ArchiveAction action = ArchiveAction::kList;
    std::optional<std::int64_t> id;                 // show, export; verify: all without it
    std::string logger_id;                          // list --logger
    std::string since;                              // list --since YYYY-MM-DD
    std::optional<std::filesystem::path> frd_file;  // export --frd
    std::optional<std::filesystem::path> csv_file;  // export --csv
    std::optional<std::filesystem::path> pdf_file;  // export --pdf: the mission report
    insight::Limits limits;                         // limits --limits, degrees Celsius
    std::optional<double> delta_h_kj_per_mol;       // limits --delta-h; none: as before
    std::string reason;                             // limits --reason
    std::filesystem::path bundle_folder;            // bundle
    std::string location;  // use: a shared archive's address or a file; empty: the data folder's
};

enum class AuditAction { kList, kVerify, kExport, kAnchor };

// "audit list|verify|export|anchor" and what follows it.
struct AuditRequest {
    AuditAction action = AuditAction::kList;
    std::vector<archive::Anchor> anchors;   // verify --anchor, --anchors FILE
    std::string since;                      // list --since YYYY-MM-DD, a UTC day
    std::string user_id;                    // list --user
    std::optional<std::int64_t> record_id;  // list --record
    std::filesystem::path csv_file;         // export
};

// "bundle check DIR [--anchor SEQUENCE:HASH]": a bundle checked from its files alone.
struct BundleRequest {
    std::filesystem::path folder;
    std::optional<archive::Anchor> anchor;
};

enum class UsersAction {
    kInit,
    kAdd,
    kReset,
    kList,
    kRole,
    kUnlock,
    kDeactivate,
    kPasswd,
    kSetting
};

// "users ..." and what follows it.
struct UsersRequest {
    UsersAction action = UsersAction::kList;
    std::string id;         // init --admin; add, reset, role, unlock, deactivate
    std::string full_name;  // init, add --name
    std::string role;       // add --role; role: one of the four roles' names
    std::string setting;    // setting: its name
    int value = 0;          // setting: its new value
};

// "sign RECORD --meaning reviewed|approved [--comment TEXT]".
struct SignRequest {
    std::int64_t id = 0;
    std::string meaning;
    std::string comment;
};

// What frostel-cli was asked to do, from its command line.
struct CliOptions {
    std::optional<int> port;            // --port N (1 to 30)
    std::optional<std::string> device;  // --device PATH, used for every port number
    std::optional<std::filesystem::path> program_folder;
    // --data-folder DIR: where the archive lives; default the settings' data folder.
    std::optional<std::filesystem::path> data_folder;
    // --archive: a shared archive's address (a URI or libpq's settings), or a PATH.sqlite file used
    // instead of the program folder's archive setting or the data folder's archive.
    std::optional<std::string> archive_address;
    Command command = Command::kId;
    std::vector<int> pages;                         // read-page
    std::optional<std::filesystem::path> csv_file;  // download: stdout without it
    std::string unit = "CELSIUS";                   // download
    bool keep_in_archive = true;                    // download; --no-archive: false
    programming::ProgrammingSettings program;       // program
    SummaryOptions summary;                         // download, summary
    ReportRequest report;                           // download, summary
    std::filesystem::path saved_mission;            // summary: the data file of a saved pair
    bool force = false;  // program --force: overwrite a mission never downloaded
    ArchiveRequest archive;
    AuditRequest audit;
    UsersRequest users;
    SignRequest sign;
    BundleRequest bundle;
    // With accounts on: who runs the command, with the password as standard input's first
    // line, or the first line of --password-file FILE.
    std::string user;
    std::optional<std::filesystem::path> password_file;
    // --wire-log FILE: every byte sent and received, with its time, for a bug report.
    std::optional<std::filesystem::path> wire_log;
    // --help/-h or --version: print it and send nothing.
    bool help = false;
    bool version = false;
};

inline constexpr const char* kCliUsage =
    "usage: frostel-cli [--port N | --device PATH] [--program-folder DIR]\n"
    "                   [--data-folder DIR | --archive URL|PATH.sqlite]\n"
    "                   [--wire-log FILE] COMMAND\n"
    "                   [--user ID [--password-file FILE]]\n"
    "       frostel-cli --help | -h | --version\n"
    "  id                  print the logger's identity\n"
    "  status              print whether a mission runs and the memory is cleared\n"
    "  read-page P [P ...] print pages P (0 to 65535) in hex\n"
    "  download [--csv FILE] [--unit CELSIUS|FAHRENHEIT|KELVIN|REAUMUR]\n"
    "           [--summary FILE] [--limits LOW:HIGH] [--delta-h KJ_PER_MOL]\n"
    "           [--report FILE.pdf [--all-samples]] [--no-archive]\n"
    "                      download the mission; samples as CSV to FILE or stdout,\n"
    "                      its summary as JSON to the --summary FILE, its report as PDF;\n"
    "                      the mission is kept in the archive\n"
    "  summary PATH.frd [--summary FILE] [--limits LOW:HIGH] [--delta-h KJ_PER_MOL]\n"
    "           [--report FILE.pdf [--all-samples]]\n"
    "                      the summary of a saved mission as JSON, to FILE or stdout\n"
    "                      (with --report alone: only the report)\n"
    "  program [--interval N] [--minutes] [--resolution 0.5|0.0625] [--rollover]\n"
    "          [--start immediate|temperature|YYYY-MM-DDTHH:MM] [--low T] [--high T]\n"
    "          [--calibration TENTHS] [--text TEXT] [--force]\n"
    "                      program a new mission, as the programming window does;\n"
    "                      --force overwrites a mission that was never downloaded\n"
    "  archive list [--logger ID] [--since YYYY-MM-DD]\n"
    "  archive show ID\n"
    "  archive export ID (--frd FILE | --csv FILE | --pdf FILE)\n"
    "  archive verify [ID]\n"
    "  archive limits ID --limits LOW:HIGH [--delta-h KJ_PER_MOL] [--reason TEXT]\n"
    "  archive bundle ID DIR\n"
    "                      the missions kept in frostel-archive.sqlite in the data folder;\n"
    "                      limits (degrees Celsius) and dH set for a kept mission are\n"
    "                      entered in the audit trail, and show and the report use them;\n"
    "                      a bundle is a record's files for an inspector, with SHA256SUMS\n"
    "  archive migrate     with --archive URL: create or bring forward the shared archive's\n"
    "                      schema on its PostgreSQL server, as the schema's owner\n"
    "  archive sync        upload what this PC kept while the shared archive was out of\n"
    "                      reach; prints UPLOADED N, PENDING M\n"
    "  archive use URL|FILE\n"
    "                      the archive this program folder's window and commands use from\n"
    "                      now on (\"\" for the data folder's own); administrators only\n"
    "  audit list [--since YYYY-MM-DD] [--user ID] [--record ID]\n"
    "  audit verify [--anchor SEQUENCE:HASH]... [--anchors FILE]\n"
    "  audit export FILE.csv\n"
    "  audit anchor\n"
    "                      the archive's audit trail: its events, tab-separated (from a\n"
    "                      UTC day on, of one user, about one record); its chain and its\n"
    "                      accounts checked, and heads kept elsewhere; all of it as CSV;\n"
    "                      its head as HEAD SEQUENCE:HASH\n"
    "  bundle check DIR [--anchor SEQUENCE:HASH]\n"
    "                      a bundle's files, events and signatures checked from the bundle\n"
    "                      alone, and the head it names against one kept elsewhere\n"
    "  users init --admin ID --name \"FULL NAME\"\n"
    "                      turn accounts on for the archive, with its first administrator;\n"
    "                      the password twice on standard input, a line each\n"
    "  users add ID --name \"FULL NAME\" --role operator|reviewer|approver|administrator\n"
    "  users reset ID\n"
    "                      a new person, or a new password for one: the one-time password\n"
    "                      is printed, to be changed at the next sign-in\n"
    "  users list | users role ID ROLE | users unlock ID | users deactivate ID\n"
    "  users passwd        the current password on the first line, the new one on the second\n"
    "  users setting minimum-password-length|failures-before-lock|idle-minutes VALUE\n"
    "  sign ID --meaning reviewed|approved [--comment TEXT]\n"
    "                      sign archived record ID electronically (accounts on; reviewers\n"
    "                      review, approvers review or approve a record another person\n"
    "                      reviewed); the password as for every command\n"
    "  With accounts on, every command but users init needs --user ID, the password as the\n"
    "  first line of standard input or of the --password-file FILE; only administrators\n"
    "  change accounts; only reviewers, approvers and administrators set a record's\n"
    "  limits, and archive limits needs --reason.\n"
    "  Port N (1 to 30, default 1) is the device ports/COMN in the program folder\n"
    "  (default: the folder of this program), else /dev/ttyUSB<N-1>.\n"
    "  Unit names may be written in any case; FARENHEIT is taken too.\n"
    "  --wire-log FILE writes every byte sent (>) and received (<) with its time.\n"
    "  --archive PATH.sqlite uses that archive file instead of the data folder's;\n"
    "  --archive URL names a shared archive (postgresql://[USER@]HOST[:PORT]/DB[?...],\n"
    "  or libpq's settings such as 'host=SOCKETDIR dbname=DB' or 'service=NAME'; without a\n"
    "  password in it, PGPASSWORD and ~/.pgpass apply). Without either, the\n"
    "  archive set in archive.ini in the program folder, else the data folder's.\n"
    "  A download the shared archive cannot take (out of reach) is kept on this PC\n"
    "  until archive sync uploads it, as the operating-system user, not signed in;\n"
    "  program, archive limits and sign are refused (exit 3) until the server answers.\n"
    "Exit code 0 on success, 1 when the reader did not answer or the run failed,\n"
    "2 for arguments that cannot be used (nothing is sent then), 3 when the sign-in is\n"
    "refused or the person may not do it (sign: the signing is refused); audit verify exits 1 when "
    "the chain is broken.\n";

// The options, or the reason the arguments make no sense (nothing is sent then).
[[nodiscard]] std::variant<CliOptions, std::string> parse_cli_options(
    std::span<const std::string> args);
// The word that names `action` on the command line: "limits".
[[nodiscard]] const char* archive_action_name(ArchiveAction action);

}  // namespace frostel::cli
