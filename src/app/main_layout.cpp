#include "main_layout.h"

namespace frostel::app {

namespace {

// The room between two buttons of the command bar.
constexpr int kButtonGap = 105;
constexpr int kPictureButtonTop = 60;
constexpr int kPictureButtonSize = 375;
// A menu arrow beside a picture takes this much more, so the picture keeps its room.
constexpr int kMenuArrowWidth = 180;
constexpr int kTextButtonTop = 120;
constexpr int kTextButtonHeight = 255;
// What the progress bar leaves free at the window's right edge, for "Programming".
constexpr int kRightOfProgressBar = 840;
// The verdict fills the chart's header from the logger label to this far from its right edge.
constexpr int kChartHeaderMargin = 120;

// A control of the command bar's row, right after `before`.
TwipsRect next_in_bar(const TwipsRect& before, int top, int width, int height) {
    return {before.left + before.width + kButtonGap, top, width, height};
}

TwipsRect picture_after(const TwipsRect& before, int width = kPictureButtonSize) {
    return next_in_bar(before, kPictureButtonTop, width, kPictureButtonSize);
}

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
    // The chart's tools and "Fit to Data" share the gap between "About Frostel" and
    // "Set Path".
    l.chart_tools = {2310, 60, 1890, 375};
    l.fit_to_data = {4230, 60, 375, 375};
    l.set_path = {4680, 60, 375, 375};
    l.retrieve = {5160, 60, 375, 375};
    l.unit = {5640, 60, 375, 375};
    // The buttons added since take their room from the progress bar, which starts after
    // "Load Data".
    l.summary = picture_after(l.unit);
    l.report = picture_after(l.summary, kPictureButtonSize + kMenuArrowWidth);
    l.export_csv = picture_after(l.report);
    l.archive = picture_after(l.export_csv);
    l.load_data = next_in_bar(l.archive, kTextButtonTop, 1215, kTextButtonHeight);
    l.programming = {10440, kTextButtonTop, 1455, kTextButtonHeight};
    l.progress_bar = next_in_bar(l.load_data, kTextButtonTop, 0, kTextButtonHeight);
    l.progress_bar.width = l.programming.left - kButtonGap - l.progress_bar.left;
    l.error_frame = l.progress_bar;
    l.error_label = {0, 0, l.progress_bar.width, l.progress_bar.height};
    l.chart = {0, 480, 7215, 6495};
    l.logger_label = {120, 120, 4575, 480};
    // Two lines above the chart's title, which starts below the logger label's first line.
    l.verdict = {l.logger_label.left + l.logger_label.width + kChartHeaderMargin, 15, 0, 435};
    l.verdict.width = l.chart.width - kChartHeaderMargin - l.verdict.left;
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
    set_size(l.verdict.width, l.chart.width - kChartHeaderMargin - l.verdict.left);
    l.table.left = width - 4100;
    set_size(l.table.height, height - 2250);
    l.mission_text.left = width - 4100;
    l.programming.left = width - 660;
    const int stretch = width - kRightOfProgressBar - l.progress_bar.left;
    set_size(l.progress_bar.width, stretch);
    set_size(l.error_frame.width, stretch);
    set_size(l.error_label.width, stretch);
    l.search_frame.top = height / 2 - 1440;
    l.search_frame.left = width / 2 - 1688;
    return l;
}

}  // namespace frostel::app
