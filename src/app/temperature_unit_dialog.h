#pragma once

#include <QWidget>

#include "mission/temperature_unit.h"

class QButtonGroup;

namespace frostel::app {

// The unit dialog (Temperature_Unit): four options, a choice taking effect at once, no OK
// or Cancel. Closing it destroys it; the next opening creates it again on "Celcius".
class TemperatureUnitDialog final : public QWidget {
    Q_OBJECT

  public:
    explicit TemperatureUnitDialog(QWidget* parent = nullptr);

    // Selects the unit's option. An option that was not selected yet is chosen as a click
    // chooses it, so the chart follows.
    void select(mission::TemperatureUnit unit);

  signals:
    void unitChosen(mission::TemperatureUnit unit);
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QButtonGroup* options_;
};

}  // namespace frostel::app
