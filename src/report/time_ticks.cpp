#include "report/time_ticks.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "insight/summary.h"

namespace frostel::report {

namespace {

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 60 * kMinute;
constexpr std::int64_t kDay = 24 * kHour;
constexpr std::array<std::int64_t, 23> kRoundSteps{
    1,        2,           5,           10,           15,           30,
    kMinute,  2 * kMinute, 5 * kMinute, 10 * kMinute, 15 * kMinute, 30 * kMinute,
    kHour,    2 * kHour,   3 * kHour,   6 * kHour,    12 * kHour,   kDay,
    2 * kDay, 7 * kDay,    14 * kDay,   28 * kDay,    91 * kDay};

// Times beyond some 300 000 years and widths beyond any screen come only from a chart panned
// or sized absurdly far: no ticks there, rather than numbers that overflow.
constexpr double kFarthest = 1e13;
constexpr double kWidest = 1e6;

struct TimedX {
    double x;
    double time;
};

// The points whose labels hold a time, each later and further right than the one before.
std::vector<TimedX> timed_points(std::span<const mission::ChartPoint> points) {
    std::vector<TimedX> timed;
    for (const mission::ChartPoint& point : points) {
        const auto time = insight::parse_time_text(point.label);
        if (time && (timed.empty() || (static_cast<double>(*time) > timed.back().time &&
                                       point.x > timed.back().x))) {
            timed.push_back({point.x, static_cast<double>(*time)});
        }
    }
    return timed;
}

// `value` of the member `from` carried to the member `to` along the two timed points around
// it, or along the first or last two beyond the ends; `timed` holds at least two.
template <double TimedX::*from, double TimedX::*to>
double along(const std::vector<TimedX>& timed, double value) {
    const auto after = std::upper_bound(timed.begin() + 1, timed.end() - 1, value,
                                        [](double v, const TimedX& p) { return v < p.*from; });
    const TimedX& a = *(after - 1);
    const TimedX& b = *after;
    return a.*to + (value - a.*from) * (b.*to - a.*to) / (b.*from - a.*from);
}

// Where fewer than two times can be read, the points' own labels stand for them: each visible
// point's label, a blank as a line break, where it keeps `label_px` from the one before.
std::vector<ChartTick> point_label_ticks(std::span<const mission::ChartPoint> points, double x_from,
                                         double x_to, double width_px, double label_px) {
    std::vector<ChartTick> ticks;
    const double px_per_x = width_px / (x_to - x_from);
    std::optional<double> last_px;
    for (const mission::ChartPoint& point : points) {
        const double px = (point.x - x_from) * px_per_x;
        if (point.x >= x_from && point.x <= x_to && (!last_px || px - *last_px >= label_px)) {
            std::string text = point.label;
            if (const auto blank = text.find(' '); blank != std::string::npos) {
                text[blank] = '\n';
            }
            ticks.push_back({point.x, std::move(text)});
            last_px = px;
        }
    }
    return ticks;
}

}  // namespace

std::optional<TimeTickSpacing> time_tick_spacing(double from, double to, double width_px,
                                                 double label_px) {
    const double span = to - from;
    const auto usable = [](double v, double most) {
        return std::isfinite(v) && std::abs(v) <= most;
    };
    if (!usable(from, kFarthest) || !usable(to, kFarthest) || !usable(width_px, kWidest) ||
        !usable(label_px, kWidest) || !(span > 0) || !(label_px > 0) || !(width_px >= label_px)) {
        return std::nullopt;
    }
    // Pixels between neighbouring ticks at a step of one second.
    const double px_per_second = width_px / span;
    std::int64_t step = kRoundSteps.back();
    const auto fits = [&](std::int64_t s) {
        return static_cast<double>(s) * px_per_second >= label_px;
    };
    if (const auto round = std::ranges::find_if(kRoundSteps, fits); round != kRoundSteps.end()) {
        step = *round;
    } else {
        // Beyond a quarter year: whole multiples of it, so that years of samples still fit.
        while (!fits(step)) {
            step *= 2;
        }
    }
    const double first = std::ceil(from / static_cast<double>(step)) * static_cast<double>(step);
    return TimeTickSpacing{step, static_cast<insight::LoggerTime>(first)};
}

std::string time_tick_text(insight::LoggerTime at, std::int64_t step_s) {
    const std::string text = insight::time_text(at);  // "yyyy-mm-dd hh:mm:ss"
    if (step_s % kDay == 0) {
        return text.substr(0, 10);
    }
    return text.substr(0, 10) + '\n' + text.substr(11, step_s < kMinute ? 8 : 5);
}

std::vector<ChartTick> chart_time_ticks(std::span<const mission::ChartPoint> points, double x_from,
                                        double x_to, double width_px, double label_px) {
    std::vector<ChartTick> ticks;
    if (!(x_to > x_from) || !(width_px <= kWidest)) {
        return ticks;
    }
    const std::vector<TimedX> timed = timed_points(points);
    if (timed.size() < 2) {
        return point_label_ticks(points, x_from, x_to, width_px, label_px);
    }
    const auto time_at = [&](double x) { return along<&TimedX::x, &TimedX::time>(timed, x); };
    const auto x_at = [&](double t) { return along<&TimedX::time, &TimedX::x>(timed, t); };
    const double to = time_at(x_to);
    const auto spacing = time_tick_spacing(time_at(x_from), to, width_px, label_px);
    if (!spacing) {
        return ticks;
    }
    const double px_per_x = width_px / (x_to - x_from);
    std::optional<double> last_px;
    for (insight::LoggerTime at = spacing->first; static_cast<double>(at) <= to;
         at += spacing->step_s) {
        const double x = x_at(static_cast<double>(at));
        const double px = (x - x_from) * px_per_x;
        if (!last_px || px - *last_px >= label_px) {
            ticks.push_back({x, time_tick_text(at, spacing->step_s)});
            last_px = px;
        }
    }
    return ticks;
}

}  // namespace frostel::report
