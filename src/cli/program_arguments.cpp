#include "cli/program_arguments.h"

#include <map>
#include <optional>
#include <set>

#include "cli/whole_number.h"
#include "platform/local_date_time.h"
#include "programming/programming_rules.h"
#include "programming/result_line.h"
#include "programming/thresholds.h"

namespace frostel::cli {

namespace {

// The programming window's settings and rules, which the options stand for.
using programming::apply_unit_rule;
using programming::CalendarDate;
using programming::IntervalRange;
using programming::IntervalUnit;
using programming::kCalibrationMaximum;
using programming::kCalibrationMinimum;
using programming::low_above_high;
using programming::ProgrammingSettings;
using programming::Resolution;
using programming::StartMode;
using programming::thresholds_in_order;
using programming::unit_rule;

const std::set<std::string> kFlags = {"--minutes", "--rollover"};
const std::set<std::string> kValued = {"--interval", "--resolution",  "--start", "--low",
                                       "--high",     "--calibration", "--text"};

bool all_digits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// "YYYY-MM-DDTHH:MM": the calendar must hold the date; the time field holds any two
// digit pairs, as its mask does, and the run judges them.
std::optional<UsageError> set_start_date_time(ProgrammingSettings& settings,
                                              const std::string& text) {
    const bool shaped = text.size() == 16 && text[4] == '-' && text[7] == '-' && text[10] == 'T' &&
                        text[13] == ':' && all_digits(text.substr(0, 4)) &&
                        all_digits(text.substr(5, 2)) && all_digits(text.substr(8, 2)) &&
                        all_digits(text.substr(11, 2)) && all_digits(text.substr(14, 2));
    if (!shaped) {
        return UsageError{"--start " + text +
                          ": expected immediate, temperature or "
                          "YYYY-MM-DDTHH:MM"};
    }
    const CalendarDate date{std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)),
                            std::stoi(text.substr(8, 2))};
    if (!platform::is_valid_date_time({date.year, date.month, date.day, 0, 0, 0})) {
        return UsageError{"--start " + text + ": no such date"};
    }
    settings.start_mode = StartMode::kDateTime;
    settings.start_date = date;
    settings.start_time = text.substr(11);
    return std::nullopt;
}

class ArgumentReader {
  public:
    std::optional<UsageError> read(std::span<const std::string> arguments) {
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            const std::string& name = arguments[i];
            if (kFlags.contains(name)) {
                values_[name] = "";
            } else if (kValued.contains(name) && i + 1 < arguments.size()) {
                values_[name] = arguments[++i];
            } else if (kValued.contains(name)) {
                return UsageError{name + " needs a value"};
            } else {
                return UsageError{"unknown argument " + name};
            }
        }
        return std::nullopt;
    }

    [[nodiscard]] bool has(const std::string& name) const { return values_.contains(name); }
    [[nodiscard]] const std::string& value(const std::string& name) const {
        return values_.at(name);
    }

  private:
    std::map<std::string, std::string> values_;
};

std::optional<UsageError> set_interval(ProgrammingSettings& settings, const std::string& text) {
    const IntervalRange range = unit_rule(settings.unit).interval_range;
    const auto interval = whole_number(text, range.minimum, range.maximum);
    if (!interval) {
        return UsageError{"--interval " + text + ": " +
                          (settings.unit == IntervalUnit::kSeconds ? "seconds" : "minutes") +
                          " take " + std::to_string(range.minimum) + " to " +
                          std::to_string(range.maximum)};
    }
    settings.interval = *interval;
    return std::nullopt;
}

std::optional<UsageError> set_resolution(ProgrammingSettings& settings, const std::string& text) {
    if (text == "0.5") {
        settings.resolution = Resolution::kHalf;
        return std::nullopt;
    }
    if (text != "0.0625") {
        return UsageError{"--resolution " + text + ": expected 0.5 or 0.0625"};
    }
    if (!unit_rule(settings.unit).sixteenth_enabled) {
        return UsageError{"--resolution 0.0625 needs --minutes"};
    }
    settings.resolution = Resolution::kSixteenth;
    return std::nullopt;
}

std::optional<UsageError> set_start(ProgrammingSettings& settings, const std::string& text) {
    if (text == "immediate") {
        settings.start_mode = StartMode::kImmediate;
        return std::nullopt;
    }
    if (text != "temperature") {
        return set_start_date_time(settings, text);
    }
    if (!unit_rule(settings.unit).temperature_start_enabled) {
        return UsageError{"--start temperature needs --minutes"};
    }
    settings.start_mode = StartMode::kTemperature;
    return std::nullopt;
}

std::optional<UsageError> set_calibration(ProgrammingSettings& settings, const std::string& text) {
    const auto tenths = whole_number(text, kCalibrationMinimum, kCalibrationMaximum);
    if (!tenths) {
        return UsageError{"--calibration " + text + ": expected tenths of a degree, " +
                          std::to_string(kCalibrationMinimum) + " to " +
                          std::to_string(kCalibrationMaximum)};
    }
    settings.calibration = *tenths;
    return std::nullopt;
}

std::optional<UsageError> apply(const ArgumentReader& options, ProgrammingSettings& settings) {
    // The unit first: it decides which of the other values the window can hold.
    apply_unit_rule(settings,
                    options.has("--minutes") ? IntervalUnit::kMinutes : IntervalUnit::kSeconds);
    if (options.has("--rollover") && !unit_rule(settings.unit).rollover_enabled) {
        return UsageError{"--rollover needs --minutes"};
    }
    settings.rollover = options.has("--rollover");
    using Setter = std::optional<UsageError> (*)(ProgrammingSettings&, const std::string&);
    const std::pair<const char*, Setter> setters[] = {{"--interval", set_interval},
                                                      {"--resolution", set_resolution},
                                                      {"--start", set_start},
                                                      {"--calibration", set_calibration}};
    for (const auto& [name, setter] : setters) {
        if (!options.has(name)) {
            continue;
        }
        if (auto error = setter(settings, options.value(name))) {
            return error;
        }
    }
    if (options.has("--low")) {
        settings.low_threshold = options.value("--low");
    }
    if (options.has("--high")) {
        settings.high_threshold = options.value("--high");
    }
    if (options.has("--text")) {
        settings.mission_text = options.value("--text");
    }
    if (!thresholds_in_order({settings.low_threshold, settings.high_threshold})) {
        return UsageError{low_above_high().text + " (--low " + settings.low_threshold + " --high " +
                          settings.high_threshold + ")"};
    }
    return std::nullopt;
}

}  // namespace

std::variant<programming::ProgrammingSettings, UsageError> parse_program_arguments(
    std::span<const std::string> arguments) {
    ArgumentReader options;
    ProgrammingSettings settings;
    if (auto error = options.read(arguments)) {
        return *error;
    }
    if (auto error = apply(options, settings)) {
        return *error;
    }
    return settings;
}

}  // namespace frostel::cli
