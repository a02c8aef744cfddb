// Judges a full 8-bit log (8,192 samples, ten minutes apart) under a profile of ten rules,
// as the summary does for every mission shown, and prints what one judgement costs.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/median_time.h"
#include "insight/alarm_profile.h"

namespace {

using namespace frostel;
using insight::AlarmRule;

// A cold room's day: 5 °C with a swing of 4 degrees and a door open every few hours.
std::vector<double> full_log() {
    std::vector<double> celsius(8192);
    for (std::size_t i = 0; i < celsius.size(); ++i) {
        celsius[i] = 5 + 4 * std::sin(static_cast<double>(i) / 20) + (i % 37 < 3 ? 6 : 0);
    }
    return celsius;
}

insight::AlarmProfile ten_rules() {
    insight::AlarmProfile profile{"bench", 1, 30, 10, {}};
    for (int r = 0; r < 10; ++r) {
        profile.rules.push_back(
            {"rule-" + std::to_string(r),
             r % 2 == 0 ? AlarmRule::Bound::kAbove : AlarmRule::Bound::kBelow,
             r % 2 == 0 ? 8.0 + r : 2.0 - r,
             r % 3 == 0 ? AlarmRule::Kind::kCumulative : AlarmRule::Kind::kConsecutive, 10 * r});
    }
    return profile;
}

}  // namespace

int main() {
    const std::vector<double> celsius = full_log();
    const insight::AlarmProfile profile = ten_rules();
    int alarms = 0;
    constexpr int kJudgements = 100;
    const double ms = bench::median_ms([&](int) {
        for (int j = 0; j < kJudgements; ++j) {
            for (const insight::RuleState& state : insight::judge(profile, celsius, 600)) {
                alarms += state.alarm_sample ? 1 : 0;
            }
        }
    });
    std::printf(
        "alarm profile: 8192 samples under 10 rules judged in %.3f ms (target < 1 ms;"
        " %d alarms seen)\n",
        ms / kJudgements, alarms);
    return 0;
}
