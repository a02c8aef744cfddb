#include "mission/temperature_unit.h"

#include <array>

namespace frostel::mission {

namespace {

constexpr std::array<std::string_view, 4> kTokens = {"CELSIUS", "FARENHEIT", "KELVIN", "REAUMUR"};

constexpr std::array<AxisRange, 4> kAxisRanges = {AxisRange{0.0, 125.0}, AxisRange{32.0, 257.0},
                                                  AxisRange{273.15, 398.15}, AxisRange{0.0, 100.0}};

// Each fraction is one double, computed before it meets the value: v x 1.8 and (v x 9) / 5
// differ in the last bit, and at a two-decimal tie that shows.
constexpr double kNineFifths = 9.0 / 5.0;
constexpr double kFourFifths = 4.0 / 5.0;
constexpr double kFiveNinths = 5.0 / 9.0;
constexpr double kFiveFourths = 5.0 / 4.0;
constexpr double kNineFourths = 9.0 / 4.0;

double from_celsius(double v, TemperatureUnit to) {
    switch (to) {
        case TemperatureUnit::kCelsius:
            return v;
        case TemperatureUnit::kFahrenheit:
            return v * kNineFifths + 32.0;
        case TemperatureUnit::kKelvin:
            return v + 273.15;
        case TemperatureUnit::kReaumur:
            return v * kFourFifths;
    }
    return v;
}

double from_fahrenheit(double v, TemperatureUnit to) {
    switch (to) {
        case TemperatureUnit::kCelsius:
            return (v - 32.0) * kFiveNinths;
        case TemperatureUnit::kFahrenheit:
            return v;
        case TemperatureUnit::kKelvin:
            return (v - 32.0) * kFiveNinths + 273.15;
        case TemperatureUnit::kReaumur:
            return (v - 32.0) / 2.25;
    }
    return v;
}

double from_kelvin(double v, TemperatureUnit to) {
    switch (to) {
        case TemperatureUnit::kCelsius:
            return v - 273.15;
        case TemperatureUnit::kFahrenheit:
            return (v - 273.15) * kNineFifths + 32.0;
        case TemperatureUnit::kKelvin:
            return v;
        case TemperatureUnit::kReaumur:
            return (v - 273.15) * kFourFifths;
    }
    return v;
}

double from_reaumur(double v, TemperatureUnit to) {
    switch (to) {
        case TemperatureUnit::kCelsius:
            return v * kFiveFourths;
        case TemperatureUnit::kFahrenheit:
            return v * kNineFourths + 32.0;
        case TemperatureUnit::kKelvin:
            return v * kFiveFourths + 273.15;
        case TemperatureUnit::kReaumur:
            return v;
    }
    return v;
}

}  // namespace

std::string_view unit_token(TemperatureUnit unit) {
    return kTokens[static_cast<std::size_t>(unit)];
}

std::optional<TemperatureUnit> unit_from_token(std::string_view title) {
    for (std::size_t i = 0; i < kTokens.size(); ++i) {
        if (kTokens[i] == title) {
            return static_cast<TemperatureUnit>(i);
        }
    }
    return std::nullopt;
}

TemperatureUnit unit_or_celsius(std::string_view title) {
    return unit_from_token(title).value_or(TemperatureUnit::kCelsius);
}

double ConvertTemperature(double v, TemperatureUnit from, TemperatureUnit to) {
    switch (from) {
        case TemperatureUnit::kCelsius:
            return from_celsius(v, to);
        case TemperatureUnit::kFahrenheit:
            return from_fahrenheit(v, to);
        case TemperatureUnit::kKelvin:
            return from_kelvin(v, to);
        case TemperatureUnit::kReaumur:
            return from_reaumur(v, to);
    }
    return v;
}

AxisRange axis_range(TemperatureUnit unit) {
    return kAxisRanges[static_cast<std::size_t>(unit)];
}

double shown_temperature(double celsius, TemperatureUnit unit, double offset_celsius) {
    return ConvertTemperature(celsius + offset_celsius, TemperatureUnit::kCelsius, unit);
}

}  // namespace frostel::mission
