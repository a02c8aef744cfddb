// The accounts of an SQLite archive: the people, their password history and the site's
// settings, each change with its audit events in one transaction.
#include <QCryptographicHash>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <functional>

#include "archive/archive_files.h"
#include "archive/sqlite_store.h"
#include "archive/sqlite_trail.h"
#include "archive/store_queries.h"

namespace frostel::archive {

namespace {

using Kind = AccountAnswer::Kind;

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

std::string text_of(const QVariant& value) {
    return value.toString().toStdString();
}

// An id someone typed may be anything: an event keeps only what id_as_stored lets through.
std::string object_of(const std::string& id) {
    return "user:" + id_as_stored(id);
}

AccountAnswer rejected(std::string why) {
    return {Kind::kRejected, std::move(why), std::nullopt, {}};
}

// A person as kept, with what only the store sees.
struct Kept {
    Person person;
    std::string password_hash;
    int failures = 0;
    bool locked = false;
    bool must_change = false;
    bool deactivated = false;

    void settle_state() { person.state = account_state(deactivated, locked, must_change); }

    [[nodiscard]] AccountAsKept as_kept() const {
        return {person.id, person.role, account_state(deactivated, locked, must_change),
                QCryptographicHash::hash(QByteArray::fromStdString(password_hash),
                                         QCryptographicHash::Sha256)
                    .toHex()
                    .toStdString()};
    }
};

// `event` as it changes `kept`'s account: it enters what the account now is.
AuditEvent entering(AuditEvent event, const Kept& kept) {
    event.new_value = with_account_line(event.new_value, kept.as_kept());
    return event;
}

const QString kPersonColumns = QStringLiteral(
    "id, full_name, role, password_hash, failures, locked, must_change, deactivated,"
    " created_utc_ms");

}  // namespace

// The account tables and the trail within the archive's transaction. The first failure is
// kept, and every call after it does nothing, so a change is written whole or not at all.
class AccountTables {
  public:
    AccountTables(QSqlDatabase& db, std::string workstation)
        : db_(db), workstation_(std::move(workstation)) {}

    [[nodiscard]] const QString& error() const { return error_; }

    [[nodiscard]] std::optional<Kept> find(const std::string& id) {
        std::optional<QSqlQuery> query = run(
            QStringLiteral("SELECT %1 FROM people WHERE id = ?").arg(kPersonColumns), {text(id)});
        if (!query || !query->next()) {
            return std::nullopt;
        }
        return kept_from(*query);
    }

    [[nodiscard]] std::vector<AccountAsKept> accounts() {
        std::vector<AccountAsKept> rows;
        std::optional<QSqlQuery> query =
            run(QStringLiteral("SELECT %1 FROM people ORDER BY id").arg(kPersonColumns), {});
        while (query && query->next()) {
            rows.push_back(kept_from(*query).as_kept());
        }
        return rows;
    }

    [[nodiscard]] std::vector<Person> everyone() {
        std::vector<Person> people;
        std::optional<QSqlQuery> query = run(
            QStringLiteral("SELECT %1 FROM people ORDER BY created_utc_ms, id").arg(kPersonColumns),
            {});
        while (query && query->next()) {
            people.push_back(kept_from(*query).person);
        }
        return people;
    }

    [[nodiscard]] int count(const QString& where) {
        std::optional<QSqlQuery> query =
            run(QStringLiteral("SELECT COUNT(*) FROM people WHERE %1").arg(where), {});
        return query && query->next() ? query->value(0).toInt() : 0;
    }

    void insert(const Kept& kept) {
        refuse_unhashed(kept);
        run(QStringLiteral("INSERT INTO people (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")
                .arg(kPersonColumns),
            {text(kept.person.id), text(kept.person.full_name),
             text(std::string(role_name(kept.person.role))), text(kept.password_hash),
             kept.failures, kept.locked, kept.must_change, kept.deactivated,
             static_cast<qlonglong>(kept.person.created_utc_ms)});
    }

