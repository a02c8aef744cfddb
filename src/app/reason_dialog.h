#pragma once

#include <QString>
#include <optional>
#include <string>

class QWidget;

namespace frostel::app {

// Asks the person at the window why they change a record, for its event in the audit trail:
// "OK" only once the reason suffices. Nothing when they cancel.
[[nodiscard]] std::optional<std::string> ask_reason(QWidget* parent, const QString& question);

}  // namespace frostel::app
