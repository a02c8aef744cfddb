#include "cli/cli_commands.h"

#include <cstdio>

#include "programming/programming_run.h"

namespace frostel::cli {

namespace {

std::string hex_bytes(std::span<const link::Byte> bytes) {
    std::string text;
    char pair[4];
    for (const link::Byte byte : bytes) {
        std::snprintf(pair, sizeof pair, "%s%02X", text.empty() ? "" : " ", byte);
        text += pair;
    }
    return text;
}

// What failed and why, on one line of `err`.
void complain(const CommandContext& context, const std::string& what) {
    const link::Failure failure = context.commands.link().failure();
    context.err << "frostel-cli: " << what;
    if (failure.cause != link::FailureCause::kNone) {
        context.err << ": " << link::failure_text(failure);
    }
    context.err << '\n';
}

bool read_page(const CommandContext& context, int page) {
    context.commands.read_memory(page);
    if (context.commands.link().error_number() == link::kNoError) {
        return true;
    }
    complain(context, "page " + std::to_string(page) + " could not be read");
    return false;
}

// A threshold the run moved to the logger's range, and where to.
void say_correction(std::ostream& err, const char* which, const char* beyond,
                    const std::string& typed, const std::string& corrected) {
    if (typed != corrected) {
        err << "frostel-cli: the " << which << " threshold " << typed << " is " << beyond
            << " the logger's range; corrected to " << corrected << '\n';
    }
}

}  // namespace

int run_id(const CommandContext& context) {
    link::LoggerId id;
    context.commands.read_rom(id);
    context.commands.read_rom(id);
    if (id == link::kNoLoggerId) {
        complain(context, "no complete logger identity");
        return kExitFailed;
    }
    context.out << id << '\n';
    return kExitOk;
}

int run_status(const CommandContext& context) {
    if (!read_page(context, link::kStatusPage)) {
        return kExitFailed;
    }
    const link::Byte status = context.commands.page_data()[link::kStatusOffset];
    const auto yes_no = [status](link::Byte bit) { return (status & bit) != 0 ? "yes" : "no"; };
    context.out << "mission running: " << yes_no(link::kStatusMissionRunning) << '\n'
                << "memory cleared: " << yes_no(link::kStatusMemoryCleared) << '\n';
    return kExitOk;
}

int run_read_pages(const CommandContext& context, const std::vector<int>& pages) {
    char number[8];
    for (const int page : pages) {
        if (!read_page(context, page)) {
            return kExitFailed;
        }
        std::snprintf(number, sizeof number, "%04d", page);
        context.out << number << ": " << hex_bytes(context.commands.page_data()) << '\n';
    }
    return kExitOk;
}

int run_program(const CommandContext& context, const link::Clock& clock, int port_number,
                const programming::ProgrammingSettings& settings,
                const programming::RunHooks& hooks,
                const std::function<void(const programming::RunResult&)>& finished) {
    programming::RunHooks told = hooks;
    told.thresholds_corrected = [&](const programming::ThresholdTexts& corrected) {
        say_correction(context.err, "low", "below", settings.low_threshold, corrected.low);
        say_correction(context.err, "high", "above", settings.high_threshold, corrected.high);
    };
    const programming::RunResult result =
        programming::run_programming(context.commands, clock, port_number, settings, told);
    if (finished) {
        finished(result);
    }
    if (!result.line) {
        return kExitFailed;
    }
    context.out << result.line->text << '\n';
    if (result.failure) {
        context.err << "frostel-cli: " << link::failure_text(*result.failure) << '\n';
    }
    // A reversed pair is the caller's mistake, whether typed so or made so by the range.
    if (result.line->kind == programming::ResultKind::kLowAboveHigh) {
        return kExitUsage;
    }
    return result.line->is_failure() ? kExitFailed : kExitOk;
}

}  // namespace frostel::cli
