#include "mission/download.h"

#include <algorithm>

#include "mission/register_map.h"
#include "platform/busy_guard.h"
#include "platform/local_date_time.h"
#include "platform/whole_file.h"

namespace frostel::mission {

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kDaysBetweenPoints = 0.25;

bool failed(const link::LoggerCommands& commands) {
    return commands.link().error_number() == link::kLoggerError;
}

// Two reads: the first answer after a port change can be stale; only the second counts.
link::LoggerId read_identity(link::LoggerCommands& commands) {
    link::LoggerId id;
    for (int read = 0; read < 2; ++read) {
        commands.read_rom(id);
        if (failed(commands)) {
            commands.link().set_error_number(link::kNoError);
        }
    }
    return id;
}

RawPage raw_page(int number, std::span<const link::Byte, link::kPageSize> bytes) {
    RawPage page{number, {}};
    std::copy(bytes.begin(), bytes.end(), page.bytes.begin());
    return page;
}

std::optional<link::MemoryImage> read_register_pages(link::LoggerCommands& commands,
                                                     DownloadView& view,
                                                     std::vector<RawPage>& pages) {
    link::MemoryImage image = make_header_image();
    view.set_progress_maximum(kHeaderLastPage);
    for (int page = kHeaderFirstPage; page <= kHeaderLastPage; ++page) {
        if (!commands.read_page_into(page, image)) {
            return std::nullopt;
        }
        pages.push_back(raw_page(page, commands.page_data()));
        view.set_progress(page);
        view.process_events();
    }
    return image;
}

bool read_log_pages(link::LoggerCommands& commands, DownloadView& view, SampleDecoder& decoder,
                    std::vector<RawPage>& pages) {
    const LogWalk& walk = decoder.walk();
    view.set_progress_maximum(walk.page_count() - 1);
    view.set_progress(0);
    for (int page = walk.first_page; page <= walk.last_page; ++page) {
        commands.read_memory(page);
        if (failed(commands)) {
            return false;
        }
        pages.push_back(raw_page(page, commands.page_data()));
        decoder.add_page(page, commands.page_data());
        view.set_progress(page - walk.first_page);
        view.process_events();
    }
    return true;
}

// A lost "B" reaches the logger as the next byte, the page number's low byte: page 328's
// is "H", the clear command, and the protocol has no check on the PC's bytes. Only the
// status read again after the log tells. A status that cannot be read tells nothing.
bool cleared_while_read(link::LoggerCommands& commands, const link::MemoryImage& registers) {
    const auto cleared = [](link::Byte status) {
        return (status & link::kStatusMemoryCleared) != 0;
    };
    if (cleared(registers.at(address::kGeneralStatus))) {
        return false;
    }
    commands.read_memory(link::kStatusPage);
    return !failed(commands) && cleared(commands.page_data()[link::kStatusOffset]);
}

std::optional<DownloadedMission> fail(DownloadView& view) {
    view.show_error(true);
    return std::nullopt;
}

// The offset of the programming run that set the clock when it is known, else the measured one.
LoggerClock settled_clock(const DownloadSetup& setup, const MissionHeader& header,
                          std::int64_t utc_at_read) {
    const LoggerClock measured = measure_clock(header.clock_reading, utc_at_read);
    const std::optional<ClockSetting> setting =
        setup.clock_setting ? setup.clock_setting(header) : std::nullopt;
    return setting ? programmed_clock(measured, *setting) : measured;
}

// The decoded samples, their values in `unit` and the record the summary reads.
void take_samples(DownloadedMission& mission, const SampleDecoder& decoder,
                  const TimeZone& time_zone, const std::optional<LoggerClock>& logger_clock,
                  TemperatureUnit unit) {
    mission.samples = decoder.samples();
    mission.unit = unit;
    mission.values = shown_values(mission.samples, unit, mission.header.calibration_offset);
    mission.record = make_mission_record(mission.header, mission.samples, time_zone);
    mission.record.clock = logger_clock;
}

}  // namespace

std::filesystem::path side_file_path(const std::filesystem::path& program_folder,
                                     const link::LoggerId& logger_id) {
    return program_folder / (logger_id + ".INF");
}

