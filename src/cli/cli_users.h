#pragma once

#include <QString>
#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <variant>

#include "archive/account_book.h"
#include "archive/audit_trail.h"
#include "cli/cli_options.h"

namespace frostel::cli {

// The passwords a command reads, a line each: the first from the password file when one is
// given, the others from `in`.
class PasswordLines {
  public:
    PasswordLines(std::istream& in, std::optional<std::filesystem::path> file)
        : in_(in), file_(std::move(file)) {}
    // The next line without its line end; nothing when there is none.
    [[nodiscard]] std::optional<std::string> next();

  private:
    std::istream& in_;
    std::optional<std::filesystem::path> file_;
};

// The person that --user and a password sign in on `archive`, whose accounts are on; else
// the exit code that ends the command, with the reason said on `err`.
[[nodiscard]] std::variant<archive::Person, int> sign_in_person(const CliOptions& options,
                                                                archive::MissionArchive& archive,
                                                                PasswordLines& passwords,
                                                                std::ostream& err);

// Who runs `options`' command on the archive at `archive_path`: without accounts the
// operating-system user; with them the person that --user and a password sign in, when the
// person may run it. Else the exit code that ends it, with the reason said on `err`.
[[nodiscard]] std::variant<archive::Actor, int> sign_in_for(const CliOptions& options,
                                                            const QString& archive_path,
                                                            PasswordLines& passwords,
                                                            std::ostream& err);

// "users ...": init turns accounts on; the others sign in first.
[[nodiscard]] int run_users(const CliOptions& options, const QString& archive_path,
                            PasswordLines& passwords, std::ostream& out, std::ostream& err);

}  // namespace frostel::cli
