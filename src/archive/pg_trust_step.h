#pragma once

#include <QStringList>

namespace frostel::archive {

// The step that holds every client login to what the program itself would do: wrong
// passwords that count whatever the caller rolls back, times that only the server gives,
// arguments checked by the program's rules, and maintenance left to the schema's owner.
[[nodiscard]] QStringList pg_trust_step();

// The function that enters the session's event, or an uploaded item's; `pc_user` is the
// expression naming the item's person on a site without accounts.
[[nodiscard]] QString session_event_of_uploads(const char* pc_user);

}  // namespace frostel::archive
