#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mission/download.h"

namespace frostel::test {

// Remembers what the download showed, in the order it showed it.
struct RecordingView final : mission::HeadlessDownloadView {
    std::vector<std::string> events;
    int progress_maximum = -1;
    int progress = -1;
    bool error_visible = false;
    std::string caption = "previous logger";
    std::string chart_title;
    std::string mission_text;
    int calibration_tenths = -999;
    std::string unit = "CELSIUS";
    std::optional<std::vector<mission::ChartPoint>> points;

    void set_busy(bool busy) override { events.push_back(busy ? "busy" : "idle"); }
    void show_error(bool visible) override {
        error_visible = visible;
        if (visible)
            events.push_back("error");
    }
    void set_progress_maximum(int maximum) override { progress_maximum = maximum; }
    void set_progress(int value) override { progress = value; }
    void set_logger_caption(const std::string& text) override { caption = text; }
    void set_chart_title(const std::string& id) override { chart_title = id; }
    void set_mission_text(const std::string& text) override { mission_text = text; }
    void set_calibration_offset(int tenths) override { calibration_tenths = tenths; }
    std::string unit_title() override { return unit; }
    void set_unit_title(std::string_view title) override { unit = title; }
    void show_points(const std::vector<mission::ChartPoint>& shown) override {
        points = shown;
        events.push_back("points");
    }
    void refill_table() override { events.push_back("table"); }
    void record_download(const mission::DownloadedMission&) override { events.push_back("record"); }
    void offer_save() override { events.push_back("save"); }
};

}  // namespace frostel::test
