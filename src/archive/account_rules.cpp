#include "archive/account_rules.h"

#include <sodium.h>

#include <QString>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

namespace frostel::archive {

namespace {

constexpr std::array<std::pair<Role, std::string_view>, 4> kRoleNames{{
    {Role::kOperator, "operator"},
    {Role::kReviewer, "reviewer"},
    {Role::kApprover, "approver"},
    {Role::kAdministrator, "administrator"},
}};

// What a site may choose: a shorter password than 8 is guessed too easily, and a lock after
// fewer than 3 failures would lock people out over typing slips.
struct SettingRange {
    std::string_view name;
    int SiteSettings::*field;
    int lowest;
    int highest;
};
constexpr std::array<SettingRange, 3> kSettingRanges{{
    {"minimum-password-length", &SiteSettings::minimum_password_length, 8, 64},
    {"failures-before-lock", &SiteSettings::failures_before_lock, 3, 10},
    {"idle-minutes", &SiteSettings::idle_minutes, kShortestIdleMinutes, kLongestIdleMinutes},
}};

const SettingRange* setting_range(std::string_view name) {
    const auto* found = std::find_if(kSettingRanges.begin(), kSettingRanges.end(),
                                     [&](const SettingRange& range) { return range.name == name; });
    return found == kSettingRanges.end() ? nullptr : found;
}

// Letters and digits that cannot be taken for one another when read out or copied by hand.
constexpr std::string_view kOneTimeAlphabet =
    "abcdefghjkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
constexpr int kOneTimeLength = 16;

void start_sodium() {
    // Only fails when the system has no source of randomness at all.
    if (sodium_init() < 0) {
        std::abort();
    }
}

std::size_t characters_in(std::string_view utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

}  // namespace

bool has_right(Role role, Right right) {
    if (role == Role::kAdministrator) {
        return right == Right::kDownload || right == Right::kReadAuditTrail ||
               right == Right::kSetLimits || right == Right::kChangeAccounts;
    }
    switch (right) {
        case Right::kDownload:
        case Right::kProgram:
        case Right::kExport:
            return true;
        case Right::kReadAuditTrail:
        case Right::kSetLimits:
        case Right::kSignReviewed:
            return role != Role::kOperator;
        case Right::kSignApproved:
            return role == Role::kApprover;
        case Right::kChangeAccounts:
            break;
    }
    return false;
}

std::string_view role_name(Role role) {
    for (const auto& [known, name] : kRoleNames) {
        if (known == role) {
            return name;
        }
    }
    return {};
}

std::optional<Role> role_from_name(std::string_view name) {
    for (const auto& [role, known] : kRoleNames) {
        if (known == name) {
            return role;
        }
    }
    return std::nullopt;
}

std::string_view state_name(AccountState state) {
    switch (state) {
        case AccountState::kActive:
            return "active";
        case AccountState::kLocked:
            return "locked";
        case AccountState::kMustChange:
            return "must-change";
        case AccountState::kDeactivated:
            return "deactivated";
    }
    return {};
}

AccountState account_state(bool deactivated, bool locked, bool must_change) {
    if (deactivated) {
        return AccountState::kDeactivated;
    }
    if (locked) {
        return AccountState::kLocked;
    }
    return must_change ? AccountState::kMustChange : AccountState::kActive;
}

std::optional<SiteSettings> with_setting(SiteSettings settings, std::string_view name, int value) {
    const SettingRange* range = setting_range(name);
    if (range == nullptr || value < range->lowest || value > range->highest) {
        return std::nullopt;
    }
    settings.*range->field = value;
    return settings;
}

std::optional<int> setting_value(const SiteSettings& settings, std::string_view name) {
    const SettingRange* range = setting_range(name);
    return range == nullptr ? std::nullopt : std::optional<int>(settings.*range->field);
}

std::optional<std::string> password_problem(const std::string& password,
                                            const SiteSettings& settings,
                                            const std::vector<std::string>& recent_hashes,
                                            const std::string& one_time_hash) {
    if (characters_in(password) < static_cast<std::size_t>(settings.minimum_password_length)) {
        return "the password must have at least " +
               std::to_string(settings.minimum_password_length) + " characters";
    }
    if (password.find_first_not_of(" \t\n\r\v\f") == std::string::npos) {
        return "the password must not be only blanks";
    }
    if (password_matches(one_time_hash, password)) {
        return "the password must not be the one-time password it replaces";
    }
    const auto last = recent_hashes.begin() +
                      std::min<std::ptrdiff_t>(kPasswordsRemembered,
                                               static_cast<std::ptrdiff_t>(recent_hashes.size()));
    if (std::any_of(recent_hashes.begin(), last,
                    [&](const std::string& hash) { return password_matches(hash, password); })) {
        return "the password must not be one of the last " + std::to_string(kPasswordsRemembered);
    }
    return std::nullopt;
}

bool locks_after_failure(int failures, const SiteSettings& settings) {
    return failures + 1 >= settings.failures_before_lock;
}

bool is_person_id(std::string_view id) {
    constexpr std::size_t kLongestId = 64;
    return !id.empty() && id.size() <= kLongestId && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '_' || c == '-';
    });
}

std::optional<std::string> person_problem(std::string_view id, std::string_view full_name) {
    if (!is_person_id(id)) {
        return "a user id is 1 to 64 letters, digits, '.', '_' or '-': " + std::string(id);
    }
    if (full_name.empty()) {
        return "a person needs a full name";
    }
    if (std::any_of(full_name.begin(), full_name.end(),
                    [](unsigned char c) { return c < 0x20 || c == 0x7f; })) {
        return "a full name may not hold a line break, a tab or another control character";
    }
    return std::nullopt;
}

std::string id_as_stored(std::string_view id) {
    if (is_person_id(id)) {
        return std::string(id);
    }
    return "invalid id (" + std::to_string(characters_in(id)) + " characters)";
}

std::string folded_name(std::string_view full_name) {
    return QString::fromUtf8(full_name.data(), static_cast<qsizetype>(full_name.size()))
        .simplified()
        .toCaseFolded()
        .toStdString();
}

namespace {
constexpr std::string_view kNameKey = "name=";
constexpr std::string_view kRoleKey = "\nrole=";
}  // namespace

std::string account_created_value(std::string_view full_name, Role role) {
    return std::string(kNameKey) + std::string(full_name) + std::string(kRoleKey) +
           std::string(role_name(role));
}

// The role is the last line; a name may hold a line feed of its own.
std::optional<std::string> created_full_name(std::string_view value) {
    const std::size_t role = value.rfind(kRoleKey);
    if (!value.starts_with(kNameKey) || role == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(value.substr(kNameKey.size(), role - kNameKey.size()));
}

std::string hash_password(const std::string& password) {
    start_sodium();
    std::array<char, crypto_pwhash_STRBYTES> hash{};
    // Interactive limits: a sign-in stays quick on a shared PC, and each guess still costs
    // 64 MiB of memory.
    if (crypto_pwhash_str(hash.data(), password.data(), password.size(),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        return {};
    }
    return hash.data();
}

bool password_matches(const std::string& hash, const std::string& password) {
    start_sodium();
    return !hash.empty() &&
           crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

std::string one_time_password(const SiteSettings& settings) {
    start_sodium();
    std::string password;
    const int length = std::max(kOneTimeLength, settings.minimum_password_length);
    for (int i = 0; i < length; ++i) {
        password += kOneTimeAlphabet[randombytes_uniform(
            static_cast<std::uint32_t>(kOneTimeAlphabet.size()))];
    }
    return password;
}

}  // namespace frostel::archive