    void update(const Kept& kept) {
        refuse_unhashed(kept);
        run(QStringLiteral("UPDATE people SET role = ?, password_hash = ?, failures = ?,"
                           " locked = ?, must_change = ?, deactivated = ? WHERE id = ?"),
            {text(std::string(role_name(kept.person.role))), text(kept.password_hash),
             kept.failures, kept.locked, kept.must_change, kept.deactivated, text(kept.person.id)});
    }

    void keep_setting(const std::string& name, int value) {
        run(QStringLiteral("INSERT OR REPLACE INTO site_settings (name, value) VALUES (?, ?)"),
            {text(name), value});
    }

    // A password the person chose, remembered so that it is not taken again soon.
    void remember(const Kept& kept, std::int64_t utc_ms) {
        run(QStringLiteral("INSERT INTO password_history (person, password_hash, set_utc_ms)"
                           " VALUES (?, ?, ?)"),
            {text(kept.person.id), text(kept.password_hash), static_cast<qlonglong>(utc_ms)});
    }

    // Newest first.
    [[nodiscard]] std::vector<std::string> recent_hashes(const std::string& id) {
        std::vector<std::string> hashes;
        std::optional<QSqlQuery> query =
            run(QStringLiteral("SELECT password_hash FROM password_history WHERE person = ?"
                               " ORDER BY id DESC LIMIT ?"),
                {text(id), kPasswordsRemembered});
        while (query && query->next()) {
            hashes.push_back(text_of(query->value(0)));
        }
        return hashes;
    }

    // The site's choices; one kept with a value it cannot take keeps its default.
    [[nodiscard]] SiteSettings settings() {
        SiteSettings settings;
        std::optional<QSqlQuery> query =
            run(QStringLiteral("SELECT name, value FROM site_settings"), {});
        while (query && query->next()) {
            settings = with_setting(settings, text_of(query->value(0)), query->value(1).toInt())
                           .value_or(settings);
        }
        return settings;
    }

    void append(const Person& person, const AuditEvent& event, std::int64_t utc_ms) {
        if (error_.isEmpty()) {
            error_ = append_event(db_, actor_of(person, workstation_), event, utc_ms);
        }
    }

  private:
    // Hashing fails only when memory runs out; the person is not left without a password.
    void refuse_unhashed(const Kept& kept) {
        if (kept.password_hash.empty() && error_.isEmpty()) {
            error_ = QStringLiteral("the password could not be hashed");
        }
    }

    std::optional<QSqlQuery> run(const QString& statement, const QVariantList& values) {
        if (!error_.isEmpty()) {
            return std::nullopt;
        }
        QSqlQuery query(db_);
        query.setForwardOnly(true);
        query.prepare(statement);
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        if (!query.exec()) {
            error_ = query.lastError().text();
            return std::nullopt;
        }
        return query;
    }

    static Kept kept_from(const QSqlQuery& query) {
        Kept kept;
        kept.person.id = text_of(query.value(0));
        kept.person.full_name = text_of(query.value(1));
        // A role this program does not know gives no rights beyond an operator's.
        kept.person.role = role_from_name(text_of(query.value(2))).value_or(Role::kOperator);
        kept.password_hash = text_of(query.value(3));
        kept.failures = query.value(4).toInt();
        kept.locked = query.value(5).toBool();
        kept.must_change = query.value(6).toBool();
        kept.deactivated = query.value(7).toBool();
        kept.person.created_utc_ms = query.value(8).toLongLong();
        kept.settle_state();
        return kept;
    }

