#pragma once

#include <QChartView>
#include <QPoint>
#include <optional>

#include "datafile/chart_document.h"

class QCategoryAxis;
class QLineSeries;
class QStyle;
class QValueAxis;

namespace frostel::app {

// The mission chart (TChart1): series 0 "TEMPERATURE" with its time labels, the left axis
// titled with the current unit, an unused right axis, the time axis at the bottom. The
// chart's document is the one source of truth; the drawn series follows it once pending
// events run, so adding or changing thousands of points costs one redraw.
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
    [[nodiscard]] const std::vector<datafile::ChartPoint>& points() const {
        return document_.points;
    }

    [[nodiscard]] QString left_axis_title() const { return document_.left.title; }
    void set_left_axis_title(const QString& title);
    void set_left_axis_range(double minimum, double maximum);
    void set_bottom_axis_automatic();
    void set_title_line(const QString& text);

    [[nodiscard]] const datafile::ChartDocument& document() const { return document_; }
    void set_document(datafile::ChartDocument document);
    // Export replaces the file whole; an import that cannot be read changes nothing.
    [[nodiscard]] bool export_template(const QString& path) const;
    [[nodiscard]] bool import_template(const QString& path);

    // The mouse zooms by a rubber band, or pans the axes while pan mode is on.
    void set_pan_mode(bool on);
    void undo_zoom();

  signals:
    // A title, an axis or the looks changed (not the points): what the editor shows.
    void documentChanged();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void use_rubber_band(bool on);
    void show_points_later();
    void show_points();
    void show_axes_and_titles();
    void fit_bottom_axis();
    void label_bottom_axis();

    datafile::ChartDocument document_;
    QLineSeries* series_;
    QValueAxis* left_axis_;
    QValueAxis* right_axis_;
    QCategoryAxis* bottom_axis_;
    QStyle* rubber_band_style_;
    bool points_pending_ = false;
    bool labelling_ = false;
    bool pan_mode_ = false;
    std::optional<QPoint> pan_from_;
};

}  // namespace frostel::app
