#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace frostel::archive {

// A person has one role; each role holds the rights of the one before it, except the
// administrator's, which are the accounts, the site settings, downloads, reading the audit
// trail and setting a record's limits.
enum class Role { kOperator, kReviewer, kApprover, kAdministrator };
enum class Right {
    kDownload,  // and talking to a logger
    kProgram,
    kExport,  // files and reports
    kReadAuditTrail,
    kSetLimits,  // and the dH of an archived record
    kSignReviewed,
    kSignApproved,
    kChangeAccounts,
};
[[nodiscard]] bool has_right(Role role, Right right);
[[nodiscard]] std::string_view role_name(Role role);
[[nodiscard]] std::optional<Role> role_from_name(std::string_view name);

enum class AccountState { kActive, kLocked, kMustChange, kDeactivated };
[[nodiscard]] std::string_view state_name(AccountState state);
// What a person's flags come to: deactivation outweighs a lock, a lock a password to change.
[[nodiscard]] AccountState account_state(bool deactivated, bool locked, bool must_change);

// A site's choices, each with its default.
struct SiteSettings {
    int minimum_password_length = 10;
    int failures_before_lock = 5;
    int idle_minutes = 15;
};
inline constexpr int kShortestIdleMinutes = 1;
inline constexpr int kLongestIdleMinutes = 120;
// `settings` with the one named ("minimum-password-length", "failures-before-lock",
// "idle-minutes") set; nothing for an unknown name or a value it cannot take.
[[nodiscard]] std::optional<SiteSettings> with_setting(SiteSettings settings, std::string_view name,
                                                       int value);
// The value of the one named; nothing for an unknown name.
[[nodiscard]] std::optional<int> setting_value(const SiteSettings& settings, std::string_view name);

// How many earlier passwords a new one may not repeat, the current one among them.
inline constexpr int kPasswordsRemembered = 3;
// Why a new password cannot be taken; nothing when it can. `recent_hashes`: the person's
// last chosen passwords, newest first; `one_time_hash`: the one-time password it replaces
// while the person must change it, else empty.
[[nodiscard]] std::optional<std::string> password_problem(
    const std::string& password, const SiteSettings& settings,
    const std::vector<std::string>& recent_hashes, const std::string& one_time_hash);
// Whether one more wrong password, after `failures` in a row, locks the account.
[[nodiscard]] bool locks_after_failure(int failures, const SiteSettings& settings);

// A person's id: letters, digits, '.', '_' and '-', so it never looks like "os:NAME".
[[nodiscard]] bool is_person_id(std::string_view id);
// Why a person cannot be kept with this id and full name; nothing when they can. A full name
// is one line: a control character in it would forge lines wherever it is shown.
[[nodiscard]] std::optional<std::string> person_problem(std::string_view id,
                                                        std::string_view full_name);
// An id as someone typed it, as an event or the accounts may keep it: the id itself when it is
// a person's, else only its length, so that a refused sign-in with a pasted page or a
// spreadsheet formula for an id leaves no such text in the trail.
[[nodiscard]] std::string id_as_stored(std::string_view id);
// A full name as one person's: case and runs of blanks (any Unicode space) do not tell two
// apart.
[[nodiscard]] std::string folded_name(std::string_view full_name);

// The event that makes a person's account, its object "user:ID", and what it enters of them:
// "name=FULL NAME\nrole=ROLE". The chain covers it, so it names the person wherever they are
// shown; the full name given, or nothing for another value.
inline constexpr std::string_view kAccountCreated = "account-created";
[[nodiscard]] std::string account_created_value(std::string_view full_name, Role role);
[[nodiscard]] std::optional<std::string> created_full_name(std::string_view value);

// Argon2id with a salt of its own, in libsodium's self-describing text form.
[[nodiscard]] std::string hash_password(const std::string& password);
[[nodiscard]] bool password_matches(const std::string& hash, const std::string& password);
// A random password for one sign-in, long enough for the site's minimum.
[[nodiscard]] std::string one_time_password(const SiteSettings& settings);

}  // namespace frostel::archive
