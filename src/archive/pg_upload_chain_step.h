#pragma once

#include <QStringList>

namespace frostel::archive {

// The step that takes a PC's outbox only as the PC's trail chains it: each item with the rows
// leading to it from the last one taken, and each item's work the event the PC entered.
[[nodiscard]] QStringList pg_upload_chain_step();

// The trigger function that holds an item's work to the event the PC entered;
// `download_also`: more that a download's event must match (" OR (...)"), empty at first.
[[nodiscard]] QString upload_is_its_event(const QString& download_also);

}  // namespace frostel::archive