std::string side_file_text(int device_sample_count) {
    const std::string sign = device_sample_count < 0 ? "-" : " ";
    const long long magnitude = device_sample_count < 0
                                    ? -static_cast<long long>(device_sample_count)
                                    : device_sample_count;
    return sign + std::to_string(magnitude) + " \r\n";
}

std::vector<ChartPoint> chart_points(const DownloadedMission& mission, const link::Clock& clock) {
    std::vector<ChartPoint> points;
    points.reserve(mission.samples.size());
    for (std::size_t i = 0; i < mission.samples.size(); ++i) {
        const double x =
            chart_date(clock.local_now()) + static_cast<double>(i) * kDaysBetweenPoints;
        points.push_back({x, mission.values[i], mission.samples[i].time_text});
    }
    return points;
}

double chart_date(const platform::LocalDateTime& t) {
    static const std::int64_t kChartEpoch = platform::to_civil_seconds({1899, 12, 30, 0, 0, 0});
    return static_cast<double>(platform::to_civil_seconds(t) - kChartEpoch) / kSecondsPerDay;
}

std::optional<DownloadedMission> download_mission(const DownloadSetup& setup, DownloadView& view) {
    // Controls off for the whole download, on again however it ends.
    const platform::BusyGuard busy(view);
    view.show_error(false);
    view.process_events();
    if (setup.port_number == 0) {
        return std::nullopt;
    }

    link::LoggerCommands& commands = setup.commands;
    const link::LoggerId logger_id = read_identity(commands);
    view.show_error(false);
    view.set_progress(0);
    view.set_logger_caption("");

    commands.stop_mission();
    if (failed(commands)) {
        return fail(view);
    }
    DownloadedMission mission;
    const std::optional<link::MemoryImage> image =
        read_register_pages(commands, view, mission.pages);
    if (!image) {
        return fail(view);
    }

    // The logger's clock was read with page 16, a moment ago.
    const std::int64_t utc_at_read = setup.clock.utc_now();
    mission.header = decode_mission_header(*image, logger_id);
    const LoggerClock logger_clock = settled_clock(setup, mission.header, utc_at_read);
    // A side file that cannot be written does not stop the download.
    mission.side_file_written =
        platform::write_whole_file(side_file_path(setup.program_folder, logger_id),
                                   side_file_text(mission.header.device_sample_count));
    view.set_logger_caption(mission.header.caption);

    SampleDecoder decoder(mission.header);
    if (!read_log_pages(commands, view, decoder, mission.pages)) {
        return fail(view);
    }
    mission.cleared_during_download = cleared_while_read(commands, *image);
    take_samples(mission, decoder, setup.time_zone, logger_clock, setup.unit);
    mission.reader_device = commands.link().device_identity();
    commands.link().set_error_number(link::kNoError);
    return mission;
}

std::string reader_device_shown(const std::string& device) {
    return device.empty() ? std::string(kReaderDeviceNotRecorded) : device;
}

std::optional<MissionHeader> decode_recorded_header(const link::LoggerId& logger_id,
                                                    std::span<const RawPage> pages) {
    link::MemoryImage image = make_header_image();
    std::vector<bool> present(kHeaderLastPage + 1, false);
    for (const RawPage& page : pages) {
        if (page.number >= kHeaderFirstPage && page.number <= kHeaderLastPage) {
            image.put_page(page.number, page.bytes);
            present[static_cast<std::size_t>(page.number)] = true;
        }
    }
    if (std::count(present.begin() + kHeaderFirstPage, present.end(), true) != kHeaderLastPage) {
        return std::nullopt;
    }
    return decode_mission_header(image, logger_id);
}

std::optional<DownloadedMission> decode_recorded_mission(
    const link::LoggerId& logger_id, std::vector<RawPage> pages, const TimeZone& time_zone,
    const std::optional<LoggerClock>& logger_clock, TemperatureUnit unit) {
    std::optional<MissionHeader> header = decode_recorded_header(logger_id, pages);
    if (!header) {
        return std::nullopt;
    }
    DownloadedMission mission;
    mission.header = std::move(*header);
    SampleDecoder decoder(mission.header);
    for (const RawPage& page : pages) {
        decoder.add_page(page.number, page.bytes);
    }
    take_samples(mission, decoder, time_zone, logger_clock, unit);
    mission.pages = std::move(pages);
    return mission;
}

}  // namespace frostel::mission
