#include "insight/excursions.h"

namespace frostel::insight {

namespace {

constexpr std::string_view kNoSamplesText = "NO SAMPLES";
constexpr std::string_view kBatteryResetText = "NOT VALID: BATTERY RESET";
constexpr std::string_view kNoLimitsText = "NO LIMITS";
constexpr std::string_view kWithinLimitsText = "WITHIN LIMITS";
constexpr std::string_view kOutOfLimitsEnd = " OUT OF LIMITS";

bool farther_out(double value, const TimedValue& peak, Side side) {
    return side == Side::kBelow ? value < peak.value : value > peak.value;
}

void close_run(ExcursionReport& report, Excursion& run, int interval_s) {
    run.seconds = static_cast<std::int64_t>(run.samples) * interval_s;
    TimeOutside& total = run.side == Side::kBelow ? report.below : report.above;
    total.samples += run.samples;
    total.seconds += run.seconds;
    report.excursions.push_back(run);
}

}  // namespace

const Excursion* ExcursionReport::longest() const {
    const Excursion* longest = nullptr;
    for (const Excursion& e : excursions) {
        if (longest == nullptr || e.samples > longest->samples) {
            longest = &e;
        }
    }
    return longest;
}

ExcursionReport find_excursions(std::span<const Reading> readings, const Limits& limits,
                                int interval_s) {
    ExcursionReport report;
    Excursion run;
    bool in_run = false;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const Reading& r = readings[i];
        const Side side = side_of(r.value, limits);
        if (in_run && side != run.side) {
            close_run(report, run, interval_s);
            in_run = false;
        }
        if (side == Side::kWithin) {
            continue;
        }
        if (!in_run) {
            run = Excursion{side, r.time, r.time, static_cast<int>(i), 0, 0, {r.value, r.time}};
            in_run = true;
        }
        run.end = r.time;
        ++run.samples;
        if (farther_out(r.value, run.peak, side)) {
            run.peak = {r.value, r.time};
        }
    }
    if (in_run) {
        close_run(report, run, interval_s);
    }
    return report;
}

std::string duration_text(std::int64_t seconds) {
    const std::int64_t minutes = seconds / 60;
    return std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min";
}

std::string interval_text(std::int64_t seconds) {
    if (seconds % 60 != 0) {
        const std::string rest = std::to_string(seconds % 60) + " s";
        return seconds < 60 ? rest : std::to_string(seconds / 60) + " min " + rest;
    }
    return seconds < 3600 ? std::to_string(seconds / 60) + " min" : duration_text(seconds);
}

VerdictKind verdict_kind(int samples, bool battery_reset, const Limits& limits,
                         const ExcursionReport& report) {
    if (samples == 0) {
        return VerdictKind::kNoSamples;
    }
    if (battery_reset) {
        return VerdictKind::kBatteryReset;
    }
    if (!limits.any()) {
        return VerdictKind::kNoLimits;
    }
    return report.excursions.empty() ? VerdictKind::kWithinLimits : VerdictKind::kExcursions;
}

std::string verdict_text(VerdictKind kind, const ExcursionReport& report) {
    switch (kind) {
        case VerdictKind::kNoSamples:
            return std::string(kNoSamplesText);
        case VerdictKind::kBatteryReset:
            return std::string(kBatteryResetText);
        case VerdictKind::kNoLimits:
            return std::string(kNoLimitsText);
        case VerdictKind::kWithinLimits:
            return std::string(kWithinLimitsText);
        case VerdictKind::kExcursions:
            break;
    }
    const std::size_t count = report.excursions.size();
    return std::to_string(count) + (count == 1 ? " EXCURSION, " : " EXCURSIONS, ") +
           duration_text(report.seconds_outside()) + std::string(kOutOfLimitsEnd);
}

VerdictKind verdict_kind_of(std::string_view text) {
    if (text == kWithinLimitsText) {
        return VerdictKind::kWithinLimits;
    }
    if (text.ends_with(kOutOfLimitsEnd)) {
        return VerdictKind::kExcursions;
    }
    if (text == kBatteryResetText) {
        return VerdictKind::kBatteryReset;
    }
    return text == kNoLimitsText ? VerdictKind::kNoLimits : VerdictKind::kNoSamples;
}

}  // namespace frostel::insight
