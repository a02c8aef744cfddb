// The link and a whole download fed replies of any content and length.
#include <cstdint>
#include <span>

#include "link/clock.h"
#include "link/logger_commands.h"
#include "link_exchanges.h"

namespace {

using namespace frostel;

// A reader whose every reply byte comes from the fuzzer's input, on virtual time.
class ScriptedPort final : public link::SerialPort {
  public:
    ScriptedPort(std::span<const link::Byte> replies, link::VirtualClock& clock)
        : replies_(replies), clock_(clock) {}
    link::PortStatus open(int) override { return link::kPortOk; }
    link::PortStatus close() override { return link::kPortOk; }
    bool is_open() const override { return true; }
    link::PortStatus set_rts(bool) override { return link::kPortOk; }
    link::PortStatus discard_input() override { return link::kPortOk; }
    link::PortStatus write(std::span<const link::Byte>) override { return link::kPortOk; }
    std::size_t bytes_waiting() override { return replies_.size() - next_; }
    link::Byte take_byte() override { return replies_[next_++]; }
    void wait_for_byte(std::chrono::steady_clock::time_point deadline) override {
        clock_.advance_to(deadline + std::chrono::milliseconds(1));
    }
    std::string device_name() const override { return "scripted"; }

  private:
    std::span<const link::Byte> replies_;
    std::size_t next_ = 0;
    link::VirtualClock& clock_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    link::VirtualClock clock;
    ScriptedPort port(std::span<const link::Byte>(data, size), clock);
    link::ReaderLink reader(port, clock);
    link::LoggerCommands commands(reader);
    fuzz::exchange_everything(commands, clock);
    return 0;
}
