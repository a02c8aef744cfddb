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
};

// What a download shows and asks on its way; the main window and frostel-cli each give one.
// Every call happens on the caller's thread, in the order of the download's steps.
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
    virtual void set_logger_caption(const std::string& caption) = 0;
    virtual void set_chart_title(const std::string& logger_id) = 0;
    virtual void set_mission_text(const std::string& text) = 0;
    // The programming window's calibration slider, in tenths of a degree.
    virtual void set_calibration_offset(int tenths) = 0;
    // The current unit lives in the chart's left-axis title.
    [[nodiscard]] virtual std::string unit_title() = 0;
    virtual void set_unit_title(std::string_view title) = 0;
    // What the summary needs of the mission beyond its points; just before them.
    virtual void show_record(const MissionRecord& record) = 0;
    // Replaces the chart's points.
    virtual void show_points(const std::vector<ChartPoint>& points) = 0;
    // Refills the table from the chart, its cells cleared first.
    virtual void refill_table() = 0;
    // The finished download, raw pages included, once the table is filled and before the
    // save dialog: where it is kept for good.
    virtual void record_download(const DownloadedMission& mission) = 0;
    // The save dialog; writing the chosen pair is the view's affair.
    virtual void offer_save() = 0;
};

// A download with no window: the unit kept here, every other step passed over. For
// frostel-cli and for tests that watch a single step.
class HeadlessDownloadView : public DownloadView {
  public:
    explicit HeadlessDownloadView(std::string unit = "CELSIUS") : unit_(std::move(unit)) {}

    void set_busy(bool) override {}
    void process_events() override {}
    void show_error(bool) override {}
    void set_progress_maximum(int) override {}
    void set_progress(int) override {}
    void set_logger_caption(const std::string&) override {}
    void set_chart_title(const std::string&) override {}
    void set_mission_text(const std::string&) override {}
    void set_calibration_offset(int) override {}
    [[nodiscard]] std::string unit_title() override { return unit_; }
    void set_unit_title(std::string_view title) override { unit_ = title; }
    void show_record(const MissionRecord&) override {}
    void show_points(const std::vector<ChartPoint>&) override {}
    void refill_table() override {}
    void record_download(const DownloadedMission&) override {}
    void offer_save() override {}

  private:
    std::string unit_;
};

struct DownloadSetup {
    link::LoggerCommands& commands;
    link::Clock& clock;
    int port_number = 0;                   // 0: no port chosen, nothing happens
    std::filesystem::path program_folder;  // where the side file goes
    TimeZone time_zone{};                  // the PC's, kept with the mission
    // What the programming run that set this mission's clock kept, when it is known.
    std::function<std::optional<ClockSetting>(const MissionHeader&)> clock_setting = {};
};

// "Load Data": identity, stop, register pages, side file, log pages decoded as they
// arrive, then the chart, the table and the save dialog. Nothing when no port is chosen;
// on a failed logger operation the error frame, the chart and table left as they were.
// The mission when every read succeeded.
std::optional<DownloadedMission> download_mission(const DownloadSetup& setup, DownloadView& view);

// The header decoded from kept pages, as the download decodes it; nothing when pages 1 to
// 18 are not all among them.
[[nodiscard]] std::optional<MissionHeader> decode_recorded_header(const link::LoggerId& logger_id,
                                                                  std::span<const RawPage> pages);

// A mission shown again from the pages a download kept: the same decoding and the same
// view calls as the download, without logger, side file or save dialog; `time_zone` and
// `logger_clock` are as the download found them, which the pages do not hold. Nothing when
// pages 1 to 18 are not all there.
std::optional<DownloadedMission> show_recorded_mission(
    const link::LoggerId& logger_id, std::vector<RawPage> pages, const TimeZone& time_zone,
    const std::optional<LoggerClock>& logger_clock, link::Clock& clock, DownloadView& view);

// The chart's points of `mission`: X evenly six hours apart from the clock's present, the
// values in the mission's unit, each labelled with its sample's time.
[[nodiscard]] std::vector<ChartPoint> chart_points(const DownloadedMission& mission,
                                                   const link::Clock& clock);

// The side file a download leaves in the program folder: "<LoggerId>.INF" holding the
// device sample count as " n " and CR LF.
[[nodiscard]] std::filesystem::path side_file_path(const std::filesystem::path& program_folder,
                                                   const link::LoggerId& logger_id);
[[nodiscard]] std::string side_file_text(int device_sample_count);

// `t` as the chart's date-time number: days since 1899-12-30 with the time as a fraction.
[[nodiscard]] double chart_date(const platform::LocalDateTime& t);

}  // namespace frostel::mission
