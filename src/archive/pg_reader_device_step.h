#pragma once

#include <QStringList>

namespace frostel::archive {

// The step that enters the reader's device a client says it read a download through in the
// download's event, once the server has found it one printable line of at most 200
// characters; an outbox's download is taken only with the device its PC's event names.
[[nodiscard]] QStringList pg_reader_device_step();

}  // namespace frostel::archive
