#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <tuple>

namespace frostel::cli {
namespace {

using Args = std::vector<std::string>;

// Throws, and so fails the test, when the arguments are refused.
CliOptions accepted(const Args& args) {
    return std::get<CliOptions>(parse_cli_options(args));
}

TEST(CliOptions, TakesPortDeviceFolderCommandAndItsArguments) {
    const auto by_port = accepted({"--port", "7", "status"});
    EXPECT_EQ(std::tuple(by_port.port, by_port.command), std::tuple(7, Command::kStatus));

    for (const auto& [word, action] :
         {std::pair{"migrate", ArchiveAction::kMigrate}, std::pair{"sync", ArchiveAction::kSync}}) {
        for (const char* address :
             {"postgresql://ann@db/frostel", "host=/run/pg dbname=frostel", "service=frostel"}) {
            const auto shared = accepted({"--archive", address, "archive", word});
            EXPECT_EQ(std::tuple(shared.archive_address, shared.archive.action),
                      std::tuple(address, action));
        }
    }

    const auto by_device = accepted({"--device", "/dev/pts/4", "read-page", "16", "128", "383"});
    EXPECT_EQ(by_device.device, "/dev/pts/4");
    EXPECT_FALSE(by_device.port);
    EXPECT_EQ(by_device.pages, (std::vector<int>{16, 128, 383}));

    const auto download = accepted({"download", "--unit", "Reaumur", "--csv", "out.csv"});
    EXPECT_EQ(download.unit, "REAUMUR");
    EXPECT_EQ(download.csv_file, std::filesystem::path("out.csv"));
    // The program's own spelling of the unit and the correct one, in any case.
    for (const char* fahrenheit : {"FARENHEIT", "fahrenheit", "FAHRENHEIT", "Farenheit"}) {
        EXPECT_EQ(accepted({"download", "--unit", fahrenheit}).unit, "FARENHEIT");
    }
    for (const char* word : {"--help", "-h", "--version"}) {
        const auto asked = accepted({"--port", "2", word, "x"});
        const bool version = std::string(word) == "--version";
        EXPECT_EQ(asked.version, version) << word;
        EXPECT_EQ(asked.help, !version) << word;
    }

    // Either side of the limits may be empty; both empty leaves the logger's own.
    const std::tuple<const char*, std::optional<double>, std::optional<double>> limits[] = {
        {"2:8", 2.0, 8.0},
        {":-18.5", std::nullopt, -18.5},
        {"4:", 4.0, std::nullopt},
        {":", std::nullopt, std::nullopt}};
    for (const auto& [text, low, high] : limits) {
        const auto o =
            accepted({"download", "--summary", "s.json", "--limits", text, "--delta-h", "90.5"});
        EXPECT_EQ(o.summary.limits.low, low) << text;
        EXPECT_EQ(o.summary.limits.high, high) << text;
        EXPECT_EQ(o.summary.limits.any(), o.summary.limits.source == insight::LimitSource::kUser);
        EXPECT_EQ(o.summary.file, std::filesystem::path("s.json"));
        EXPECT_EQ(o.summary.delta_h_kj_per_mol, 90.5);
    }
    // "--all-samples" stands alone anywhere among the pairs.
    const auto report =
        accepted({"download", "--unit", "KELVIN", "--all-samples", "--report", "r.pdf"});
    EXPECT_EQ(report.report.file, std::filesystem::path("r.pdf"));
    EXPECT_TRUE(report.report.all_samples);
    EXPECT_EQ(report.unit, "KELVIN");

    // The archive's flags stand alone too.
    const auto forced = accepted({"--data-folder", "d", "program", "--force", "--interval", "30"});
    EXPECT_TRUE(forced.force);
    EXPECT_EQ(forced.program.interval, 30);
    EXPECT_EQ(forced.data_folder, std::filesystem::path("d"));
    const auto listed = accepted({"archive", "list", "--since", "2026-03-01", "--logger", "41AB"});
    EXPECT_EQ(std::tuple(listed.archive.since, listed.archive.logger_id),
              std::tuple("2026-03-01", "41AB"));
    const auto audited =
        accepted({"audit", "list", "--record", "12", "--user", "os:anna", "--since", "2026-03-01"});
    EXPECT_EQ(std::tuple(audited.audit.record_id, audited.audit.user_id, audited.audit.since),
              std::tuple(std::optional<std::int64_t>(12), "os:anna", "2026-03-01"));
    const auto added = accepted({"--user", "root", "--password-file", "pw", "users", "add", "olga",
                                 "--role", "reviewer", "--name", "Olga Ost"});
    EXPECT_EQ(std::tuple(added.user, added.password_file, added.users.action, added.users.id,
                         added.users.full_name, added.users.role),
              std::tuple("root", std::filesystem::path("pw"), UsersAction::kAdd, "olga", "Olga Ost",
                         "reviewer"));
    const auto role = accepted({"users", "role", "olga", "approver"});
    EXPECT_EQ(std::tuple(role.users.action, role.users.id, role.users.role),
              std::tuple(UsersAction::kRole, "olga", "approver"));
}

TEST(CliOptions, RefusesWhatCannotBeSent) {
    EXPECT_TRUE(std::holds_alternative<std::string>(parse_cli_options(Args{})));
    // Command lines apart by ";", each split at its spaces; one row a command.
    const char* const refused[] = {
        "--port 0 id; --port 31 id; --port 3x id; --port; --port 1 --device /dev/null id",
        "--baud 9600 id; format; id extra; id --all-samples; id --force",
        "--program-folder /no/such/folder id",
        "program --interval 9; program --interval 60; program --interval 0 --minutes",
        "program --interval 241 --minutes; program --interval 12.5; program --resolution 1",
        "program --resolution 0.0625; program --rollover; program --start temperature",
        "program --start tomorrow; program --start 2026-02-30T10:00; program --start 2026-2-3T1:00",
        "program --calibration 128; program --calibration -129; program --calibration 1.5",
        "program --text; program --colour red; program extra; program --low 9 --high 8.5",
        "program --low 200 --high 150",
        "read-page; read-page 16 -1; read-page 65536; read-page sixteen",
        "download --unit kelvins; download --csv; download --format json; download --all-samples",
        "download --limits 8:2; download --limits 5; download --limits 2:x",
        "download --limits 2:8:9; download --delta-h 0; download --delta-h inf",
        "download --delta-h 9.99; download --delta-h 500.01",
        "summary; summary --summary s.json; summary a.frd --limits; summary a.frd --csv x",
        "summary a.frd --report",
        "archive; archive show; archive show 0; archive verify 1 2; archive migrate now",
        "archive sync 1",
        "archive export 1; archive export 1 --pdf; archive export 1 --html r.html",
        "archive list --since 2026-13-01; archive list --since 2027-02-30",
        "--archive archive.db archive list; --archive postgresql://h/db?colour=x archive list",
        "--archive colour=blue archive list; --archive dbname='frostel archive list",
        "--data-folder d --archive a.sqlite archive list",
        "audit; audit show; audit list --record 0; audit list --user; audit verify 1",
        "audit export; audit export a.csv b.csv",
        "users; users init --admin root; users init --admin root --name Rita --name Rolf",
        "users add olga --name Olga; users add olga --name Olga --role boss",
        "users add --name Olga --role operator; users role olga; users reset; users passwd now",
        "users list --all; users setting idle-minutes; users setting idle-minutes x"};
    for (const char* row : refused) {
        std::istringstream lines(row);
        for (std::string line; std::getline(lines, line, ';');) {
            std::istringstream words(line);
            const Args args{std::istream_iterator<std::string>(words), {}};
            EXPECT_TRUE(std::holds_alternative<std::string>(parse_cli_options(args)))
                << "accepted: " << line;
        }
    }
}

}  // namespace
}  // namespace frostel::cli
