#pragma once

#include "link/logger_commands.h"
#include "mission/download.h"

namespace frostel::fuzz {

// What the link harness asks of the reader, and what its seeds are recorded from: each
// kind of reply, then a whole download.
inline void exchange_everything(link::LoggerCommands& commands, link::Clock& clock) {
    commands.link().open_port(1);
    link::LoggerId id;
    commands.read_rom(id);
    link::ScratchpadReadback readback;
    commands.read_scratchpad(readback);
    commands.start_mission();
    mission::HeadlessDownloadView view;
    (void)mission::download_mission({commands, clock, 1, "/nonexistent"}, view);
}

}  // namespace frostel::fuzz
