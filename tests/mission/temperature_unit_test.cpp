#include "mission/temperature_unit.h"

#include <gtest/gtest.h>

namespace frostel::mission {
namespace {

using enum TemperatureUnit;

TEST(TemperatureUnit, OnlyTheFourExactTokensNameAUnitAndEachAxisIsZeroTo125Celsius) {
    EXPECT_EQ(unit_token(kFahrenheit), "FARENHEIT");
    for (const char* foreign : {"FAHRENHEIT", "celsius", "CELSIUS ", ""}) {
        EXPECT_EQ(unit_from_token(foreign), std::nullopt) << foreign;
    }
    EXPECT_EQ(unit_or_celsius("Temperature"), kCelsius);
    struct Axis {
        TemperatureUnit unit;
        double minimum, maximum;
    };
    for (const Axis& a : {Axis{kCelsius, 0.0, 125.0}, Axis{kFahrenheit, 32.0, 257.0},
                          Axis{kKelvin, 273.15, 398.15}, Axis{kReaumur, 0.0, 100.0}}) {
        EXPECT_EQ(unit_from_token(unit_token(a.unit)), a.unit);
        EXPECT_NEAR(axis_range(a.unit).minimum, a.minimum, 1e-12) << unit_token(a.unit);
        EXPECT_NEAR(axis_range(a.unit).maximum, a.maximum, 1e-12) << unit_token(a.unit);
    }
}

TEST(ConvertTemperature, EveryPairHasItsOwnFormulaAndTheRoundTripKeepsTheValue) {
    struct Conversion {
        TemperatureUnit from, to;
        double value, expected;
    };
    const Conversion cases[] = {
        {kCelsius, kFahrenheit, 25.0, 77.0},  {kCelsius, kKelvin, 0.0, 273.15},
        {kCelsius, kReaumur, 100.0, 80.0},    {kFahrenheit, kCelsius, 212.0, 100.0},
        {kFahrenheit, kKelvin, 32.0, 273.15}, {kFahrenheit, kReaumur, 212.0, 80.0},
        {kKelvin, kCelsius, 373.15, 100.0},   {kKelvin, kFahrenheit, 233.15, -40.0},
        {kKelvin, kReaumur, 298.15, 20.0},    {kReaumur, kCelsius, 80.0, 100.0},
        {kReaumur, kFahrenheit, 20.0, 77.0},  {kReaumur, kKelvin, -20.0, 248.15},
        {kReaumur, kReaumur, -7.25, -7.25}};
    for (const Conversion& c : cases) {
        EXPECT_NEAR(ConvertTemperature(c.value, c.from, c.to), c.expected, 1e-12)
            << unit_token(c.from) << " to " << unit_token(c.to) << " of " << c.value;
    }
    for (double celsius : {-40.0, 12.345678, 140.0}) {
        double v = ConvertTemperature(celsius, kCelsius, kFahrenheit);
        v = ConvertTemperature(v, kFahrenheit, kKelvin);
        v = ConvertTemperature(v, kKelvin, kReaumur);
        EXPECT_NEAR(ConvertTemperature(v, kReaumur, kCelsius), celsius, 1e-12);
    }
}

}  // namespace
}  // namespace frostel::mission
