#include "insight/statistics.h"

#include <algorithm>
#include <cmath>
#include <vector>

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
    std::vector<double> kelvins;
    kelvins.reserve(readings.size());
    for (const Reading& r : readings) {
        kelvins.push_back(mission::ConvertTemperature(r.value, unit, TemperatureUnit::kKelvin));
        if (!(kelvins.back() > 0.0)) {
            return std::nullopt;
        }
    }
    const auto [coldest, warmest] = std::minmax_element(kelvins.begin(), kelvins.end());
    // Each term is taken relative to the warmest reading (log-sum-exp), so every exp() lies in
    // (0, 1] and the sum in [1, n]: nothing overflows or loses the result for any dH.
    const double reference = 1.0 / *warmest;
    double sum = 0.0;
    for (const double kelvin : kelvins) {
        sum += std::exp(-energy * (1.0 / kelvin - reference));
    }
    const double log_mean = std::log(sum / static_cast<double>(readings.size()));
    const double kelvin = std::clamp(energy / (energy * reference - log_mean), *coldest, *warmest);
    return mission::ConvertTemperature(kelvin, TemperatureUnit::kKelvin, unit);
}

bool delta_h_in_range(double kj_per_mol) {
    return kj_per_mol >= kMinDeltaH && kj_per_mol <= kMaxDeltaH;
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
