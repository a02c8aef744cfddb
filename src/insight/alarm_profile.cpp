#include "insight/alarm_profile.h"

#include <algorithm>

#include "insight/limits.h"

namespace frostel::insight {

namespace {

bool beyond(const AlarmRule& rule, double celsius) {
    const bool above = rule.bound == AlarmRule::Bound::kAbove;
    const Limits bound{above ? std::nullopt : std::optional(rule.celsius),
                       above ? std::optional(rule.celsius) : std::nullopt, LimitSource::kUser};
    return side_of(celsius, bound) == (above ? Side::kAbove : Side::kBelow);
}

RuleState judge_rule(const AlarmProfile& profile, const AlarmRule& rule,
                     std::span<const double> celsius, int interval_seconds) {
    RuleState state{rule.id, std::nullopt, 0, 0};
    const long long allowed_s = static_cast<long long>(rule.allowed_min) * 60;
    long long run_s = 0;
    long long total_s = 0;
    long long longest_s = 0;
    for (std::size_t i = 0; i < celsius.size(); ++i) {
        if (ignored_sample(profile, i, celsius.size(), interval_seconds) ||
            !beyond(rule, celsius[i])) {
            run_s = 0;
            continue;
        }
        run_s += interval_seconds;
        total_s += interval_seconds;
        longest_s = std::max(longest_s, run_s);
        const long long counted = rule.kind == AlarmRule::Kind::kConsecutive ? run_s : total_s;
        if (!state.alarm_sample && counted >= allowed_s) {
            state.alarm_sample = i;
        }
    }
    state.minutes_beyond = static_cast<int>(total_s / 60);
    state.longest_run_min = static_cast<int>(longest_s / 60);
    return state;
}

}  // namespace

bool ignored_sample(const AlarmProfile& profile, std::size_t index, std::size_t count,
                    int interval_seconds) {
    const long long from_start = static_cast<long long>(index) * interval_seconds;
    const long long to_end = static_cast<long long>(count - 1 - index) * interval_seconds;
    return from_start < static_cast<long long>(profile.ignore_start_min) * 60 ||
           to_end < static_cast<long long>(profile.ignore_end_min) * 60;
}

std::vector<RuleState> judge(const AlarmProfile& profile, std::span<const double> celsius,
                             int interval_seconds) {
    std::vector<RuleState> states;
    states.reserve(profile.rules.size());
    for (const AlarmRule& rule : profile.rules) {
        states.push_back(judge_rule(profile, rule, celsius, interval_seconds));
    }
    return states;
}

}  // namespace frostel::insight
