#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "link/logger_commands.h"

namespace frostel::link {

inline constexpr std::chrono::milliseconds kPortScanOpenPause{100};
inline constexpr std::chrono::milliseconds kPortScanResultDisplay{3000};
inline const std::string kReaderNotFoundText = "FROSTEL IS NOT CONNECTED!";

// "CHECKING COMMPORT 7" and "FIND FROSTEL ON COMMPORT 7": the number with one leading blank.
[[nodiscard]] std::string checking_port_text(int port);
[[nodiscard]] std::string reader_found_text(int port);

// What the search shows while it runs. The window lets itself repaint in show_status.
class PortScanDisplay {
  public:
    virtual ~PortScanDisplay() = default;
    virtual void show_status(const std::string& text) = 0;
    // Clears every port's check mark, then checks `port` when there is one.
    virtual void check_only(std::optional<int> port) = 0;
};

// Opens ports 1 to 30 in turn and asks each for a logger's identity twice; only the second
// answer counts. Stops at the first port whose answer is not sixteen zeros and returns it,
// that port left open. When no port answers, the port selected before the search is opened
// again, so the link is back where the user left it. Either way the result text stays on
// the display for three seconds before this returns.
[[nodiscard]] std::optional<int> find_reader_port(LoggerCommands& commands,
                                                  PortScanDisplay& display);

}  // namespace frostel::link
