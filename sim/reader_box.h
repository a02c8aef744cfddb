#pragma once

#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "sim/logger_model.h"

namespace frostel::sim {

// What the reader has been asked: one entry per command letter it parsed.
struct CommandRecord {
    char letter = 0;
    int page = -1;  // for "B" and "C"
};

// A planned misbehaviour of the reader's replies, for the first `times` matching replies
// (or every one when `times` is negative).
struct ReplyFault {
    enum class Kind { kCut, kCorrupt, kSilence };
    char letter = 'B';
    int page = -1;  // -1: any page
    Kind kind = Kind::kCorrupt;
    int byte_index = 0;  // kCut: bytes kept; kCorrupt: the byte whose bits are flipped
    int times = -1;
};

// The reader box: parses the PC's command bytes, carries them out on the logger and gives
// back the raw reply bytes.
class ReaderBox {
  public:
    explicit ReaderBox(LoggerModel& logger) : logger_(logger) {}

    // One byte from the PC; returns the reply bytes it completes (often none).
    [[nodiscard]] std::vector<Byte> receive(Byte byte);
    // The RTS pulse: the reader drops any half-received command.
    void reset_framing();
    // A command letter has come and its parameters are not all in yet.
    [[nodiscard]] bool mid_command() const { return letter_.has_value(); }

    void add_fault(ReplyFault fault) { faults_.push_back(fault); }
    void clear_faults() { faults_.clear(); }

    [[nodiscard]] const std::vector<CommandRecord>& commands() const { return commands_; }
    [[nodiscard]] int count(char letter) const;
    void clear_log() { commands_.clear(); }
    [[nodiscard]] LoggerModel& logger() { return logger_; }

  private:
    [[nodiscard]] std::size_t parameter_count(char letter) const;
    [[nodiscard]] std::vector<Byte> execute();
    [[nodiscard]] std::vector<Byte> page_reply(int page) const;
    void finish_short_write();
    void apply_faults(std::vector<Byte>& reply, int page);

    LoggerModel& logger_;
    std::optional<char> letter_;
    std::vector<Byte> parameters_;
    std::vector<CommandRecord> commands_;
    std::vector<ReplyFault> faults_;
};

}  // namespace frostel::sim
