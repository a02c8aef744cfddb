#include "mission/temperature_unit.h"

#include <gtest/gtest.h>

#include <array>

namespace frostel::mission {
namespace {

using enum TemperatureUnit;

TEST(TemperatureUnitTokens, OnlyTheFourExactTokensNameAUnit) {
    for (TemperatureUnit unit : {kCelsius, kFahrenheit, kKelvin, kReaumur}) {
        EXPECT_EQ(unit_from_token(unit_token(unit)), unit);
    }
    EXPECT_EQ(unit_token(kFahrenheit), "FARENHEIT");
    EXPECT_EQ(unit_from_token("FAHRENHEIT"), std::nullopt);
    EXPECT_EQ(unit_from_token("celsius"), std::nullopt);
    EXPECT_EQ(unit_from_token("CELSIUS "), std::nullopt);
    EXPECT_EQ(unit_from_token(""), std::nullopt);
    EXPECT_EQ(unit_or_celsius("Temperature"), kCelsius);
    EXPECT_EQ(unit_or_celsius("KELVIN"), kKelvin);
}

struct Conversion {
    TemperatureUnit from;
    TemperatureUnit to;
    double value;
    double expected;
};

TEST(ConvertTemperature, EveryPairHasItsOwnFormula) {
    const std::array<Conversion, 15> cases{{
        {kCelsius, kFahrenheit, 25.0, 77.0},
        {kCelsius, kFahrenheit, -40.0, -40.0},
        {kCelsius, kKelvin, 0.0, 273.15},
        {kCelsius, kReaumur, 100.0, 80.0},
        {kFahrenheit, kCelsius, 212.0, 100.0},
        {kFahrenheit, kKelvin, 32.0, 273.15},
        {kFahrenheit, kReaumur, 212.0, 80.0},
        {kKelvin, kCelsius, 373.15, 100.0},
        {kKelvin, kFahrenheit, 233.15, -40.0},
        {kKelvin, kReaumur, 298.15, 20.0},
        {kReaumur, kCelsius, 80.0, 100.0},
        {kReaumur, kFahrenheit, 20.0, 77.0},
        {kReaumur, kKelvin, -20.0, 248.15},
        {kKelvin, kKelvin, 1.5, 1.5},
        {kReaumur, kReaumur, -7.25, -7.25},
    }};
    for (const Conversion& c : cases) {
        EXPECT_NEAR(ConvertTemperature(c.value, c.from, c.to), c.expected, 1e-12)
            << unit_token(c.from) << " to " << unit_token(c.to) << " of " << c.value;
    }
}

TEST(ConvertTemperature, RoundTripThroughEveryUnitKeepsTheValue) {
    for (double celsius : {-40.0, 0.0, 12.345678, 25.25, 140.0}) {
        double v = ConvertTemperature(celsius, kCelsius, kFahrenheit);
        v = ConvertTemperature(v, kFahrenheit, kKelvin);
        v = ConvertTemperature(v, kKelvin, kReaumur);
        v = ConvertTemperature(v, kReaumur, kCelsius);
        EXPECT_NEAR(v, celsius, 1e-12);
    }
}

TEST(AxisRange, IsZeroTo125CelsiusInEachUnit) {
    for (TemperatureUnit unit : {kCelsius, kFahrenheit, kKelvin, kReaumur}) {
        EXPECT_DOUBLE_EQ(axis_range(unit).minimum, ConvertTemperature(0.0, kCelsius, unit));
        EXPECT_DOUBLE_EQ(axis_range(unit).maximum, ConvertTemperature(125.0, kCelsius, unit));
    }
    EXPECT_EQ(axis_range(kFahrenheit).maximum, 257.0);
}

}  // namespace
}  // namespace frostel::mission
