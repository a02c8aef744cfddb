#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "archive/mission_archive.h"

namespace frostel::archive {

// Whether the archive at `path` (a file, or a shared archive's address) has accounts on.
// Nothing is made or changed to find out: no file, or one from before accounts, has none; one
// that cannot be read, or a shared archive that cannot be reached, counts as on.
[[nodiscard]] bool accounts_are_on(const QString& path);

// The people who may use an archive, kept in it, and every change to them entered in its
// audit trail in the same transaction, as the person's who made it. Passwords are kept only
// as hashes and never written anywhere else.
class AccountBook {
  public:
    // `archive` opened to be written, except for accounts_on().
    explicit AccountBook(MissionArchive& archive) : store_(archive.store()) {}

    // Whether a site turned accounts on for this archive; nothing when it cannot be read.
    [[nodiscard]] std::optional<bool> accounts_on();
    // Turns them on with the first administrator; rejected when they are on already.
    [[nodiscard]] AccountAnswer turn_on(const std::string& id, const std::string& full_name,
                                        const std::string& password);
    // A refused sign-in says nothing of why: the trail does. One that succeeds is entered as
    // `action`: "sign-in", or "session-resumed" for the person back at a locked window.
    [[nodiscard]] AccountAnswer sign_in(const std::string& id, const std::string& password,
                                        const std::string& action = "sign-in");
    [[nodiscard]] SiteSettings site_settings();
    // A session's event for `person`: "session-locked", "sign-out".
    [[nodiscard]] AccountAnswer note_session(const Person& person, const std::string& action);
    [[nodiscard]] AccountAnswer change_password(const std::string& id, const std::string& current,
                                                const std::string& chosen);

    // Administrators' work: anyone else is refused, and the refusal audited.
    [[nodiscard]] AccountAnswer people(const Person& by, std::vector<Person>& everyone);
    [[nodiscard]] AccountAnswer add(const Person& by, const std::string& id,
                                    const std::string& full_name, Role role);
    [[nodiscard]] AccountAnswer reset(const Person& by, const std::string& id);
    [[nodiscard]] AccountAnswer set_role(const Person& by, const std::string& id, Role role);
    [[nodiscard]] AccountAnswer unlock(const Person& by, const std::string& id);
    [[nodiscard]] AccountAnswer deactivate(const Person& by, const std::string& id);
    // One of the site's settings (see with_setting).
    [[nodiscard]] AccountAnswer change_setting(const Person& by, const std::string& name,
                                               int value);

    // `by` may not do `what` ("program", "users add"): the refusal entered in the trail.
    [[nodiscard]] AccountAnswer refuse(const Person& by, const std::string& what,
                                       const std::string& object = {}) {
        return store_.refuse(by, what, object);
    }

  private:
    ArchiveStore& store_;
};

}  // namespace frostel::archive
