#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "link/logger_commands.h"
#include "programming/programming_run.h"
#include "programming/programming_settings.h"

namespace frostel::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
// With accounts on: the sign-in was refused, or the person may not do this.
inline constexpr int kExitRefused = 3;

// Each command talks to the logger through `commands`, prints its result on `out` and its
// complaint on `err` (with why the link failed), and returns the exit code.
struct CommandContext {
    link::LoggerCommands& commands;
    std::ostream& out;
    std::ostream& err;
};

// The identity, read twice: a reader's first answer after opening may be stale.
[[nodiscard]] int run_id(const CommandContext& context);
[[nodiscard]] int run_status(const CommandContext& context);
[[nodiscard]] int run_read_pages(const CommandContext& context, const std::vector<int>& pages);
// The programming window's run with these settings; the result line on `out`. A run that
// `hooks` ended before writing (a mission never downloaded) fails.
[[nodiscard]] int run_program(
    const CommandContext& context, const link::Clock& clock, int port_number,
    const programming::ProgrammingSettings& settings, const programming::RunHooks& hooks = {},
    const std::function<void(const programming::RunResult&)>& finished = {});

}  // namespace frostel::cli
