#pragma once

#include <string>

#include "link/serial_port.h"

namespace frostel::link {

// Why a logger operation failed, as data; the windows and frostel-cli put it in words.
enum class FailureCause {
    kNone,
    kNoDevice,          // the port's device does not exist
    kPermissionDenied,  // the user may not open the device
    kPortInUse,         // another program holds the device
    kNotSerialPort,     // the device is no serial port: it takes no line settings
    kPortFailure,       // any other refusal of the port: see the port's code
    kNoAnswer,          // the reader sent nothing in time
    kPageCheckFailed,   // every attempt at a page failed its check: see the page
    kStatusUnchanged,   // a mission command left the status byte as it was: see the command
    kPageNotStored,     // a written page never read back as written: see the page
};

struct Failure {
    FailureCause cause = FailureCause::kNone;
    PortStatus port_code = kPortOk;
    int page = -1;
    char command = 0;
    int port_number = 0;
    std::string device{};
    bool operator==(const Failure&) const = default;
};

// What a port's failure code means.
[[nodiscard]] FailureCause port_failure_cause(PortStatus code);

// One line for a person: the port, its device, what happened, and what to do where there
// is something to do ("port 1 (/dev/ttyUSB0): permission denied; ...").
[[nodiscard]] std::string failure_text(const Failure& failure);

}  // namespace frostel::link
