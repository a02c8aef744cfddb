#include "app/controller_ties.h"

#include "platform/os_user.h"

namespace frostel::app {

archive::Actor actor_at_window(const std::optional<archive::Person>& person) {
    return person ? archive::actor_of(*person, platform::host_name()) : archive::os_actor();
}

bool holds_right(const std::optional<archive::Person>& person, archive::Right right) {
    return !person || archive::has_right(person->role, right);
}

}  // namespace frostel::app
