#pragma once

namespace frostel::app {

// Positions and sizes in twips (1440 to the logical inch); a control inside a container is
// placed relative to the container.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipsRect&) const = default;
};

inline constexpr int kTwipsPerPixel = 15;
[[nodiscard]] constexpr int twips_to_pixels(int twips) {
    return (twips >= 0 ? twips + kTwipsPerPixel / 2 : twips - kTwipsPerPixel / 2) / kTwipsPerPixel;
}

inline constexpr int kClientWidth = 12492;
inline constexpr int kClientHeight = 6984;
// The rule table was drawn for a window whose borders and title add this much to its client
// area; the outer size is the client size plus these.
inline constexpr int kFrameExtraWidth = 120;
inline constexpr int kFrameExtraHeight = 450;

// Every placed control of the main window. The command bar holds the buttons, the progress
// bar and the error frame; the chart holds the logger label and the port-search frame.
struct MainLayout {
    TwipsRect command_bar;     // TeeCommander1
    TwipsRect language_frame;  // Frame2, in the command bar
    TwipsRect language;        // Command3, in Frame2
    TwipsRect about;           // Command6
    TwipsRect chart_tools;     // the chart's own tool buttons
    TwipsRect fit_to_data;     // the value axis fitted to the data
    TwipsRect set_path;        // Command1
    TwipsRect retrieve;        // Command2
    TwipsRect unit;            // Command4
    TwipsRect summary;         // the mission summary
    TwipsRect report;          // the mission report, with its menu arrow
    TwipsRect export_csv;      // the sample exports
    TwipsRect archive;         // the mission archive
    TwipsRect load_data;       // Command10
    TwipsRect progress_bar;    // ProgressBar1
    TwipsRect error_frame;     // Frame4
    TwipsRect error_label;     // Label2, in Frame4
    TwipsRect programming;     // Command8
    TwipsRect chart;           // TChart1
    TwipsRect logger_label;    // Label1, in the chart
    TwipsRect verdict;         // the mission's verdict, in the chart's header right of Label1
    TwipsRect search_frame;    // Frame1, in the chart
    TwipsRect search_label;    // Label3, in Frame1
    TwipsRect mission_text;    // RichTextBox1
    TwipsRect table;           // MSFlexGrid1
    bool operator==(const MainLayout&) const = default;
};

[[nodiscard]] MainLayout designed_layout();

// The layout after the window's outer size became `width` by `height`: the chart grows to
// the right and down, the text box and the table keep their width at the right edge, the
// progress bar and the error frame stretch, the search frame stays centred. A size that
// would be negative is refused and that value keeps its last setting.
[[nodiscard]] MainLayout resized_layout(MainLayout layout, int width, int height);

}  // namespace frostel::app
