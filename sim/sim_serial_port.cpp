#include "sim_serial_port.h"

namespace frostel::sim {

link::PortStatus SimSerialPort::open(int number) {
    const auto found = boxes_.find(number);
    if (found == boxes_.end()) {
        return kNoDevice;
    }
    open_box_ = found->second;
    open_number_ = number;
    incoming_.clear();
    return link::kPortOk;
}

link::PortStatus SimSerialPort::close() {
    if (open_box_ == nullptr) {
        return kNotOpen;
    }
    open_box_ = nullptr;
    open_number_ = 0;
    incoming_.clear();
    return link::kPortOk;
}

link::PortStatus SimSerialPort::set_rts(bool on) {
    if (open_box_ == nullptr) {
        return kNotOpen;
    }
    if (rts_failure_ != link::kPortOk) {
        return rts_failure_;
    }
    if (!on) {
        // The reset stops the reader mid-reply: what it has not sent yet never comes.
        const auto now = clock_.now();
        while (!incoming_.empty() && incoming_.back().at > now) {
            incoming_.pop_back();
        }
        open_box_->reset_framing();
    }
    return link::kPortOk;
}

link::PortStatus SimSerialPort::discard_input() {
    if (open_box_ == nullptr) {
        return kNotOpen;
    }
    // Only what has arrived is dropped; bytes still on the wire come in later.
    const auto now = clock_.now();
    while (!incoming_.empty() && incoming_.front().at <= now) {
        incoming_.pop_front();
    }
    return link::kPortOk;
}

link::PortStatus SimSerialPort::write(std::span<const Byte> bytes) {
    if (open_box_ == nullptr) {
        return kNotOpen;
    }
    for (Byte b : bytes) {
        const std::vector<Byte> reply = open_box_->receive(b);
        auto at = std::max(clock_.now(), incoming_.empty() ? clock_.now() : incoming_.back().at);
        for (Byte r : reply) {
            at += byte_time_;
            const std::optional<LineFault> fault = noise_ ? noise_() : std::nullopt;
            if (!fault) {
                incoming_.push_back({at, r});
                continue;
            }
            switch (fault->kind) {
                case LineFault::Kind::kCorrupt:
                    incoming_.push_back({at, static_cast<Byte>(r ^ fault->flip_mask)});
                    break;
                case LineFault::Kind::kDrop:
                    break;
                case LineFault::Kind::kDelay:
                    at += fault->delay;
                    incoming_.push_back({at, r});
                    break;
            }
        }
    }
    return link::kPortOk;
}

void SimSerialPort::inject_stray_bytes(const std::vector<Byte>& bytes) {
    for (Byte b : bytes) {
        incoming_.push_back({clock_.now(), b});
    }
}

std::size_t SimSerialPort::bytes_waiting() {
    std::size_t count = 0;
    for (const Arrival& a : incoming_) {
        if (a.at > clock_.now()) {
            break;
        }
        ++count;
    }
    return count;
}

Byte SimSerialPort::take_byte() {
    const Byte b = incoming_.front().byte;
    incoming_.pop_front();
    return b;
}

void SimSerialPort::wait_for_byte(std::chrono::steady_clock::time_point deadline) {
    if (!incoming_.empty() && incoming_.front().at <= deadline) {
        clock_.advance_to(incoming_.front().at);
    } else {
        clock_.advance_to(deadline + std::chrono::nanoseconds(1));
    }
}

}  // namespace frostel::sim
