#pragma once

#include <chrono>
#include <cstdint>

#include "platform/local_date_time.h"

namespace frostel::link {

// Every pause and deadline of the link goes through this, so tests can run on virtual time.
class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic: never the time of day, so a wait does not break at midnight.
    [[nodiscard]] virtual std::chrono::steady_clock::time_point now() const = 0;
    virtual void sleep_for(std::chrono::milliseconds duration) = 0;
    [[nodiscard]] virtual platform::LocalDateTime local_now() const = 0;
    // The PC's UTC time in seconds since 1970, what a logger's zone-less clock is held against.
    [[nodiscard]] virtual std::int64_t utc_now() const = 0;
};

class SystemClock final : public Clock {
  public:
    [[nodiscard]] std::chrono::steady_clock::time_point now() const override;
    void sleep_for(std::chrono::milliseconds duration) override;
    [[nodiscard]] platform::LocalDateTime local_now() const override;
    [[nodiscard]] std::int64_t utc_now() const override;
};

// Virtual time for tests and the in-process simulator: sleeping advances time at once.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(platform::LocalDateTime local_start = {2026, 1, 15, 10, 30, 0});

    [[nodiscard]] std::chrono::steady_clock::time_point now() const override { return now_; }
    void sleep_for(std::chrono::milliseconds duration) override { now_ += duration; }
    [[nodiscard]] platform::LocalDateTime local_now() const override;
    // The local time less the offset set below (0 unless set).
    [[nodiscard]] std::int64_t utc_now() const override;

    void advance_to(std::chrono::steady_clock::time_point t);
    void advance_by(std::chrono::steady_clock::duration d) { now_ += d; }
    void set_local_start(platform::LocalDateTime local_start);
    // The PC's local time from now on is UTC plus `utc_offset_s`.
    void set_utc_offset(int utc_offset_s) { utc_offset_s_ = utc_offset_s; }

  private:
    std::chrono::steady_clock::time_point origin_;
    std::chrono::steady_clock::time_point now_;
    platform::LocalDateTime local_start_;
    int utc_offset_s_ = 0;
};

}  // namespace frostel::link
