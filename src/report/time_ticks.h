#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "insight/statistics.h"
#include "mission/chart_point.h"

namespace frostel::report {

// Ticks on a time axis: every `step_s` seconds from `first`, the first multiple of the step
// (counted from midnight, so that days start at 00:00) at or after the axis's start.
struct TimeTickSpacing {
    std::int64_t step_s = 0;
    insight::LoggerTime first = 0;
    bool operator==(const TimeTickSpacing&) const = default;
};

// The shortest round step (1 s to 30 s, 1 min to 30 min, 1 h to 12 h, days, weeks and longer)
// that keeps ticks at least `label_px` apart over `from` to `to` drawn `width_px` wide; nothing
// for an empty or reversed span, a width that holds no label, or numbers that are not finite.
[[nodiscard]] std::optional<TimeTickSpacing> time_tick_spacing(double from, double to,
                                                               double width_px, double label_px);

// A tick's text: the date, and below it the time of day unless the step is whole days;
// seconds only for steps shorter than a minute.
[[nodiscard]] std::string time_tick_text(insight::LoggerTime at, std::int64_t step_s);

struct ChartTick {
    double x = 0.0;
    std::string text;
    bool operator==(const ChartTick&) const = default;
};

// The chart's time ticks over X from `x_from` to `x_to` drawn `width_px` wide: the chart's X
// is not time (points stand evenly apart whatever their interval), so each round time is
// placed by the times the points' labels hold, between the two points around it or beyond the
// ends along the first or last two. Points without a time in their label, or with a time not
// after the one before, are passed over; ticks closer than `label_px` to the one before are
// left out, so labels never overlap however unevenly the times lie. Where fewer than two
// labels hold a time, the visible points' own labels are the ticks, as far apart.
[[nodiscard]] std::vector<ChartTick> chart_time_ticks(std::span<const mission::ChartPoint> points,
                                                      double x_from, double x_to, double width_px,
                                                      double label_px);

}  // namespace frostel::report
