#include "sim/sim_serial_port.h"

#include <algorithm>

namespace frostel::sim {

link::PortStatus SimSerialPort::open(int number) {
    const auto found = boxes_.find(number);
    if (found == boxes_.end()) {
        return link::kPortNoDevice;
    }
    open_box_ = found->second;
    open_number_ = number;
    incoming_.clear();
    outgoing_.clear();
    return link::kPortOk;
}

std::string SimSerialPort::device_name() const {
    return "simulated reader";
}

std::string SimSerialPort::device_identity() const {
    return "simulated reader in this program (port " + std::to_string(open_number_) + ')';
}

link::PortStatus SimSerialPort::close() {
    if (open_box_ == nullptr) {
        return link::kPortNotOpen;
    }
    open_box_ = nullptr;
    open_number_ = 0;
    incoming_.clear();
    outgoing_.clear();
    return link::kPortOk;
}

link::PortStatus SimSerialPort::set_rts(bool on) {
    if (open_box_ == nullptr) {
        return link::kPortNotOpen;
    }
    if (rts_failure_ != link::kPortOk) {
        return rts_failure_;
    }
    if (!on) {
        // The reset stops the reader mid-reply: what it has not sent yet never comes. Bytes
        // of the PC's still on their way reach it after the reset.
        deliver_due();
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
        return link::kPortNotOpen;
    }
    // Only what has arrived is dropped; bytes still on the wire come in later.
    deliver_due();
    const auto now = clock_.now();
    while (!incoming_.empty() && incoming_.front().at <= now) {
        incoming_.pop_front();
    }
    return link::kPortOk;
}

link::PortStatus SimSerialPort::write(std::span<const Byte> bytes) {
    if (open_box_ == nullptr) {
        return link::kPortNotOpen;
    }
    for (Byte b : bytes) {
        // A byte never overtakes one sent before it.
        const auto at =
            outgoing_.empty() ? clock_.now() : std::max(clock_.now(), outgoing_.back().at);
        if (const auto arrival = through_line(at, b, command_noise_)) {
            outgoing_.push_back(*arrival);
        }
    }
    deliver_due();
    return link::kPortOk;
}

void SimSerialPort::deliver_due() {
    while (open_box_ != nullptr && !outgoing_.empty() && outgoing_.front().at <= clock_.now()) {
        const Arrival command_byte = outgoing_.front();
        outgoing_.pop_front();
        deliver(command_byte);
    }
}

void SimSerialPort::deliver(const Arrival& command_byte) {
    const std::vector<Byte> reply = open_box_->receive(command_byte.byte);
    auto at = incoming_.empty() ? command_byte.at : std::max(command_byte.at, incoming_.back().at);
    for (Byte r : reply) {
        at += byte_time_;
        if (const auto arrival = through_line(at, r, reply_noise_)) {
            at = arrival->at;
            incoming_.push_back(*arrival);
        }
    }
}

std::optional<SimSerialPort::Arrival> SimSerialPort::through_line(
    std::chrono::steady_clock::time_point at, Byte byte, const LineNoise& noise) {
    const std::optional<LineFault> fault = noise ? noise(byte) : std::nullopt;
    if (!fault) {
        return Arrival{at, byte};
    }
    switch (fault->kind) {
        case LineFault::Kind::kCorrupt:
            return Arrival{at, static_cast<Byte>(byte ^ fault->flip_mask)};
        case LineFault::Kind::kDrop:
            return std::nullopt;
        case LineFault::Kind::kDelay:
            return Arrival{at + fault->delay, byte};
    }
    return Arrival{at, byte};
}

void SimSerialPort::inject_stray_bytes(const std::vector<Byte>& bytes) {
    for (Byte b : bytes) {
        incoming_.push_back({clock_.now(), b});
    }
}

std::size_t SimSerialPort::bytes_waiting() {
    deliver_due();
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
    // A late byte of the PC's may reach the reader within the wait and start a reply.
    for (;;) {
        deliver_due();
        const bool reply_due = !incoming_.empty() && incoming_.front().at <= deadline;
        const bool command_due = !outgoing_.empty() && outgoing_.front().at <= deadline &&
                                 (!reply_due || outgoing_.front().at < incoming_.front().at);
        if (!command_due) {
            clock_.advance_to(reply_due ? incoming_.front().at
                                        : deadline + std::chrono::nanoseconds(1));
            return;
        }
        clock_.advance_to(outgoing_.front().at);
    }
}

}  // namespace frostel::sim
