#include "link/clock.h"

#include <thread>

namespace frostel::link {

std::chrono::steady_clock::time_point SystemClock::now() const {
    return std::chrono::steady_clock::now();
}

void SystemClock::sleep_for(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

platform::LocalDateTime SystemClock::local_now() const {
    return platform::local_now();
}

std::int64_t SystemClock::utc_now() const {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

VirtualClock::VirtualClock(platform::LocalDateTime local_start)
    : origin_(std::chrono::steady_clock::time_point{} + std::chrono::hours(1)),
      now_(origin_),
      local_start_(local_start) {}

platform::LocalDateTime VirtualClock::local_now() const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now_ - origin_);
    return platform::add_seconds(local_start_, elapsed.count());
}

std::int64_t VirtualClock::utc_now() const {
    return platform::to_civil_seconds(local_now()) - utc_offset_s_;
}

void VirtualClock::advance_to(std::chrono::steady_clock::time_point t) {
    if (t > now_) {
        now_ = t;
    }
}

void VirtualClock::set_local_start(platform::LocalDateTime local_start) {
    origin_ = now_;
    local_start_ = local_start;
}

}  // namespace frostel::link