    QSqlDatabase& db_;
    std::string workstation_;
    QString error_;
};

namespace {

std::int64_t now_ms() {
    return QDateTime::currentMSecsSinceEpoch();
}

// Checks a password given for `kept`, counting wrong ones in a row: the one that reaches the
// site's limit locks the account. The refusal and the lock are entered in the trail.
bool password_accepted(AccountTables& tables, Kept& kept, const std::string& password) {
    const char* barred = kept.deactivated ? "deactivated" : kept.locked ? "locked" : nullptr;
    const std::string object = object_of(kept.person.id);
    if (!barred && password_matches(kept.password_hash, password)) {
        if (kept.failures != 0) {
            kept.failures = 0;
            tables.update(kept);
        }
        return true;
    }
    const std::int64_t utc_ms = now_ms();
    tables.append(kept.person,
                  {"sign-in-refused", object, {}, {}, barred ? barred : "wrong password"}, utc_ms);
    if (barred) {
        return false;
    }
    kept.locked = locks_after_failure(kept.failures, tables.settings());
    ++kept.failures;
    tables.update(kept);
    if (kept.locked) {
        tables.append(kept.person,
                      entering({"account-locked",
                                object,
                                {},
                                {},
                                std::to_string(kept.failures) + " wrong passwords in a row"},
                               kept),
                      utc_ms);
    }
    return false;
}

// Whether `by`, as the tables hold them now, may change accounts; a refusal is entered in
// the trail as `by`'s.
bool administrator_now(AccountTables& tables, const Person& by, const std::string& what,
                       const std::string& object, AccountAnswer& answer) {
    const std::optional<Kept> now = tables.find(by.id);
    if (now && now->person.state == AccountState::kActive &&
        has_right(now->person.role, Right::kChangeAccounts)) {
        return true;
    }
    tables.append(by, {"access-refused", object, {}, what, "needs the administrator role"},
                  now_ms());
    answer = {Kind::kRefused, {}, std::nullopt, {}};
    return false;
}

bool last_administrator(AccountTables& tables, const Kept& kept) {
    return kept.person.role == Role::kAdministrator && !kept.deactivated &&
           tables.count(QStringLiteral("role = 'administrator' AND deactivated = 0")) == 1;
}

// An administrator's change to one person: `apply` changes the kept person and says what
// happened in `event`, or says why it cannot be done.
using Apply = std::function<std::string(AccountTables&, Kept&, AuditEvent&)>;
using AccountWork = std::function<AccountAnswer(AccountTables&)>;

AccountWork change_account(const Person& by, const std::string& id, const std::string& what,
                           const Apply& apply) {
    return [=](AccountTables& tables) {
        AccountAnswer answer;
        if (!administrator_now(tables, by, what, object_of(id), answer)) {
            return answer;
        }
        std::optional<Kept> kept = tables.find(id);
        if (!kept) {
            return rejected("there is no person " + id);
        }
        AuditEvent event{{}, object_of(id), {}, {}, {}};
        if (std::string why = apply(tables, *kept, event); !why.empty()) {
            return rejected(std::move(why));
        }
        kept->settle_state();
        tables.update(*kept);
        tables.append(by, entering(event, *kept), now_ms());
        answer.person = kept->person;
        return answer;
    };
}

// A new person's entry with a password: chosen, or one-time and to be changed.
Kept new_person(const std::string& id, const std::string& full_name, Role role,
                const std::string& password, bool one_time) {
    Kept kept;
    kept.person = {id, full_name, role, AccountState::kActive, now_ms()};
    kept.password_hash = hash_password(password);
    kept.must_change = one_time;
    kept.settle_state();
    return kept;
}

AuditEvent account_created(const Kept& kept) {
    return entering({std::string(kAccountCreated),
                     object_of(kept.person.id),
                     {},
                     account_created_value(kept.person.full_name, kept.person.role),
                     {}},
                    kept);
}

}  // namespace

AccountAnswer SqliteStore::write_accounts(const AccountWork& work) {
    AccountAnswer answer;
    const bool written = write([&](QSqlDatabase& db) {
        AccountTables tables(db, actor_.workstation);
        answer = work(tables);
        return tables.error();
    });
    if (!written) {
        return {Kind::kFailed, error_.toStdString(), std::nullopt, {}};
    }
    return answer;
}

std::optional<bool> SqliteStore::accounts_on() {
    int people = 0;
    const bool read = this->read([&](QSqlDatabase& db) {
        AccountTables tables(db, {});
        people = tables.count(QStringLiteral("1"));
        return tables.error();
    });
    return read ? std::optional<bool>(people > 0) : std::nullopt;
}

std::optional<AccountsAsKept> SqliteStore::accounts_as_kept() {
    AccountsAsKept kept;
    const bool read = this->read([&](QSqlDatabase& db) {
        AccountTables tables(db, {});
        kept.rows = tables.accounts();
        Anchor head;
        const QString error = trail_head(db, head);
        kept.as_of = head.sequence;
        return tables.error().isEmpty() ? error : tables.error();
    });
    return read ? std::optional(std::move(kept)) : std::nullopt;
}

AccountAnswer SqliteStore::turn_on_accounts(const std::string& id, const std::string& full_name,
                                            const std::string& password) {
    AccountAnswer answer = write_accounts([&](AccountTables& tables) {
        if (tables.count(QStringLiteral("1")) > 0) {
            return rejected("accounts are on already");
        }
        if (auto why = person_problem(id, full_name)) {
            return rejected(std::move(*why));
        }
        if (auto why = password_problem(password, tables.settings(), {}, {})) {
            return rejected(std::move(*why));
        }
        const Kept kept = new_person(id, full_name, Role::kAdministrator, password, false);
        tables.insert(kept);
        tables.remember(kept, kept.person.created_utc_ms);
        tables.append(kept.person, {"accounts-enabled", "setting:accounts", "off", "on", {}},
                      kept.person.created_utc_ms);
        tables.append(kept.person, account_created(kept), kept.person.created_utc_ms);
        return AccountAnswer{Kind::kDone, {}, kept.person, {}};
    });
    if (answer.done()) {
        mark_accounts(path_, true);
    }
    return answer;
}

AccountAnswer SqliteStore::sign_in(const std::string& id, const std::string& password,
                                   const std::string& action) {
    return write_accounts([&](AccountTables& tables) {
        std::optional<Kept> kept = tables.find(id);
        if (!kept) {
            tables.append(Person{id_as_stored(id), {}, Role::kOperator, AccountState::kActive, 0},
                          {"sign-in-refused", object_of(id), {}, {}, "no such person"}, now_ms());
            return AccountAnswer{Kind::kRefused, {}, std::nullopt, {}};
        }
        if (!password_accepted(tables, *kept, password)) {
            return AccountAnswer{Kind::kRefused, {}, std::nullopt, {}};
        }
        tables.append(kept->person, {action, object_of(id), {}, {}, {}}, now_ms());
        return AccountAnswer{Kind::kDone, {}, kept->person, {}};
    });
}

SiteSettings SqliteStore::site_settings() {
    SiteSettings settings;
    const bool read = this->read([&](QSqlDatabase& db) {
        AccountTables tables(db, {});
        settings = tables.settings();
        return tables.error();
    });
    return read ? settings : SiteSettings{};
}

AccountAnswer SqliteStore::note_session(const Person& person, const std::string& action) {
    return write_accounts([&](AccountTables& tables) {
        tables.append(person, {action, object_of(person.id), {}, {}, {}}, now_ms());
        return AccountAnswer{};
    });
}

AccountAnswer SqliteStore::change_password(const std::string& id, const std::string& current,
                                           const std::string& chosen) {
    return write_accounts([&](AccountTables& tables) {
        std::optional<Kept> kept = tables.find(id);
        if (!kept || !password_accepted(tables, *kept, current)) {
            return AccountAnswer{Kind::kRefused, {}, std::nullopt, {}};
        }
        if (auto why = password_problem(chosen, tables.settings(), tables.recent_hashes(id),
                                        kept->must_change ? kept->password_hash : "")) {
            return rejected(std::move(*why));
        }
        kept->password_hash = hash_password(chosen);
        kept->must_change = false;
        kept->settle_state();
        tables.update(*kept);
        const std::int64_t utc_ms = now_ms();
        tables.remember(*kept, utc_ms);
        tables.append(kept->person,
                      entering({"password-changed", object_of(id), {}, {}, {}}, *kept), utc_ms);
        return AccountAnswer{Kind::kDone, {}, kept->person, {}};
    });
}

AccountAnswer SqliteStore::people(const Person& by, std::vector<Person>& everyone) {
    return write_accounts([&](AccountTables& tables) {
        AccountAnswer answer;
        if (administrator_now(tables, by, "users list", {}, answer)) {
            everyone = tables.everyone();
        }
        return answer;
    });
}

AccountAnswer SqliteStore::add_person(const Person& by, const std::string& id,
                                      const std::string& full_name, Role role) {
    return write_accounts([&](AccountTables& tables) {
        AccountAnswer answer;
        if (!administrator_now(tables, by, "users add", object_of(id), answer)) {
            return answer;
        }
        if (auto why = person_problem(id, full_name)) {
            return rejected(std::move(*why));
        }
        if (tables.find(id)) {
            return rejected("there is a person " + id + " already");
        }
        answer.one_time_password = one_time_password(tables.settings());
        const Kept kept = new_person(id, full_name, role, answer.one_time_password, true);
        tables.insert(kept);
        tables.append(by, account_created(kept), kept.person.created_utc_ms);
        answer.person = kept.person;
        return answer;
    });
}

AccountAnswer SqliteStore::reset_password(const Person& by, const std::string& id) {
    std::string password;
    AccountAnswer answer = write_accounts(change_account(
        by, id, "users reset", [&](AccountTables& tables, Kept& kept, AuditEvent& event) {
            if (kept.deactivated) {
                return id + " is deactivated";
            }
            password = one_time_password(tables.settings());
            kept.password_hash = hash_password(password);
            kept.must_change = true;
            kept.locked = false;
            kept.failures = 0;
            event.action = "password-reset";
            return std::string();
        }));
    if (answer.done()) {
        answer.one_time_password = password;
    }
    return answer;
}

AccountAnswer SqliteStore::set_role(const Person& by, const std::string& id, Role role) {
    return write_accounts(change_account(
        by, id, "users role", [&](AccountTables& tables, Kept& kept, AuditEvent& event) {
            if (kept.person.role == role) {
                return id + " is " + std::string(role_name(role)) + " already";
            }
            if (last_administrator(tables, kept)) {
                return std::string("the last administrator keeps the role");
            }
            event.action = "role-changed";
            event.old_value = role_name(kept.person.role);
            event.new_value = role_name(role);
            kept.person.role = role;
            return std::string();
        }));
}

AccountAnswer SqliteStore::unlock(const Person& by, const std::string& id) {
    return write_accounts(
        change_account(by, id, "users unlock", [&](AccountTables&, Kept& kept, AuditEvent& event) {
            if (!kept.locked) {
                return id + " is not locked";
            }
            kept.locked = false;
            kept.failures = 0;
            event.action = "account-unlocked";
            return std::string();
        }));
}

AccountAnswer SqliteStore::deactivate(const Person& by, const std::string& id) {
    return write_accounts(change_account(
        by, id, "users deactivate", [&](AccountTables& tables, Kept& kept, AuditEvent& event) {
            if (kept.deactivated) {
                return id + " is deactivated already";
            }
            if (last_administrator(tables, kept)) {
                return std::string("the last administrator cannot be deactivated");
            }
            kept.deactivated = true;
            event.action = "account-deactivated";
            return std::string();
        }));
}

AccountAnswer SqliteStore::change_setting(const Person& by, const std::string& name, int value) {
    return write_accounts([&](AccountTables& tables) {
        AccountAnswer answer;
        if (!administrator_now(tables, by, "users setting", "setting:" + name, answer)) {
            return answer;
        }
        const SiteSettings before = tables.settings();
        if (!with_setting(before, name, value)) {
            return rejected("no site setting " + name + " takes " + std::to_string(value));
        }
        tables.keep_setting(name, value);
        tables.append(by,
                      setting_changed(name, std::to_string(*setting_value(before, name)),
                                      std::to_string(value)),
                      now_ms());
        return answer;
    });
}

AccountAnswer SqliteStore::refuse(const Person& by, const std::string& what,
                                  const std::string& object) {
    return write_accounts([&](AccountTables& tables) {
        tables.append(by,
                      {"access-refused",
                       object,
                       {},
                       what,
                       "not for the role " + std::string(role_name(by.role))},
                      now_ms());
        return AccountAnswer{Kind::kRefused, {}, std::nullopt, {}};
    });
}

QString SqliteStore::check_password(QSqlDatabase& db, const std::string& id,
                                    const std::string& password, bool& accepted) {
    AccountTables tables(db, actor_.workstation);
    std::optional<Kept> kept = tables.find(id);
    accepted = kept && password_accepted(tables, *kept, password);
    return tables.error();
}

}  // namespace frostel::archive
