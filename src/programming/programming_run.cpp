#include "programming/programming_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <variant>

#include "mission/mission_header.h"
#include "mission/register_map.h"
#include "platform/local_date_time.h"
#include "programming/mission_image.h"
#include "programming/programming_rules.h"

namespace frostel::programming {

namespace {

using mission::LoggerType;
using Page = std::array<link::Byte, link::kPageSize>;

// A whole page written: ending offset 31, no partial byte, not yet copied.
constexpr link::Byte kWholePageEndingStatus = 0x1F;

// The configuration byte, as its page and place in it.
constexpr int kConfigurationPage = mission::address::kConfiguration / link::kPageSize;
constexpr int kConfigurationOffset = mission::address::kConfiguration % link::kPageSize;

// The registers of the last written page that keep what was written. Its clock runs on,
// and its status, alarm and time stamp bytes are the logger's own.
constexpr int kRegisterPage = write_address::kClock / link::kPageSize;
constexpr std::array<std::size_t, 10> kKeptRegisters{
    mission::address::kSampleRate,     mission::address::kSampleRate + 1,
    mission::address::kLowThreshold,   mission::address::kHighThreshold,
    mission::address::kAlarmEnable,    mission::address::kClockControl,
    mission::address::kMissionControl, mission::address::kStartDelay,
    mission::address::kStartDelay + 1, mission::address::kStartDelay + 2};
// The clock read back may lead the time since the copy by its two partial seconds.
constexpr std::int64_t kClockSlackSeconds = 2;

// The clock registers as civil seconds; nothing when a byte is no BCD or no date.
[[nodiscard]] std::optional<std::int64_t> clock_seconds(std::span<const link::Byte> page) {
    std::array<int, 6> fields{};  // second, minute, hour, day, month, year
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const link::Byte b = page[write_address::kClock % link::kPageSize + i];
        if ((b >> 4) > 9 || (b & 0x0F) > 9) {
            return std::nullopt;
        }
        fields[i] = (b >> 4) * 10 + (b & 0x0F);
    }
    const platform::LocalDateTime time{2000 + fields[5], fields[4], fields[3],
                                       fields[2],        fields[1], fields[0]};
    if (!platform::is_valid_date_time(time)) {
        return std::nullopt;
    }
    return platform::to_civil_seconds(time);
}

// The logger's clock runs from the written time since the copy: anything else is an old
// clock left by a copy that never arrived, even where every other register matches.
[[nodiscard]] bool clock_runs_from(std::span<const link::Byte, link::kPageSize> stored,
                                   const Page& written, std::chrono::seconds since_copy) {
    const auto shown = clock_seconds(stored);
    const auto set = clock_seconds(written);
    return shown && set && *shown >= *set &&
           *shown <= *set + since_copy.count() + kClockSlackSeconds;
}

[[nodiscard]] bool stored_as_written(int page, std::span<const link::Byte, link::kPageSize> stored,
                                     const Page& written, std::chrono::seconds since_copy) {
    if (page != kRegisterPage) {
        return std::equal(written.begin(), written.end(), stored.begin());
    }
    return clock_runs_from(stored, written, since_copy) &&
           std::all_of(kKeptRegisters.begin(), kKeptRegisters.end(), [&](std::size_t address) {
               return stored[address % link::kPageSize] == written[address % link::kPageSize];
           });
}

class ProgrammingRun {
  public:
    ProgrammingRun(link::LoggerCommands& commands, const link::Clock& clock, const RunHooks& hooks)
        : commands_(commands), clock_(clock), hooks_(hooks) {}

