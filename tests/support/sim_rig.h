#pragma once

#include <vector>

#include "link/clock.h"
#include "link/logger_commands.h"
#include "link/reader_link.h"
#include "link/wire_log.h"
#include "sim/logger_model.h"
#include "sim/reader_box.h"
#include "sim/sim_serial_port.h"

namespace frostel::test {

// A reader box with its logger on port 1 of a simulated PC, the link open on it, all on
// virtual time; the wire log sees every byte.
struct SimRig {
    link::VirtualClock clock;
    sim::LoggerModel logger;
    sim::ReaderBox box{logger};
    sim::SimSerialPort port{clock};
    link::WireLog wire{port, clock};
    link::ReaderLink link{wire, clock};
    link::LoggerCommands commands{link};

    SimRig() {
        port.attach(1, box);
        link.open_port(1);
    }
};

// The logger's memory as a download may leave it: with its mission stopped.
inline std::vector<link::Byte> stored_mission(const sim::LoggerModel& logger) {
    const auto memory = logger.memory();
    std::vector<link::Byte> stored(memory.begin(), memory.end());
    stored[sim::kStatusAddress] &= static_cast<link::Byte>(~sim::kMissionRunning);
    return stored;
}

}  // namespace frostel::test
