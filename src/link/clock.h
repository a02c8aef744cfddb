#pragma once

#include <chrono>

namespace frostel::link {

// A calendar date and time of day on the PC's local clock.
struct LocalDateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    auto operator<=>(const LocalDateTime&) const = default;
};

// Every pause and deadline of the link goes through this, so tests can run on virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic: never the time of day, so a wait does not break at midnight.
    [[nodiscard]] virtual std::chrono::steady_clock::time_point now() const = 0;
    virtual void sleep_for(std::chrono::milliseconds duration) = 0;
    [[nodiscard]] virtual LocalDateTime local_now() const = 0;
};

class SystemClock final : public Clock {
public:
    [[nodiscard]] std::chrono::steady_clock::time_point now() const override;
    void sleep_for(std::chrono::milliseconds duration) override;
    [[nodiscard]] LocalDateTime local_now() const override;
};

// Virtual time for tests and the in-process simulator: sleeping advances time at once.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(LocalDateTime local_start = {2026, 1, 15, 10, 30, 0});

    [[nodiscard]] std::chrono::steady_clock::time_point now() const override { return now_; }
    void sleep_for(std::chrono::milliseconds duration) override { now_ += duration; }
    [[nodiscard]] LocalDateTime local_now() const override;

    void advance_to(std::chrono::steady_clock::time_point t);
    void advance_by(std::chrono::steady_clock::duration d) { now_ += d; }
    void set_local_start(LocalDateTime local_start);

private:
    std::chrono::steady_clock::time_point origin_;
    std::chrono::steady_clock::time_point now_;
    LocalDateTime local_start_;
};

}  // namespace frostel::link