    RunResult run(ProgrammingSettings settings) {
        RunResult result;
        if (!thresholds_in_order({settings.low_threshold, settings.high_threshold})) {
            result.line = low_above_high();
            return result;
        }
        result.logger_id = read_identity_twice();
        commands_.stop_mission();
        if (failed()) {
            return fail(result);
        }
        // stop_mission confirmed the stop by reading the status page: page 16 is at hand.
        link::MemoryImage registers = mission::make_header_image();
        registers.put_page(kRegisterPage, commands_.page_data());
        commands_.read_memory(kConfigurationPage);
        if (failed()) {
            return fail(result);
        }
        registers.put_page(kConfigurationPage, commands_.page_data());
        const LoggerType type =
            mission::logger_type_from_configuration(commands_.page_data()[kConfigurationOffset]);
        result.logger_type = type;
        const mission::MissionHeader found =
            mission::decode_mission_header(registers, result.logger_id);
        if (hooks_.logger_read) {
            hooks_.logger_read(found);
        }
        // A pair beyond the range can come out of the correction reversed.
        if (!thresholds_in_order(correct_thresholds(settings, type))) {
            result.line = low_above_high();
            return result;
        }
        if (const auto choice = held_mission_choice(found);
            choice != HeldMissionChoice::kProgramAnyway) {
            result.kept_held_mission = choice;
            return result;
        }

        auto built = build_mission_image(settings, type, clock_.local_now());
        if (const auto* refusal = std::get_if<ResultLine>(&built)) {
            result.line = *refusal;
            return result;
        }
        const auto& image = std::get<link::MemoryImage>(built);
        for (int page = kFirstWrittenPage; page <= kLastWrittenPage; ++page) {
            result.written_pages.push_back({page, image.page(page)});
        }
        if (!clear_and_write(image) || !verify_pages(image)) {
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

    RunResult fail(RunResult& result) const {
        result.line = programming_error();
        result.failure = commands_.link().failure();
        return result;
    }

    // Wakes the reader: whatever identity comes back, the run goes on. The second is the
    // one that counts.
    link::LoggerId read_identity_twice() {
        link::LoggerId id;
        commands_.read_rom(id);
        commands_.read_rom(id);
        commands_.link().set_error_number(link::kNoError);
        return id;
    }

    [[nodiscard]] HeldMissionChoice held_mission_choice(
        const mission::MissionHeader& header) const {
        if (header.mission_sample_count == 0 || !hooks_.held_mission) {
            return HeldMissionChoice::kProgramAnyway;
        }
        return hooks_.held_mission(
            {header.logger_id, header.start_time, header.mission_sample_count});
    }

    ThresholdTexts correct_thresholds(ProgrammingSettings& settings, LoggerType type) {
        ThresholdTexts corrected =
            corrected_thresholds({settings.low_threshold, settings.high_threshold}, type);
        settings.low_threshold = corrected.low;
        settings.high_threshold = corrected.high;
        if (hooks_.thresholds_corrected) {
            hooks_.thresholds_corrected(corrected);
        }
        return corrected;
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

    // Writes `page` with what is left of its attempts until a read-back is accepted and the
    // copy sent. Only a whole read-back equal to what was written, naming the page's own
    // address, is copied: the logger ignores a copy whose three bytes are not its own, and a
    // failed read-back may hold stale bytes.
    [[nodiscard]] bool write_page(int page, const Page& data) {
        while (attempts_[page] < kPageWriteAttempts) {
            ++attempts_[page];
            commands_.write_scratchpad(page, data);
            link::ScratchpadReadback readback;
            commands_.read_scratchpad(readback);
            if (!failed() && readback.data == data && addresses_page(readback, page)) {
                copied_at_[page] = clock_.now();
                commands_.copy_scratchpad(readback);
                return true;
            }
        }
        if (!failed()) {
            commands_.link().fail({.cause = link::FailureCause::kPageNotStored, .page = page});
        }
        return false;
    }

    // A copy lost or garbled on its way leaves its page unwritten, which the scratchpad
    // read-back cannot see: every page is read back from memory before the mission starts.
    [[nodiscard]] bool verify_pages(const link::MemoryImage& image) {
        for (int page = kFirstWrittenPage; page <= kLastWrittenPage; ++page) {
            if (!verify_page(page, image.page(page))) {
                return false;
            }
            process_events();
        }
        return true;
    }

    // Reads `page` and writes it again while it differs and its attempts last.
    [[nodiscard]] bool verify_page(int page, const Page& written) {
        do {
            commands_.read_memory(page);
            if (failed()) {
                return false;
            }
            const auto since_copy =
                std::chrono::ceil<std::chrono::seconds>(clock_.now() - copied_at_[page]);
            if (stored_as_written(page, commands_.page_data(), written, since_copy)) {
                return true;
            }
        } while (write_page(page, written));
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
    // Attempts spent on each written page, by page number.
    std::array<int, kLastWrittenPage + 1> attempts_{};
    // When each written page's last copy was sent, by page number.
    std::array<std::chrono::steady_clock::time_point, kLastWrittenPage + 1> copied_at_{};
};

}  // namespace

std::vector<std::pair<std::string, std::string>> setting_rows(const ProgrammingSettings& settings) {
    const auto date = [](const CalendarDate& d) {
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
        return std::string(text);
    };
    static constexpr const char* kStartModes[] = {"immediate", "temperature", "date and time"};
    return {
        {"interval", std::to_string(settings.interval)},
        {"interval unit", settings.unit == IntervalUnit::kSeconds ? "seconds" : "minutes"},
        {"resolution", settings.resolution == Resolution::kHalf ? "0.5" : "0.0625"},
        {"rollover", settings.rollover ? "yes" : "no"},
        {"start", kStartModes[static_cast<int>(settings.start_mode)]},
        {"start date", date(settings.start_date)},
        {"start time", settings.start_time},
        {"low threshold", settings.low_threshold},
        {"high threshold", settings.high_threshold},
        {"alarms", alarms_on(settings.start_mode, settings.alarms) ? "yes" : "no"},
        {"calibration", std::to_string(settings.calibration)},
        {"mission text", settings.mission_text},
    };
}

std::optional<std::string> recorded_result(const RunResult& result) {
    if (result.kept_held_mission) {
        return result.kept_held_mission == HeldMissionChoice::kDownloadFirst ? "download first"
                                                                             : "cancelled";
    }
    return result.line ? std::optional(result.line->text) : std::nullopt;
}

mission::MissionHeader programmed_logger(mission::MissionHeader before) {
    before.general_status |= link::kStatusMissionRunning;
    before.mission_sample_count = 0;
    return before;
}

RunResult run_programming(link::LoggerCommands& commands, const link::Clock& clock,
                          int comm_port_number, const ProgrammingSettings& settings,
                          const RunHooks& hooks) {
    if (comm_port_number == 0) {
        return {};
    }
    return ProgrammingRun(commands, clock, hooks).run(settings);
}

}  // namespace frostel::programming
