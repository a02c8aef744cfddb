#pragma once

#include "app/shown_mission.h"

class QLabel;

namespace frostel::app {

class ChartView;
class MissionTextBox;
class SummaryActions;
class TableView;

// The views that render the mission shown: the caption over the chart, the chart, the
// mission text box and the table, the summary following the chart.
struct MissionViews {
    QLabel& caption;
    ChartView& chart;
    MissionTextBox& text;
    TableView& table;
    SummaryActions& summary;

    // `mission` shown whole, the value axis set afresh for it; the table's cells cleared first
    // when `erase_table`.
    void show(const ShownMission& mission, bool erase_table) const;
    // The points, the limits and the axis title after a unit change.
    void show_unit(const ShownMission& mission) const;
    // The limits in force.
    void show_limits(const ShownMission& mission) const;
    // The value axis fitted to the data and the limits while "Fit to Data" is on, else the
    // unit's fixed range.
    void show_value_range(mission::TemperatureUnit unit) const;
};

}  // namespace frostel::app
