#include "archive/account_trail.h"

#include <algorithm>

namespace frostel::archive {

namespace {

constexpr std::string_view kLineKey = "account: ";
constexpr std::string_view kUserPrefix = "user:";

// The value's last line when it is an account line; empty otherwise.
std::string_view account_line_of(std::string_view value) {
    const std::size_t start = value.rfind('\n');
    const std::string_view last = start == std::string_view::npos ? value : value.substr(start + 1);
    return last.starts_with(kLineKey) ? last : std::string_view();
}

// The value of `key` ("role=") in an account line.
std::string_view field_of(std::string_view line, std::string_view key) {
    const std::size_t at = line.find(key);
    if (at == std::string_view::npos) {
        return {};
    }
    const std::string_view rest = line.substr(at + key.size());
    return rest.substr(0, rest.find(' '));
}

// What the kept line says otherwise than the entered one: "role", "state", "password".
std::string first_difference(std::string_view entered, std::string_view kept) {
    for (const auto& [key, what] : {std::pair{"role=", "role"}, std::pair{"state=", "state"},
                                    std::pair{"password-sha256=", "password"}}) {
        if (field_of(entered, key) != field_of(kept, key)) {
            return what;
        }
    }
    return {};
}

}  // namespace

std::string account_line(const AccountAsKept& account) {
    return std::string(kLineKey) + "role=" + std::string(role_name(account.role)) +
           " state=" + std::string(state_name(account.state)) +
           " password-sha256=" + account.password_digest;
}

std::string with_account_line(std::string_view value, const AccountAsKept& account) {
    std::string joined(value);
    if (!joined.empty()) {
        joined += '\n';
    }
    return joined + account_line(account);
}

void AccountCheck::add(const AuditRow& event) {
    if (!event.object.starts_with(kUserPrefix) || event.sequence > kept_.as_of) {
        return;
    }
    Entered& entered = entered_[event.object.substr(kUserPrefix.size())];
    entered.created = entered.created || event.action == kAccountCreated;
    if (const std::string_view line = account_line_of(event.new_value); !line.empty()) {
        entered.line = line;
    }
}

std::vector<AccountMismatch> AccountCheck::finish() const {
    const std::vector<AccountAsKept>& rows = kept_.rows;
    std::vector<AccountMismatch> mismatches;
    for (const AccountAsKept& row : rows) {
        const auto entered = entered_.find(row.id);
        if (entered == entered_.end() || !entered->second.created) {
            mismatches.push_back({row.id, "made by no event"});
        } else if (!entered->second.line.empty()) {
            if (std::string what = first_difference(entered->second.line, account_line(row));
                !what.empty()) {
                mismatches.push_back({row.id, std::move(what)});
            }
        }
    }
    for (const auto& entered : entered_) {
        const std::string& id = entered.first;
        const bool kept = std::any_of(rows.begin(), rows.end(),
                                      [&](const AccountAsKept& row) { return row.id == id; });
        if (entered.second.created && !kept) {
            mismatches.push_back({id, "removed"});
        }
    }
    return mismatches;
}

}  // namespace frostel::archive
