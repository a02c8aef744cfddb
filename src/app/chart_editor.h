#pragma once

#include <QDialog>

#include "datafile/chart_document.h"

class QCheckBox;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace frostel::app {

class ChartView;

// The chart editor (TeeEditor1): titles, axis titles and ranges, the line's colour and
// width and the background colour. It shows the chart as it is when it opens, and while it
// is open each field follows the chart wherever the chart changes under it (a unit switch,
// a download); the user's own edits in other fields stay. Its changes reach the chart when
// applied; the points are never touched. The left axis's title is the unit, which the
// unit dialog owns: shown, not editable. No text can grow beyond what a chart document
// holds, so every chart saved reopens.
class ChartEditor final : public QDialog {
    Q_OBJECT

  public:
    explicit ChartEditor(QWidget* parent = nullptr);

    void attach(ChartView* chart);
    // Shows the attached chart's current settings.
    void edit();
    void apply();

  private:
    struct AxisFields {
        QLineEdit* title;
        QDoubleSpinBox* minimum;
        QDoubleSpinBox* maximum;
    };
    static AxisFields axis_fields(const QString& name);
    static void take_axis(datafile::ChartAxis& axis, const AxisFields& fields);
    // Each field whose value in `now` differs from what the fields were last filled
    // from, or every field.
    void show_settings(const datafile::ChartDocument& now, bool every_field);
    void keep_title_within_limits();
    void pick_colour(QPushButton* button);

    ChartView* chart_ = nullptr;
    datafile::ChartDocument shown_;
    QPlainTextEdit* title_lines_;
    AxisFields left_;
    AxisFields right_;
    AxisFields bottom_;
    QCheckBox* bottom_automatic_;
    QPushButton* line_colour_;
    QSpinBox* line_width_;
    QPushButton* background_colour_;
};

}  // namespace frostel::app
