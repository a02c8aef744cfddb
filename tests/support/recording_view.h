#pragma once

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

    void set_busy(bool busy) override { events.push_back(busy ? "busy" : "idle"); }
    void show_error(bool visible) override {
        error_visible = visible;
        if (visible)
            events.push_back("error");
    }
    void set_progress_maximum(int maximum) override { progress_maximum = maximum; }
    void set_progress(int value) override { progress = value; }
    void set_logger_caption(const std::string& text) override { caption = text; }
};

}  // namespace frostel::test
