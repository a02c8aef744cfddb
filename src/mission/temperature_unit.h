#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace frostel::mission {

// The four units a temperature can be shown in; samples are always decoded in Celsius.
enum class TemperatureUnit { kCelsius, kFahrenheit, kKelvin, kReaumur };

// The unit's token as the chart's left-axis title carries it: "CELSIUS", "FARENHEIT",
// "KELVIN" or "REAUMUR" (the Fahrenheit spelling is the one saved charts hold).
[[nodiscard]] std::string_view unit_token(TemperatureUnit unit);

// The unit an axis title names; only the four exact tokens count, anything else is nullopt.
[[nodiscard]] std::optional<TemperatureUnit> unit_from_token(std::string_view title);

// The unit an axis title names, or Celsius for any title that is not a token.
[[nodiscard]] TemperatureUnit unit_or_celsius(std::string_view title);

// `v` converted straight from `from` to `to`, in doubles and unrounded; each pair has its own
// formula rather than a detour through Celsius, so values match what earlier charts stored.
[[nodiscard]] double ConvertTemperature(double v, TemperatureUnit from, TemperatureUnit to);

struct AxisRange {
    double minimum;
    double maximum;
};

// The left-axis range for a unit: 0 to 125 degrees Celsius expressed in that unit.
[[nodiscard]] AxisRange axis_range(TemperatureUnit unit);

// A decoded Celsius value as shown: the calibration offset (degrees Celsius) added, then
// converted into `unit`, so that the offset scales with the unit (+0.5 adds 0.9 degrees
// Fahrenheit) and every unit shows the same temperature.
[[nodiscard]] double shown_temperature(double celsius, TemperatureUnit unit, double offset_celsius);

}  // namespace frostel::mission
