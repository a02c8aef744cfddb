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
// width and the background colour. Its changes reach the chart when applied; the points
// are never touched.
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
    void show_settings(const datafile::ChartDocument& document);
    void pick_colour(QPushButton* button);

    ChartView* chart_ = nullptr;
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
