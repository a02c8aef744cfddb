#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "archive/account_rules.h"
#include "archive/audit_chain.h"

namespace frostel::archive {

// A person's account as the accounts table keeps it, its password hash only by its SHA-256,
// which is all an event may say of it.
struct AccountAsKept {
    std::string id;
    Role role = Role::kOperator;
    AccountState state = AccountState::kActive;
    std::string password_digest;
    bool operator==(const AccountAsKept&) const = default;
};

// The rows of a store's accounts table as they were when its trail ended at `as_of`.
struct AccountsAsKept {
    std::vector<AccountAsKept> rows;
    std::int64_t as_of = 0;
};

// The last line of the value of every event that changes an account in an archive file:
// "account: role=ROLE state=STATE password-sha256=HEX". The chain covers it, so the table
// cannot be changed apart from the trail.
[[nodiscard]] std::string account_line(const AccountAsKept& account);
// `value` with that line added.
[[nodiscard]] std::string with_account_line(std::string_view value, const AccountAsKept& account);

// A row that is not what its person's events made it: "role", "state", "password", "removed"
// (events made it, no row is there) or "made by no event".
struct AccountMismatch {
    std::string id;
    std::string what;
    bool operator==(const AccountMismatch&) const = default;
};

// Checks a store's account rows against its events (oldest first): each row against the
// account line of the last event about "user:ID" that has one. A row that no event made is
// one added behind the program's back; a row whose events carry no account line was made by
// an earlier version, whose events say less, and is taken as it is.
class AccountCheck {
  public:
    explicit AccountCheck(AccountsAsKept kept) : kept_(std::move(kept)) {}
    // The events oldest first; those after the rows were read change nothing.
    void add(const AuditRow& event);
    [[nodiscard]] std::vector<AccountMismatch> finish() const;

  private:
    AccountsAsKept kept_;
    struct Entered {
        bool created = false;
        std::string line;  // the last account line, empty without one
    };
    std::map<std::string, Entered> entered_;  // by id
};

}  // namespace frostel::archive
