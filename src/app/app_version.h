#pragma once

#include <QString>

namespace frostel::app {

inline const QString kVersion = QStringLiteral(FROSTEL_VERSION);

}  // namespace frostel::app
