#include "link/failure.h"

#include "link/logger_commands.h"

namespace frostel::link {

namespace {

#ifdef __linux__
// Serial devices belong to the group "dialout" on Linux distributions.
constexpr const char* kPermissionAdvice =
    "; join the dialout group (sudo adduser $USER dialout), then log in again";
#else
constexpr const char* kPermissionAdvice = "";
#endif

std::string command_name(char command) {
    switch (command) {
        case 'F':
            return "the start command (F)";
        case 'G':
            return "the stop command (G)";
        case 'H':
            return "the clear command (H)";
        default:
            return std::string("command ") + command;
    }
}

std::string what_happened(const Failure& failure) {
    const std::string page = "page " + std::to_string(failure.page);
    switch (failure.cause) {
        case FailureCause::kNone:
            return "no failure";
        case FailureCause::kNoDevice:
            return "the device does not exist; is the reader plugged in?";
        case FailureCause::kPermissionDenied:
            return std::string("permission denied") + kPermissionAdvice;
        case FailureCause::kPortInUse:
            return "the port is in use by another program";
        case FailureCause::kNotSerialPort:
            return "the device is not a serial port";
        case FailureCause::kPortFailure:
            return "the port failed (code " + std::to_string(failure.port_code) + ")";
        case FailureCause::kNoAnswer:
            return "no answer from the reader; is a logger in it?";
        case FailureCause::kPageCheckFailed:
            return page + " failed its check " + std::to_string(protocol::kReadMemoryAttempts) +
                   " times";
        case FailureCause::kStatusUnchanged:
            return "the logger's status never changed after " + command_name(failure.command);
        case FailureCause::kPageNotStored:
            return page + " never read back as written";
    }
    return "unknown failure";
}

}  // namespace

FailureCause port_failure_cause(PortStatus code) {
    switch (code) {
        case kPortOk:
            return FailureCause::kNone;
        case kPortNoDevice:
            return FailureCause::kNoDevice;
        case kPortPermissionDenied:
            return FailureCause::kPermissionDenied;
        case kPortInUse:
            return FailureCause::kPortInUse;
        case kPortNotSerial:
            return FailureCause::kNotSerialPort;
        default:
            return FailureCause::kPortFailure;
    }
}

std::string failure_text(const Failure& failure) {
    return "port " + std::to_string(failure.port_number) + " (" + failure.device +
           "): " + what_happened(failure);
}

}  // namespace frostel::link
