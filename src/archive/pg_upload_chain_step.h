#pragma once

#include <QStringList>

namespace frostel::archive {

// The step that takes a PC's outbox only as the PC's trail chains it: each item with the rows
// leading to it from the last one taken, and each item's work the event the PC entered.
[[nodiscard]] QStringList pg_upload_chain_step();

}  // namespace frostel::archive
