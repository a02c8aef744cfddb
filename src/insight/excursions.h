#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "insight/limits.h"
#include "insight/statistics.h"

namespace frostel::insight {

// One maximal run of consecutive samples on the same side outside the limits.
struct Excursion {
    Side side = Side::kAbove;  // kBelow or kAbove
    LoggerTime start = 0;      // the first sample's time
    LoggerTime end = 0;        // the last sample's time
    int first_index = 0;       // the first sample's position in the readings
    int samples = 0;
    std::int64_t seconds = 0;  // samples x interval
    TimedValue peak;           // the farthest value out, at its first occurrence
    bool operator==(const Excursion&) const = default;
};

struct TimeOutside {
    int samples = 0;
    std::int64_t seconds = 0;
    bool operator==(const TimeOutside&) const = default;
};

struct ExcursionReport {
    std::vector<Excursion> excursions;  // in time order
    TimeOutside below;
    TimeOutside above;

    [[nodiscard]] std::int64_t seconds_outside() const { return below.seconds + above.seconds; }
    // The longest excursion (the first of equals), or nullptr without any.
    [[nodiscard]] const Excursion* longest() const;
};

// The excursions of `readings` (oldest first) beyond `limits`, each sample counting
// `interval_s` seconds.
[[nodiscard]] ExcursionReport find_excursions(std::span<const Reading> readings,
                                              const Limits& limits, int interval_s);

// "1 h 10 min": a duration in whole minutes, rounded down, the way every window, report and
// verdict gives it.
[[nodiscard]] std::string duration_text(std::int64_t seconds);
// A sampling interval in the same form: "30 s", "1 min 30 s", "10 min", "1 h 0 min".
[[nodiscard]] std::string interval_text(std::int64_t seconds);

// What a verdict says. The first three judge nothing and are shown in the neutral colour.
enum class VerdictKind { kNoSamples, kBatteryReset, kNoLimits, kWithinLimits, kExcursions };

// No samples; else a logger reset by a battery failure (its readings are not to be trusted);
// else no limits; else within them or not.
[[nodiscard]] VerdictKind verdict_kind(int samples, bool battery_reset, const Limits& limits,
                                       const ExcursionReport& report);

// "NO SAMPLES", "NOT VALID: BATTERY RESET", "NO LIMITS", "WITHIN LIMITS", or
// "2 EXCURSIONS, 1 h 10 min OUT OF LIMITS" (whole minutes, rounded down).
[[nodiscard]] std::string verdict_text(VerdictKind kind, const ExcursionReport& report);

// The kind of a verdict line kept as text.
[[nodiscard]] VerdictKind verdict_kind_of(std::string_view text);

}  // namespace frostel::insight
