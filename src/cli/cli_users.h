#pragma once

#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <variant>

#include "archive/account_book.h"
#include "archive/audit_trail.h"
#include "cli/cli_options.h"
#include "cli/run_archive.h"

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

// The person that --user and `password` sign in on `archive`, whose accounts are on, who
// from then on is the archive's actor; else the exit code that ends the command, with the
// reason said on `err`.
[[nodiscard]] std::variant<archive::Person, int> sign_in_person(
    const CliOptions& options, archive::MissionArchive& archive,
    const std::optional<std::string>& password, std::ostream& err);

// Whether `options`' command may run on `run`: without accounts as the operating-system
// user; with them as the person that --user and a password sign in, when the person may run
// it. Nothing when it may, else the exit code that ends it, with the reason said on `err`.
[[nodiscard]] std::optional<int> sign_in_for(const CliOptions& options, RunArchive& run,
                                             PasswordLines& passwords, std::ostream& err);

// "users ...": init turns accounts on; the others sign in first.
[[nodiscard]] int run_users(const CliOptions& options, RunArchive& run, PasswordLines& passwords,
                            std::ostream& out, std::ostream& err);

}  // namespace frostel::cli
