#include "clock.h"

#include <ctime>
#include <thread>

#include "local_date_time.h"

namespace frostel::link {

std::chrono::steady_clock::time_point SystemClock::now() const {
    return std::chrono::steady_clock::now();
}

void SystemClock::sleep_for(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

LocalDateTime SystemClock::local_now() const {
    const std::time_t t = std::time(nullptr);
    std::tm parts{};
    localtime_r(&t, &parts);
    return LocalDateTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                         parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

VirtualClock::VirtualClock(LocalDateTime local_start)
    : origin_(std::chrono::steady_clock::time_point{} + std::chrono::hours(1)),
      now_(origin_),
      local_start_(local_start) {}

LocalDateTime VirtualClock::local_now() const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now_ - origin_);
    return add_seconds(local_start_, elapsed.count());
}

void VirtualClock::advance_to(std::chrono::steady_clock::time_point t) {
    if (t > now_) {
        now_ = t;
    }
}

void VirtualClock::set_local_start(LocalDateTime local_start) {
    origin_ = now_;
    local_start_ = local_start;
}

}  // namespace frostel::link
