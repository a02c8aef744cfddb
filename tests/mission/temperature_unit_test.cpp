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

// Each pair's own formula, its fraction computed first: 9/5 is the double 1.8 before it meets
// the value, as (v x 9) / 5 differs in the last bit and at a two-decimal tie in the second
// decimal. A check value each, then every sixteenth of a degree bit for bit.
TEST(ConvertTemperature, EveryPairHasItsOwnFormulaWithItsFractionComputedFirst) {
    struct Pair {
        TemperatureUnit from, to;
        double value, expected;
        double (*formula)(double);
    };
    const Pair pairs[] = {
        {kCelsius, kFahrenheit, 25.0, 77.0, [](double v) { return v * 1.8 + 32; }},
        {kCelsius, kKelvin, 0.0, 273.15, [](double v) { return v + 273.15; }},
        {kCelsius, kReaumur, 100.0, 80.0, [](double v) { return v * 0.8; }},
        {kFahrenheit, kCelsius, 212.0, 100.0, [](double v) { return (v - 32) * (5.0 / 9.0); }},
        {kFahrenheit, kKelvin, 32.0, 273.15,
         [](double v) { return (v - 32) * (5.0 / 9.0) + 273.15; }},
        {kFahrenheit, kReaumur, 212.0, 80.0, [](double v) { return (v - 32) / 2.25; }},
        {kKelvin, kCelsius, 373.15, 100.0, [](double v) { return v - 273.15; }},
        {kKelvin, kFahrenheit, 233.15, -40.0, [](double v) { return (v - 273.15) * 1.8 + 32; }},
        {kKelvin, kReaumur, 298.15, 20.0, [](double v) { return (v - 273.15) * 0.8; }},
        {kReaumur, kCelsius, 80.0, 100.0, [](double v) { return v * 1.25; }},
        {kReaumur, kFahrenheit, 20.0, 77.0, [](double v) { return v * 2.25 + 32; }},
        {kReaumur, kKelvin, -20.0, 248.15, [](double v) { return v * 1.25 + 273.15; }}};
    for (const Pair& p : pairs) {
        const std::string name =
            std::string(unit_token(p.from)) + " to " + std::string(unit_token(p.to));
        EXPECT_NEAR(ConvertTemperature(p.value, p.from, p.to), p.expected, 1e-12) << name;
        int differing = 0;
        for (int sixteenths = -40 * 16; sixteenths <= 400 * 16; ++sixteenths) {
            const double v = sixteenths / 16.0;
            differing += ConvertTemperature(v, p.from, p.to) != p.formula(v) ? 1 : 0;
        }
        EXPECT_EQ(differing, 0) << name;
    }
    EXPECT_EQ(ConvertTemperature(-7.25, kReaumur, kReaumur), -7.25);
}

}  // namespace
}  // namespace frostel::mission
