#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/clock.h"
#include "link/logger_commands.h"
#include "mission/chart_point.h"
#include "mission/mission_header.h"
#include "mission/mission_record.h"
#include "mission/sample_log.h"
#include "mission/temperature_unit.h"

namespace frostel::mission {

inline constexpr std::string_view kLoadingErrorText = "LOADING ERROR !";
inline constexpr std::string_view kMissionClearedText =
    "THE LOGGER'S MISSION WAS CLEARED DURING THE DOWNLOAD !";
// Said after every download: the stop it begins with ends the logger's recording.
inline constexpr std::string_view kMissionStoppedText =
    "THE LOGGER'S MISSION IS STOPPED: PROGRAM IT TO RECORD AGAIN";

// One page as the logger gave it.
struct RawPage {
    int number = 0;
    std::array<link::Byte, link::kPageSize> bytes{};

    friend bool operator==(const RawPage&, const RawPage&) = default;
};

// What a finished download read, for callers that want more than the view got.
struct DownloadedMission {
    MissionHeader header;
    // Every page decoded: 1 to 18, then each log page, in the order read. The status reads
    // of stop_mission are not among them.
    std::vector<RawPage> pages;
    std::vector<Sample> samples;  // oldest first
    TemperatureUnit unit = TemperatureUnit::kCelsius;
    std::vector<double> values;  // in `unit`, with the calibration offset
    MissionRecord record;
    // The logger's status, read again after the log, shows its memory cleared since the
    // download began: this download is the mission's only copy.
    bool cleared_during_download = false;
    // False when the side file could not be written: the download went on without it.
    bool side_file_written = true;
    // What the reader's port was ("USB 0403:6001 serial FT1ABCDE (/dev/ttyUSB0)", see
    // link::device_text); empty for a mission decoded again from kept pages.
    std::string reader_device;
};

// What a download shows on its way; the main window and frostel-cli each give one. Every
// call happens on the caller's thread, in the order of the download's steps. What it read
// comes back whole from download_mission, for the caller to show once it all succeeded.
class DownloadView {
  public:
    virtual ~DownloadView() = default;
    // Called with true before anything else and with false at the end, whatever the end:
    // the controls that would start another logger operation are off meanwhile.
    virtual void set_busy(bool busy) = 0;
    virtual void process_events() = 0;
    // The "LOADING ERROR !" frame.
    virtual void show_error(bool visible) = 0;
    virtual void set_progress_maximum(int maximum) = 0;
    virtual void set_progress(int value) = 0;
    // The logger's caption as soon as its register pages are read, empty before: a pending
    // identity that a failed download drops again.
    virtual void set_logger_caption(const std::string& caption) = 0;
};

// A download with no window: every step passed over. For frostel-cli and for tests.
class HeadlessDownloadView : public DownloadView {
  public:
    void set_busy(bool) override {}
    void process_events() override {}
    void show_error(bool) override {}
    void set_progress_maximum(int) override {}
    void set_progress(int) override {}
    void set_logger_caption(const std::string&) override {}
};

struct DownloadSetup {
    link::LoggerCommands& commands;
    link::Clock& clock;
    int port_number = 0;                   // 0: no port chosen, nothing happens
    std::filesystem::path program_folder;  // where the side file goes
    TimeZone time_zone{};                  // the PC's, kept with the mission
    // What the programming run that set this mission's clock kept, when it is known.
    std::function<std::optional<ClockSetting>(const MissionHeader&)> clock_setting = {};
    TemperatureUnit unit = TemperatureUnit::kCelsius;  // the values' unit
};

// "Load Data": identity, stop, register pages, side file, then the log pages decoded as they
// arrive. Nothing when no port is chosen; on a failed logger operation the error frame. The
// mission when every read succeeded, its values in the setup's unit.
std::optional<DownloadedMission> download_mission(const DownloadSetup& setup, DownloadView& view);

// The header decoded from kept pages, as the download decodes it; nothing when pages 1 to
// 18 are not all among them.
[[nodiscard]] std::optional<MissionHeader> decode_recorded_header(const link::LoggerId& logger_id,
                                                                  std::span<const RawPage> pages);

// A mission decoded again from the pages a download kept, as the download decoded it, values
// in `unit`; `time_zone` and `logger_clock` are as the download found them, which the pages
// do not hold. Nothing when pages 1 to 18 are not all there.
[[nodiscard]] std::optional<DownloadedMission> decode_recorded_mission(
    const link::LoggerId& logger_id, std::vector<RawPage> pages, const TimeZone& time_zone,
    const std::optional<LoggerClock>& logger_clock, TemperatureUnit unit);

// The chart's points of `mission`: X evenly six hours apart from the clock's present, the
// values in the mission's unit, each labelled with its sample's time.
[[nodiscard]] std::vector<ChartPoint> chart_points(const DownloadedMission& mission,
                                                   const link::Clock& clock);

// What a mission shows for the device it was read through: the device, or, for a download
// kept before devices were recorded, that it does not say.
inline constexpr std::string_view kReaderDeviceNotRecorded = "reader device not recorded";
[[nodiscard]] std::string reader_device_shown(const std::string& device);

// The side file a download leaves in the program folder: "<LoggerId>.INF" holding the
// device sample count as " n " and CR LF.
[[nodiscard]] std::filesystem::path side_file_path(const std::filesystem::path& program_folder,
                                                   const link::LoggerId& logger_id);
[[nodiscard]] std::string side_file_text(int device_sample_count);

// `t` as the chart's date-time number: days since 1899-12-30 with the time as a fraction.
[[nodiscard]] double chart_date(const platform::LocalDateTime& t);

}  // namespace frostel::mission
