#include "link/port_scan.h"

namespace frostel::link {

std::string checking_port_text(int port) {
    return "CHECKING COMMPORT " + std::to_string(port);
}

std::string reader_found_text(int port) {
    return "FIND FROSTEL ON COMMPORT " + std::to_string(port);
}

namespace {

bool logger_answers_on(LoggerCommands& commands, int port) {
    ReaderLink& link = commands.link();
    link.open_port(port);
    link.pause(kPortScanOpenPause);
    // The first answer after opening may be cut short by the port settling; only the
    // second one decides.
    LoggerId id;
    commands.read_rom(id);
    commands.read_rom(id);
    return id != kNoLoggerId;
}

}  // namespace

std::optional<int> find_reader_port(LoggerCommands& commands, PortScanDisplay& display) {
    ReaderLink& link = commands.link();
    const int port_before = link.selected_port();
    std::optional<int> found;
    for (int port = kFirstPortNumber; port <= kLastPortNumber && !found; ++port) {
        display.show_status(checking_port_text(port));
        if (logger_answers_on(commands, port)) {
            found = port;
        }
    }
    if (found) {
        display.show_status(reader_found_text(*found));
    } else {
        display.show_status(kReaderNotFoundText);
        link.open_port(port_before);
    }
    display.check_only(found);
    link.pause(kPortScanResultDisplay);
    return found;
}

}  // namespace frostel::link
