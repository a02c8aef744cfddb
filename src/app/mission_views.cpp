#include "app/mission_views.h"

#include <QCoreApplication>
#include <QLabel>

#include "app/chart_view.h"
#include "app/mission_text_box.h"
#include "app/summary_actions.h"
#include "app/table_view.h"
#include "platform/latin1.h"

namespace frostel::app {

void MissionViews::show(const ShownMission& mission, bool erase_table) const {
    const MissionIdentity& identity = mission.identity();
    caption.setText(identity.caption);
    // Before any mission the chart keeps the title its looks give it.
    if (mission.origin().kind != MissionOrigin::Kind::kNone) {
        chart.set_title_line(identity.title_line);
    }
    text.set_text(platform::latin1_text(identity.mission_text));
    show_limits(mission);
    chart.set_points(mission.points());
    chart.set_left_axis_title(platform::latin1_text(mission::unit_token(mission.unit())));
    show_value_range(mission.unit());
    QCoreApplication::processEvents();
    table.refill(chart.points(), erase_table);
}

void MissionViews::show_unit(const ShownMission& mission) const {
    // Zoom is undone first so the new range is the one shown.
    chart.undo_zoom();
    chart.set_points(mission.points());
    show_limits(mission);
    chart.set_left_axis_title(platform::latin1_text(mission::unit_token(mission.unit())));
    show_value_range(mission.unit());
    table.refill(chart.points(), false);
}

void MissionViews::show_limits(const ShownMission& mission) const {
    chart.set_limits(mission.limits_in_force());
}

void MissionViews::show_value_range(mission::TemperatureUnit unit) const {
    if (summary.fit_to_data()) {
        chart.fit_to_data();
    } else {
        const mission::AxisRange range = mission::axis_range(unit);
        chart.set_left_axis_range(range.minimum, range.maximum);
    }
}

}  // namespace frostel::app
