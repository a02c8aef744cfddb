#include "app/program_launcher.h"

#include <QProcess>

namespace frostel::app {

bool QtProgramLauncher::start(const QString& program) {
    return QProcess::startDetached(program);
}

}  // namespace frostel::app
