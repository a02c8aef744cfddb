#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/local_date_time.h"

namespace frostel::mission {

inline constexpr std::string_view kClockOffsetDiffersText =
    "LOGGER CLOCK OFFSET DIFFERS FROM PROGRAMMING !";
// A drift beyond this is worth a warning: a logger's crystal alone rarely gets there.
inline constexpr std::int64_t kTolerableDriftS = 120;

// Where a mission's clock offset comes from: the programming run that set the clock, or the
// logger's clock held against the PC's UTC time at the download.
enum class ClockSource { kProgrammed, kMeasured };

// What the programming run kept of the PC that set a logger's clock.
struct ClockSetting {
    std::string zone;  // IANA name, "Europe/Berlin"
    int utc_offset_s = 0;
};

// The logger's clock holds civil time with no zone: the offset from UTC it was set to and how
// far it had drifted from that by the download.
struct LoggerClock {
    int utc_offset_s = 0;
    ClockSource source = ClockSource::kMeasured;
    std::int64_t drift_s = 0;   // the logger's clock ahead of UTC plus the offset
    int measured_offset_s = 0;  // the download's own reading, rounded to 15 minutes
    std::string zone;           // of the PC that set it, when programmed
    bool operator==(const LoggerClock&) const = default;

    // Another PC, another zone or a reset clock since the programming run.
    [[nodiscard]] bool offset_differs() const {
        return source == ClockSource::kProgrammed && measured_offset_s != utc_offset_s;
    }
};

// The logger's clock reading against the PC's UTC time (seconds since 1970) at the same moment.
[[nodiscard]] LoggerClock measure_clock(const platform::LocalDateTime& logger_clock,
                                        std::int64_t utc_now);
// `measured` with the offset its programming run set; the drift is then from that offset.
[[nodiscard]] LoggerClock programmed_clock(const LoggerClock& measured,
                                           const ClockSetting& setting);

// "programmed", "measured"; "unknown" without a clock.
[[nodiscard]] std::string_view source_name(const std::optional<LoggerClock>& clock);
[[nodiscard]] std::optional<ClockSource> source_from_name(std::string_view name);

// A logger time's UTC instant, from its fields alone: no zone rule decides a civil time that
// daylight saving skipped or repeated.
[[nodiscard]] std::int64_t utc_instant(const platform::LocalDateTime& civil, int utc_offset_s);
// "2026-03-29T01:00:00Z"
[[nodiscard]] std::string utc_text(std::int64_t utc_seconds);

// "LOGGER CLOCK 7 MIN OFF !" when the drift is beyond tolerance.
[[nodiscard]] std::optional<std::string> drift_warning(const LoggerClock& clock);
// Every warning the clock gives, the drift's first.
[[nodiscard]] std::vector<std::string> clock_warnings(const std::optional<LoggerClock>& clock);

}  // namespace frostel::mission
