#pragma once

#include <QChartView>
#include <QPoint>
#include <optional>

#include "datafile/chart_document.h"
#include "insight/limits.h"
#include "mission/temperature_unit.h"

class QCategoryAxis;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QScatterSeries;
class QStyle;
class QValueAxis;

namespace frostel::app {

// The mission chart (TChart1): series 0 "TEMPERATURE" with its time labels, the left axis
// titled with the current unit, an unused right axis, the time axis at the bottom. It draws
// the mission shown and the limits in force; its document holds the looks and the points
// as drawn, never the mission's record or limits. The drawn series follows the document
// once pending events run, so adding or changing thousands of points costs one redraw.
class ChartView final : public QChartView {
    Q_OBJECT

  public:
    explicit ChartView(QWidget* parent = nullptr);

    // Series 0. Indices outside the series read as empty and write nothing.
    void clear();
    int add_xy(double x, double y, const QString& label);
    // 0, or -1 for an empty series.
    [[nodiscard]] int first_value_index() const;
    // The last point's index, -1 for an empty series.
    [[nodiscard]] int last_value_index() const;
    [[nodiscard]] QString label(int index) const;
    [[nodiscard]] double y(int index) const;
    void set_y(int index, double value);
    // Series 0 replaced whole, kept in ascending X.
    void set_points(std::vector<mission::ChartPoint> points);
    [[nodiscard]] const std::vector<mission::ChartPoint>& points() const {
        return document_.points;
    }

    [[nodiscard]] QString left_axis_title() const { return document_.left.title; }
    void set_left_axis_title(const QString& title);
    void set_left_axis_range(double minimum, double maximum);
    void set_bottom_axis_automatic();
    void set_title_line(const QString& text);

    [[nodiscard]] const datafile::ChartDocument& document() const { return document_; }
    // The looks and the points of `document`; what else it keeps of a mission is not the
    // chart's.
    void set_document(datafile::ChartDocument document);
    // The looks and the points, replacing the file whole.
    [[nodiscard]] bool export_template(const QString& path) const;

    // The limits in force, in the chart's unit: drawn as lines, the points beyond them marked.
    void set_limits(const insight::Limits& in_force);
    [[nodiscard]] const insight::Limits& limits() const { return limits_; }
    // The value axis set to the data and the limits, with a small margin.
    void fit_to_data();
    // Both axes narrowed to points `first` to `last`, with room on either side; the value
    // axis keeps in view each limit these points cross.
    void zoom_to_points(int first, int last);
    // The time and value of the point nearest to the time-axis value `x`.
    [[nodiscard]] QString point_tip(double x) const;

    // The mouse zooms by a rubber band, or pans the axes while pan mode is on.
    void set_pan_mode(bool on);
    void undo_zoom();

  signals:
    // A title, an axis or the looks changed (not the points): what the editor shows.
    void documentChanged();
    // Points, unit or limits drawn anew: what the summary follows. Once for a batch.
    void contentChanged();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void use_rubber_band(bool on);
    void show_points_later();
    void show_points();
    void show_limits();
    // Each limit's value written at the right end of its line, as the report does.
    void place_limit_labels();
    [[nodiscard]] std::size_t nearest_point(double x) const;
    // The time and value of the point nearest the pointer, while it rests near the line.
    void show_tip_at(const QPoint& pointer);
    void hide_tip();
    void show_axes_and_titles();
    void fit_bottom_axis();
    void label_bottom_axis();
    [[nodiscard]] int time_label_width(double minimum, double maximum) const;

    datafile::ChartDocument document_;
    insight::Limits limits_;
    QLineSeries* series_;
    QLineSeries* low_line_;
    QLineSeries* high_line_;
    QScatterSeries* outside_;
    QGraphicsSimpleTextItem* low_label_;
    QGraphicsSimpleTextItem* high_label_;
    QValueAxis* left_axis_;
    QValueAxis* right_axis_;
    QCategoryAxis* bottom_axis_;
    QStyle* rubber_band_style_;
    bool points_pending_ = false;
    bool labelling_ = false;
    bool pan_mode_ = false;
    bool tip_shown_ = false;
    std::optional<QPoint> pan_from_;
};

// The value-axis range that shows every point and limit with a margin of a twentieth of
// their span (at least half a degree); nothing without a point or a limit.
[[nodiscard]] std::optional<mission::AxisRange> fitted_range(
    const std::vector<mission::ChartPoint>& points, const insight::Limits& limits);

}  // namespace frostel::app
