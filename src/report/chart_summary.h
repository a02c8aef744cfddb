#pragma once

#include "datafile/chart_document.h"
#include "insight/summary.h"

#include <span>
#include <string>
#include <vector>

namespace frostel::report {

// A summary's input from the chart as its document holds it: the points timed by their labels
// (a point whose label is no time is left out), the unit of the left axis title (any title
// that is not a unit reads as Celsius), the logger's record, the user's limits and dH. Stored
// limits with the low one above the high one, and a dH out of range, are taken as not set.
[[nodiscard]] insight::SummaryInput summary_input(const datafile::ChartDocument& document);
// The points timed by their labels, as `summary_input` reads them.
[[nodiscard]] std::vector<insight::Reading> chart_readings(
    std::span<const mission::ChartPoint> points);

// The limits the chart is judged by: `summary_input`'s choice, without the points.
[[nodiscard]] insight::Limits chart_limits(const datafile::ChartDocument& document);

// A line of what is said of the logger's clock, under a label of its own.
struct ClockLine {
    std::string label;
    std::string text;
    bool operator==(const ClockLine&) const = default;
};

// What the summary window and the report say of the logger's clock: its offset from UTC and
// where that came from ("Clock"), its drift at the download ("Clock drift"), and each change
// of the local offset in the PC's zone between the first and the last sample ("Local time").
[[nodiscard]] std::vector<ClockLine> clock_lines(const insight::Summary& summary);

}  // namespace frostel::report
