#pragma once

#include <QString>

namespace frostel::app {

// Starts an outside program without waiting for it.
class ProgramLauncher {
  public:
    virtual ~ProgramLauncher() = default;
    // False when the program is not there or cannot be started.
    [[nodiscard]] virtual bool start(const QString& program) = 0;
};

class QtProgramLauncher final : public ProgramLauncher {
  public:
    [[nodiscard]] bool start(const QString& program) override;
};

}  // namespace frostel::app
