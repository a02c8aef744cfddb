#include "archive/account_book.h"

#include <QFile>

#include "archive/pg_address.h"

namespace frostel::archive {

bool accounts_are_on(const QString& path) {
    // A shared archive that cannot be reached keeps its accounts.
    const bool shared = looks_like_pg_uri(path.toStdString());
    if (!shared && !QFile::exists(path)) {
        return false;
    }
    MissionArchive archive(path, MissionArchive::Access::kReadOnly);
    return archive.is_open() ? AccountBook(archive).accounts_on().value_or(true) : shared;
}

std::optional<bool> AccountBook::accounts_on() {
    return store_.accounts_on();
}

AccountAnswer AccountBook::turn_on(const std::string& id, const std::string& full_name,
                                   const std::string& password) {
    return store_.turn_on_accounts(id, full_name, password);
}

AccountAnswer AccountBook::sign_in(const std::string& id, const std::string& password,
                                   const std::string& action) {
    return store_.sign_in(id, password, action);
}

SiteSettings AccountBook::site_settings() {
    return store_.site_settings();
}

AccountAnswer AccountBook::note_session(const Person& person, const std::string& action) {
    return store_.note_session(person, action);
}

AccountAnswer AccountBook::change_password(const std::string& id, const std::string& current,
                                           const std::string& chosen) {
    return store_.change_password(id, current, chosen);
}

AccountAnswer AccountBook::people(const Person& by, std::vector<Person>& everyone) {
    return store_.people(by, everyone);
}

AccountAnswer AccountBook::add(const Person& by, const std::string& id,
                               const std::string& full_name, Role role) {
    return store_.add_person(by, id, full_name, role);
}

AccountAnswer AccountBook::reset(const Person& by, const std::string& id) {
    return store_.reset_password(by, id);
}

AccountAnswer AccountBook::set_role(const Person& by, const std::string& id, Role role) {
    return store_.set_role(by, id, role);
}

AccountAnswer AccountBook::unlock(const Person& by, const std::string& id) {
    return store_.unlock(by, id);
}

AccountAnswer AccountBook::deactivate(const Person& by, const std::string& id) {
    return store_.deactivate(by, id);
}

AccountAnswer AccountBook::change_setting(const Person& by, const std::string& name, int value) {
    return store_.change_setting(by, name, value);
}

}  // namespace frostel::archive
