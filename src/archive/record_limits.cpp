#include "archive/record_limits.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace frostel::archive {

namespace {

constexpr double kMillionths = 1e6;

std::string number_text(double value) {
    char text[64];
    const double rounded = std::round(value * kMillionths) / kMillionths;
    const auto end = std::to_chars(std::begin(text), std::end(text), rounded + 0.0).ptr;
    return {text, end};
}

std::optional<double> number_of(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// "name=value" at the front of `text`, the value up to the next blank; `text` moved past it.
std::optional<std::string_view> take_field(std::string_view& text, std::string_view name) {
    if (!text.starts_with(name) || text.size() == name.size() || text[name.size()] != '=') {
        return std::nullopt;
    }
    text.remove_prefix(name.size() + 1);
    const std::size_t blank = std::min(text.find(' '), text.size());
    const std::string_view value = text.substr(0, blank);
    text.remove_prefix(std::min(blank + 1, text.size()));
    return value;
}

}  // namespace

std::string limits_value(const RecordLimits& limits) {
    const auto side = [](const std::optional<double>& value) {
        return value ? number_text(*value) : std::string("none");
    };
    return "low=" + side(limits.limits.low) + " high=" + side(limits.limits.high) +
           " dH=" + number_text(limits.delta_h_kj_per_mol);
}

std::optional<RecordLimits> parse_limits_value(std::string_view text) {
    RecordLimits limits;
    for (const auto& [name, side] :
         {std::pair{"low", &limits.limits.low}, std::pair{"high", &limits.limits.high}}) {
        const std::optional<std::string_view> value = take_field(text, name);
        if (!value) {
            return std::nullopt;
        }
        if (*value != "none") {
            *side = number_of(*value);
            if (!*side) {
                return std::nullopt;
            }
        }
    }
    const std::optional<std::string_view> delta_h = take_field(text, "dH");
    const std::optional<double> kj_per_mol = delta_h ? number_of(*delta_h) : std::nullopt;
    if (!kj_per_mol || !text.empty()) {
        return std::nullopt;
    }
    // A kept value is held to the bounds a typed one is.
    if (*kj_per_mol < insight::kMinDeltaH || *kj_per_mol > insight::kMaxDeltaH ||
        (limits.limits.low && limits.limits.high && *limits.limits.low > *limits.limits.high)) {
        return std::nullopt;
    }
    limits.delta_h_kj_per_mol = *kj_per_mol;
    limits.limits.source =
        limits.limits.any() ? insight::LimitSource::kUser : insight::LimitSource::kNone;
    return limits;
}

bool reason_suffices(const std::string& reason, bool reason_required) {
    return !reason_required || reason.find_first_not_of(" \t\r\n") != std::string::npos;
}

AuditEvent limits_set(std::int64_t id, const RecordLimits& before, const RecordLimits& after,
                      const std::string& reason) {
    return {"limits-set", record_object(id), limits_value(before), limits_value(after), reason};
}

}  // namespace frostel::archive
