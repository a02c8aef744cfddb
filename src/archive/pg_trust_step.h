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

// The body of archive_mission that checks the download against its pages and digest;
// `device_argument` is added to the call that notes a download kept before (", p_device"),
// and `reason` is the expression of the reason its event enters.
[[nodiscard]] QString archive_mission_checked(const QString& device_argument,
                                              const QString& reason);
// The function that notes a later download of a record's pages on it: `device_parameter`
// is added to its parameters (", p_device text"), `reason` as above.
[[nodiscard]] QString noted_unless_taken_function(const QString& device_parameter,
                                                  const QString& reason);
// The body of note_download_again that binds the download to the record's logger;
// `device_argument` as above.
[[nodiscard]] QString note_download_again_checked(const QString& device_argument);

}  // namespace frostel::archive
