#pragma once

// The archive benchmarks' timing: a duration in milliseconds, and the median of nine runs.
#include <algorithm>
#include <chrono>
#include <vector>

namespace frostel::bench {

using Clock = std::chrono::steady_clock;

inline double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// `run(i)` for i = 0 to 8; the median of their times.
template <typename F>
double median_ms(F&& run) {
    constexpr int kRuns = 9;
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = Clock::now();
        run(i);
        times.push_back(milliseconds(Clock::now() - start));
    }
    std::nth_element(times.begin(), times.begin() + kRuns / 2, times.end());
    return times[kRuns / 2];
}

}  // namespace frostel::bench
