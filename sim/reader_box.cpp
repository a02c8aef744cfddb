#include "sim/reader_box.h"

#include <algorithm>
#include <array>

#include "link/crc16.h"

namespace frostel::sim {

namespace {
constexpr int kPageSize = 32;
constexpr Byte kReadMemoryCrcCode = 0x69;
}  // namespace

int ReaderBox::count(char letter) const {
    return static_cast<int>(
        std::count_if(commands_.begin(), commands_.end(),
                      [letter](const CommandRecord& r) { return r.letter == letter; }));
}

std::size_t ReaderBox::parameter_count(char letter) const {
    switch (letter) {
        case 'B':
            return 2;
        case 'C':
            return 2 + kPageSize;
        case 'E':
            return 3;
        default:
            return 0;
    }
}

void ReaderBox::reset_framing() {
    finish_short_write();
    letter_.reset();
    parameters_.clear();
}

void ReaderBox::finish_short_write() {
    // A "C" cut short still reaches the scratchpad with the bytes it had.
    if (letter_ == 'C' && parameters_.size() >= 2) {
        (void)execute();
    }
}

std::vector<Byte> ReaderBox::receive(Byte byte) {
    if (!letter_) {
        if (byte < 'A' || byte > 'H') {
            return {};  // not a command: the reader ignores it
        }
        letter_ = static_cast<char>(byte);
        parameters_.clear();
    } else {
        parameters_.push_back(byte);
    }
    if (parameters_.size() < parameter_count(*letter_)) {
        return {};
    }
    std::vector<Byte> reply = execute();
    letter_.reset();
    parameters_.clear();
    return reply;
}

std::vector<Byte> ReaderBox::page_reply(int page) const {
    const auto memory = logger_.memory();
    // The logger's addresses are 16 bits: a page number beyond 2047 wraps around.
    const std::size_t start = static_cast<std::size_t>(page) * kPageSize & 0xFFFFU;
    std::array<Byte, 3 + kPageSize> message{kReadMemoryCrcCode, static_cast<Byte>(start & 0xFFU),
                                            static_cast<Byte>((start >> 8U) & 0xFFU)};
    for (std::size_t i = 0; i < kPageSize; ++i) {
        message[3 + i] = start + i < memory.size() ? memory[start + i] : 0xFF;
    }
    const std::uint16_t check = link::page_check_value(message);
    std::vector<Byte> reply(message.begin() + 3, message.end());
    reply.push_back(static_cast<Byte>(check & 0xFFU));
    reply.push_back(static_cast<Byte>(check >> 8U));
    return reply;
}

std::vector<Byte> ReaderBox::execute() {
    logger_.update_clock();
    const char letter = *letter_;
    const int page = parameters_.size() >= 2 ? parameters_[0] + 256 * parameters_[1] : -1;
    commands_.push_back({letter, (letter == 'B' || letter == 'C') ? page : -1});
    std::vector<Byte> reply;
    switch (letter) {
        case 'A':
            reply.assign(logger_.rom().begin(), logger_.rom().end());
            break;
        case 'B':
            reply = page_reply(page);
            break;
        case 'C':
            logger_.write_scratchpad(static_cast<std::uint16_t>(page * kPageSize),
                                     std::span<const Byte>(parameters_).subspan(2));
            break;
        case 'D': {
            const auto& pad = logger_.scratchpad();
            reply.resize(3 + pad.data.size());
            reply[0] = pad.target_low;
            reply[1] = pad.target_high;
            reply[2] = pad.ending_status;
            std::copy(pad.data.begin(), pad.data.end(), reply.begin() + 3);
            break;
        }
        case 'E':
            logger_.copy_scratchpad(parameters_[0], parameters_[1], parameters_[2]);
            break;
        case 'F':
            logger_.start_mission();
            break;
        case 'G':
            logger_.stop_mission();
            break;
        case 'H':
            logger_.clear_memory();
            break;
        default:
            break;
    }
    apply_faults(reply, page);
    return reply;
}

void ReaderBox::apply_faults(std::vector<Byte>& reply, int page) {
    const char letter = commands_.back().letter;
    for (ReplyFault& fault : faults_) {
        if (fault.letter != letter || fault.times == 0 || (fault.page >= 0 && fault.page != page)) {
            continue;
        }
        if (fault.times > 0) {
            --fault.times;
        }
        switch (fault.kind) {
            case ReplyFault::Kind::kSilence:
                reply.clear();
                break;
            case ReplyFault::Kind::kCut:
                reply.resize(std::min<std::size_t>(reply.size(), fault.byte_index));
                break;
            case ReplyFault::Kind::kCorrupt:
                if (fault.byte_index < static_cast<int>(reply.size())) {
                    reply[fault.byte_index] ^= 0x01;
                }
                break;
        }
    }
}

}  // namespace frostel::sim
