#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "archive/mission_archive.h"

class QWidget;

namespace frostel::app {

// Asks the person at the window why they change a record, for its event in the audit trail:
// "OK" only once the reason suffices. Nothing when they cancel.
[[nodiscard]] std::optional<std::string> ask_reason(QWidget* parent, const QString& question);

// Before record `id`'s limits become `limits`: when that ends signatures that hold now, says
// how many and asks whether to go on. True when none would end, or the person goes on.
[[nodiscard]] bool signatures_may_end(QWidget* parent, archive::MissionArchive& archive,
                                      std::int64_t id, const archive::RecordLimits& limits);

}  // namespace frostel::app
