// Missions judged by alarm profiles: runs and totals beyond a bound, each sample counting
// for one interval, with the stretches at the start and end that are not the product's.
#include "insight/alarm_profile.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace frostel::insight {

void PrintTo(const RuleState& state, std::ostream* out) {
    *out << state.id << " alarm at "
         << (state.alarm_sample ? std::to_string(*state.alarm_sample) : "none") << ", "
         << state.minutes_beyond << " min beyond, longest " << state.longest_run_min << " min";
}

namespace {

using Bound = AlarmRule::Bound;
using Kind = AlarmRule::Kind;

// `count` samples at `celsius`.
std::vector<double> run_of(int count, double celsius) {
    return std::vector<double>(static_cast<std::size_t>(count), celsius);
}

std::vector<double> joined(std::initializer_list<std::vector<double>> parts) {
    std::vector<double> all;
    for (const std::vector<double>& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Five 50-minute runs at -1 °C, each after 30 minutes at 4 °C.
std::vector<double> five_short_freezes() {
    std::vector<double> all;
    for (int run = 0; run < 5; ++run) {
        all = joined({all, run_of(3, 4), run_of(5, -1)});
    }
    return all;
}

// Six 2-hour runs at 31 °C, each after an hour at 20 °C.
std::vector<double> six_warm_spells() {
    std::vector<double> all;
    for (int run = 0; run < 6; ++run) {
        all = joined({all, run_of(6, 20), run_of(12, 31)});
    }
    return all;
}

TEST(AlarmProfile, EachRuleAlarmsWhereItsAllowanceIsFirstReached) {
    const AlarmRule freeze{"freeze", Bound::kBelow, 0, Kind::kConsecutive, 60};
    const AlarmRule warm_total{"warm-total", Bound::kAbove, 30, Kind::kCumulative, 600};
    const AlarmRule high_once{"high-once", Bound::kAbove, 8, Kind::kConsecutive, 30};
    const AlarmRule high_total{"high-total", Bound::kAbove, 8, Kind::kCumulative, 40};
    const AlarmRule low_at_once{"low", Bound::kBelow, 2, Kind::kConsecutive, 0};
    const struct {
        const char* name;
        std::vector<double> samples;  // 10 minutes apart
        int ignore_start_min;
        std::vector<AlarmRule> rules;
        std::vector<RuleState> states;
    } cases[] = {
        {"five 50-minute freezes",
         five_short_freezes(),
         0,
         {freeze},
         {{"freeze", std::nullopt, 250, 50}}},
        {"one 60-minute freeze",
         joined({run_of(2, 4), run_of(6, -1), run_of(2, 4)}),
         0,
         {freeze},
         {{"freeze", 7, 60, 60}}},
        {"six 2-hour warm spells",
         six_warm_spells(),
         0,
         {warm_total},
         {{"warm-total", 4 * 18 + 6 + 11, 720, 120}}},
        {"limits 2/8 and half an hour above",
         {1, 9, 9, 9},
         0,
         {low_at_once, high_once},
         {{"low", 0, 10, 10}, {"high-once", 3, 30, 30}}},
        // The run rule waits for a run; the total rule counts two short ones.
        {"a run and a total on one bound",
         {9, 9, 5, 9, 9, 5, 9, 9, 9},
         0,
         {high_once, high_total},
         {{"high-once", 8, 70, 30}, {"high-total", 4, 70, 30}}},
        {"an excursion in the first half hour",
         joined({run_of(3, -5), run_of(4, 4)}),
         30,
         {low_at_once},
         {{"low", std::nullopt, 0, 0}}},
        {"a run that starts in the first half hour",
         joined({run_of(5, -5), run_of(2, 4)}),
         30,
         {low_at_once},
         {{"low", 3, 20, 20}}},
        {"on the bound, within the tolerance",
         {8.0, 8.0000005, 2.0, 1.9999995},
         0,
         {high_once, low_at_once},
         {{"high-once", std::nullopt, 0, 0}, {"low", std::nullopt, 0, 0}}},
        {"no samples", {}, 30, {freeze}, {{"freeze", std::nullopt, 0, 0}}},
    };
    for (const auto& c : cases) {
        const AlarmProfile profile{"site", 1, c.ignore_start_min, 0, c.rules};
        EXPECT_EQ(judge(profile, c.samples, 600), c.states) << c.name;
    }
}

// The stretches not judged, at a 10-minute interval: the first half hour and the last 20
// minutes of 10 samples.
TEST(AlarmProfile, TheStartAndEndStretchesAreNotJudged) {
    const AlarmProfile profile{"site", 1, 30, 20, {}};
    std::vector<bool> ignored;
    for (std::size_t i = 0; i < 10; ++i) {
        ignored.push_back(ignored_sample(profile, i, 10, 600));
    }
    EXPECT_EQ(ignored,
              (std::vector<bool>{true, true, true, false, false, false, false, false, true, true}));
}

}  // namespace
}  // namespace frostel::insight
