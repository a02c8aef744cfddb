#include "platform/time_zone.h"

#include <QDateTime>
#include <QTimeZone>

namespace frostel::platform {

TimeZone pc_time_zone() {
    const QTimeZone zone = QTimeZone::systemTimeZone();
    return {zone.id().toStdString(), zone.offsetFromUtc(QDateTime::currentDateTime())};
}

}  // namespace frostel::platform
