#pragma once

#include <QByteArray>

#include "insight/summary.h"

namespace frostel::report {

// The summary as scripts read it: fixed names, values in the summary's unit, times as
// "yyyy-mm-dd hh:mm:ss", null for a figure that needs a sample (or a record) it lacks.
[[nodiscard]] QByteArray summary_json(const insight::Summary& summary);

}  // namespace frostel::report
