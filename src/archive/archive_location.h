#pragma once

#include <QString>
#include <optional>
#include <string>

#include "archive/audit_trail.h"

namespace frostel::archive {

// Why `location` cannot become the program's archive: an address that carries a password, a
// server not reached within 2 s or on another schema, a file that is no archive; empty when it
// can. Empty `location` is the data folder's own archive, always fine.
[[nodiscard]] QString archive_location_problem(const QString& location);

// A location as the audit trail may keep it: a server's address without any password.
[[nodiscard]] std::string shown_location(const QString& location);

// Setting the archive a program folder's window and command line work on.
struct ArchiveChange {
    QString problem;  // why nothing was changed; empty when it was, or was so already
    // What the archive in use until now enters in its trail; none when nothing changed.
    std::optional<AuditEvent> event;
};

// Sets `location` (empty: the data folder's own archive) as the archive of `program_folder`,
// once it can be used (see archive_location_problem) and written whole.
[[nodiscard]] ArchiveChange set_archive_location(const QString& program_folder,
                                                 const QString& location);

}  // namespace frostel::archive
