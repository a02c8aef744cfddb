#include "archive/record_limits.h"

#include <array>
#include <charconv>
#include <cmath>
#include <tuple>

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

// The three sides of "low=A high=B dH=C" as written, each holding no blank and none empty;
// nothing for a text of any other form.
std::optional<std::array<std::string_view, 3>> sides_of(std::string_view text) {
    constexpr std::array<std::string_view, 3> kNames{"low=", "high=", "dH="};
    std::array<std::string_view, 3> sides;
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        const bool last = i + 1 == kNames.size();
        if (!text.starts_with(kNames[i])) {
            return std::nullopt;
        }
        text.remove_prefix(kNames[i].size());
        const std::size_t blank = text.find(' ');
        sides[i] = text.substr(0, blank);
        if (sides[i].empty() || last != (blank == std::string_view::npos)) {
            return std::nullopt;
        }
        text.remove_prefix(last ? text.size() : blank + 1);
    }
    return sides;
}

// The limits `text` sets into `limits`; why it sets none, or nothing.
std::optional<std::string> read_limits_value(std::string_view text, RecordLimits& limits) {
    const std::optional<std::array<std::string_view, 3>> sides = sides_of(text);
    if (!sides) {
        return "the limits are not written as low=... high=... dH=...";
    }
    for (const auto& [side, value, name] : {std::tuple{(*sides)[0], &limits.limits.low, "low"},
                                            std::tuple{(*sides)[1], &limits.limits.high, "high"}}) {
        if (side != "none") {
            *value = number_of(side);
            if (!*value) {
                return "the " + std::string(name) + " limit is not a number";
            }
        }
    }
    const std::optional<double> kj_per_mol = number_of((*sides)[2]);
    if (!kj_per_mol) {
        return "dH is not a number";
    }
    // A kept value is held to the bounds a typed one is.
    if (!insight::delta_h_in_range(*kj_per_mol)) {
        return "dH must be between 10 and 500 kJ/mol";
    }
    if (limits.limits.low && limits.limits.high && *limits.limits.low > *limits.limits.high) {
        return "the low limit is above the high one";
    }
    limits.delta_h_kj_per_mol = *kj_per_mol;
    limits.limits.source =
        limits.limits.any() ? insight::LimitSource::kUser : insight::LimitSource::kNone;
    return std::nullopt;
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
    if (read_limits_value(text, limits)) {
        return std::nullopt;
    }
    return limits;
}

std::optional<std::string> limits_value_problem(std::string_view text) {
    RecordLimits limits;
    return read_limits_value(text, limits);
}

bool reason_suffices(const std::string& reason, bool reason_required) {
    return !reason_required || reason.find_first_not_of(" \t\r\n") != std::string::npos;
}

AuditEvent limits_set(std::int64_t id, const RecordLimits& before, const RecordLimits& after,
                      const std::string& reason) {
    return {"limits-set", record_object(id), limits_value(before), limits_value(after), reason};
}

}  // namespace frostel::archive
