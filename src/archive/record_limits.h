#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "archive/audit_trail.h"
#include "insight/limits.h"
#include "insight/statistics.h"

namespace frostel::archive {

// The limits and dH that judge an archived record, in degrees Celsius. They are set by
// events in the audit trail, never by changing the record: without one, no limits of the
// user's (the logger's own thresholds judge) and the default dH.
struct RecordLimits {
    insight::Limits limits;  // source kUser when a side is set
    double delta_h_kj_per_mol = insight::kDefaultDeltaH;
    bool operator==(const RecordLimits&) const = default;
};

// "low=2 high=8 dH=83.144", a side not set as "none"; numbers to a millionth, as typed in
// another unit they come back a few bits off.
[[nodiscard]] std::string limits_value(const RecordLimits& limits);
// What limits_value wrote; nothing for any other text, or for limits no one could have set
// (the low one above the high one, dH out of its bounds).
[[nodiscard]] std::optional<RecordLimits> parse_limits_value(std::string_view text);
// Why parse_limits_value reads nothing from `text`; nothing when it reads limits.
[[nodiscard]] std::optional<std::string> limits_value_problem(std::string_view text);

// Whether a change may go ahead with this reason: where a person must say why (accounts on),
// a reason of blanks is none.
[[nodiscard]] bool reason_suffices(const std::string& reason, bool reason_required);

// Record `id`'s limits changed from `before` to `after`.
[[nodiscard]] AuditEvent limits_set(std::int64_t id, const RecordLimits& before,
                                    const RecordLimits& after, const std::string& reason);

}  // namespace frostel::archive
