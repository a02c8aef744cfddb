#include "programming_run.h"

#include <variant>

#include "mission/register_map.h"
#include "mission_image.h"

namespace frostel::programming {

namespace {

using mission::LoggerType;

// A whole page written: ending offset 31, no partial byte, not yet copied.
constexpr link::Byte kWholePageEndingStatus = 0x1F;

// The configuration byte, as its page and place in it.
constexpr int kConfigurationPage = mission::address::kConfiguration / link::kPageSize;
constexpr int kConfigurationOffset = mission::address::kConfiguration % link::kPageSize;

class ProgrammingRun {
  public:
    ProgrammingRun(link::LoggerCommands& commands, const link::Clock& clock, const RunHooks& hooks)
        : commands_(commands), clock_(clock), hooks_(hooks) {}

    RunResult run(ProgrammingSettings settings) {
        RunResult result;
        read_identity_twice();
        commands_.stop_mission();
        if (failed()) {
            return fail(result);
        }
        commands_.read_memory(kConfigurationPage);
        if (failed()) {
            return fail(result);
        }
        const LoggerType type =
            mission::logger_type_from_configuration(commands_.page_data()[kConfigurationOffset]);
        result.logger_type = type;
        correct_thresholds(settings, type);

        auto built = build_mission_image(settings, type, clock_.local_now());
        if (const auto* refusal = std::get_if<ResultLine>(&built)) {
            result.line = *refusal;
            return result;
        }
        if (!clear_and_write(std::get<link::MemoryImage>(built))) {
            return fail(result);
        }
        commands_.start_mission();
        if (failed()) {
            return fail(result);
        }
        result.line = programming_ok();
        return result;
    }

  private:
    [[nodiscard]] bool failed() const {
        return commands_.link().error_number() == link::kLoggerError;
    }

    static RunResult fail(RunResult& result) {
        result.line = programming_error();
        return result;
    }

    // Only wakes the reader: whatever identity comes back, the run goes on.
    void read_identity_twice() {
        link::LoggerId id;
        commands_.read_rom(id);
        commands_.read_rom(id);
        commands_.link().set_error_number(link::kNoError);
    }

    void correct_thresholds(ProgrammingSettings& settings, LoggerType type) {
        const ThresholdTexts corrected =
            corrected_thresholds({settings.low_threshold, settings.high_threshold}, type);
        settings.low_threshold = corrected.low;
        settings.high_threshold = corrected.high;
        if (hooks_.thresholds_corrected) {
            hooks_.thresholds_corrected(corrected);
        }
    }

    [[nodiscard]] bool clear_and_write(const link::MemoryImage& image) {
        int progress = 0;
        report(progress);
        process_events();
        report(++progress);
        commands_.clear_memory();
        if (failed()) {
            return false;
        }
        report(++progress);
        for (int page = kFirstWrittenPage; page <= kLastWrittenPage; ++page) {
            if (!write_page(page, image.page(page))) {
                return false;
            }
            report(++progress);
            process_events();
        }
        return true;
    }

    // Copies only a page whose read-back came whole and equal to what was written, to the
    // page's own address: the logger ignores a copy whose three bytes are not its own, so a
    // garbled target or ending byte would leave the page unwritten behind a success.
    [[nodiscard]] bool write_page(int page, const std::array<link::Byte, link::kPageSize>& data) {
        for (int attempt = 0; attempt < kPageWriteAttempts; ++attempt) {
            commands_.write_scratchpad(page, data);
            link::ScratchpadReadback readback;
            commands_.read_scratchpad(readback);
            // A failed read-back may hold stale bytes and target: it counts as a mismatch.
            if (!failed() && readback.data == data && addresses_page(readback, page)) {
                commands_.copy_scratchpad(readback);
                return true;
            }
        }
        return false;
    }

    [[nodiscard]] static bool addresses_page(const link::ScratchpadReadback& readback, int page) {
        const int target = page * link::kPageSize;
        return readback.target_low == (target & 0xFF) && readback.target_high == (target >> 8) &&
               readback.ending_status == kWholePageEndingStatus;
    }

    void report(int value) const {
        if (hooks_.progress) {
            hooks_.progress(value);
        }
    }

    void process_events() const {
        if (hooks_.process_events) {
            hooks_.process_events();
        }
    }

    link::LoggerCommands& commands_;
    const link::Clock& clock_;
    const RunHooks& hooks_;
};

}  // namespace

RunResult run_programming(link::LoggerCommands& commands, const link::Clock& clock,
                          int comm_port_number, const ProgrammingSettings& settings,
                          const RunHooks& hooks) {
    if (comm_port_number == 0) {
        return {};
    }
    return ProgrammingRun(commands, clock, hooks).run(settings);
}

}  // namespace frostel::programming
