#include "insight/statistics.h"

#include <cmath>

namespace frostel::insight {

namespace {

using mission::TemperatureUnit;

constexpr double kJoulesPerKilojoule = 1000.0;

double sum_of(std::span<const Reading> readings) {
    double sum = 0.0;
    for (const Reading& r : readings) {
        sum += r.value;
    }
    return sum;
}

std::optional<double> sample_deviation(std::span<const Reading> readings, double mean) {
    if (readings.size() < 2) {
        return std::nullopt;
    }
    double squares = 0.0;
    for (const Reading& r : readings) {
        squares += (r.value - mean) * (r.value - mean);
    }
    return std::sqrt(squares / static_cast<double>(readings.size() - 1));
}

}  // namespace

std::optional<double> mean_kinetic_temperature(std::span<const Reading> readings,
                                               TemperatureUnit unit, double delta_h_kj_per_mol) {
    if (readings.empty() || !(delta_h_kj_per_mol > 0.0)) {
        return std::nullopt;
    }
    const double energy = delta_h_kj_per_mol * kJoulesPerKilojoule / kGasConstant;  // kelvin
    // Each term is taken relative to the first reading, so that exp() neither underflows
    // for a cold mission nor loses digits; the reference cancels out in the result.
    const double reference =
        1.0 / mission::ConvertTemperature(readings.front().value, unit, TemperatureUnit::kKelvin);
    double sum = 0.0;
    for (const Reading& r : readings) {
        const double kelvin = mission::ConvertTemperature(r.value, unit, TemperatureUnit::kKelvin);
        if (!(kelvin > 0.0)) {
            return std::nullopt;
        }
        sum += std::exp(-energy * (1.0 / kelvin - reference));
    }
    const double log_mean = std::log(sum / static_cast<double>(readings.size()));
    const double kelvin = energy / (energy * reference - log_mean);
    return mission::ConvertTemperature(kelvin, TemperatureUnit::kKelvin, unit);
}

Statistics statistics(std::span<const Reading> readings, TemperatureUnit unit,
                      double delta_h_kj_per_mol) {
    Statistics s;
    s.count = static_cast<int>(readings.size());
    if (readings.empty()) {
        return s;
    }
    s.first = readings.front().time;
    s.last = readings.back().time;
    TimedValue minimum{readings.front().value, readings.front().time};
    TimedValue maximum = minimum;
    for (const Reading& r : readings) {
        if (r.value < minimum.value) {
            minimum = {r.value, r.time};
        }
        if (r.value > maximum.value) {
            maximum = {r.value, r.time};
        }
    }
    s.minimum = minimum;
    s.maximum = maximum;
    const double mean = sum_of(readings) / static_cast<double>(readings.size());
    s.mean = mean;
    s.standard_deviation = sample_deviation(readings, mean);
    s.mean_kinetic = mean_kinetic_temperature(readings, unit, delta_h_kj_per_mol);
    return s;
}

}  // namespace frostel::insight
