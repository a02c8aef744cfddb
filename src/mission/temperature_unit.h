#pragma once

#include <array>
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

// A series' values in each unit they have been shown in since they last changed. Going back
// to a unit gives the very numbers it showed before: a fresh conversion can differ in the
// last bit, and a value at a two-decimal tie then shows another second decimal.
class UnitRoundTrip {
  public:
    // `values`, held in `from`, in `to`: the numbers `to` showed when the values have not
    // changed since, else each one converted straight from `from`.
    [[nodiscard]] std::vector<double> convert(const std::vector<double>& values,
                                              TemperatureUnit from, TemperatureUnit to);

  private:
    std::array<std::optional<std::vector<double>>, 4> shown_;
};

struct AxisRange {
    double minimum;
    double maximum;
};

// The left-axis range for a unit: 0 to 125 degrees Celsius expressed in that unit.
[[nodiscard]] AxisRange axis_range(TemperatureUnit unit);

// A decoded Celsius value as shown: converted into `unit`, then `offset` added unscaled, in
// whatever unit is in force (an offset of 0.5 adds 0.5 degrees Fahrenheit in Fahrenheit).
[[nodiscard]] double shown_temperature(double celsius, TemperatureUnit unit, double offset);

}  // namespace frostel::mission
