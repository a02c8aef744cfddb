#include "main_layout.h"

namespace frostel::app {

namespace {

// What the window's width leaves out of the progress bar's: the buttons before it and
// "Programming" after it.
constexpr int kProgressBarGap = 8280 + 960;

void set_size(int& size, int value) {
    if (value >= 0) {
        size = value;
    }
}

}  // namespace

MainLayout designed_layout() {
    MainLayout l;
    l.command_bar = {-1080, 0, 13575, 495};
    l.language_frame = {960, 10, 1335, 460};
    l.language = {240, 50, 615, 375};
    l.about = {1920, 60, 375, 375};
    // The gap between "About Frostel" and "Set Path".
    l.chart_tools = {2310, 60, 2355, 375};
    l.set_path = {4680, 60, 375, 375};
    l.retrieve = {5160, 60, 375, 375};
    l.unit = {5640, 60, 375, 375};
    l.report = {6120, 60, 375, 375};
    l.export_csv = {6600, 60, 375, 375};
    l.load_data = {7080, 120, 1215, 255};
    // The progress bar and the error frame start after "Load Data" and give up the room
    // of the two buttons before it.
    l.progress_bar = {8400, 120, 1935, 255};
    l.error_frame = {8400, 120, 1935, 255};
    l.error_label = {0, 0, 1935, 255};
    l.programming = {10440, 120, 1455, 255};
    l.chart = {0, 480, 7215, 6495};
    l.logger_label = {120, 120, 4575, 480};
    l.search_frame = {2160, 2880, 4695, 735};
    l.search_label = {120, 240, 4455, 255};
    l.mission_text = {7200, 600, 3820, 1215};
    l.table = {7200, 1800, 3820, 1290};
    return l;
}

MainLayout resized_layout(MainLayout l, int width, int height) {
    set_size(l.command_bar.width, width + 2280);
    set_size(l.chart.width, width - 4100);
    set_size(l.chart.height, height - 990);
    l.table.left = width - 4100;
    set_size(l.table.height, height - 2250);
    l.mission_text.left = width - 4100;
    l.programming.left = width - 660;
    set_size(l.progress_bar.width, width - kProgressBarGap);
    set_size(l.error_frame.width, width - kProgressBarGap);
    set_size(l.error_label.width, width - kProgressBarGap);
    l.search_frame.top = height / 2 - 1440;
    l.search_frame.left = width / 2 - 1688;
    return l;
}

}  // namespace frostel::app
