#pragma once

#include <QObject>
#include <QPointer>
#include <optional>

#include "mission/mission_record.h"
#include "summary_preferences.h"

namespace frostel::app {

class ChartView;
class SummaryWindow;
class TableView;

// The mission summary follows the chart: each change of its points, unit, limits or record
// tints the table rows outside the limits and refreshes the summary window when it is open.
// The limits the user sets are remembered for the next downloads of the same logger, the dH
// for every download.
class SummaryActions final : public QObject {
    Q_OBJECT

  public:
    SummaryActions(ChartView& chart, TableView& table, QString preferences_path,
                   QObject* parent = nullptr);
    ~SummaryActions() override;

    // "Mission Summary": opens the window on top, or brings it up.
    void open();
    // A download's record goes to the chart with its logger's remembered limits and the dH.
    void show_downloaded(const mission::MissionRecord& record);
    // The window, once opened.
    [[nodiscard]] SummaryWindow* window() const;

  private:
    void follow_chart();
    void refresh_window();
    void set_limits(std::optional<double> low, std::optional<double> high);
    void set_delta_h(double kj_per_mol);

    ChartView& chart_;
    TableView& table_;
    QString preferences_path_;
    SummaryPreferences preferences_;
    QPointer<SummaryWindow> window_;
};

}  // namespace frostel::app
