#pragma once

#include <string>

namespace frostel::mission {

// One point of the temperature chart: X a date-time number (days, as the chart's
// date-times), the temperature in the chart's unit, and the sample's time as its label
// (one byte per character, as all logger text).
struct ChartPoint {
    double x = 0.0;
    double y = 0.0;
    std::string label;
    bool operator==(const ChartPoint&) const = default;
};

}  // namespace frostel::mission
