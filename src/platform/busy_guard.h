#pragma once

namespace frostel::platform {

// Busy for as long as it lives: `set_busy(true)` when made and `set_busy(false)` when it goes,
// however the operation ends. `Busy` is anything with a `set_busy(bool)`: the program's busy
// state, or a download's view.
template <typename Busy>
class BusyGuard {
  public:
    explicit BusyGuard(Busy& busy) : busy_(busy) { busy_.set_busy(true); }
    ~BusyGuard() { busy_.set_busy(false); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

  private:
    Busy& busy_;
};

}  // namespace frostel::platform
