#pragma once

#include <QObject>
#include <QPointer>
#include <optional>

#include "app/summary_preferences.h"
#include "archive/record_limits.h"
#include "insight/summary.h"
#include "mission/mission_record.h"

class QLabel;

namespace frostel::app {

class ChartView;
class ShownMission;
class SummaryWindow;
class TableView;

// The mission summary follows the chart: each change of its points, unit, limits or record
// tints the table rows outside the limits, shows the verdict on `verdict_line` (hidden
// without a mission) and refreshes the summary window when it is open.
// The limits the user sets are remembered for the next downloads of the same logger, the dH
// for every download.
class SummaryActions final : public QObject {
    Q_OBJECT

  public:
    SummaryActions(ShownMission& shown, ChartView& chart, TableView& table, QLabel& verdict_line,
                   QString preferences_path, QObject* parent = nullptr);
    ~SummaryActions() override;

    // "Mission Summary": opens the window on top, or brings it up.
    void open();
    // A download's limits: the ones last set for its logger, as typed, else none (the
    // logger's own thresholds then judge); and the user's dH.
    void take_remembered(ShownMission& mission) const;
    // An archived mission is judged by the limits and dH kept for it, never by those
    // remembered for its logger.
    static void take_kept(ShownMission& mission, const archive::RecordLimits& kept);
    // "Fit to Data" as the user left it, kept between runs.
    [[nodiscard]] bool fit_to_data() const { return preferences_.fit_to_data; }
    void set_fit_to_data(bool on);
    // The window, once opened.
    [[nodiscard]] SummaryWindow* window() const;

  signals:
    // The user changed the limits or the dH of the mission shown: all of them as they are
    // now, in degrees Celsius.
    void limitsChanged(const archive::RecordLimits& now);

  private:
    void follow_chart();
    void say_limits_changed();
    void refresh_window(const insight::Summary& summary);
    void set_limits(std::optional<double> low, std::optional<double> high);
    void set_delta_h(double kj_per_mol);
    void show_excursion(int first, int last);

    ShownMission& shown_;
    ChartView& chart_;
    TableView& table_;
    QLabel& verdict_line_;
    QString preferences_path_;
    SummaryPreferences preferences_;
    QPointer<SummaryWindow> window_;
};

}  // namespace frostel::app
