#include "platform/local_date_time.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace frostel::platform {

namespace {
constexpr std::int64_t kSecondsPerDay = 86400;

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}
}  // namespace

LocalDateTime local_now() {
    const std::time_t t = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &t);
#else
    localtime_r(&t, &parts);
#endif
    return LocalDateTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                         parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::int64_t to_civil_seconds(const LocalDateTime& t) {
    using namespace std::chrono;
    const sys_days day = year_month_day{year{t.year}, month{static_cast<unsigned>(t.month)},
                                        std::chrono::day{static_cast<unsigned>(t.day)}};
    return static_cast<std::int64_t>(day.time_since_epoch().count()) * kSecondsPerDay +
           t.hour * 3600LL + t.minute * 60LL + t.second;
}

LocalDateTime from_civil_seconds(std::int64_t seconds) {
    using namespace std::chrono;
    const std::int64_t days = floor_div(seconds, kSecondsPerDay);
    const std::int64_t rest = seconds - days * kSecondsPerDay;
    const year_month_day ymd{sys_days{std::chrono::days{days}}};
    return LocalDateTime{static_cast<int>(ymd.year()),
                         static_cast<int>(static_cast<unsigned>(ymd.month())),
                         static_cast<int>(static_cast<unsigned>(ymd.day())),
                         static_cast<int>(rest / 3600),
                         static_cast<int>(rest % 3600 / 60),
                         static_cast<int>(rest % 60)};
}

LocalDateTime add_seconds(const LocalDateTime& t, std::int64_t seconds) {
    return from_civil_seconds(to_civil_seconds(t) + seconds);
}

bool is_valid_date_time(const LocalDateTime& t) {
    using namespace std::chrono;
    const year_month_day ymd{year{t.year}, month{static_cast<unsigned>(t.month)},
                             day{static_cast<unsigned>(t.day)}};
    return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && ymd.ok() && t.hour >= 0 &&
           t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second < 60;
}

std::string format_iso(const LocalDateTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

namespace {

bool digits_at(std::string_view text, std::size_t at, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::optional<LocalDateTime> parse_iso(std::string_view text) {
    LocalDateTime t;
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':' || !digits_at(text, 0, 4, t.year) ||
        !digits_at(text, 5, 2, t.month) || !digits_at(text, 8, 2, t.day) ||
        !digits_at(text, 11, 2, t.hour) || !digits_at(text, 14, 2, t.minute) ||
        !digits_at(text, 17, 2, t.second) || !is_valid_date_time(t)) {
        return std::nullopt;
    }
    return t;
}

}  // namespace frostel::platform
