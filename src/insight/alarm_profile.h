#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace frostel::insight {

// One rule of an alarm profile: samples beyond a bound (degrees Celsius) for longer than a
// site allows, in one run of consecutive samples or in total.
struct AlarmRule {
    enum class Bound { kAbove, kBelow };
    enum class Kind { kConsecutive, kCumulative };
    std::string id;
    Bound bound = Bound::kAbove;
    double celsius = 0;
    Kind kind = Kind::kConsecutive;
    int allowed_min = 0;
    bool operator==(const AlarmRule&) const = default;
};

// A named, versioned set of rules, and the minutes at the mission's start and end that are
// not the product's (the box still being conditioned, the logger taken out).
struct AlarmProfile {
    std::string name;
    int version = 1;
    int ignore_start_min = 0;
    int ignore_end_min = 0;
    std::vector<AlarmRule> rules;
    bool operator==(const AlarmProfile&) const = default;
};

// What a rule found. Each sample stands for one interval, as elsewhere in the summary; the
// rule alarms at the sample where the run's or the total's duration first reaches its
// allowance. Minutes are whole minutes, rounded down.
struct RuleState {
    std::string id;
    std::optional<std::size_t> alarm_sample;  // its index in the mission's samples
    int minutes_beyond = 0;                   // every judged sample beyond the bound
    int longest_run_min = 0;                  // the longest run of them
    bool operator==(const RuleState&) const = default;
};

// Whether sample `index` of `count` lies in the stretch the profile does not judge.
[[nodiscard]] bool ignored_sample(const AlarmProfile& profile, std::size_t index, std::size_t count,
                                  int interval_seconds);

// Each rule of `profile` applied to `celsius` (oldest first, `interval_seconds` apart), in
// the profile's order. A sample beyond a bound is one past it by more than the limits'
// tolerance; a sample not judged ends a run.
[[nodiscard]] std::vector<RuleState> judge(const AlarmProfile& profile,
                                           std::span<const double> celsius, int interval_seconds);

}  // namespace frostel::insight
